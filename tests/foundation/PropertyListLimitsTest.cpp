#include "platform/foundation/PropertyListLimits.h"

#include "tests/support/HostilePlists.h"
#include "tests/support/PlistFiles.h"

#include <gtest/gtest.h>

namespace {

TEST(PropertyListLimits, BinaryListsWithinTheBoundsPass)
{
    PlistPtr dict(plist_new_dict());
    plist_dict_set_item(dict.get(), "lightSwitch", plist_new_bool(true));
    plist_dict_set_item(dict.get(), "text", plist_new_string(std::string(300, 'x').c_str()));
    plist_dict_set_item(dict.get(), "number", plist_new_uint(1ull << 40));
    plist_dict_set_item(dict.get(), "real", plist_new_real(0.5));
    plist_dict_set_item(dict.get(), "data", plist_new_data("\x01\x02", 2));
    plist_dict_set_item(dict.get(), "list", plist_new_array());
    EXPECT_TRUE(binaryPropertyListIsWithinLimits(binaryPlistBytes(dict.get())));

    // The root dictionary and 63 arrays under it: 64 levels.
    EXPECT_TRUE(binaryPropertyListIsWithinLimits(deepBinaryPlist(kMaximumPropertyListDepth - 1)));
    // One object referred to from several places is fine while the expansion stays small.
    EXPECT_TRUE(binaryPropertyListIsWithinLimits(expandingBinaryPlist(10)));
}

TEST(PropertyListLimits, BinaryListsBeyondTheBoundsOrMalformedFail)
{
    EXPECT_FALSE(binaryPropertyListIsWithinLimits(deepBinaryPlist(kMaximumPropertyListDepth)));
    EXPECT_FALSE(binaryPropertyListIsWithinLimits(deepBinaryPlist(100000)));
    EXPECT_FALSE(binaryPropertyListIsWithinLimits(expandingBinaryPlist(40)));
    EXPECT_FALSE(binaryPropertyListIsWithinLimits(cyclicBinaryPlist()));
    // An array that holds itself.
    EXPECT_FALSE(binaryPropertyListIsWithinLimits(binaryPlistFromObjects({ binaryArrayObject({ 0 }, 1) }, 1)));
    // A reference past the last object.
    EXPECT_FALSE(binaryPropertyListIsWithinLimits(binaryPlistFromObjects({ binaryArrayObject({ 7 }, 1) }, 1)));

    auto valid = deepBinaryPlist(3);
    auto broken = [&](size_t fromEnd, char value) {
        auto bytes = valid;
        bytes[bytes.size() - fromEnd] = value;
        return bytes;
    };
    EXPECT_FALSE(binaryPropertyListIsWithinLimits(valid.substr(0, 20)));
    EXPECT_FALSE(binaryPropertyListIsWithinLimits(broken(26, 0))) << "offsets of no bytes";
    EXPECT_FALSE(binaryPropertyListIsWithinLimits(broken(25, 9))) << "references of nine bytes";
    EXPECT_FALSE(binaryPropertyListIsWithinLimits(broken(17, 100))) << "more objects than the table holds";
    EXPECT_FALSE(binaryPropertyListIsWithinLimits(broken(9, 100))) << "a top object that does not exist";
    EXPECT_FALSE(binaryPropertyListIsWithinLimits(broken(1, 2))) << "a table inside the header";
    // A string that claims more bytes than there are.
    EXPECT_FALSE(binaryPropertyListIsWithinLimits(binaryPlistFromObjects({ std::string("\x5F\x13", 2) + std::string(7, '\0') + "\x7F" }, 1)));
    // An object of a kind that does not exist.
    EXPECT_FALSE(binaryPropertyListIsWithinLimits(binaryPlistFromObjects({ "\x70" }, 1)));
}

TEST(PropertyListLimits, XMLNestingIsCountedOverMarkupThatIsNotAnElement)
{
    EXPECT_TRUE(xmlPropertyListIsWithinLimits(deepXMLPlist(kMaximumPropertyListDepth - 1)));
    EXPECT_FALSE(xmlPropertyListIsWithinLimits(deepXMLPlist(kMaximumPropertyListDepth)));
    EXPECT_FALSE(xmlPropertyListIsWithinLimits(deepXMLPlist(100000)));

    std::string opened;
    for (int i = 0; i < 70; ++i)
        opened += "<array/><!-- <array> --><![CDATA[<array>]]><?pi <array> ?>";
    EXPECT_TRUE(xmlPropertyListIsWithinLimits("<plist><array>" + opened + "</array></plist>"));
}

} // namespace
