#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSUserDefaults.h"
#include "prefs/Preferences.h"
#include "prefs/Theme.h"
#include "tests/support/AppHarness.h"
#include "tests/support/HostilePlists.h"
#include "tests/support/PlistFiles.h"

#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

struct BrokenFile {
    const char* name;
    // Puts the broken file in place, given the preferences path and a folder of the test's own.
    std::function<void(const fs::path& file, const fs::path& scratch)> make;
    // What must still be found after the next write, given the same paths.
    std::function<void(const fs::path& file, const fs::path& setAside)> survived;
};

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
        { "pipe", [](const fs::path& file, const fs::path&) { ASSERT_EQ(mkfifo(file.c_str(), 0600), 0); },
            [](const fs::path&, const fs::path& setAside) { EXPECT_TRUE(fs::is_fifo(setAside)); } },
        { "folder",
            [](const fs::path& file, const fs::path&) {
                fs::create_directories(file);
                writeFileBytes(file / "inside", "mine");
            },
            [](const fs::path&, const fs::path& setAside) { EXPECT_EQ(readFileBytes(setAside / "inside"), "mine"); } },
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

        auto started = std::chrono::steady_clock::now();
        app.launch();
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
        EXPECT_EQ(Theme::stored(), Theme::fromLightSwitch(false));
        EXPECT_EQ(app.tree()["keyWindow"]["subviews"][0]["backgroundColor"], nlohmann::json::array({ 0, 0, 0, 1 }));

        // The next write succeeds and is what the following start reads.
        auto& store = NSUserDefaults::standardUserDefaults();
        store.setBool(true, kAlertSwitchKey);
        EXPECT_TRUE(store.synchronize());
        NSUserDefaults::resetStandardUserDefaults();
        EXPECT_TRUE(readPreference(kAlertSwitchKey));
        broken.survived(file, setAside);
    }
}

} // namespace
