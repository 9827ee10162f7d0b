#include "address/AddressRecord.h"

#include <gtest/gtest.h>

using namespace dorvane;

namespace {
// 张三 and 上海市 / 浦东新区 in GB18030.
const std::string kZhangSan = "\xD5\xC5\xC8\xFD";
const std::string kShanghai = "\xC9\xCF\xBA\xA3\xCA\xD0";
const std::string kPudong = "\xC6\xD6\xB6\xAB\xD0\xC2\xC7\xF8";
} // namespace

TEST(AddressRecord, SplitsAtEveryCommaKeepingEmptyPartsAndAtMostTwentyPieces)
{
    EXPECT_EQ(SplitAddressRecord(kZhangSan + ",138,,addr,100000"),
              (std::vector<std::string>{kZhangSan, "138", "", "addr", "100000"}));
    EXPECT_EQ(SplitAddressRecord(""), std::vector<std::string>{""});
    EXPECT_EQ(SplitAddressRecord(",").size(), 2u);

    std::string many;
    for (int i = 0; i < 25; ++i)
        many += std::to_string(i) + ",";
    const auto pieces = SplitAddressRecord(many);
    ASSERT_EQ(pieces.size(), 20u);
    EXPECT_EQ(pieces.front(), "0");
    EXPECT_EQ(pieces.back(), "19"); // the twentieth piece stops at its own comma
}

TEST(AddressRecord, ACommaTypedIntoAPartIsStoredFullWidthAndReadsBackInPlace)
{
    const std::string wide = "\xA3\xAC"; // ，
    const std::string record = JoinAddressRecord({"A,B", "138", "", kShanghai + "," + kPudong, "200000"});
    EXPECT_EQ(record, "A" + wide + "B,138,," + kShanghai + wide + kPudong + ",200000");
    EXPECT_EQ(PickedAddressParts(record),
              (AddressParts{"A" + wide + "B", "138", "", kShanghai + wide + kPudong, "200000"}));
    EXPECT_EQ(JoinAddressRecord({"", "", "", "a\nb", ""}), ",,,a\nb,"); // line breaks stay

    const AddressParts full = PickedAddressParts(kZhangSan + ",13800000000,010-1,road 1,100000");
    EXPECT_EQ(full, (AddressParts{kZhangSan, "13800000000", "010-1", "road 1", "100000"}));
    EXPECT_EQ(PickedAddressParts(kZhangSan + ",138"), (AddressParts{kZhangSan, "138", "", "", ""}));
}

// Records saved before commas were kept out of the parts: the telephones and the postcode show
// where the extra pieces belong; the later parts keep their own values.
TEST(AddressRecord, AnOlderRecordWithACommaInsideAPartKeepsEachPartInItsField)
{
    EXPECT_EQ(PickedAddressParts("w,139,," + kShanghai + "," + kPudong + ",200000"),
              (AddressParts{"w", "139", "", kShanghai + "," + kPudong, "200000"}));
    // In the name: the mobile number is no name.
    const std::string extension = "0571-8888 \xD7\xAA" + std::string("12"); // 转12
    EXPECT_EQ(PickedAddressParts("Li, Wang,138****5678," + extension + ",road,310000"),
              (AddressParts{"Li, Wang", "138****5678", extension, "road", "310000"}));
    // Two commas in the address, no telephone and no postcode.
    EXPECT_EQ(PickedAddressParts(kZhangSan + ",,,a,b,c,"), (AddressParts{kZhangSan, "", "", "a,b,c", ""}));
    // Nothing shows where the comma was (the "mobile" holds letters): the address takes the
    // extra piece, so the postcode is still the last piece.
    EXPECT_EQ(PickedAddressParts("n,none,,a,b,100000"), (AddressParts{"n", "none", "", "a,b", "100000"}));
}

TEST(AddressRecord, TypedTextCountsOnlyWithExactlyFiveParts)
{
    const auto five = TypedInFullAddress(kZhangSan + ",138,,addr,100000");
    ASSERT_TRUE(five.has_value());
    EXPECT_EQ((*five)[0], kZhangSan);
    EXPECT_EQ((*five)[2], "");
    EXPECT_EQ((*five)[4], "100000");

    EXPECT_TRUE(TypedInFullAddress(",,,,").has_value());
    EXPECT_FALSE(TypedInFullAddress(kZhangSan + ",138,,addr").has_value());
    EXPECT_FALSE(TypedInFullAddress(kZhangSan + ",138,,addr,100000,").has_value());
    EXPECT_FALSE(TypedInFullAddress(kZhangSan).has_value());
    EXPECT_FALSE(TypedInFullAddress("").has_value());
}
