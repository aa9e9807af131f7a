#include "platform/foundation/AtomicFileReplacement.h"

#include "platform/foundation/FileCalls.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <string>
#include <string_view>

namespace {

// Temporary files are named .<file>.zentrova-tmp-XXXXXX: a dot-file that no reader takes for the
// file itself, with a marker that no user would put in a name, and six random characters.
constexpr std::string_view kTemporaryMarker = ".zentrova-tmp-";
constexpr size_t kTemporarySuffixLength = 6;
constexpr std::string_view kTemporaryAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

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

} // namespace

AtomicFileReplacement::AtomicFileReplacement(std::filesystem::path file, std::shared_ptr<FileCalls> calls)
    : _file(std::move(file))
    , _calls(std::move(calls))
{
}

std::filesystem::path AtomicFileReplacement::folderOf(const std::filesystem::path& file)
{
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

std::filesystem::path AtomicFileReplacement::target() const
{
    // Replacing a link with a file would cut whatever the user linked the file to. The links are
    // read one by one rather than resolved as a whole, since the last may name nothing yet. A chain
    // longer than the kernel follows is left as it is: reading has then found no file there.
    constexpr int kMaximumLinks = 40;
    auto path = _file;
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

void AtomicFileReplacement::clearLeftovers(const std::filesystem::path& target)
{
    if (_leftoversCleared)
        return;
    _leftoversCleared = true;
    // New files are made beside the target, copies set aside beside the file that names it.
    auto folder = folderOf(target);
    removeTemporaryFilesIn(folder);
    if (folderOf(_file) != folder)
        removeTemporaryFilesIn(folderOf(_file));
}

void AtomicFileReplacement::removeTemporaryFilesIn(const std::filesystem::path& folder)
{
    auto prefix = temporaryNamePrefix(_file);
    for (const auto& name : _calls->list(folder)) {
        if (isTemporaryName(name, prefix))
            _calls->unlink(folder / name);
    }
}

std::optional<std::filesystem::path> AtomicFileReplacement::writeTemporaryFile(
    const std::filesystem::path& folder, const char* data, size_t size, struct stat* written)
{
    std::string prefix = (folder / temporaryNamePrefix(_file)).string();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = prefix + randomSuffix();
        // Mode 0600, which the file keeps once renamed. The descriptor must not leak into the
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

bool AtomicFileReplacement::moveIntoPlace(const std::filesystem::path& temporary, const std::filesystem::path& target)
{
    if (_calls->rename(temporary, target) == 0)
        return true;
    int error = errno;
    discard(temporary);
    errno = error;
    return false;
}

void AtomicFileReplacement::discard(const std::filesystem::path& temporary)
{
    _calls->unlink(temporary);
}

bool AtomicFileReplacement::syncFolder(const std::filesystem::path& folder)
{
    FileDescriptor opened(*_calls, _calls->open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return opened.fd() >= 0 && _calls->fsync(opened.fd()) == 0;
}
