#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSUserDefaults.h"
#include "prefs/Preferences.h"
#include "prefs/Theme.h"
#include "tests/support/AppHarness.h"
#include "tests/support/HostilePlists.h"
#include "tests/support/PlistFiles.h"

#include <cerrno>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct BrokenFile {
    const char* name;
    // Puts the broken file in place, given the preferences path and a folder of the test's own.
    std::function<void(const fs::path& file, const fs::path& scratch)> make;
    // What must still be found after the next write, given the same paths.
    std::function<void(const fs::path& file, const fs::path& setAside)> survived;
    // Why a save is refused, for what is no file of ours; none when the next write succeeds.
    const char* refusal = nullptr;
};

// Something that is not a regular file, standing at the preferences path or where a link from
// there leads, which the app must neither replace nor move nor change.
BrokenFile notAFile(const char* name, const char* refusal, std::function<void(const fs::path& at)> make,
    std::function<void(const fs::path& at)> unchanged, bool linked)
{
    auto place = [linked](const fs::path& file, const fs::path& scratch) { return linked ? scratch / "elsewhere" : file; };
    return { name,
        [=](const fs::path& file, const fs::path& scratch) {
            make(place(file, scratch));
            if (linked)
                fs::create_symlink(place(file, scratch), file);
        },
        [=](const fs::path& file, const fs::path&) {
            EXPECT_EQ(fs::is_symlink(file), linked);
            unchanged(linked ? fs::read_symlink(file) : file);
        },
        refusal };
}

void makeFolderWithAFile(const fs::path& at)
{
    fs::create_directories(at);
    writeFileBytes(at / "inside", "mine");
}

void expectFolderWithTheFile(const fs::path& at)
{
    EXPECT_TRUE(fs::is_directory(at));
    EXPECT_EQ(readFileBytes(at / "inside"), "mine");
    EXPECT_EQ(std::distance(fs::directory_iterator(at), fs::directory_iterator()), 1);
}

void makePipe(const fs::path& at)
{
    ASSERT_EQ(mkfifo(at.c_str(), 0600), 0);
}

void makeSocket(const fs::path& at)
{
    sockaddr_un address { };
    address.sun_family = AF_UNIX;
    ASSERT_LT(at.string().size(), sizeof address.sun_path);
    at.string().copy(address.sun_path, sizeof address.sun_path - 1);
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);
}

std::string lightPreferences(const std::string& extraKey = "kept")
{
    return xmlPlistWithDictionaryBody("<key>lightSwitch</key><true/><key>" + extraKey + "</key><string>x</string>");
}

// A file whose bytes must be found, whole, under the set-aside name after the next write.
BrokenFile withBytes(const char* name, std::string bytes)
{
    return { name, [bytes](const fs::path& file, const fs::path&) { writeFileBytes(file, bytes); },
        [bytes](const fs::path&, const fs::path& setAside) { EXPECT_EQ(readFileBytes(setAside), bytes); } };
}

std::vector<BrokenFile> brokenFiles()
{
    PlistPtr array(plist_new_array());
    plist_array_append_item(array.get(), plist_new_bool(true));
    auto valid = binaryPlistBytes(PlistPtr(plist_new_dict()).get());
    auto truncated = [] {
        PlistPtr dict(plist_new_dict());
        plist_dict_set_item(dict.get(), "lightSwitch", plist_new_bool(true));
        auto bytes = binaryPlistBytes(dict.get());
        return bytes.substr(0, bytes.size() - 9);
    }();
    std::string huge = xmlPlistWithDictionaryBody(
        "<key>lightSwitch</key><true/><key>pad</key><string>" + std::string(2 << 20, 'x') + "</string>");
    auto garbage = std::string("\x00\xff\x1b[2J not a property list", 26);

    return {
        withBytes("empty", ""),
        withBytes("truncated", truncated),
        withBytes("garbage", garbage),
        withBytes("array root", binaryPlistBytes(array.get())),
        withBytes("huge", huge),
        withBytes("deep binary", deepBinaryPlist(100000)),
        withBytes("deep XML", deepXMLPlist(100000)),
        withBytes("expanding binary", expandingBinaryPlist(60)),
        withBytes("cyclic binary", cyclicBinaryPlist()),
        withBytes("JSON", "{\"lightSwitch\": true}"),
        { "wrong value types",
            [](const fs::path& file, const fs::path&) {
                writeFileBytes(file,
                    xmlPlistWithDictionaryBody("<key>lightSwitch</key><string>off</string>"
                                               "<key>alertSwitch.enabled</key><data>AQ==</data>"
                                               "<key>kept</key><string>x</string>"));
            },
            [](const fs::path& file, const fs::path&) {
                auto plist = readPlistFile(file);
                ASSERT_TRUE(plist);
                EXPECT_TRUE(plist_dict_get_item(plist.get(), "kept"));
                EXPECT_TRUE(plist_dict_get_item(plist.get(), "alertSwitch.enabled"));
            } },
        withBytes("string that is not UTF-8",
            xmlPlistWithDictionaryBody("<key>note</key><string>\xff\xfe keep</string><key>kept</key><string>x</string>")),
        notAFile("pipe", "it names a pipe", makePipe, [](const fs::path& at) { EXPECT_TRUE(fs::is_fifo(at)); }, false),
        notAFile("folder", "it names a folder", makeFolderWithAFile, expectFolderWithTheFile, false),
        notAFile("symbolic link to a folder", "it names a folder", makeFolderWithAFile, expectFolderWithTheFile, true),
        notAFile("symbolic link to a pipe", "it names a pipe", makePipe, [](const fs::path& at) { EXPECT_TRUE(fs::is_fifo(at)); }, true),
        notAFile("socket", "it names a socket", makeSocket, [](const fs::path& at) { EXPECT_TRUE(fs::is_socket(at)); }, false),
        { "symbolic link to a device", [](const fs::path& file, const fs::path&) { fs::create_symlink("/dev/full", file); },
            [](const fs::path& file, const fs::path&) {
                EXPECT_EQ(fs::read_symlink(file), "/dev/full");
                EXPECT_TRUE(fs::is_character_file("/dev/full"));
            },
            "it names a device" },
        { "loop of symbolic links",
            [](const fs::path& file, const fs::path& scratch) {
                fs::create_symlink(file, scratch / "back");
                fs::create_symlink(scratch / "back", file);
            },
            [](const fs::path& file, const fs::path&) { EXPECT_TRUE(fs::is_symlink(file)); },
            "it cannot be followed: too many levels of symbolic links" },
        { "mode 000",
            [](const fs::path& file, const fs::path&) {
                writeFileBytes(file, lightPreferences());
                ASSERT_EQ(chmod(file.c_str(), 0), 0);
                // Whoever may read any file reads this one as it is: it only has to stay intact.
                if (geteuid() == 0)
                    writeFileBytes(file, xmlPlistWithDictionaryBody("<key>kept</key><string>x</string>"));
            },
            [](const fs::path& file, const fs::path& setAside) {
                if (geteuid() == 0) {
                    EXPECT_TRUE(plist_dict_get_item(readPlistFile(file).get(), "kept"));
                } else {
                    EXPECT_EQ(readFileBytes(setAside), lightPreferences());
                }
            } },
        { "symbolic link to garbage",
            [](const fs::path& file, const fs::path& scratch) {
                writeFileBytes(scratch / "target.plist", "garbage");
                fs::create_symlink(scratch / "target.plist", file);
            },
            [](const fs::path& file, const fs::path& setAside) {
                EXPECT_TRUE(fs::is_symlink(file));
                EXPECT_EQ(readFileBytes(setAside), "garbage");
            } },
    };
}

TEST(BrokenPreferences, TheAppStartsDarkKeepsTheBytesAndWritesAgain)
{
    for (auto& broken : brokenFiles()) {
        SCOPED_TRACE(broken.name);
        AppHarness app({ .launch = false });
        auto file = NSUserDefaults::standardPreferencesPath();
        auto setAside = fs::path(file.string() + ".corrupt");
        auto scratch = app.deviceRoot().path() / "scratch";
        fs::create_directories(file.parent_path());
        fs::create_directories(scratch);
        broken.make(file, scratch);
        if (testing::Test::HasFatalFailure())
            return;
        auto namesBefore = namesIn(file.parent_path());

        auto started = std::chrono::steady_clock::now();
        app.launch();
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
        EXPECT_EQ(Theme::stored(), Theme::fromLightSwitch(false));
        EXPECT_EQ(app.tree()["keyWindow"]["subviews"][0]["backgroundColor"], nlohmann::json::array({ 0, 0, 0, 1 }));

        auto& store = NSUserDefaults::standardUserDefaults();
        store.setBool(true, kAlertSwitchKey);
        if (broken.refusal) {
            // Refused with one line that names the path, and nothing beside the preferences changes;
            // the value stays for the next try.
            testing::internal::CaptureStderr();
            EXPECT_FALSE(store.synchronize());
            EXPECT_EQ(testing::internal::GetCapturedStderr(),
                std::string(program_invocation_short_name) + ": cannot save preferences to " + file.string() + ": "
                    + broken.refusal + "\n");
            EXPECT_TRUE(store.boolForKey(kAlertSwitchKey));
            EXPECT_EQ(namesIn(file.parent_path()), namesBefore);
            broken.survived(file, setAside);
            continue;
        }
        // The next write succeeds and is what the following start reads.
        EXPECT_TRUE(store.synchronize());
        NSUserDefaults::resetStandardUserDefaults();
        EXPECT_TRUE(readPreference(kAlertSwitchKey));
        broken.survived(file, setAside);
    }
}

} // namespace
