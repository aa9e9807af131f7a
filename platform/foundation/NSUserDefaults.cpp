#include "platform/foundation/NSUserDefaults.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/FileCalls.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/PropertyListLimits.h"

#include <cerrno>
#include <cstdlib>
#include <cstdio>
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

enum class ReadResult { Read, Missing, Failed };

ReadResult readWholeFile(FileCalls& calls, const std::filesystem::path& path, std::string& bytes, struct stat& info)
{
    // O_NONBLOCK: a pipe or a device put where the file should be must not hold up the launch.
    int fd = calls.open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    if (calls.fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || static_cast<uint64_t>(info.st_size) > kMaximumFileBytes) {
        calls.close(fd);
        return ReadResult::Failed;
    }
    bytes.clear();
    char buffer[16384];
    for (;;) {
        ssize_t count = calls.read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            calls.close(fd);
            return ReadResult::Failed;
        }
        if (!count)
            break;
        bytes.append(buffer, static_cast<size_t>(count));
        // The file may have grown since fstat.
        if (bytes.size() > kMaximumFileBytes) {
            calls.close(fd);
            return ReadResult::Failed;
        }
    }
    calls.close(fd);
    return ReadResult::Read;
}

bool looksLikeXML(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    auto first = bytes.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && bytes[first] == '<';
}

// The property list in BYTES when it is binary or XML and within the limits, else null.
plist_t parsePropertyList(const std::string& bytes)
{
    plist_t parsed = nullptr;
    if (bytes.starts_with("bplist00")) {
        if (binaryPropertyListIsWithinLimits(bytes))
            plist_from_bin(bytes.data(), static_cast<uint32_t>(bytes.size()), &parsed);
    } else if (looksLikeXML(bytes)) {
        if (xmlPropertyListIsWithinLimits(bytes))
            plist_from_xml(bytes.data(), static_cast<uint32_t>(bytes.size()), &parsed);
    }
    return parsed;
}

// Whether libplist reads back what it writes for PLIST. A parsed file can hold what its writer
// cannot represent (an "ASCII" string with bytes past 127, say), and a store that loaded such a file
// would write one that no later start can read, losing every value in it.
bool survivesRewrite(plist_t plist)
{
    char* data = nullptr;
    uint32_t size = 0;
    plist_to_bin(plist, &data, &size);
    if (!data)
        return false;
    plist_t again = nullptr;
    plist_from_bin(data, size, &again);
    plist_to_bin_free(data);
    bool readable = again && plist_get_node_type(again) == plist_get_node_type(plist);
    if (again)
        plist_free(again);
    return readable;
}

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
    _fileWasUnreadable = false;
    _unreadableBytes.reset();
    _root.reset(plist_new_dict());
    readFile();
    // What this process set and has not written yet stays set over whatever the file now says.
    for (auto& [key, value] : _unsaved)
        plist_dict_set_item(_root.get(), key.c_str(), plist_new_bool(value));
}

void NSUserDefaults::readFile()
{
    std::string bytes;
    struct stat info { };
    switch (readWholeFile(*_calls, _path, bytes, info)) {
    case ReadResult::Missing:
        return;
    case ReadResult::Failed:
        // Whatever stands there is remembered as it is, so an unreadable file is not tried again
        // and again until it changes.
        _fileIdentity = currentFileIdentity();
        _fileWasUnreadable = true;
        return;
    case ReadResult::Read:
        break;
    }
    _fileIdentity = FileIdentity::of(info);

    plist_t parsed = parsePropertyList(bytes);
    if (!parsed || plist_get_node_type(parsed) != PLIST_DICT || !survivesRewrite(parsed)) {
        if (parsed)
            plist_free(parsed);
        _fileWasUnreadable = true;
        _unreadableBytes = std::move(bytes);
        return;
    }
    _root.reset(parsed);
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
        char* value = nullptr;
        plist_get_string_val(item, &value);
        bool result = value && NSString(value).boolValue();
        std::free(value);
        return result;
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
    // the preferences to. Only the link itself is followed here; folders are taken as they are.
    // A link may name a file that does not exist yet, so the links are read one by one rather than
    // resolved as a whole; as the kernel does, a chain of more than 40 is given up on.
    constexpr int kMaximumLinks = 40;
    auto path = _path;
    std::error_code error;
    for (int hop = 0; hop < kMaximumLinks && std::filesystem::is_symlink(path, error); ++hop) {
        auto target = std::filesystem::read_symlink(path, error);
        if (error)
            return _path;
        path = target.is_absolute() ? target : folderOf(path) / target;
    }
    return path;
}

bool NSUserDefaults::synchronize()
{
    // Until something is set the file is exactly what the store holds, and leaving it alone keeps
    // an unreadable file where it is rather than replacing it with an empty dictionary.
    if (_unsaved.empty())
        return true;
    // Keys another process wrote since the file was read here are kept, not overwritten.
    loadIfNeeded();

    auto target = fileToReplace();
    auto folder = folderOf(target);
    if (_calls->createFolders(folder) != 0)
        return false;
    // A process killed while writing leaves its temporary file behind. A writer holds its own for the
    // few milliseconds of one flush, so any such file found before the first write here is taken
    // for one that a killed process left.
    // Copies set aside are made beside a link, the new file beside its target.
    if (!_leftoversRemoved) {
        _leftoversRemoved = true;
        removeLeftoverTemporaryFiles(folder);
        if (folderOf(_path) != folder)
            removeLeftoverTemporaryFiles(folderOf(_path));
    }

    char* data = nullptr;
    uint32_t size = 0;
    plist_to_bin(_root.get(), &data, &size);
    if (!data)
        return false;
    struct stat written { };
    auto temporary = writeTemporaryFile(folder, data, size, &written);
    plist_to_bin_free(data);
    if (!temporary)
        return false;

    if ((_fileWasUnreadable && !setAsideUnreadableFile(target)) || _calls->rename(*temporary, target) != 0) {
        _calls->unlink(*temporary);
        return false;
    }
    _fileWasUnreadable = false;
    _unreadableBytes.reset();
    // The file now is the one written here, which need not be read back.
    _fileIdentity = FileIdentity::of(written);
    if (!syncFolder(folder))
        return false;
    _unsaved.clear();
    return true;
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
        bool complete = writeAll(*_calls, fd, data, size) && _calls->fsync(fd) == 0
            && (!written || _calls->fstat(fd, written) == 0);
        if (_calls->close(fd) != 0)
            complete = false;
        if (!complete) {
            _calls->unlink(name);
            return std::nullopt;
        }
        return std::filesystem::path(name);
    }
    return std::nullopt;
}

// A rename is only durable once the folder that holds the name is on the disk too.
bool NSUserDefaults::syncFolder(const std::filesystem::path& folder)
{
    int fd = _calls->open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool synced = _calls->fsync(fd) == 0;
    _calls->close(fd);
    return synced;
}

bool NSUserDefaults::setAsideUnreadableFile(const std::filesystem::path& target)
{
    auto folder = folderOf(_path);
    auto nameFor = [&](int index) {
        auto name = _path;
        name += index ? ".corrupt-" + std::to_string(index + 1) : std::string(".corrupt");
        return name;
    };
    // Bytes that could be read are copied, so that the preferences file stays where the app looks
    // until the new one replaces it. Anything else (a folder, a pipe, a file that could not be
    // read) moves aside whole, since there is nothing to copy from it.
    std::optional<std::filesystem::path> copy;
    if (_unreadableBytes) {
        copy = writeTemporaryFile(folder, _unreadableBytes->data(), _unreadableBytes->size());
        if (!copy)
            return false;
    }
    const std::filesystem::path& moving = copy ? *copy : target;
    for (int index = 0; index < kSetAsideNames; ++index) {
        auto name = nameFor(index);
        struct stat info { };
        bool replacing = ::lstat(name.c_str(), &info) == 0;
        if (_calls->rename(moving, name) != 0) {
            // Nothing left to set aside: the file went away since it was read.
            if (errno == ENOENT && !copy)
                return true;
            continue;
        }
        std::fprintf(stderr, "NSUserDefaults: %s could not be read; it is kept as %s%s\n", _path.c_str(), name.c_str(),
            replacing ? ", replacing an older copy" : "");
        return syncFolder(folder);
    }
    if (copy)
        _calls->unlink(*copy);
    return false;
}

void NSUserDefaults::removeLeftoverTemporaryFiles(const std::filesystem::path& folder)
{
    auto prefix = temporaryNamePrefix(_path);
    for (const auto& name : _calls->list(folder)) {
        if (isTemporaryName(name, prefix))
            _calls->unlink(folder / name);
    }
}
