#pragma once

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

namespace test {

// The name of a golden that differs between the two builds: the legacy build's carry "legacy-".
std::string profileGoldenName(const std::string& name);

// Compares a tree dump with tests/golden/<name>.json. On failure it says which keys differ, as a
// JSON patch from the golden to the actual tree. With ZENTROVA_RECORD_GOLDENS=1 it records instead.
::testing::AssertionResult matchesGoldenTree(const nlohmann::json& actual, const std::string& name);

} // namespace test
