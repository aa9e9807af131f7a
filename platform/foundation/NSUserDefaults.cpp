#include "platform/foundation/NSUserDefaults.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/FileCalls.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/PropertyListLimits.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <plist/plist.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t kMaximumFileBytes = 1 << 20;
// Temporary files are named .<file>.zentrova-tmp-XXXXXX: a dot-file that no reader takes for the
// preferences, with a marker that no user would put in a name, and six random characters.
constexpr std::string_view kTemporaryMarker = ".zentrova-tmp-";
constexpr size_t kTemporarySuffixLength = 6;
constexpr std::string_view kTemporaryAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int kSetAsideNames = 10;

std::shared_ptr<NSUserDefaults>& standardStore()
{
    static std::shared_ptr<NSUserDefaults> store;
    return store;
}

// The text of an XML property list as UTF-8 without a byte order mark, which is what libplist
// reads: UTF-16 (with a byte order mark, or starting with "<" in either byte order) is converted
// strictly. None when the UTF-16 is broken: an odd length or an unpaired surrogate.
std::optional<std::string> xmlAsUTF8(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return std::string(bytes.substr(3));
    bool bigEndian;
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with(std::string_view("<\0", 2))) {
        bigEndian = false;
    } else if (bytes.starts_with("\xFE\xFF") || bytes.starts_with(std::string_view("\0<", 2))) {
        bigEndian = true;
    } else {
        return std::string(bytes);
    }
    if (bytes[0] != '<' && bytes[1] != '<')
        bytes.remove_prefix(2);
    if (bytes.size() % 2)
        return std::nullopt;
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (size_t i = 0; i < bytes.size(); i += 2) {
        auto first = static_cast<unsigned char>(bytes[i]), second = static_cast<unsigned char>(bytes[i + 1]);
        units.push_back(static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first));
    }
    for (size_t i = 0; i < units.size(); ++i) {
        bool high = units[i] >= 0xD800 && units[i] <= 0xDBFF, low = units[i] >= 0xDC00 && units[i] <= 0xDFFF;
        if (low || (high && (i + 1 == units.size() || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF)))
            return std::nullopt;
        i += high;
    }
    return NSString(std::move(units)).utf8();
}

bool looksLikeXML(std::string_view text)
{
    auto first = text.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && text[first] == '<';
}

// The property list in BYTES when it is binary or XML and within the limits, else null. LOSSY says
// whether libplist read some of its text changed: bytes that are not UTF-8 in an XML list, say.
plist_t parsePropertyList(const std::string& bytes, bool& lossy)
{
    plist_t parsed = nullptr;
    if (bytes.starts_with("bplist00")) {
        if (binaryPropertyListIsWithinLimits(bytes)) {
            plist_from_bin(bytes.data(), static_cast<uint32_t>(bytes.size()), &parsed);
            lossy = !binaryPropertyListTextIsWellFormed(bytes);
        }
        return parsed;
    }
    auto text = xmlAsUTF8(bytes);
    if (text && looksLikeXML(*text) && xmlPropertyListIsWithinLimits(*text)) {
        plist_from_xml(text->data(), static_cast<uint32_t>(text->size()), &parsed);
        lossy = !NSString::fromUTF8(*text) || text->find('\0') != std::string::npos;
    }
    return parsed;
}

std::string xmlOf(plist_t plist)
{
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(plist, &xml, &length);
    std::string text = xml ? std::string(xml, length) : std::string();
    plist_to_xml_free(xml);
    return text;
}

enum class Rewrite { Faithful, Lossy, Unreadable };

// What a rewrite of PLIST would give. A parsed file can hold what libplist's writer cannot
// represent: an "ASCII" string with bytes past 127 is written so that no later start can read it,
// and text that is not UTF-8 comes back changed.
Rewrite rewriteOf(plist_t plist)
{
    char* data = nullptr;
    uint32_t size = 0;
    plist_to_bin(plist, &data, &size);
    if (!data)
        return Rewrite::Unreadable;
    plist_t again = nullptr;
    plist_from_bin(data, size, &again);
    plist_to_bin_free(data);
    if (!again)
        return Rewrite::Unreadable;
    auto result = plist_get_node_type(again) != plist_get_node_type(plist) ? Rewrite::Unreadable
        : xmlOf(again) != xmlOf(plist)                                     ? Rewrite::Lossy
                                                                           : Rewrite::Faithful;
    plist_free(again);
    return result;
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

// A descriptor of the file calls, closed when it goes.
class Descriptor {
public:
    Descriptor(FileCalls& calls, int fd)
        : _calls(calls)
        , _fd(fd)
    {
    }
    ~Descriptor()
    {
        if (_fd >= 0)
            _calls.close(_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int fd() const { return _fd; }

private:
    FileCalls& _calls;
    int _fd;
};

bool writeAll(FileCalls& calls, int fd, const char* data, size_t size)
{
    while (size) {
        ssize_t count = calls.write(fd, data, size);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        data += count;
        size -= static_cast<size_t>(count);
    }
    return true;
}

// The folder that holds the file; a bare file name lives in the working directory.
std::filesystem::path folderOf(const std::filesystem::path& file)
{
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

std::string temporaryNamePrefix(const std::filesystem::path& file)
{
    return "." + file.filename().string() + std::string(kTemporaryMarker);
}

bool isTemporaryName(const std::string& name, const std::string& prefix)
{
    if (name.size() != prefix.size() + kTemporarySuffixLength || !name.starts_with(prefix))
        return false;
    return name.find_first_not_of(kTemporaryAlphabet, prefix.size()) == std::string::npos;
}

std::string randomSuffix()
{
    static std::mt19937_64 generator { std::random_device {}() };
    std::uniform_int_distribution<size_t> pick(0, kTemporaryAlphabet.size() - 1);
    std::string suffix;
    for (size_t i = 0; i < kTemporarySuffixLength; ++i)
        suffix += kTemporaryAlphabet[pick(generator)];
    return suffix;
}

} // namespace

NSUserDefaults::FileIdentity NSUserDefaults::FileIdentity::of(const struct stat& info)
{
    return { true, info.st_dev, info.st_ino, info.st_size, info.st_mtim.tv_sec, info.st_mtim.tv_nsec };
}

void NSUserDefaults::PlistDeleter::operator()(void* plist) const
{
    plist_free(static_cast<plist_t>(plist));
}

NSUserDefaults::NSUserDefaults(std::filesystem::path file, std::shared_ptr<FileCalls> calls)
    : _path(std::move(file))
    , _calls(std::move(calls))
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

NSUserDefaults::FileIdentity NSUserDefaults::currentFileIdentity() const
{
    struct stat info { };
    if (_calls->stat(_path, &info) != 0)
        return { };
    return FileIdentity::of(info);
}

void NSUserDefaults::loadIfNeeded()
{
    if (_loaded) {
        // Another process (another run of the app, an editor, a tool) may have replaced the file
        // since it was read or written here: one stat tells, and only then is it read again.
        if (currentFileIdentity() == _fileIdentity)
            return;
    }
    _loaded = true;
    _fileIdentity = { };
    _found = Found::Nothing;
    _foundBytes.reset();
    _notAFileReason.clear();
    _root.reset(plist_new_dict());
    readFile();
    // What this process set and has not written yet stays set over whatever the file now says.
    for (auto& [key, value] : _unsaved)
        plist_dict_set_item(_root.get(), key.c_str(), plist_new_bool(value));
}

void NSUserDefaults::readFile()
{
    // Only a regular file is opened: a pipe would block, a device could be anything, and a folder
    // holds the user's files, none of which is ours to read, move or replace.
    struct stat info { };
    if (_calls->stat(_path, &info) != 0) {
        // Nothing there, or a link to nothing yet: the first write makes the file.
        if (errno == ENOENT)
            return;
        _found = Found::NotAFile;
        _notAFileReason = "it cannot be followed: " + errorText();
        return;
    }
    // Taken from the stat of the path, then from the open file, which may have replaced it since.
    auto isRegularFile = [this](const struct stat& info) {
        _fileIdentity = FileIdentity::of(info);
        if (S_ISREG(info.st_mode))
            return true;
        _found = Found::NotAFile;
        _notAFileReason = describeNonFile(info.st_mode);
        return false;
    };
    if (!isRegularFile(info))
        return;
    _found = Found::UnreadableFile;
    if (static_cast<uint64_t>(info.st_size) > kMaximumFileBytes)
        return;
    // O_NONBLOCK: whatever may have taken the file's place since the stat must not hold up the launch.
    Descriptor file(*_calls, _calls->open(_path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.fd() < 0) {
        if (errno == ENOENT)
            _found = Found::Nothing;
        return;
    }
    if (_calls->fstat(file.fd(), &info) != 0 || !isRegularFile(info))
        return;
    std::string bytes;
    char buffer[16384];
    for (;;) {
        ssize_t count = _calls->read(file.fd(), buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return;
        if (!count)
            break;
        bytes.append(buffer, static_cast<size_t>(count));
        // The file may have grown since fstat.
        if (bytes.size() > kMaximumFileBytes)
            return;
    }

    bool lossy = false;
    plist_t parsed = parsePropertyList(bytes, lossy);
    auto rewrite = parsed && plist_get_node_type(parsed) == PLIST_DICT ? rewriteOf(parsed) : Rewrite::Unreadable;
    if (rewrite == Rewrite::Unreadable) {
        if (parsed)
            plist_free(parsed);
        _found = Found::Unparsable;
        _foundBytes = std::move(bytes);
        return;
    }
    _root.reset(parsed);
    if (lossy || rewrite == Rewrite::Lossy) {
        _found = Found::LossyPreferences;
        _foundBytes = std::move(bytes);
        return;
    }
    _found = Found::Preferences;
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

std::filesystem::path NSUserDefaults::fileToReplace() const
{
    // Through a symbolic link: replacing the link with a file would cut whatever the user linked
    // the preferences to. A link may name a file that does not exist yet, so the links are read
    // one by one rather than resolved as a whole. A chain longer than the kernel follows is left
    // as it is; reading the file has then found no file, and nothing is written.
    constexpr int kMaximumLinks = 40;
    auto path = _path;
    for (int hop = 0; hop < kMaximumLinks; ++hop) {
        struct stat info { };
        std::string target;
        if (_calls->lstat(path, &info) != 0 || !S_ISLNK(info.st_mode) || _calls->readLink(path, target) != 0)
            break;
        std::filesystem::path next(target);
        path = next.is_absolute() ? next : folderOf(path) / next;
    }
    return path;
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
    auto target = fileToReplace();
    auto folder = folderOf(target);
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
    Descriptor lockedFolder(*_calls, _calls->open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (lockedFolder.fd() < 0)
        return failedWithFolder("cannot open the folder ");
    // Where the file system has no such locks, writing unlocked still beats not writing at all.
    if (_calls->lockExclusive(lockedFolder.fd()) != 0 && errno == EWOULDBLOCK)
        return "another program holds the lock on " + printable(folder.string()) + " and does not let go";

    // A process killed while writing leaves its temporary file behind, and no other writer holds
    // one while the lock is ours. Copies set aside are made beside a link, the new file beside its
    // target.
    if (!_leftoversRemoved) {
        _leftoversRemoved = true;
        removeLeftoverTemporaryFiles(folder);
        if (folderOf(_path) != folder)
            removeLeftoverTemporaryFiles(folderOf(_path));
    }

    // Read again whatever stands there now, under the lock: keys another process wrote since the
    // file was read here are kept, not overwritten. The identity alone cannot tell, since a new
    // file may have the old one's inode, size and time.
    _loaded = false;
    loadIfNeeded();
    if (_found == Found::NotAFile)
        return _notAFileReason;

    char* data = nullptr;
    uint32_t size = 0;
    plist_to_bin(_root.get(), &data, &size);
    if (!data)
        return "the values cannot be encoded";
    struct stat written { };
    auto temporary = writeTemporaryFile(folder, data, size, &written);
    int error = errno;
    plist_to_bin_free(data);
    if (!temporary)
        return errorText(error);

    if (_found == Found::LossyPreferences || _found == Found::Unparsable || _found == Found::UnreadableFile) {
        if (auto failure = setAsideFoundFile(target)) {
            _calls->unlink(*temporary);
            return failure;
        }
    }
    if (_calls->rename(*temporary, target) != 0) {
        error = errno;
        _calls->unlink(*temporary);
        return errorText(error);
    }
    _found = Found::Preferences;
    _foundBytes.reset();
    // The file now is the one written here, which need not be read back.
    _fileIdentity = FileIdentity::of(written);
    if (_calls->fsync(lockedFolder.fd()) != 0)
        return errorText();
    _unsaved.clear();
    return std::nullopt;
}

std::optional<std::filesystem::path> NSUserDefaults::writeTemporaryFile(
    const std::filesystem::path& folder, const char* data, size_t size, struct stat* written)
{
    std::string prefix = (folder / temporaryNamePrefix(_path)).string();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = prefix + randomSuffix();
        // Mode 0600, which the preferences keep once renamed. The descriptor must not leak into the
        // shells the app starts, and a name that is taken, even by a link, is never opened.
        int fd = _calls->open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return std::nullopt;
        int error = 0;
        if (!writeAll(*_calls, fd, data, size) || _calls->fsync(fd) != 0 || (written && _calls->fstat(fd, written) != 0))
            error = errno;
        if (_calls->close(fd) != 0 && !error)
            error = errno;
        if (error) {
            _calls->unlink(name);
            errno = error;
            return std::nullopt;
        }
        return std::filesystem::path(name);
    }
    errno = EEXIST;
    return std::nullopt;
}

// A rename is only durable once the folder that holds the name is on the disk too.
bool NSUserDefaults::syncFolder(const std::filesystem::path& folder)
{
    Descriptor opened(*_calls, _calls->open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return opened.fd() >= 0 && _calls->fsync(opened.fd()) == 0;
}

std::optional<std::string> NSUserDefaults::setAsideFoundFile(const std::filesystem::path& target)
{
    auto folder = folderOf(_path);
    auto nameFor = [&](int index) {
        auto name = _path;
        name += index ? ".corrupt-" + std::to_string(index + 1) : std::string(".corrupt");
        return name;
    };
    // Bytes that could be read are copied, so that the preferences file stays where the app looks
    // until the new one replaces it. A regular file that could not be read moves aside whole, and
    // only while it still is the file that was found.
    std::optional<std::filesystem::path> copy;
    if (_foundBytes) {
        copy = writeTemporaryFile(folder, _foundBytes->data(), _foundBytes->size());
        if (!copy)
            return "cannot keep a copy of what it holds: " + errorText();
    } else {
        struct stat info { };
        if (_calls->lstat(target, &info) != 0)
            return errno == ENOENT ? std::nullopt : std::optional("cannot set it aside: " + errorText());
        auto now = FileIdentity::of(info);
        if (!S_ISREG(info.st_mode) || now.device != _fileIdentity.device || now.inode != _fileIdentity.inode)
            return "it changed while it was being saved";
    }
    const std::filesystem::path& moving = copy ? *copy : target;
    int error = 0;
    for (int index = 0; index < kSetAsideNames; ++index) {
        auto name = nameFor(index);
        struct stat info { };
        bool replacing = _calls->lstat(name, &info) == 0;
        if (_calls->rename(moving, name) != 0) {
            // Nothing left to set aside: the file went away since it was read.
            if (errno == ENOENT && !copy)
                return std::nullopt;
            error = errno;
            continue;
        }
        std::fprintf(stderr, "NSUserDefaults: %s %s; it is kept as %s%s\n", printable(_path.string()).c_str(),
            _found == Found::LossyPreferences ? "holds text that a rewrite would change" : "could not be read",
            printable(name.string()).c_str(), replacing ? ", replacing an older copy" : "");
        if (!syncFolder(folder))
            return errorText();
        return std::nullopt;
    }
    if (copy)
        _calls->unlink(*copy);
    return "cannot set aside what it holds: " + errorText(error);
}

void NSUserDefaults::removeLeftoverTemporaryFiles(const std::filesystem::path& folder)
{
    auto prefix = temporaryNamePrefix(_path);
    for (const auto& name : _calls->list(folder)) {
        if (isTemporaryName(name, prefix))
            _calls->unlink(folder / name);
    }
}
