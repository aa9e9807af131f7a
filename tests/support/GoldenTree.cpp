#include "tests/support/GoldenTree.h"

#include "screens/ScreenProfile.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace test {

std::string profileGoldenName(const std::string& name)
{
    return kScreenProfile.isLegacy ? "legacy-" + name : name;
}

::testing::AssertionResult matchesGoldenTree(const nlohmann::json& actual, const std::string& name)
{
    auto path = std::filesystem::path(ZENTROVA_TEST_DIR) / "golden" / (name + ".json");
    const char* record = std::getenv("ZENTROVA_RECORD_GOLDENS");
    if (record && std::strcmp(record, "1") == 0) {
        std::ofstream(path) << actual.dump(2) << '\n';
        return ::testing::AssertionSuccess() << "recorded " << path;
    }
    std::ifstream file(path);
    if (!file)
        return ::testing::AssertionFailure() << "no golden tree at " << path << " (record with make goldens)";
    auto expected = nlohmann::json::parse(file, nullptr, false);
    if (expected.is_discarded())
        return ::testing::AssertionFailure() << path << " is not JSON";
    if (expected == actual)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the tree differs from " << path << ":\n"
                                         << nlohmann::json::diff(expected, actual).dump(2);
}

} // namespace test
