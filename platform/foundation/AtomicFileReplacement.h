#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <sys/stat.h>

class FileCalls;

// Replaces a file so that a crash or a power loss at any moment leaves either the old file or the
// new one: the new bytes go to a temporary file in the same folder, which is fsynced, renamed over
// the old file, and made durable by an fsync of the folder.
//
// Where the file is a symbolic link, the link stays and the file it names is replaced, in that
// file's own folder. Temporary files are named after the file, with a marker in their name that no
// user would choose; those that a killed writer left behind can be cleared, and nothing else is.
//
// Writers must hold a lock of their own around a replacement: two at once each rename their own file
// into place, and the clearing of leftovers would take the other's temporary file for one.
class AtomicFileReplacement {
public:
    AtomicFileReplacement(std::filesystem::path file, std::shared_ptr<FileCalls> calls);

    // The folder that holds FILE; a bare file name lives in the working directory.
    static std::filesystem::path folderOf(const std::filesystem::path& file);

    // The file that a replacement writes: the file itself, or the end of the chain of symbolic links
    // that starts there. A link may name a file that does not exist yet.
    std::filesystem::path target() const;
    // Removes the temporary files that an interrupted writer left beside TARGET and beside the file,
    // the first time it is called.
    void clearLeftovers(const std::filesystem::path& target);
    // Writes a new file in FOLDER, private to the user, and fsyncs it; WRITTEN, when given, receives
    // its fstat. On failure nothing is left behind and errno tells why.
    std::optional<std::filesystem::path> writeTemporaryFile(
        const std::filesystem::path& folder, const char* data, size_t size, struct stat* written = nullptr);
    // Renames TEMPORARY over TARGET. On failure the temporary file is removed and errno tells why.
    bool moveIntoPlace(const std::filesystem::path& temporary, const std::filesystem::path& target);
    // Removes a temporary file that will not be renamed.
    void discard(const std::filesystem::path& temporary);
    // A rename is only durable once the folder that holds the name is on the disk too.
    bool syncFolder(const std::filesystem::path& folder);

private:
    void removeTemporaryFilesIn(const std::filesystem::path& folder);

    std::filesystem::path _file;
    std::shared_ptr<FileCalls> _calls;
    bool _leftoversCleared = false;
};
