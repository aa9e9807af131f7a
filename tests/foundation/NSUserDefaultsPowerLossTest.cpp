#include "platform/foundation/NSUserDefaults.h"

#include "tests/support/PlistFiles.h"
#include "tests/support/SimulatedDisk.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kFolder = "/prefs";
constexpr const char* kFile = "/prefs/test.plist";
constexpr const char* kSetAside = "/prefs/test.plist.corrupt";

std::string oldPreferences()
{
    PlistPtr plist(plist_new_dict());
    plist_dict_set_item(plist.get(), "k", plist_new_bool(false));
    plist_dict_set_item(plist.get(), "kept", plist_new_string("by another version"));
    return binaryPlistBytes(plist.get());
}

// What the file on a disk that came back up holds: the old file, the new one, or something else.
enum class Found { Old, New, Other };

Found preferencesOn(const std::shared_ptr<SimulatedDisk>& disk, const std::string& oldBytes, bool oldWasReadable)
{
    auto bytes = disk->contents(kFile);
    if (!bytes)
        return Found::Other;
    if (*bytes == oldBytes)
        return Found::Old;
    plist_t parsed = nullptr;
    plist_from_memory(bytes->data(), static_cast<uint32_t>(bytes->size()), &parsed);
    PlistPtr plist(parsed);
    if (!plist || plist_get_node_type(plist.get()) != PLIST_DICT)
        return Found::Other;
    uint8_t value = 0;
    if (plist_t k = plist_dict_get_item(plist.get(), "k"))
        plist_get_bool_val(k, &value);
    bool keptOtherKeys = !oldWasReadable || plist_dict_get_item(plist.get(), "kept");
    return value && keptOtherKeys ? Found::New : Found::Other;
}

// Runs one write of the app's: read the store, set a key, synchronize. True when synchronize said
// the write is on the disk.
bool writeOnce(const std::shared_ptr<SimulatedDisk>& disk)
{
    auto store = NSUserDefaults::create(kFile, disk);
    store->boolForKey("k");
    store->setBool(true, "k");
    return store->synchronize();
}

std::string callLog(const SimulatedDisk& disk)
{
    std::string log;
    for (auto& call : disk.calls())
        log += "\n  " + call;
    return log;
}

// As databases test their journals: the write is replayed with the power lost after each of its
// calls in turn, and the disk that comes back up must hold the old file or the new one, and the new
// one whenever synchronize had returned true.
void losePowerAtEveryCall(const std::string& oldBytes, bool oldWasReadable)
{
    auto fresh = [&] {
        auto disk = std::make_shared<SimulatedDisk>();
        disk->addFolder(kFolder);
        disk->addFile(kFile, oldBytes);
        return disk;
    };
    auto whole = fresh();
    ASSERT_TRUE(writeOnce(whole));
    size_t calls = whole->callCount();
    ASSERT_GT(calls, 5u) << callLog(*whole);

    for (size_t call = 1; call <= calls; ++call) {
        auto disk = fresh();
        disk->losePowerAfterCall(call);
        bool reported = writeOnce(disk);
        for (auto survival : { SimulatedDisk::Survival::OnlySynced, SimulatedDisk::Survival::NamesButOnlySyncedData }) {
            SCOPED_TRACE(testing::Message() << "power lost after call " << call << " of " << calls << ", survival "
                                            << int(survival) << ":" << callLog(*disk));
            auto after = disk->afterPowerLoss(survival);
            auto found = preferencesOn(after, oldBytes, oldWasReadable);
            EXPECT_NE(found, Found::Other);
            if (reported) {
                EXPECT_EQ(found, Found::New);
            }
            // The bytes of an unreadable file are never lost: in place, or set aside.
            if (!oldWasReadable && found == Found::New) {
                EXPECT_EQ(after->contents(kSetAside), oldBytes);
            }

            // The app starts again on that disk, writes, and leaves nothing of the cut write behind.
            ASSERT_TRUE(writeOnce(after));
            EXPECT_EQ(preferencesOn(after, oldBytes, oldWasReadable), Found::New);
            for (auto& name : after->names(kFolder))
                EXPECT_TRUE(name == "test.plist" || name == "test.plist.corrupt") << name;
        }
    }
}

TEST(NSUserDefaultsPowerLoss, EveryCallOfAWriteLeavesTheOldOrTheNewFile)
{
    losePowerAtEveryCall(oldPreferences(), true);
}

TEST(NSUserDefaultsPowerLoss, EveryCallOfSettingAsideLeavesTheUnreadableBytes)
{
    losePowerAtEveryCall("\x01 not a property list \xff", false);
}

} // namespace
