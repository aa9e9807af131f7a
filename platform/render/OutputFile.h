#pragma once

#include <string>

namespace render {

// The one way the program opens a file it writes (a screenshot, a tree, a recording): only when
// it is about to write, and only a regular file. A pipe, a device or a socket in its place is
// refused before it is opened, so that nothing can hang on a reader that never comes or set a
// device going; a refusal leaves whatever is there untouched.
struct OutputFile {
    // Open for writing from the start, emptied; -1 when refused.
    int fd = -1;
    // Why it was refused: "is a folder", "no such folder", ..., for "WHAT 'PATH' ..." messages.
    std::string error;
};

// Checks PATH the way openOutputFile will, without making or changing anything: for options,
// which are checked before anything runs. Empty when it may be written.
std::string checkOutputPath(const std::string& path);
OutputFile openOutputFile(const std::string& path);

} // namespace render
