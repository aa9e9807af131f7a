#include "platform/foundation/NSUserDefaults.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSNotificationCenter.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <plist/plist.h>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {

// mkostemp replaces exactly this many trailing X's.
constexpr size_t kTemporarySuffixLength = 6;

std::shared_ptr<NSUserDefaults>& standardStore()
{
    static std::shared_ptr<NSUserDefaults> store;
    return store;
}

enum class ReadResult { Read, Missing, Failed };

ReadResult readWholeFile(const std::filesystem::path& path, std::string& bytes)
{
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;

    struct stat info { };
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)
        || static_cast<uint64_t>(info.st_size) > std::numeric_limits<uint32_t>::max()) {
        close(fd);
        return ReadResult::Failed;
    }

    bytes.clear();
    bytes.reserve(static_cast<size_t>(info.st_size));
    char buffer[16384];
    for (;;) {
        ssize_t count = read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            close(fd);
            return ReadResult::Failed;
        }
        if (!count)
            break;
        bytes.append(buffer, static_cast<size_t>(count));
        // libplist takes a 32-bit length; a file that grew past it since fstat is no preferences file.
        if (bytes.size() > std::numeric_limits<uint32_t>::max()) {
            close(fd);
            return ReadResult::Failed;
        }
    }
    close(fd);
    return ReadResult::Read;
}

bool writeAll(int fd, const char* data, size_t size)
{
    while (size) {
        ssize_t count = write(fd, data, size);
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

// Temporary files start with a dot and end in a random suffix, so that neither a reader of the
// folder nor the store itself can take one left by a crash for a preferences file.
std::string temporaryNamePrefix(const std::filesystem::path& file)
{
    return "." + file.filename().string() + ".";
}

// Writes the bytes to a new file beside `file` and flushes them to the disk. Returns the new
// file's path, or none after removing whatever it had made.
std::optional<std::filesystem::path> writeTemporaryFile(
    const std::filesystem::path& file, const char* data, size_t size)
{
    std::string pattern = (folderOf(file) / temporaryNamePrefix(file)).string();
    pattern.append(kTemporarySuffixLength, 'X');
    // mkostemp creates the file with mode 0600, which the preferences keep once it is renamed. The
    // descriptor must not leak into the shells the app starts.
    int fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    bool written = writeAll(fd, data, size) && fsync(fd) == 0;
    if (close(fd) != 0)
        written = false;
    if (!written) {
        unlink(pattern.c_str());
        return std::nullopt;
    }
    return std::filesystem::path(pattern);
}

// A rename is only durable once the folder that holds the name is on the disk too.
bool syncFolder(const std::filesystem::path& folder)
{
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool synced = fsync(fd) == 0;
    close(fd);
    return synced;
}

} // namespace

void NSUserDefaults::PlistDeleter::operator()(void* plist) const
{
    plist_free(static_cast<plist_t>(plist));
}

NSUserDefaults::NSUserDefaults(std::filesystem::path file)
    : _path(std::move(file))
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
    return std::shared_ptr<NSUserDefaults>(new NSUserDefaults(std::move(file)));
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
    if (_loaded)
        return;
    _loaded = true;
    _root.reset(plist_new_dict());

    std::string bytes;
    switch (readWholeFile(_path, bytes)) {
    case ReadResult::Missing:
        return;
    case ReadResult::Failed:
        _fileWasUnreadable = true;
        return;
    case ReadResult::Read:
        break;
    }

    plist_t parsed = nullptr;
    if (!bytes.empty())
        plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &parsed);
    if (!parsed || plist_get_node_type(parsed) != PLIST_DICT) {
        if (parsed)
            plist_free(parsed);
        _fileWasUnreadable = true;
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
    default:
        return false;
    }
}

void NSUserDefaults::setBool(bool value, const NSString& forKey)
{
    loadIfNeeded();
    plist_dict_set_item(_root.get(), forKey.utf8().c_str(), plist_new_bool(value));
    _hasUnsavedChanges = true;
    // Observers read the store back from their handlers, so the post comes last.
    NSNotificationCenter::defaultCenter().postNotificationName(NSUserDefaultsDidChangeNotification, this);
}

bool NSUserDefaults::synchronize()
{
    // Until something is set the file is exactly what the store holds, and leaving it alone keeps
    // an unreadable file where it is rather than replacing it with an empty dictionary.
    if (!_hasUnsavedChanges)
        return true;

    auto folder = folderOf(_path);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        return false;
    removeLeftoverTemporaryFiles();

    char* data = nullptr;
    uint32_t size = 0;
    plist_to_bin(_root.get(), &data, &size);
    if (!data)
        return false;
    auto temporary = writeTemporaryFile(_path, data, size);
    plist_to_bin_free(data);
    if (!temporary)
        return false;

    if ((_fileWasUnreadable && !keepUnreadableFile()) || rename(temporary->c_str(), _path.c_str()) != 0) {
        unlink(temporary->c_str());
        return false;
    }
    _fileWasUnreadable = false;
    if (!syncFolder(folder))
        return false;
    _hasUnsavedChanges = false;
    return true;
}

bool NSUserDefaults::keepUnreadableFile()
{
    auto corrupt = _path;
    corrupt += ".corrupt";
    struct stat info { };
    bool replacing = lstat(corrupt.c_str(), &info) == 0;
    // A second name for the old bytes leaves the preferences file itself in place until the new one
    // is renamed over it, so a crash in between still finds a file where the app looks. Where the
    // file system has no hard links, the old file moves instead.
    if (replacing && unlink(corrupt.c_str()) != 0 && errno != ENOENT)
        return false;
    if (link(_path.c_str(), corrupt.c_str()) != 0) {
        if (errno == ENOENT)
            return true;
        if (rename(_path.c_str(), corrupt.c_str()) != 0)
            return errno == ENOENT;
    }
    std::fprintf(stderr, "NSUserDefaults: %s could not be read; its bytes are kept as %s%s\n", _path.c_str(),
        corrupt.c_str(), replacing ? ", replacing an older copy" : "");
    return true;
}

void NSUserDefaults::removeLeftoverTemporaryFiles()
{
    // A process killed while writing leaves its temporary file behind. The store is the only writer
    // of its file, so any such file found before its first write belongs to a process that is gone.
    if (_leftoversRemoved)
        return;
    _leftoversRemoved = true;

    auto prefix = temporaryNamePrefix(_path);
    std::vector<std::filesystem::path> leftovers;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folderOf(_path), error), end; !error && it != end;
         it.increment(error)) {
        auto name = it->path().filename().string();
        if (name.size() == prefix.size() + kTemporarySuffixLength && name.starts_with(prefix))
            leftovers.push_back(it->path());
    }
    for (const auto& leftover : leftovers)
        std::filesystem::remove(leftover, error);
}
