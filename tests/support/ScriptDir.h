#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
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
    // SCRIPT with every @NAME@ replaced by its value, so that scripts can be written out whole as
    // raw strings rather than pieced together.
    static std::string fillIn(
        std::string script, std::initializer_list<std::pair<std::string_view, std::string>> values);

private:
    std::filesystem::path _path;
};
