#include "platform/foundation/AtomicFileReplacement.h"

#include "platform/foundation/FileCalls.h"
#include "tests/support/PlistFiles.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

TEST(AtomicFileReplacement, RelativeLinksAreFollowedFromEachLinksOwnFolder)
{
    // settings/app.plist -> ../shared/current -> versions/app.plist, which does not exist yet.
    TempDir dir;
    fs::create_directories(dir.path() / "settings");
    fs::create_directories(dir.path() / "shared/versions");
    fs::create_symlink("../shared/current", dir.path() / "settings/app.plist");
    fs::create_symlink("versions/app.plist", dir.path() / "shared/current");

    AtomicFileReplacement replacement(dir.path() / "settings/app.plist", FileCalls::real());
    auto target = replacement.target();
    EXPECT_EQ(target, dir.path() / "settings/../shared/versions/app.plist");

    auto folder = AtomicFileReplacement::folderOf(target);
    auto temporary = replacement.writeTemporaryFile(folder, "new", 3);
    ASSERT_TRUE(temporary);
    ASSERT_TRUE(replacement.moveIntoPlace(*temporary, target));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "settings/app.plist"));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "shared/current"));
    EXPECT_EQ(readFileBytes(dir.path() / "settings/app.plist"), "new");
    EXPECT_EQ(namesIn(dir.path() / "shared/versions"), std::vector<std::string>({ "app.plist" }));
}

} // namespace
