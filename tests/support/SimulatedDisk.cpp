#include "tests/support/SimulatedDisk.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>

void SimulatedDisk::addFolder(const std::string& path)
{
    _folders[path] = true;
}

void SimulatedDisk::addFile(const std::string& path, const std::string& bytes)
{
    auto node = std::make_shared<Node>(Node { bytes, bytes });
    _names[path] = node;
    _durableNames[path] = node;
}

std::optional<std::string> SimulatedDisk::contents(const std::string& path) const
{
    auto found = _names.find(path);
    if (found == _names.end())
        return std::nullopt;
    return found->second->data;
}

std::vector<std::string> SimulatedDisk::names(const std::string& folder) const
{
    std::vector<std::string> names;
    for (auto& [path, node] : _names) {
        if (parentOf(path) == folder)
            names.push_back(path.substr(folder.size() + 1));
    }
    return names;
}

std::shared_ptr<SimulatedDisk> SimulatedDisk::afterPowerLoss(Survival survival) const
{
    auto disk = std::make_shared<SimulatedDisk>();
    disk->_folders = _folders;
    std::map<const Node*, std::shared_ptr<Node>> copies;
    const auto& names = survival == Survival::OnlySynced ? _durableNames : _names;
    for (auto& [path, node] : names) {
        auto& copy = copies[node.get()];
        if (!copy)
            copy = std::make_shared<Node>(Node { node->durable, node->durable });
        disk->_names[path] = copy;
        disk->_durableNames[path] = copy;
    }
    return disk;
}

void SimulatedDisk::failCalls(std::string prefix, int error)
{
    _failingPrefix = std::move(prefix);
    _failingError = error;
}

bool SimulatedDisk::begin(std::string description)
{
    if (_poweredOff) {
        errno = EIO;
        return false;
    }
    if (!_failingPrefix.empty() && description.starts_with(_failingPrefix)) {
        _calls.push_back(std::move(description));
        errno = _failingError;
        return false;
    }
    _calls.push_back(std::move(description));
    if (_powerLossAfter && _calls.size() >= _powerLossAfter)
        _poweredOff = true;
    return true;
}

std::string SimulatedDisk::parentOf(const std::string& path)
{
    auto slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? "/" : path.substr(0, slash);
}

int SimulatedDisk::open(const std::string& path, int flags, mode_t)
{
    if (!begin("open " + path))
        return -1;
    Open open;
    if (flags & O_DIRECTORY) {
        if (!_folders.contains(path)) {
            errno = ENOENT;
            return -1;
        }
        open.folder = path;
    } else {
        auto found = _names.find(path);
        if (found != _names.end() && (flags & O_CREAT) && (flags & O_EXCL)) {
            errno = EEXIST;
            return -1;
        }
        if (found == _names.end()) {
            if (!(flags & O_CREAT)) {
                errno = ENOENT;
                return -1;
            }
            if (!_folders.contains(parentOf(path))) {
                errno = ENOENT;
                return -1;
            }
            found = _names.emplace(path, std::make_shared<Node>()).first;
        }
        open.node = found->second;
        if (flags & O_TRUNC) {
            open.node->data.clear();
            ++open.node->changes;
        }
    }
    int fd = _nextDescriptor++;
    _open[fd] = std::move(open);
    return fd;
}

ssize_t SimulatedDisk::read(int fd, void* buffer, size_t size)
{
    if (!begin("read"))
        return -1;
    auto& open = _open.at(fd);
    if (!open.node) {
        errno = EISDIR;
        return -1;
    }
    size_t count = std::min(size, open.node->data.size() - std::min(open.offset, open.node->data.size()));
    std::memcpy(buffer, open.node->data.data() + open.offset, count);
    open.offset += count;
    return static_cast<ssize_t>(count);
}

ssize_t SimulatedDisk::write(int fd, const void* data, size_t size)
{
    if (!begin("write " + std::to_string(size)))
        return -1;
    auto& open = _open.at(fd);
    auto& bytes = open.node->data;
    if (bytes.size() < open.offset + size)
        bytes.resize(open.offset + size);
    std::memcpy(bytes.data() + open.offset, data, size);
    open.offset += size;
    ++open.node->changes;
    return static_cast<ssize_t>(size);
}

int SimulatedDisk::fstat(int fd, struct stat* info)
{
    if (!begin("fstat"))
        return -1;
    describe(_open.at(fd).node.get(), info);
    return 0;
}

int SimulatedDisk::stat(const std::string& path, struct stat* info)
{
    return begin("stat " + path) ? describePath(path, info) : -1;
}

int SimulatedDisk::describePath(const std::string& path, struct stat* info) const
{
    if (auto found = _names.find(path); found != _names.end()) {
        describe(found->second.get(), info);
        return 0;
    }
    if (_folders.contains(path)) {
        describe(nullptr, info);
        return 0;
    }
    errno = ENOENT;
    return -1;
}

int SimulatedDisk::lstat(const std::string& path, struct stat* info)
{
    return begin("lstat " + path) ? describePath(path, info) : -1;
}

int SimulatedDisk::readLink(const std::string& path, std::string&)
{
    if (!begin("readLink " + path))
        return -1;
    errno = EINVAL;
    return -1;
}

// A file's identity is its node, its modification time the count of its changes.
void SimulatedDisk::describe(const Node* node, struct stat* info)
{
    *info = { };
    info->st_mode = node ? S_IFREG | 0600 : S_IFDIR | 0755;
    info->st_size = node ? static_cast<off_t>(node->data.size()) : 0;
    info->st_ino = static_cast<ino_t>(reinterpret_cast<uintptr_t>(node));
    info->st_mtim.tv_nsec = node ? node->changes : 0;
}

int SimulatedDisk::fsync(int fd)
{
    auto& open = _open.at(fd);
    if (!begin("fsync " + (open.node ? std::string("file") : open.folder)))
        return -1;
    if (open.node) {
        open.node->durable = open.node->data;
        return 0;
    }
    std::erase_if(_durableNames, [&](auto& entry) { return parentOf(entry.first) == open.folder; });
    for (auto& [path, node] : _names) {
        if (parentOf(path) == open.folder)
            _durableNames[path] = node;
    }
    return 0;
}

int SimulatedDisk::close(int fd)
{
    // Closing never fails, even without power: the descriptor goes either way.
    _open.erase(fd);
    return begin("close") ? 0 : -1;
}

int SimulatedDisk::rename(const std::string& from, const std::string& to)
{
    if (!begin("rename " + from + " " + to))
        return -1;
    auto found = _names.find(from);
    if (found == _names.end()) {
        errno = ENOENT;
        return -1;
    }
    if (_folders.contains(to)) {
        errno = EISDIR;
        return -1;
    }
    auto node = found->second;
    _names.erase(found);
    _names[to] = node;
    return 0;
}

int SimulatedDisk::unlink(const std::string& path)
{
    if (!begin("unlink " + path))
        return -1;
    if (!_names.erase(path)) {
        errno = ENOENT;
        return -1;
    }
    return 0;
}

int SimulatedDisk::createFolders(const std::string& path)
{
    if (!begin("createFolders " + path))
        return -1;
    _folders[path] = true;
    return 0;
}

int SimulatedDisk::lockExclusive(int fd)
{
    if (!begin("lock"))
        return -1;
    if (_lockHeldElsewhere) {
        errno = EWOULDBLOCK;
        return -1;
    }
    return 0;
}

std::vector<std::string> SimulatedDisk::list(const std::string& folder)
{
    if (!begin("list " + folder))
        return { };
    return names(folder);
}
