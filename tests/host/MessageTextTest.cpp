#include "platform/host/MessageText.h"

#include <gtest/gtest.h>

namespace {

TEST(MessageText, QuotesEscapesAndCutsShort)
{
    EXPECT_EQ(quotedForMessage("ipad"), "'ipad'");
    EXPECT_EQ(quotedForMessage(std::string("a\x1b[2J\n\t'\\\xc3\xa9\0", 12)), R"('a\x1b[2J\n\t\'\\\xc3\xa9\x00')");
    auto flood = quotedForMessage(std::string(1 << 20, 'x'));
    EXPECT_EQ(flood, "'" + std::string(80, 'x') + "'... (1048576 bytes)");
}

} // namespace
