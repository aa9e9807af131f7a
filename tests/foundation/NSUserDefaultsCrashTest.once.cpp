#include "platform/foundation/NSUserDefaults.h"

#include "tests/support/PlistFiles.h"
#include "tests/support/TempDir.h"

#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <gtest/gtest.h>
#include <random>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Each write stores a counter as one boolean per bit, plus "k", which flips with every write. The
// file therefore tells exactly which write it holds, with booleans alone.
constexpr int kCounterBits = 16;

std::string bitKey(int bit)
{
    return "b" + std::to_string(bit);
}

uint32_t counterIn(NSUserDefaults& store)
{
    uint32_t counter = 0;
    for (int bit = 0; bit < kCounterBits; ++bit)
        counter |= static_cast<uint32_t>(store.boolForKey(bitKey(bit))) << bit;
    return counter;
}

bool readExactly(int fd, void* buffer, size_t size)
{
    auto* bytes = static_cast<char*>(buffer);
    while (size) {
        ssize_t count = read(fd, bytes, size);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        bytes += count;
        size -= static_cast<size_t>(count);
    }
    return true;
}

// The child reports the counter it found, then every counter it has synchronized, and writes until
// it is killed.
[[noreturn]] void runWriter(const fs::path& file, int reportFd)
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    auto store = NSUserDefaults::create(file);
    uint32_t counter = counterIn(*store);
    if (write(reportFd, &counter, sizeof counter) != sizeof counter)
        _exit(2);
    for (;;) {
        ++counter;
        for (int bit = 0; bit < kCounterBits; ++bit)
            store->setBool(counter & (1u << bit), bitKey(bit));
        store->setBool(counter & 1, "k");
        if (!store->synchronize())
            _exit(3);
        if (write(reportFd, &counter, sizeof counter) != sizeof counter)
            _exit(4);
    }
}

// Whether the file parses as a dictionary that still holds the key the writer never touches.
bool isDictionaryKeepingOtherKeys(const fs::path& file)
{
    auto plist = readPlistFile(file);
    if (!plist || plist_get_node_type(plist.get()) != PLIST_DICT)
        return false;
    plist_t kept = plist_dict_get_item(plist.get(), "kept");
    return kept && plist_get_node_type(kept) == PLIST_STRING;
}

TEST(NSUserDefaultsCrash, KilledWriterAlwaysLeavesAWrittenValue)
{
    TempDir dir;
    auto folder = dir.path() / "Preferences";
    auto file = folder / "test.plist";
    fs::create_directories(folder);
    {
        PlistPtr seed(plist_new_dict());
        plist_dict_set_item(seed.get(), "kept", plist_new_string("by another version"));
        writeFileBytes(file, binaryPlistBytes(seed.get()));
    }

    std::mt19937 random(20240611);
    // Delays spread evenly over the orders of magnitude from 1 us to about 3 ms, so that kills land
    // in every phase of a write, not only in the slowest one.
    std::uniform_real_distribution<double> magnitude(0, std::log2(3000.0));
    constexpr int kRounds = 240;
    uint32_t counter = 0;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        int report[2];
        ASSERT_EQ(pipe(report), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (!child) {
            close(report[0]);
            runWriter(file, report[1]);
        }
        close(report[1]);

        uint32_t started = 0;
        ASSERT_TRUE(readExactly(report[0], &started, sizeof started)) << "the writer died before reading";
        EXPECT_EQ(started, counter) << "the store read something else than the file holds";
        uint32_t completed = started;
        // Some rounds let a write finish first, so that the writes move on however slow the disk is.
        if (round % 4 == 0) {
            ASSERT_TRUE(readExactly(report[0], &completed, sizeof completed));
        }

        long delay = std::lround(std::exp2(magnitude(random)));
        timespec pause { 0, delay * 1000 };
        nanosleep(&pause, nullptr);
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the writer failed: " << status;
        for (uint32_t next = 0; readExactly(report[0], &next, sizeof next);)
            completed = next;
        close(report[0]);

        // The last reported write is on the disk; the one after it may have been renamed into place
        // just before the kill.
        ASSERT_TRUE(isDictionaryKeepingOtherKeys(file));
        auto store = NSUserDefaults::create(file);
        counter = counterIn(*store);
        ASSERT_TRUE(counter == completed || counter == completed + 1)
            << "file holds " << counter << ", last completed write " << completed;
        EXPECT_EQ(store->boolForKey("k"), static_cast<bool>(counter & 1));
        EXPECT_EQ(readFileBytes(file).substr(0, 8), "bplist00");

        // A write cut short leaves at most its own temporary file, which the next writer removes;
        // nothing else appears beside the store.
        int temporaries = 0;
        for (const auto& entry : fs::directory_iterator(folder)) {
            auto name = entry.path().filename().string();
            if (name == "test.plist")
                continue;
            EXPECT_TRUE(name.starts_with(".test.plist.zentrova-tmp-") && name.size() == 31) << name;
            ++temporaries;
        }
        EXPECT_LE(temporaries, 1);
    }
    EXPECT_GE(counter, static_cast<uint32_t>(kRounds / 4));
}

TEST(NSUserDefaultsCrash, KilledWhileSettingAsideAnUnreadableFileLosesNoneOfItsBytes)
{
    TempDir dir;
    auto folder = dir.path() / "Preferences";
    auto file = folder / "test.plist";
    auto setAside = folder / "test.plist.corrupt";
    fs::create_directories(folder);
    // Large enough that copying it aside takes a while, so that kills land inside the copy.
    std::mt19937 random(20261208);
    std::string garbage(256 << 10, '\0');
    for (auto& byte : garbage)
        byte = static_cast<char>(random());

    // Kills are spread over the time one whole write takes on this disk, and a little beyond.
    writeFileBytes(file, garbage);
    auto started = std::chrono::steady_clock::now();
    {
        auto store = NSUserDefaults::create(file);
        store->setBool(true, "k");
        ASSERT_TRUE(store->synchronize());
    }
    auto took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
    std::uniform_int_distribution<long> delays(0, took.count() * 3 / 2 + 1);
    constexpr int kRounds = 80;
    int replaced = 0;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        fs::remove(setAside);
        writeFileBytes(file, garbage);
        int report[2];
        ASSERT_EQ(pipe(report), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (!child) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            close(report[0]);
            char ready = 'r';
            if (write(report[1], &ready, 1) != 1)
                _exit(2);
            auto store = NSUserDefaults::create(file);
            store->setBool(true, "k");
            char done = store->synchronize() ? 'y' : 'n';
            if (write(report[1], &done, 1) != 1)
                _exit(3);
            for (;;)
                pause();
        }
        close(report[1]);
        char ready = 0;
        ASSERT_TRUE(readExactly(report[0], &ready, 1));
        long delay = delays(random);
        timespec pause { delay / 1000000, (delay % 1000000) * 1000 };
        nanosleep(&pause, nullptr);
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        char done = 0;
        bool finished = readExactly(report[0], &done, 1);
        close(report[0]);
        EXPECT_TRUE(!finished || done == 'y');

        // The unreadable bytes are where they were, or the new file is in place and they are set aside.
        auto bytes = readFileBytes(file);
        if (bytes == garbage) {
            EXPECT_FALSE(finished);
        } else {
            ++replaced;
            EXPECT_TRUE(NSUserDefaults::create(file)->boolForKey("k"));
            EXPECT_EQ(readFileBytes(setAside), garbage);
        }

        // The next start writes, and whatever the killed one left is gone.
        auto store = NSUserDefaults::create(file);
        store->setBool(true, "k");
        ASSERT_TRUE(store->synchronize());
        EXPECT_EQ(readFileBytes(setAside), garbage);
        for (const auto& entry : fs::directory_iterator(folder)) {
            auto name = entry.path().filename().string();
            EXPECT_TRUE(name == "test.plist" || name == "test.plist.corrupt") << name;
        }
    }
    // Some kills came before the replacement and some after it.
    EXPECT_GT(replaced, 0);
    EXPECT_LT(replaced, kRounds);
}

TEST(NSUserDefaultsProcesses, TwoWritersAtOnceKeepEachOthersLatestValue)
{
    TempDir dir;
    auto file = dir.path() / "Preferences" / "test.plist";
    int go[2], done[2];
    ASSERT_EQ(pipe(go), 0);
    ASSERT_EQ(pipe(done), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (!child) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        close(go[1]);
        close(done[0]);
        auto store = NSUserDefaults::create(file);
        char signal = 0;
        for (int round = 0; readExactly(go[0], &signal, 1); ++round) {
            store->setBool(round & 1, "child");
            char saved = store->synchronize() ? 'y' : 'n';
            if (write(done[1], &saved, 1) != 1)
                _exit(2);
        }
        _exit(0);
    }
    close(go[0]);
    close(done[1]);

    // Each round both flip their own key at the same moment; the file must then hold both.
    auto rounds = [&] {
        auto store = NSUserDefaults::create(file);
        constexpr int kRounds = 250;
        for (int round = 0; round < kRounds; ++round) {
            SCOPED_TRACE(testing::Message() << "round " << round);
            ASSERT_EQ(write(go[1], "g", 1), 1);
            store->setBool(round & 1, "parent");
            ASSERT_TRUE(store->synchronize());
            char saved = 0;
            ASSERT_TRUE(readExactly(done[0], &saved, 1));
            ASSERT_EQ(saved, 'y');
            auto after = NSUserDefaults::create(file);
            ASSERT_EQ(after->boolForKey("parent"), bool(round & 1));
            ASSERT_EQ(after->boolForKey("child"), bool(round & 1));
        }
    };
    rounds();
    // However the rounds ended, the child sees the end of its input and goes.
    close(go[1]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    close(done[0]);
}

} // namespace
