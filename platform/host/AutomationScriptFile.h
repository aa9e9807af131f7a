#pragma once

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>

// A script is read whole before it runs, from a file or from standard input, and is no larger
// than this.
inline constexpr size_t kMaximumScriptBytes = 1 << 20;

struct ScriptFileResult {
    std::optional<std::string> text;
    std::string error;
};
// The file must be a regular file or a pipe.
ScriptFileResult readScriptFile(const std::string& path);
// The rest of IN, or none when it is larger than a script may be.
std::optional<std::string> readScriptStream(std::istream& in);
