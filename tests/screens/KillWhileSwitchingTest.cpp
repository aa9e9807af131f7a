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
#include <cstdint>
#include <iostream>
#include <random>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

// The app is killed again and again while the settings screen flips its two switches, each kill
// at a random point of a run. Whatever moment it lands on, the next start finds a preferences file
// that parses and holds the last flip the app finished, or the one it was in the middle of.
namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// Each start of the app costs a launch; the sanitizers make that several times slower.
constexpr int kKills = kSanitized ? 80 : 200;
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

    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> flipsBeforeKill(0, kMostFlipsBeforeAKill);
    uint8_t stored = 0;
    bool everFlipped = false;
    int flips = 0;
    int killedMidFlipButStored = 0;
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
        everFlipped = everFlipped || flipsThisRun > 0;

        // The file is there once anything was flipped, parses, and holds the last acknowledged
        // flip or the one after it.
        ASSERT_EQ(fs::exists(file), everFlipped);
        auto found = everFlipped ? storedSwitches(file) : std::optional<uint8_t>(0);
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
    std::cout << "kill loop: " << kKills << " kills, " << flips << " flips acknowledged, " << killedMidFlipButStored
              << " kills landed after a flip was stored but before it was acknowledged\n";
    EXPECT_GE(flips, kKills);
}

} // namespace
