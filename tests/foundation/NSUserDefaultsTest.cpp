#include "platform/foundation/NSUserDefaults.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "tests/support/CountingObserver.h"
#include "tests/support/HostilePlists.h"
#include "tests/support/PlistFiles.h"
#include "tests/support/SimulatedDisk.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

class NSUserDefaultsTest : public testing::Test {
protected:
    void TearDown() override
    {
        NSUserDefaults::resetStandardUserDefaults();
        setDeviceRoot("/");
        NSNotificationCenter::defaultCenter().removeAllObservers();
    }

    TempDir dir;
    fs::path file = dir.path() / "Preferences" / "test.plist";
    fs::path corrupt = dir.path() / "Preferences" / "test.plist.corrupt";
};

TEST_F(NSUserDefaultsTest, ValuesSurviveARestartOnlyOnceSynchronized)
{
    auto store = NSUserDefaults::create(file);
    EXPECT_FALSE(store->boolForKey("never"));
    EXPECT_TRUE(store->synchronize());
    EXPECT_FALSE(fs::exists(file)) << "nothing was set, so nothing is written";

    store->setBool(true, "on");
    store->setBool(true, "off");
    store->setBool(false, "off");
    EXPECT_TRUE(store->boolForKey("on"));
    EXPECT_FALSE(store->boolForKey("off"));
    EXPECT_TRUE(store->synchronize());
    store->setBool(true, "unsaved");

    auto restarted = NSUserDefaults::create(file);
    EXPECT_TRUE(restarted->boolForKey("on"));
    EXPECT_FALSE(restarted->boolForKey("off"));
    EXPECT_FALSE(restarted->boolForKey("unsaved"));
    EXPECT_FALSE(restarted->boolForKey("never"));
}

TEST_F(NSUserDefaultsTest, StandardStoreLivesUnderTheDeviceRoot)
{
    setDeviceRoot(dir.path().string());
    auto expected = dir.path() / "var/mobile/Library/Preferences/com.zentrova.app.plist";
    EXPECT_EQ(NSUserDefaults::standardPreferencesPath(), expected);
    EXPECT_EQ(NSUserDefaults::standardUserDefaults().path(), expected);

    NSUserDefaults::standardUserDefaults().setBool(true, "k");
    EXPECT_TRUE(NSUserDefaults::standardUserDefaults().synchronize());
    NSUserDefaults::resetStandardUserDefaults();
    EXPECT_TRUE(NSUserDefaults::standardUserDefaults().boolForKey("k"));
}

TEST_F(NSUserDefaultsTest, ChangesByAnotherWriterAreSeenAtTheNextRead)
{
    auto store = NSUserDefaults::create(file);
    EXPECT_FALSE(store->boolForKey("k"));

    // A file that appears, as a user's editor or a property-list tool would write it.
    fs::create_directories(file.parent_path());
    writeFileBytes(file, xmlPlistWithDictionaryBody("<key>k</key><true/>\n"));
    EXPECT_TRUE(store->boolForKey("k"));

    // Rewritten in place, and replaced by another run of the app.
    writeFileBytes(file, xmlPlistWithDictionaryBody("<key>k</key><false/>\n"));
    EXPECT_FALSE(store->boolForKey("k"));
    auto other = NSUserDefaults::create(file);
    other->setBool(true, "k");
    ASSERT_TRUE(other->synchronize());
    EXPECT_TRUE(store->boolForKey("k"));

    fs::remove(file);
    EXPECT_FALSE(store->boolForKey("k"));
}

TEST_F(NSUserDefaultsTest, UnsavedValuesOutliveAnotherWritersChangeAndTheFlushKeepsTheirKeys)
{
    auto store = NSUserDefaults::create(file);
    store->setBool(true, "mine");
    store->setBool(true, "both");

    auto other = NSUserDefaults::create(file);
    other->setBool(true, "theirs");
    other->setBool(false, "both");
    ASSERT_TRUE(other->synchronize());

    EXPECT_TRUE(store->boolForKey("theirs"));
    EXPECT_TRUE(store->boolForKey("mine"));
    EXPECT_TRUE(store->boolForKey("both")) << "the value set here and not yet written wins";
    ASSERT_TRUE(store->synchronize());

    auto restarted = NSUserDefaults::create(file);
    EXPECT_TRUE(restarted->boolForKey("mine"));
    EXPECT_TRUE(restarted->boolForKey("theirs"));
    EXPECT_TRUE(restarted->boolForKey("both"));

    // Once written, the other writer's later change is what the file says.
    other->setBool(false, "mine");
    ASSERT_TRUE(other->synchronize());
    EXPECT_FALSE(store->boolForKey("mine"));
}

TEST_F(NSUserDefaultsTest, AReadOfAnUnchangedFileOnlyStatsIt)
{
    auto disk = std::make_shared<SimulatedDisk>();
    disk->addFolder("/prefs");
    disk->addFile("/prefs/p.plist", xmlPlistWithDictionaryBody("<key>k</key><true/>\n"));
    auto store = NSUserDefaults::create("/prefs/p.plist", disk);
    EXPECT_TRUE(store->boolForKey("k"));
    store->setBool(false, "k");
    ASSERT_TRUE(store->synchronize());

    // Neither the file read at first nor the one written since is read again while it stays.
    size_t before = disk->callCount();
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(store->boolForKey("k"));
    std::vector<std::string> since(disk->calls().begin() + long(before), disk->calls().end());
    EXPECT_EQ(since, std::vector<std::string>(3, "stat /prefs/p.plist"));
}

TEST_F(NSUserDefaultsTest, AnUnreadableFileIsReadAgainOnlyOnceItChanges)
{
    fs::create_directories(file.parent_path());
    writeFileBytes(file, "garbage");
    auto store = NSUserDefaults::create(file);
    EXPECT_FALSE(store->boolForKey("k"));
    EXPECT_FALSE(store->boolForKey("k"));

    writeFileBytes(file, xmlPlistWithDictionaryBody("<key>k</key><true/>\n"));
    EXPECT_TRUE(store->boolForKey("k"));
    store->setBool(true, "other");
    ASSERT_TRUE(store->synchronize());
    EXPECT_FALSE(fs::exists(corrupt)) << "the file was mended before the write, so nothing is set aside";
}

TEST_F(NSUserDefaultsTest, OtherTypesReadAsTheirBooleanValue)
{
    struct Case {
        const char* element;
        bool expected;
    };
    const Case cases[] = {
        { "<string>YES</string>", true },
        { "<string>yes</string>", true },
        { "<string>Y</string>", true },
        { "<string>true</string>", true },
        { "<string>TRUE</string>", true },
        { "<string>1</string>", true },
        { "<string>007</string>", true },
        { "<string>+1</string>", true },
        { "<string>-3</string>", true },
        { "<string>  \t9 lives</string>", true },
        { "<string>NO</string>", false },
        { "<string>no</string>", false },
        { "<string>false</string>", false },
        { "<string>0</string>", false },
        { "<string>000</string>", false },
        { "<string>-0</string>", false },
        { "<string></string>", false },
        { "<string>   </string>", false },
        { "<string>maybe</string>", false },
        { "<string>on</string>", false },
        { "<string>\xEF\xBC\x91</string>", false }, // a full-width digit one is not a digit here
        { "<integer>2</integer>", true },
        { "<integer>-1</integer>", true },
        { "<integer>0</integer>", false },
        { "<real>0.5</real>", true },
        { "<real>0</real>", false },
        { "<true/>", true },
        { "<false/>", false },
        { "<data>AQ==</data>", false },
        { "<date>2014-01-01T00:00:00Z</date>", false },
        { "<array><true/></array>", false },
        { "<dict><key>k</key><true/></dict>", false },
    };
    std::string body;
    for (size_t i = 0; i < std::size(cases); ++i)
        body += "<key>k" + std::to_string(i) + "</key>" + cases[i].element + "\n";
    fs::create_directories(file.parent_path());
    writeFileBytes(file, xmlPlistWithDictionaryBody(body));
    auto store = NSUserDefaults::create(file);
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(store->boolForKey(NSString("k" + std::to_string(i))), cases[i].expected) << cases[i].element;
}

TEST_F(NSUserDefaultsTest, EverySetPostsToEachRegistrationAfterTheValueIsStored)
{
    auto store = NSUserDefaults::create(file);
    auto other = NSUserDefaults::create(dir.path() / "other.plist");
    auto listener = CountingObserver::create();
    auto ofOtherStore = CountingObserver::create();
    auto& center = NSNotificationCenter::defaultCenter();
    for (int i = 0; i < 3; ++i)
        center.addObserver(listener.get(), NSSELECTOR(CountingObserver, observe), NSUserDefaultsDidChangeNotification, store.get());
    center.addObserver(ofOtherStore.get(), NSSELECTOR(CountingObserver, observe), NSUserDefaultsDidChangeNotification, other.get());
    std::vector<bool> seen;
    listener->onCall = [&] { seen.push_back(store->boolForKey("k")); };

    store->setBool(true, "k");
    store->setBool(true, "k");
    store->setBool(false, "k");
    EXPECT_EQ(listener->calls, 9);
    EXPECT_EQ(seen, std::vector<bool>({ true, true, true, true, true, true, false, false, false }));
    EXPECT_EQ(ofOtherStore->calls, 0);
}

TEST_F(NSUserDefaultsTest, WrittenFileIsAPrivateBinaryPlistAndNoTemporaryFileRemains)
{
    auto store = NSUserDefaults::create(file);
    store->setBool(true, "k");
    ASSERT_TRUE(store->synchronize());

    struct stat info { };
    ASSERT_EQ(stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(readFileBytes(file).substr(0, 8), "bplist00");
    EXPECT_EQ(namesIn(file.parent_path()), std::vector<std::string>({ "test.plist" }));
}

TEST_F(NSUserDefaultsTest, XmlFileIsReadAndEveryKeySurvivesARewrite)
{
    fs::create_directories(file.parent_path());
    auto original = xmlPlistWithDictionaryBody("<key>yes</key><true/>\n"
                                               "<key>no</key><false/>\n"
                                               "<key>three</key><integer>3</integer>\n"
                                               "<key>zero</key><integer>0</integer>\n"
                                               "<key>half</key><real>0.5</real>\n"
                                               "<key>word</key><string>YES</string>\n"
                                               "<key>list</key><array><string>a</string><integer>1</integer></array>\n"
                                               "<key>nested</key><dict><key>inner</key><true/></dict>\n"
                                               "<key>blob</key><data>AAEC</data>\n");
    writeFileBytes(file, original);

    auto store = NSUserDefaults::create(file);
    EXPECT_TRUE(store->boolForKey("yes"));
    EXPECT_FALSE(store->boolForKey("no"));
    EXPECT_FALSE(store->boolForKey("inner"));

    store->setBool(false, "yes");
    store->setBool(true, "added");
    ASSERT_TRUE(store->synchronize());

    PlistPtr expected;
    {
        plist_t parsed = nullptr;
        plist_from_xml(original.data(), static_cast<uint32_t>(original.size()), &parsed);
        expected.reset(parsed);
    }
    plist_dict_set_item(expected.get(), "yes", plist_new_bool(false));
    plist_dict_set_item(expected.get(), "added", plist_new_bool(true));
    auto written = readPlistFile(file);
    ASSERT_TRUE(written);
    EXPECT_EQ(xmlOf(written.get()), xmlOf(expected.get()));
    EXPECT_FALSE(fs::exists(corrupt));
}

TEST_F(NSUserDefaultsTest, UnreadableFileReadsEmptyAndItsBytesAreKeptWhenReplaced)
{
    plist_t array = plist_new_array();
    plist_array_append_item(array, plist_new_bool(true));
    auto arrayRoot = binaryPlistBytes(array);
    plist_free(array);
    plist_t dict = plist_new_dict();
    plist_dict_set_item(dict, "k", plist_new_bool(true));
    plist_dict_set_item(dict, "padding", plist_new_string("some text to cut through"));
    auto truncated = binaryPlistBytes(dict);
    truncated.resize(truncated.size() / 2);
    plist_free(dict);

    const std::vector<std::pair<const char*, std::string>> cases = {
        { "garbage", "\x01\x02 not a property list \xff" },
        { "truncated binary", truncated },
        { "empty", "" },
        { "array root", arrayRoot },
        { "malformed XML", xmlPlistWithDictionaryBody("<key>k</key><true/>").substr(0, 60) },
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        fs::remove_all(file.parent_path());
        fs::create_directories(file.parent_path());
        writeFileBytes(file, bytes);

        auto store = NSUserDefaults::create(file);
        EXPECT_FALSE(store->boolForKey("k"));
        EXPECT_TRUE(store->synchronize());
        EXPECT_EQ(readFileBytes(file), bytes) << "nothing set, so the file stays as it was";
        EXPECT_FALSE(fs::exists(corrupt));

        store->setBool(true, "other");
        ASSERT_TRUE(store->synchronize());
        EXPECT_EQ(readFileBytes(corrupt), bytes);
        EXPECT_TRUE(NSUserDefaults::create(file)->boolForKey("other"));
        EXPECT_FALSE(NSUserDefaults::create(file)->boolForKey("k"));

        // Once replaced, the file is the store's own and later writes leave the kept bytes alone.
        store->setBool(false, "other");
        ASSERT_TRUE(store->synchronize());
        EXPECT_EQ(readFileBytes(corrupt), bytes);
    }
}

TEST_F(NSUserDefaultsTest, NewestUnreadableFileReplacesAnOlderCopy)
{
    fs::create_directories(file.parent_path());
    writeFileBytes(corrupt, "older");
    writeFileBytes(file, "newer");

    auto store = NSUserDefaults::create(file);
    store->setBool(true, "k");
    ASSERT_TRUE(store->synchronize());
    EXPECT_EQ(readFileBytes(corrupt), "newer");
    EXPECT_TRUE(NSUserDefaults::create(file)->boolForKey("k"));
}

TEST_F(NSUserDefaultsTest, OnlyTemporaryFilesThisStoreLeftAreRemoved)
{
    auto folder = file.parent_path();
    fs::create_directories(folder);
    // The user's own dot-files, however much they look like leftovers, stay.
    for (const char* name : { ".test.plist.zentrova-tmp-Ab12Cd", ".test.plist.Ab12Cd", ".test.plist.backup",
             ".test.plist.zentrova-tmp-long123", ".test.plist.zentrova-tmp-Ab!2Cd", ".other.plist.zentrova-tmp-Ab12Cd",
             "other.plist" })
        writeFileBytes(folder / name, "x");

    auto store = NSUserDefaults::create(file);
    store->setBool(true, "k");
    ASSERT_TRUE(store->synchronize());
    EXPECT_EQ(namesIn(folder),
        std::vector<std::string>({ ".other.plist.zentrova-tmp-Ab12Cd", ".test.plist.Ab12Cd", ".test.plist.backup",
            ".test.plist.zentrova-tmp-Ab!2Cd", ".test.plist.zentrova-tmp-long123", "other.plist", "test.plist" }));
}

TEST_F(NSUserDefaultsTest, AFileThatCouldNotBeWrittenBackAsItIsCountsAsUnreadable)
{
    // Found by fuzzing: an ASCII string key with a byte past 127 parses, but what libplist writes
    // for it does not, so the write after loading it would have lost every value.
    std::string dictionary = "\xD2";
    dictionary += std::string("\x01\x02\x03\x04", 4);
    auto bytes = binaryPlistFromObjects({ dictionary, "\x51\xB9", "\x5BlightSwitch", "\x08", "\x09" }, 1);
    fs::create_directories(file.parent_path());
    writeFileBytes(file, bytes);

    auto store = NSUserDefaults::create(file);
    EXPECT_FALSE(store->boolForKey("lightSwitch"));
    store->setBool(true, "k");
    ASSERT_TRUE(store->synchronize());
    EXPECT_TRUE(NSUserDefaults::create(file)->boolForKey("k"));
    EXPECT_EQ(readFileBytes(corrupt), bytes);
}

TEST_F(NSUserDefaultsTest, AFolderInTheWayOfTheSetAsideNameIsPassedOver)
{
    fs::create_directories(corrupt / "inside");
    writeFileBytes(file, "garbage");
    for (int write = 0; write < 2; ++write) {
        auto store = NSUserDefaults::create(file);
        store->setBool(write == 0, "k");
        ASSERT_TRUE(store->synchronize());
        EXPECT_EQ(NSUserDefaults::create(file)->boolForKey("k"), write == 0);
    }
    EXPECT_TRUE(fs::is_directory(corrupt / "inside"));
    EXPECT_EQ(readFileBytes(file.string() + ".corrupt-2"), "garbage");
}

TEST_F(NSUserDefaultsTest, ASymbolicLinkIsWrittenThroughAndItsTargetReplacedInItsOwnFolder)
{
    auto elsewhere = dir.path() / "Elsewhere";
    fs::create_directories(elsewhere);
    fs::create_directories(file.parent_path());
    fs::create_symlink(elsewhere / "real.plist", file);

    // A dangling link first: the write creates its target.
    auto store = NSUserDefaults::create(file);
    store->setBool(true, "k");
    ASSERT_TRUE(store->synchronize());
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_TRUE(NSUserDefaults::create(elsewhere / "real.plist")->boolForKey("k"));

    // A link to unreadable bytes: the bytes, not the link, are set aside.
    writeFileBytes(elsewhere / "real.plist", "garbage");
    store = NSUserDefaults::create(file);
    EXPECT_FALSE(store->boolForKey("k"));
    store->setBool(true, "other");
    ASSERT_TRUE(store->synchronize());
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_FALSE(fs::is_symlink(corrupt));
    EXPECT_EQ(readFileBytes(corrupt), "garbage");
    EXPECT_TRUE(NSUserDefaults::create(file)->boolForKey("other"));
    EXPECT_EQ(namesIn(elsewhere), std::vector<std::string>({ "real.plist" }));
}

TEST_F(NSUserDefaultsTest, FailedWriteIsReportedAndRetriedByTheNextSynchronizeAndAtExit)
{
    // A regular file where the folder should be stops both mkdir and the write.
    setDeviceRoot(dir.path().string());
    auto folder = NSUserDefaults::standardPreferencesPath().parent_path();
    fs::create_directories(folder.parent_path());
    writeFileBytes(folder, "in the way");
    auto& store = NSUserDefaults::standardUserDefaults();
    store.setBool(true, "k");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(store.synchronize());
    EXPECT_FALSE(store.synchronize());
    auto said = testing::internal::GetCapturedStderr();
    auto line = std::string(program_invocation_short_name) + ": cannot save preferences to "
        + NSUserDefaults::standardPreferencesPath().string() + ": cannot make the folder " + folder.string() + ": ";
    EXPECT_TRUE(said.starts_with(line)) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << "one line for each try";
    EXPECT_TRUE(store.boolForKey("k"));

    fs::remove(folder);
    NSUserDefaults::saveStandardUserDefaultsBeforeExit();
    EXPECT_TRUE(NSUserDefaults::create(NSUserDefaults::standardPreferencesPath())->boolForKey("k"));
}

TEST_F(NSUserDefaultsTest, EachFailingCallOfASaveIsSaidKeepsTheOldFileAndIsTriedAgain)
{
    struct Case {
        const char* call;
        int error;
        const char* reason;
    };
    const Case cases[] = {
        { "write", ENOSPC, "no space left on device" },
        { "fsync file", EIO, "input/output error" },
        { "open /prefs/.p.plist", EROFS, "read-only file system" },
        { "rename", EXDEV, "invalid cross-device link" },
        { "createFolders", EACCES, "cannot make the folder /prefs: permission denied" },
        { "lock", EWOULDBLOCK, "another program holds the lock on /prefs and does not let go" },
    };
    auto old = xmlPlistWithDictionaryBody("<key>k</key><false/><key>kept</key><string>x</string>\n");
    for (const auto& test : cases) {
        SCOPED_TRACE(test.call);
        auto disk = std::make_shared<SimulatedDisk>();
        disk->addFolder("/prefs");
        disk->addFile("/prefs/p.plist", old);
        auto store = NSUserDefaults::create("/prefs/p.plist", disk);
        store->setBool(true, "k");
        if (test.call == std::string_view("lock"))
            disk->holdLockElsewhere(true);
        else
            disk->failCalls(test.call, test.error);

        testing::internal::CaptureStderr();
        EXPECT_FALSE(store->synchronize());
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
            std::string(program_invocation_short_name) + ": cannot save preferences to /prefs/p.plist: " + test.reason + "\n");
        EXPECT_TRUE(store->boolForKey("k"));
        EXPECT_EQ(disk->contents("/prefs/p.plist"), old);
        EXPECT_EQ(disk->names("/prefs"), std::vector<std::string>({ "p.plist" }));

        disk->holdLockElsewhere(false);
        disk->failCalls("", 0);
        EXPECT_TRUE(store->synchronize());
        auto restarted = NSUserDefaults::create("/prefs/p.plist", disk);
        EXPECT_TRUE(restarted->boolForKey("k"));
        EXPECT_FALSE(restarted->boolForKey("kept")) << "a string of no boolean meaning, kept as it was";
    }
}

TEST_F(NSUserDefaultsTest, TextIsReadInEveryEncodingAndKeptByteForByteOrSetAside)
{
    // Each file says lightSwitch YES and holds a string "s" that a rewrite must keep.
    const std::string text = "caf\xC3\xA9 \xF0\x9F\x98\x80";
    auto xml = xmlPlistWithDictionaryBody("<key>lightSwitch</key><true/><key>s</key><string>" + text + "</string>\n");
    auto utf16 = [&](bool bigEndian) {
        std::string out;
        NSString string(xml);
        for (char16_t unit : string.utf16()) {
            char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
            out += bigEndian ? std::string { high, low } : std::string { low, high };
        }
        return out;
    };
    auto withString = [](const std::string& element) {
        return xmlPlistWithDictionaryBody("<key>lightSwitch</key><true/><key>s</key>" + element + "\n");
    };
    // A binary list whose "s" is UTF-16 with a lone high surrogate, which libplist reads as "".
    auto loneSurrogate = binaryPlistFromObjects(
        { "\xD2\x01\x02\x03\x04", "\x5BlightSwitch", "\x51s", "\x09", std::string("\x61\xD8\x00", 3) }, 1);

    enum class Kept { AsItWas, SetAside, SetAsideUnread };
    struct Case {
        const char* name;
        std::string bytes;
        Kept kept;
    };
    const Case cases[] = {
        { "UTF-8", xml, Kept::AsItWas },
        { "UTF-8 with a byte order mark", "\xEF\xBB\xBF" + xml, Kept::AsItWas },
        { "UTF-16 little-endian", "\xFF\xFE" + utf16(false), Kept::AsItWas },
        { "UTF-16 big-endian", "\xFE\xFF" + utf16(true), Kept::AsItWas },
        { "UTF-16 without a byte order mark", utf16(false), Kept::AsItWas },
        { "UTF-16 with an odd byte", "\xFF\xFE" + utf16(false) + "x", Kept::SetAsideUnread },
        { "UTF-16 with a lone surrogate", "\xFF\xFE" + utf16(false).substr(0, 100) + std::string("\x00\xD8", 2) + utf16(false).substr(100), Kept::SetAsideUnread },
        { "XML bytes that are not UTF-8", withString("<string>\xFF\xFE keep</string>"), Kept::SetAside },
        { "XML escape of a lone surrogate", withString("<string>&#xD800;</string>"), Kept::SetAside },
        { "XML with a NUL byte", withString(std::string("<string>a\0b</string>", 20)), Kept::SetAside },
        { "binary UTF-16 with a lone surrogate", loneSurrogate, Kept::SetAside },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        fs::remove_all(file.parent_path());
        fs::create_directories(file.parent_path());
        writeFileBytes(file, test.bytes);

        auto store = NSUserDefaults::create(file);
        EXPECT_EQ(store->boolForKey("lightSwitch"), test.kept != Kept::SetAsideUnread);
        store->setBool(true, "other");
        ASSERT_TRUE(store->synchronize());
        auto written = readPlistFile(file);
        ASSERT_TRUE(written);
        if (test.kept == Kept::AsItWas) {
            uint64_t length = 0;
            const char* value = plist_get_string_ptr(plist_dict_get_item(written.get(), "s"), &length);
            EXPECT_EQ(std::string(value, length), text);
            EXPECT_FALSE(fs::exists(corrupt));
        } else {
            EXPECT_EQ(readFileBytes(corrupt), test.bytes);
        }
    }
}

} // namespace
