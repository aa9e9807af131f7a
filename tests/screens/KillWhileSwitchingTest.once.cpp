#include "platform/foundation/DeviceRoot.h"
#include "platform/uikit/UISwitch.h"
#include "screens/RootViewController.h"
#include "screens/SettingsViewController.h"
#include "tests/support/AppHarness.h"
#include "tests/support/PlistFiles.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <array>
#include <cstdint>
#include <iostream>
#include <random>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

// The app is killed again and again while the settings screen flips its two switches, each kill
// at a random point of a run. Whatever moment it lands on, the next start finds a preferences file
// that parses and holds the last flip the app finished, or the one it was in the middle of.
namespace {

namespace fs = std::filesystem;

constexpr int kKills = 200;
constexpr int kMostFlipsBeforeAKill = 4;

// The two switches as one byte: bit 0 "Light Theme", bit 1 "Alerts".
constexpr uint8_t kLight = 1;
constexpr uint8_t kAlerts = 2;

// The app flips the switches in turn, "Light Theme" first: flip N of a run is the light switch when
// N is even.
uint8_t switchOfFlip(int flip)
{
    return flip % 2 ? kAlerts : kLight;
}

bool readByte(int fd, uint8_t& byte)
{
    for (;;) {
        ssize_t count = read(fd, &byte, 1);
        if (count < 0 && errno == EINTR)
            continue;
        return count == 1;
    }
}

void reportOrExit(int fd, uint8_t byte)
{
    while (write(fd, &byte, 1) != 1) {
        if (errno != EINTR)
            _exit(10);
    }
}

// Runs in the child: starts the app on the shared root, opens its settings and flips the switches
// until it is killed. It reports the switches as it found them, then after every flip, which by
// then is stored and synced. It never returns, and never runs the test framework's exit handlers.
[[noreturn]] void runSwitchingApp(const fs::path& root, int reportFd)
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    AppHarness::Options options;
    options.root = root;
    AppHarness app(std::move(options));
    auto& automation = app.automation();
    if (!automation.tap("\"Settings\"").empty())
        _exit(2);
    auto* settings = dynamic_cast<SettingsViewController*>(app.root().presentedViewController());
    if (!settings)
        _exit(3);
    auto switches = [&] {
        return static_cast<uint8_t>((settings->lightSwitch->isOn() ? kLight : 0) | (settings->alertSwitch->isOn() ? kAlerts : 0));
    };
    reportOrExit(reportFd, switches());
    for (int flip = 0;; ++flip) {
        if (!automation.tap(switchOfFlip(flip) == kLight ? "#lightSwitch" : "#alertSwitch").empty())
            _exit(4);
        reportOrExit(reportFd, switches());
    }
}

// Where in the app's next write the kill lands.
enum class KillPoint {
    // At once: the app is between two flips or just starting one.
    AfterAnAcknowledgement,
    // Once the write's temporary file is there: the app is writing or syncing it.
    WhileTheNewFileIsWritten,
    // Once the temporary file is renamed over the old one: the flip is stored, not yet acknowledged.
    OnceTheNewFileIsInPlace,
};

// Watches the preferences folder for the app's temporary files.
class TemporaryFileWatch {
public:
    TemporaryFileWatch(const fs::path& folder, std::string prefix)
        : _fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
        , _prefix(std::move(prefix))
    {
        if (_fd >= 0)
            inotify_add_watch(_fd, folder.c_str(), IN_CREATE | IN_MOVED_FROM);
    }
    ~TemporaryFileWatch()
    {
        if (_fd >= 0)
            close(_fd);
    }
    TemporaryFileWatch(const TemporaryFileWatch&) = delete;
    TemporaryFileWatch& operator=(const TemporaryFileWatch&) = delete;

    bool isWatching() const { return _fd >= 0; }

    // Forgets what happened so far.
    void discardEvents()
    {
        alignas(inotify_event) char buffer[4096];
        while (read(_fd, buffer, sizeof buffer) > 0) { }
    }

    // Waits until a temporary file is created (IN_CREATE) or renamed away (IN_MOVED_FROM), or the
    // process behind PIDFD ends; false in that case.
    bool waitFor(uint32_t mask, int pidfd)
    {
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            pollfd fds[] = { { _fd, POLLIN, 0 }, { pidfd, POLLIN, 0 } };
            if (poll(fds, 2, -1) < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            ssize_t length = read(_fd, buffer, sizeof buffer);
            for (ssize_t offset = 0; offset < length;) {
                auto* event = reinterpret_cast<inotify_event*>(buffer + offset);
                offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                if ((event->mask & mask) && event->len && std::string_view(event->name).starts_with(_prefix))
                    return true;
            }
            if (fds[1].revents)
                return false;
        }
    }

private:
    int _fd;
    std::string _prefix;
};

// The switches as the file stores them; none when the file is missing or does not parse.
std::optional<uint8_t> storedSwitches(const fs::path& file)
{
    PlistPtr plist = readPlistFile(file);
    if (!plist || plist_get_node_type(plist.get()) != PLIST_DICT)
        return std::nullopt;
    auto value = [&](const char* key) {
        plist_t node = plist_dict_get_item(plist.get(), key);
        uint8_t on = 0;
        if (node && plist_get_node_type(node) == PLIST_BOOLEAN)
            plist_get_bool_val(node, &on);
        return on != 0;
    };
    return static_cast<uint8_t>((value("lightSwitch") ? kLight : 0) | (value("alertSwitch.enabled") ? kAlerts : 0));
}

std::string describe(uint8_t switches)
{
    return std::string("light ") + (switches & kLight ? "on" : "off") + ", alerts " + (switches & kAlerts ? "on" : "off");
}

TEST(KillWhileSwitching, EveryRestartFindsTheLastFinishedFlipOrTheNext)
{
    TempDir root;
    auto folder = root.path() / "var/mobile/Library/Preferences";
    auto fileName = std::string(kBundleIdentifier) + ".plist";
    auto file = folder / fileName;

    // The folder is there before the first start, so that the writes can be watched from the first.
    fs::create_directories(folder);
    auto temporaryPrefix = "." + fileName + ".zentrova-tmp-";
    TemporaryFileWatch watch(folder, temporaryPrefix);
    ASSERT_TRUE(watch.isWatching());

    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> flipsBeforeKill(0, kMostFlipsBeforeAKill);
    std::uniform_int_distribution<int> killPoints(0, 2);
    uint8_t stored = 0;
    int flips = 0;
    int killedMidFlipButStored = 0;
    std::array<int, 3> killsAt {};
    for (int kill = 0; kill < kKills; ++kill) {
        SCOPED_TRACE(testing::Message() << "kill " << kill);
        int report[2];
        ASSERT_EQ(pipe(report), 0);
        std::cout.flush();
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (!child) {
            close(report[0]);
            runSwitchingApp(root.path(), report[1]);
        }
        close(report[1]);

        // The app reports what it found on starting, then every flip it finished; the kill comes
        // after a random number of those.
        uint8_t acknowledged = 0;
        bool started = readByte(report[0], acknowledged);
        uint8_t launchedWith = acknowledged;
        int flipsThisRun = 0;
        for (int wanted = flipsBeforeKill(random); started && flipsThisRun < wanted && readByte(report[0], acknowledged);)
            ++flipsThisRun;
        auto point = static_cast<KillPoint>(killPoints(random));
        if (started && point != KillPoint::AfterAnAcknowledgement) {
            // A write already under way may be the one caught; either way it is one after the
            // last acknowledgement read so far, or a later one whose acknowledgement is read below.
            // Without a process descriptor to notice the app dying early, the kill comes at once.
            int pidfd = static_cast<int>(syscall(SYS_pidfd_open, child, 0));
            if (pidfd >= 0) {
                watch.discardEvents();
                watch.waitFor(point == KillPoint::WhileTheNewFileIsWritten ? IN_CREATE : IN_MOVED_FROM, pidfd);
                close(pidfd);
            } else {
                point = KillPoint::AfterAnAcknowledgement;
            }
        }
        ++killsAt[static_cast<size_t>(point)];
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the app ended by itself with status " << status;
        ASSERT_TRUE(started) << "the app was killed before it could start";
        // The switches showed what the last kill left in the file.
        EXPECT_EQ(describe(launchedWith), describe(stored));
        // It may have finished more flips than were waited for before the kill landed.
        for (uint8_t next = 0; readByte(report[0], next);) {
            acknowledged = next;
            ++flipsThisRun;
        }
        close(report[0]);
        flips += flipsThisRun;

        // The file is there once any flip was acknowledged, parses, and holds the last acknowledged
        // flip or the one after it.
        ASSERT_TRUE(fs::exists(file) || flips == 0) << "the preferences are gone";
        auto found = fs::exists(file) ? storedSwitches(file) : std::optional<uint8_t>(0);
        ASSERT_TRUE(found) << "the preferences do not parse";
        uint8_t following = acknowledged ^ switchOfFlip(flipsThisRun);
        ASSERT_TRUE(*found == acknowledged || *found == following)
            << "the file holds " << describe(*found) << "; the last acknowledged flip left " << describe(acknowledged)
            << " after " << flipsThisRun << " flips";
        killedMidFlipButStored += *found != acknowledged;
        stored = *found;

        // Nothing was set aside as unreadable; a write cut short leaves at most its temporary file,
        // which the next write clears away.
        int temporaries = 0;
        if (fs::exists(folder)) {
            for (const auto& entry : fs::directory_iterator(folder)) {
                auto name = entry.path().filename().string();
                if (name == fileName)
                    continue;
                EXPECT_TRUE(name.starts_with("." + fileName + ".zentrova-tmp-")) << name;
                ++temporaries;
            }
        }
        EXPECT_LE(temporaries, 1);
    }
    std::cout << "kill loop: " << kKills << " kills (" << killsAt[0] << " right after an acknowledgement, " << killsAt[1]
              << " while a new file was written, " << killsAt[2] << " once it was in place), " << flips
              << " flips acknowledged, " << killedMidFlipButStored
              << " kills landed after a flip was stored but before it was acknowledged\n";
    EXPECT_GE(flips, kKills);
}

} // namespace
