#pragma once

#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

#include <filesystem>
#include <memory>

// The per-application preference store, kept as a binary property list at
// <device root>/var/mobile/Library/Preferences/<bundle identifier>.plist (XML property lists are read
// too). A key that was never written reads NO; no defaults are registered.
//
// The file is read once, on first use, and the store is then served from memory: the store is the
// only writer of its file. Everything the file held is kept, whatever its type, so a rewrite never
// drops keys that this app does not use itself.
//
// synchronize() is atomic and durable: it writes a temporary file in the same folder, fsyncs it,
// renames it over the old one and fsyncs the folder, so a crash at any moment leaves either the old
// or the new file. A file that cannot be read or parsed, or whose root is not a dictionary, reads as
// no keys, and before the next write replaces it, its bytes are kept beside it as
// <name>.plist.corrupt. Only the newest such file is kept: an older .corrupt is replaced, and a line
// on standard error says so.
//
// The store belongs to the main thread and does not lock.
class NSUserDefaults final : public NSObject {
public:
    ZENTROVA_CLASS_NAME(NSUserDefaults)

    // The store of the current device root, made on first use and kept for the process.
    static NSUserDefaults& standardUserDefaults();
    // Forgets the standard store so that the next call reads the file anew: what a restart of the
    // app does. Values that were not synchronized are lost, as they would be in a crash. For hosts
    // that change the device root, and for tests.
    static void resetStandardUserDefaults();

    static std::shared_ptr<NSUserDefaults> create(std::filesystem::path file);
    static std::filesystem::path standardPreferencesPath();

    // The stored boolean. A number stored under the key reads YES when it is not zero, as the
    // platform's number-to-boolean conversion does; any other type reads NO.
    bool boolForKey(const NSString& key);
    // Stores the value, then posts NSUserDefaultsDidChangeNotification synchronously with this store
    // as its object, after the store's state is updated. Every call posts, changed or not.
    void setBool(bool value, const NSString& forKey);
    // Flushes the store to its file; true when the file now holds every value. Nothing is written
    // when nothing changed since the last successful flush.
    bool synchronize();

    const std::filesystem::path& path() const { return _path; }

private:
    struct PlistDeleter {
        void operator()(void* plist) const;
    };

    explicit NSUserDefaults(std::filesystem::path file);

    void loadIfNeeded();
    bool keepUnreadableFile();
    void removeLeftoverTemporaryFiles();

    std::filesystem::path _path;
    bool _loaded = false;
    bool _fileWasUnreadable = false;
    bool _hasUnsavedChanges = false;
    bool _leftoversRemoved = false;
    // The root dictionary of the property list (a libplist node).
    std::unique_ptr<void, PlistDeleter> _root;
};
