#pragma once

#include "platform/foundation/FileCalls.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A disk in memory behind the file-call seam, for testing what a power loss leaves. Each file keeps
// what was written to it and, apart, what an fsync of it has made durable; each folder keeps its
// names and, apart, the names an fsync of the folder has made durable. The disk can lose power
// after any one call: every later call fails with EIO, and afterPowerLoss() gives the disk as it
// comes back up.
class SimulatedDisk final : public FileCalls {
public:
    enum class Survival {
        // Only what was fsynced survives: file contents and folder names alike.
        OnlySynced,
        // Every change of names reached the disk, in any order, but file contents only as far as
        // they were fsynced: a rename that overtakes the data it names.
        NamesButOnlySyncedData,
    };

    void addFolder(const std::string& path);
    // A file that is on the disk, durably.
    void addFile(const std::string& path, const std::string& bytes);
    std::optional<std::string> contents(const std::string& path) const;
    std::vector<std::string> names(const std::string& folder) const;

    // Loses power right after the given call (counted from 1); 0 never.
    void losePowerAfterCall(size_t call) { _powerLossAfter = call; }
    size_t callCount() const { return _calls.size(); }
    const std::vector<std::string>& calls() const { return _calls; }
    std::shared_ptr<SimulatedDisk> afterPowerLoss(Survival survival) const;
    // Every later call whose description (as calls() shows it) starts with PREFIX fails with
    // ERROR, until failing is set to an empty prefix.
    void failCalls(std::string prefix, int error);
    // Another process holds the lock on every folder: lockExclusive gives up with EWOULDBLOCK.
    void holdLockElsewhere(bool held) { _lockHeldElsewhere = held; }

    int open(const std::string& path, int flags, mode_t mode) override;
    ssize_t read(int fd, void* buffer, size_t size) override;
    ssize_t write(int fd, const void* data, size_t size) override;
    int fstat(int fd, struct stat* info) override;
    int stat(const std::string& path, struct stat* info) override;
    // The disk has no symbolic links: lstat is stat, and readLink always fails with EINVAL.
    int lstat(const std::string& path, struct stat* info) override;
    int readLink(const std::string& path, std::string& target) override;
    int fsync(int fd) override;
    int close(int fd) override;
    int rename(const std::string& from, const std::string& to) override;
    int unlink(const std::string& path) override;
    int createFolders(const std::string& path) override;
    std::vector<std::string> list(const std::string& folder) override;
    int lockExclusive(int fd) override;

private:
    struct Node {
        std::string data;
        std::string durable;
        // Counts the changes of the data: the file's modification time.
        long changes = 0;
    };
    static void describe(const Node* node, struct stat* info);
    int describePath(const std::string& path, struct stat* info) const;
    struct Open {
        std::shared_ptr<Node> node;
        std::string folder;
        size_t offset = 0;
    };

    // Records the call; false, with errno EIO, once the power is gone, or with the error of
    // failCalls when it matches.
    bool begin(std::string description);
    static std::string parentOf(const std::string& path);

    std::map<std::string, bool> _folders;
    std::map<std::string, std::shared_ptr<Node>> _names;
    std::map<std::string, std::shared_ptr<Node>> _durableNames;
    std::map<int, Open> _open;
    int _nextDescriptor = 3;
    size_t _powerLossAfter = 0;
    bool _poweredOff = false;
    std::string _failingPrefix;
    int _failingError = 0;
    bool _lockHeldElsewhere = false;
    std::vector<std::string> _calls;
};
