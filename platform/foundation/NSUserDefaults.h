#pragma once

#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>

// The per-application preference store, kept as a binary property list at
// <device root>/var/mobile/Library/Preferences/<bundle identifier>.plist (XML property lists are read
// too). A key that was never written reads NO; no defaults are registered.
//
// synchronize() is atomic and durable: it writes a temporary file in the same folder, fsyncs it,
// renames it over the old one and fsyncs the folder, so a crash at any moment leaves either the old
// or the new file. A file that cannot be read or parsed reads as no keys, and before the next write
// replaces it, its bytes are kept beside it as <name>.plist.corrupt.
class NSUserDefaults final : public NSObject {
public:
    ZENTROVA_CLASS_NAME(NSUserDefaults)

    // The store of the current device root, made on first use and kept for the process.
    static NSUserDefaults& standardUserDefaults();
    // Forgets the standard store so that the next call reads the file anew: what a restart of the
    // app does. For hosts that change the device root, and for tests.
    static void resetStandardUserDefaults();

    static std::shared_ptr<NSUserDefaults> create(std::filesystem::path file);
    static std::filesystem::path standardPreferencesPath();

    bool boolForKey(const NSString& key);
    // Stores the value, then posts NSUserDefaultsDidChangeNotification synchronously, after the
    // store's state is updated.
    void setBool(bool value, const NSString& forKey);
    // Flushes the store to its file; true when the file now holds every value.
    bool synchronize();

    const std::filesystem::path& path() const { return _path; }

private:
    explicit NSUserDefaults(std::filesystem::path file);

    void loadIfNeeded();

    std::filesystem::path _path;
    bool _loaded = false;
    bool _fileWasUnreadable = false;
    std::map<std::string, bool> _values;
};
