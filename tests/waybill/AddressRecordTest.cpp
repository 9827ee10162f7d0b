#include "waybill/AddressRecord.h"

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

TEST(AddressRecord, PickedRecordFillsFivePartsAndACommaInTheAddressShiftsThePostcode)
{
    const AddressParts full = PickedAddressParts(kZhangSan + ",13800000000,010-1,road 1,100000");
    EXPECT_EQ(full, (AddressParts{kZhangSan, "13800000000", "010-1", "road 1", "100000"}));

    // 上海市,浦东新区 typed as the address: the postcode field gets the rest of the address.
    const AddressParts shifted = PickedAddressParts("w,139,," + kShanghai + "," + kPudong + ",200000");
    EXPECT_EQ(shifted[3], kShanghai);
    EXPECT_EQ(shifted[4], kPudong);

    const AddressParts shortRecord = PickedAddressParts(kZhangSan + ",138");
    EXPECT_EQ(shortRecord, (AddressParts{kZhangSan, "138", "", "", ""}));
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
