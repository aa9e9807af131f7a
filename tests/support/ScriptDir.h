#pragma once

#include <filesystem>
#include <string>
#include <vector>

// A temporary folder for the scripts a test writes and the files they leave behind. It is removed
// with everything in it when the test is done.
class ScriptDir {
public:
    ScriptDir();
    ~ScriptDir();

    ScriptDir(const ScriptDir&) = delete;
    ScriptDir& operator=(const ScriptDir&) = delete;

    const std::filesystem::path& path() const { return _path; }
    std::filesystem::path file(const std::string& name) const { return _path / name; }

    // Writes BODY to NAME with mode 0755 and returns its path.
    std::filesystem::path writeScript(const std::string& name, const std::string& body) const;
    // The whole file, or an empty string when it does not exist.
    std::string read(const std::string& name) const;
    std::vector<std::string> readLines(const std::string& name) const;

    // TEXT as one word for a shell script: single-quoted, with any single quote spelled out.
    static std::string shellQuoted(const std::string& text);

private:
    std::filesystem::path _path;
};
