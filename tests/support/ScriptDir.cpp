#include "tests/support/ScriptDir.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

ScriptDir::ScriptDir()
{
    auto pattern = (std::filesystem::temp_directory_path() / "zentrova-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder from " + pattern);
    _path = pattern;
}

ScriptDir::~ScriptDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(_path, ignored);
}

std::filesystem::path ScriptDir::writeScript(const std::string& name, const std::string& body) const
{
    auto path = file(name);
    {
        // The stream is closed before the script can be started: executing a file that is still
        // open for writing fails with ETXTBSY.
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << body;
        if (!out)
            throw std::runtime_error("cannot write " + path.string());
    }
    using std::filesystem::perms;
    std::filesystem::permissions(
        path, perms::owner_all | perms::group_read | perms::group_exec | perms::others_read | perms::others_exec);
    return path;
}

std::string ScriptDir::read(const std::string& name) const
{
    std::ifstream in(file(name), std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

std::vector<std::string> ScriptDir::readLines(const std::string& name) const
{
    std::vector<std::string> lines;
    std::istringstream in(read(name));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string ScriptDir::fillIn(
    std::string script, std::initializer_list<std::pair<std::string_view, std::string>> values)
{
    for (auto& [name, value] : values) {
        auto placeholder = "@" + std::string(name) + "@";
        for (auto at = script.find(placeholder); at != std::string::npos;
             at = script.find(placeholder, at + value.size()))
            script.replace(at, placeholder.size(), value);
    }
    return script;
}

std::string ScriptDir::shellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    quoted += '\'';
    return quoted;
}
