#include "platform/foundation/NSUserDefaults.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/FileCalls.h"
#include "platform/foundation/NSNotificationCenter.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <plist/plist.h>
#include <string>
#include <sys/stat.h>

namespace {

std::shared_ptr<NSUserDefaults>& standardStore()
{
    static std::shared_ptr<NSUserDefaults> store;
    return store;
}

// errno as a message reads it: "no space left on device".
std::string errorText(int error)
{
    std::string text = std::strerror(error);
    if (!text.empty())
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

std::string errorText()
{
    return errorText(errno);
}

// TEXT for a line of a message: control characters, and bytes that are not UTF-8, are escaped so
// that a hostile name can neither end the line nor drive the terminal.
std::string printable(std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    bool utf8 = NSString::fromUTF8(text).has_value();
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        // C1 controls are U+0080 to U+009F: 0xC2 then 0x80 to 0x9F.
        bool c1 = utf8 && byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F;
        if (byte < 0x20 || byte == 0x7F || (!utf8 && byte >= 0x80) || c1) {
            out += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xF]};
            if (c1) {
                byte = static_cast<unsigned char>(text[++i]);
                out += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xF]};
            }
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

// The program's name as the process knows it (Zentrova, ZentrovaLegacy), bounded for a message.
std::string programName()
{
    constexpr size_t kLongest = 64;
    std::string_view name = program_invocation_short_name;
    return printable(name.substr(0, kLongest));
}

// What a path that is not a regular file names, for the message that refuses to save there.
std::string describeNonFile(mode_t mode)
{
    if (S_ISDIR(mode))
        return "it names a folder";
    if (S_ISFIFO(mode))
        return "it names a pipe";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "it names a device";
    if (S_ISSOCK(mode))
        return "it names a socket";
    return "it names no regular file";
}

// Why a path that names no regular file cannot be saved to.
std::string refusalFor(const PropertyListFile::Obstacle& obstacle)
{
    if (obstacle.error)
        return "it cannot be followed: " + errorText(obstacle.error);
    return describeNonFile(obstacle.mode);
}

} // namespace

NSUserDefaults::NSUserDefaults(std::filesystem::path file, std::shared_ptr<FileCalls> calls)
    : _path(file)
    , _calls(calls)
    , _file(file, calls)
    , _replacement(file, calls)
{
}

NSUserDefaults& NSUserDefaults::standardUserDefaults()
{
    auto& store = standardStore();
    if (!store)
        store = create(standardPreferencesPath());
    return *store;
}

void NSUserDefaults::resetStandardUserDefaults()
{
    standardStore().reset();
}

void NSUserDefaults::saveStandardUserDefaultsBeforeExit()
{
    if (auto& store = standardStore(); store && !store->_unsaved.empty())
        store->synchronize();
}

std::shared_ptr<NSUserDefaults> NSUserDefaults::create(std::filesystem::path file)
{
    return create(std::move(file), FileCalls::real());
}

std::shared_ptr<NSUserDefaults> NSUserDefaults::create(std::filesystem::path file, std::shared_ptr<FileCalls> calls)
{
    return std::shared_ptr<NSUserDefaults>(new NSUserDefaults(std::move(file), std::move(calls)));
}

std::filesystem::path NSUserDefaults::standardPreferencesPath()
{
    std::string path = "/var/mobile/Library/Preferences/";
    path += kBundleIdentifier;
    path += ".plist";
    return pathUnderDeviceRoot(path);
}

void NSUserDefaults::loadIfNeeded()
{
    // Another process (another run of the app, an editor, a tool) may have replaced the file since
    // it was read or written here: one stat tells, and only then is it read again.
    if (_loaded && !_file.changedSinceRead())
        return;
    _loaded = true;
    _root = _file.read();
    if (!_root)
        _root.reset(plist_new_dict());
    // What this process set and has not written yet stays set over whatever the file now says.
    for (auto& [key, value] : _unsaved)
        plist_dict_set_item(_root.get(), key.c_str(), plist_new_bool(value));
}

bool NSUserDefaults::boolForKey(const NSString& key)
{
    loadIfNeeded();
    plist_t item = plist_dict_get_item(_root.get(), key.utf8().c_str());
    if (!item)
        return false;
    switch (plist_get_node_type(item)) {
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(item, &value);
        return value;
    }
    case PLIST_UINT: {
        uint64_t value = 0;
        plist_get_uint_val(item, &value);
        return value;
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(item, &value);
        return value != 0;
    }
    case PLIST_STRING: {
        // By pointer and length: a string may hold a NUL, which plist_get_string_val asserts on.
        uint64_t length = 0;
        const char* value = plist_get_string_ptr(item, &length);
        return value && NSString(std::string_view(value, static_cast<size_t>(length))).boolValue();
    }
    default:
        return false;
    }
}

void NSUserDefaults::setBool(bool value, const NSString& forKey)
{
    loadIfNeeded();
    plist_dict_set_item(_root.get(), forKey.utf8().c_str(), plist_new_bool(value));
    _unsaved[forKey.utf8()] = value;
    // Observers read the store back from their handlers, so the post comes last.
    NSNotificationCenter::defaultCenter().postNotificationName(NSUserDefaultsDidChangeNotification, this);
}

bool NSUserDefaults::synchronize()
{
    // Until something is set the file is exactly what the store holds, and leaving it alone keeps
    // an unreadable file where it is rather than replacing it with an empty dictionary.
    if (_unsaved.empty())
        return true;
    auto failure = save();
    if (!failure)
        return true;
    std::fprintf(stderr, "%s: cannot save preferences to %s: %s\n", programName().c_str(), printable(_path.string()).c_str(),
        failure->c_str());
    std::fflush(stderr);
    return false;
}

std::optional<std::string> NSUserDefaults::save()
{
    auto target = _replacement.target();
    auto folder = AtomicFileReplacement::folderOf(target);
    auto failedWithFolder = [&](const char* what) {
        auto reason = errorText();
        return what + printable(folder.string()) + ": " + reason;
    };
    if (_calls->createFolders(folder) != 0)
        return failedWithFolder("cannot make the folder ");
    // Every writer, in this process or another, locks the folder in which the new file is renamed
    // into place, and holds the lock from reading the file again to the rename: otherwise two
    // writers that read the same file each replace it with their own values, and one set is lost.
    // Readers need no lock, since a rename shows them either the whole old or the whole new file.
    FileDescriptor lockedFolder(*_calls, _calls->open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (lockedFolder.fd() < 0)
        return failedWithFolder("cannot open the folder ");
    // Where the file system has no such locks, writing unlocked still beats not writing at all.
    if (_calls->lockExclusive(lockedFolder.fd()) != 0 && errno == EWOULDBLOCK)
        return "another program holds the lock on " + printable(folder.string()) + " and does not let go";

    // A process killed while writing leaves its temporary file behind, and no other writer holds
    // one while the lock is ours.
    _replacement.clearLeftovers(target);

    // Read again whatever stands there now, under the lock: keys another process wrote since the
    // file was read here are kept, not overwritten. The identity alone cannot tell, since a new
    // file may have the old one's inode, size and time.
    _loaded = false;
    loadIfNeeded();
    if (_file.found() == PropertyListFile::Found::NotAFile)
        return refusalFor(_file.obstacle());

    char* data = nullptr;
    uint32_t size = 0;
    plist_to_bin(_root.get(), &data, &size);
    if (!data)
        return "the values cannot be encoded";
    struct stat written { };
    auto temporary = _replacement.writeTemporaryFile(folder, data, size, &written);
    int error = errno;
    plist_to_bin_free(data);
    if (!temporary)
        return errorText(error);

    if (_file.mustBeSetAside()) {
        if (auto failure = setAsideFoundFile(target)) {
            _replacement.discard(*temporary);
            return failure;
        }
    }
    if (!_replacement.moveIntoPlace(*temporary, target))
        return errorText();
    // The file now is the one written here, which need not be read back.
    _file.replacedBy(written);
    // The rename is durable once the folder is: the locked descriptor is that folder's.
    if (_calls->fsync(lockedFolder.fd()) != 0)
        return errorText();
    _unsaved.clear();
    return std::nullopt;
}

std::optional<std::string> NSUserDefaults::setAsideFoundFile(const std::filesystem::path& target)
{
    using Outcome = PropertyListFile::SetAside::Outcome;
    auto setAside = _file.setAside(target, _replacement);
    switch (setAside.outcome) {
    case Outcome::Kept:
        std::fprintf(stderr, "NSUserDefaults: %s %s; it is kept as %s%s\n", printable(_path.string()).c_str(),
            _file.found() == PropertyListFile::Found::LossyPropertyList ? "holds text that a rewrite would change" : "could not be read",
            printable(setAside.keptAs.string()).c_str(), setAside.replacedOlderCopy ? ", replacing an older copy" : "");
        if (setAside.error)
            return errorText(setAside.error);
        return std::nullopt;
    case Outcome::Gone:
        return std::nullopt;
    case Outcome::CannotCopy:
        return "cannot keep a copy of what it holds: " + errorText(setAside.error);
    case Outcome::CannotInspect:
        return "cannot set it aside: " + errorText(setAside.error);
    case Outcome::ChangedMeanwhile:
        return "it changed while it was being saved";
    case Outcome::CannotMove:
        return "cannot set aside what it holds: " + errorText(setAside.error);
    }
    return std::nullopt;
}
