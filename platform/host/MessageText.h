#pragma once

#include <string>
#include <string_view>

// TEXT as it may appear in a one-line message: in single quotes, at most 80 characters of it, with
// anything that is not printable ASCII spelled as an escape, so that a hostile argument can
// neither flood the terminal nor move its cursor.
std::string quotedForMessage(std::string_view text);
