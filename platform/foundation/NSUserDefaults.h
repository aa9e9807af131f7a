#pragma once

#include "platform/foundation/AtomicFileReplacement.h"
#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"
#include "platform/foundation/PropertyListFile.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

class FileCalls;

// The per-application preference store, kept as a binary property list at
// <device root>/var/mobile/Library/Preferences/<bundle identifier>.plist (XML property lists are read
// too, in UTF-8 with or without a byte order mark, and in UTF-16). A key that was never written
// reads NO; no defaults are registered.
//
// The file is read on first use and the store is then served from memory. Other processes may write
// the file too (another run of either program, an editor, a property-list tool): every read first
// compares the file's identity and modification time with those of the file last read or written
// here, and reads it anew when they differ. Values set here and not yet flushed stay set over what
// the new file says; the flush then writes them together with every key the other writer left.
// Changes made by other processes post no notification. Everything the file held is kept, whatever
// its type, so a rewrite never drops keys that this app does not use itself.
//
// Only a regular file of at most 1 MiB is read, and its property list must stay within the bounds of
// PropertyListLimits.h before it is parsed. A path that names anything else (a folder, a pipe, a
// device, a socket, a loop of links) reads as no keys and is never opened, moved or replaced: every
// flush is refused. A regular file that cannot be read or parsed (too large, too deep, expanding too
// far, not a dictionary) reads as no keys too, and before the next write replaces it, it is set aside
// beside the preferences as <name>.plist.corrupt: its bytes are copied there when they could be
// read, and the file itself is moved there otherwise. So is a file whose text a rewrite would change
// (a string that is not valid UTF-8, say), though its keys are read. A name taken by something that
// is not a file is passed over for <name>.plist.corrupt-2 and so on; an older file under the chosen
// name is replaced, and a line on standard error says what happened.
//
// synchronize() is atomic and durable: it writes a temporary file in the same folder, fsyncs it,
// renames it over the old one and fsyncs the folder, so a power loss at any moment leaves either
// the old or the new file. Writers, in this process or another, take an advisory lock on that
// folder and hold it from reading the file again to the rename, so that two writers never lose each
// other's values; readers never take it. Where the preferences file is a symbolic link, the link
// stays and the file it names is replaced, in that file's own folder. Temporary files carry a
// marker in their name that no user would choose; those that a killed writer left behind are
// removed before the first write, and nothing else is.
//
// A flush that fails says so in one line on standard error, "<program>: cannot save preferences to
// <path>: <reason>"; the values stay in memory and the next flush tries again.
//
// PropertyListFile reads the file within those bounds and sets it aside; AtomicFileReplacement
// writes the new one. The store keeps the values, takes the lock and says what failed.
//
// The store belongs to the main thread.
class NSUserDefaults final : public NSObject {
public:
    ZENTROVA_CLASS_NAME(NSUserDefaults)

    // The store of the current device root, made on first use and kept for the process.
    static NSUserDefaults& standardUserDefaults();
    // Forgets the standard store so that the next call reads the file anew: what a restart of the
    // app does. Values that were not synchronized are lost, as they would be in a crash. For hosts
    // that change the device root, and for tests.
    static void resetStandardUserDefaults();
    // Flushes the standard store, when one was made and holds values that are not on the disk yet:
    // what the app does as it exits, so that a save that failed earlier is tried once more.
    static void saveStandardUserDefaultsBeforeExit();

    static std::shared_ptr<NSUserDefaults> create(std::filesystem::path file);
    // A store whose file calls go through CALLS, for tests that simulate the disk beneath it.
    static std::shared_ptr<NSUserDefaults> create(std::filesystem::path file, std::shared_ptr<FileCalls> calls);
    static std::filesystem::path standardPreferencesPath();

    // The stored boolean. A number stored under the key reads YES when it is not zero, as the
    // platform's number-to-boolean conversion does, and a string as NSString::boolValue reads it
    // ("YES", "true", "1" ...); any other type reads NO.
    bool boolForKey(const NSString& key);
    // Stores the value, then posts NSUserDefaultsDidChangeNotification synchronously with this store
    // as its object, after the store's state is updated. Every call posts, changed or not.
    void setBool(bool value, const NSString& forKey);
    // Flushes the store to its file; true when the file now holds every value. Nothing is written
    // when nothing changed since the last successful flush. A failure is said on standard error.
    bool synchronize();

    const std::filesystem::path& path() const { return _path; }

private:
    NSUserDefaults(std::filesystem::path file, std::shared_ptr<FileCalls> calls);

    // Reads the file on first use, and again whenever it has changed since.
    void loadIfNeeded();
    // Writes the store to its file: none, or the reason it could not.
    std::optional<std::string> save();
    std::optional<std::string> setAsideFoundFile(const std::filesystem::path& target);

    std::filesystem::path _path;
    std::shared_ptr<FileCalls> _calls;
    PropertyListFile _file;
    AtomicFileReplacement _replacement;
    bool _loaded = false;
    // The values set since the last successful flush.
    std::map<std::string, bool> _unsaved;
    // The root dictionary of the property list.
    OwnedPropertyList _root;
};
