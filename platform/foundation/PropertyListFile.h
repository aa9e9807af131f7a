#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>

class AtomicFileReplacement;
class FileCalls;

// A libplist node, freed when it goes.
struct PropertyListFree {
    void operator()(void* plist) const;
};
using OwnedPropertyList = std::unique_ptr<void, PropertyListFree>;

// A property-list file read with bounds: only a regular file of at most 1 MiB is opened, and its
// property list (binary, or XML in UTF-8 with or without a byte order mark, or in UTF-16) must stay
// within the limits of PropertyListLimits.h before libplist parses it. What the path was found to
// name is kept, so that a file that could not be read, or whose rewrite would change its text, can
// be set aside before anything replaces it.
class PropertyListFile {
public:
    // What the path was found to name when it was last read.
    enum class Found {
        Nothing,
        // A property list that a rewrite keeps as it is.
        PropertyList,
        // A property list whose keys are read, but some of whose text a rewrite would change.
        LossyPropertyList,
        // A regular file that holds no dictionary within the bounds that can be written back: its bytes
        // were read.
        Unparsable,
        // A regular file that could not be read whole.
        UnreadableFile,
        // Anything but a regular file, or a path that cannot be followed.
        NotAFile,
    };

    // What stands at a path found to be no file: its type in MODE, or, when the path could not be
    // followed, the errno of that in ERROR.
    struct Obstacle {
        mode_t mode = 0;
        int error = 0;
    };

    // How setting the found file aside went. ERROR is the errno of the step that failed; KEPT_AS and
    // REPLACED_OLDER_COPY describe a file that was set aside, even when the folder could not be
    // synced afterwards (ERROR is then set too).
    struct SetAside {
        enum class Outcome {
            Kept,
            // The file went away since it was read: nothing is left to set aside.
            Gone,
            CannotCopy,
            CannotInspect,
            ChangedMeanwhile,
            CannotMove,
        };
        Outcome outcome = Outcome::Kept;
        int error = 0;
        std::filesystem::path keptAs;
        bool replacedOlderCopy = false;
    };

    PropertyListFile(std::filesystem::path path, std::shared_ptr<FileCalls> calls);

    // Reads the file anew: its root dictionary, or null when it holds none that can be taken.
    OwnedPropertyList read();
    // Whether the file's identity or modification time differ from those of the file last read,
    // or written through replacedBy(): one stat.
    bool changedSinceRead() const;
    Found found() const { return _found; }
    const Obstacle& obstacle() const { return _obstacle; }
    // Whether the file found must be set aside before a new one replaces it.
    bool mustBeSetAside() const;
    // Sets the file found aside beside the path, as <name>.corrupt, or <name>.corrupt-2 and so on
    // when a name is taken by something that is not a file. Bytes that could be read are copied,
    // so that the file stays where readers look until the new one replaces it; a file that could
    // not be read is moved, and only while TARGET still is the file that was found.
    SetAside setAside(const std::filesystem::path& target, AtomicFileReplacement& replacement);
    // The path now names a file just written, which fstat gave as WRITTEN: it need not be read
    // back, and nothing of it is to be set aside.
    void replacedBy(const struct stat& written);

private:
    // The identity and modification time of a file, or none when nothing is there to stat.
    struct Identity {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        time_t seconds = 0;
        long nanoseconds = 0;
        static Identity of(const struct stat& info);
        bool operator==(const Identity&) const = default;
    };

    Identity currentIdentity() const;
    // Whether INFO, the stat of the path or of the open file, is that of a regular file. It
    // becomes the identity of what was read.
    bool isRegularFile(const struct stat& info);
    OwnedPropertyList parse(std::string bytes);

    std::filesystem::path _path;
    std::shared_ptr<FileCalls> _calls;
    Found _found = Found::Nothing;
    Obstacle _obstacle;
    // The bytes of the file, kept to be copied aside before it is replaced.
    std::optional<std::string> _bytes;
    Identity _identity;
};
