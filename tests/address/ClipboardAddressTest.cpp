#include "address/ClipboardAddress.h"

#include "support/Gb18030Support.h"

#include <gtest/gtest.h>

#include <string>

using namespace dorvane;

namespace {
// GBK bytes of the words used below.
const std::string kComma = "\xA3\xAC";        // ，
const std::string kWideBlank = "\xA1\xA1";    // 　
const std::string kShi = "\xCA\xD0";          // 市
const std::string kZhangSan = "\xD5\xC5\xC8\xFD";               // 张三
const std::string kZhejiangSheng = "\xD5\xE3\xBD\xAD\xCA\xA1";  // 浙江省
const std::string kNingboShi = "\xC4\xFE\xB2\xA8\xCA\xD0";      // 宁波市
const std::string kYinzhouQu = "\xDB\xB4\xD6\xDD\xC7\xF8";      // 鄞州区
const std::string kMouLu = "\xC4\xB3\xC2\xB7";                  // 某路
const std::string kHao = "\xBA\xC5";                            // 号
const std::string kShanghai = "\xC9\xCF\xBA\xA3";               // 上海
const std::string kRareChar = "\x95\x32\x82\x36";               // 𠀀, four bytes in GB18030
const std::string kAddress = kZhejiangSheng + kNingboShi + kYinzhouQu + kMouLu + "8" + kHao;

std::string Commas(std::initializer_list<std::string> pieces)
{
    std::string text;
    for (const std::string& piece : pieces)
        text += (&piece == pieces.begin() ? "" : kComma) + piece;
    return text;
}

std::string Blanks(std::initializer_list<std::string> pieces)
{
    std::string text;
    for (const std::string& piece : pieces)
        text += (&piece == pieces.begin() ? "" : "  ") + piece;
    return text;
}

// The fields of a text that must be accepted; all unset when it is not.
RecipientFields Accepted(const std::string& text)
{
    const auto fields = ParseClipboardAddress(text);
    if (!fields)
        ADD_FAILURE() << "rejected: " << text;
    return fields.value_or(RecipientFields{});
}

// A comma-shaped text around one piece under test: mobile, an address with a city, postcode.
RecipientFields WithPiece(const std::string& piece)
{
    return Accepted(Commas({"13900000000", kShanghai + kShi + kMouLu + "1" + kHao, "315000", piece}));
}

// The same with a name before it, for a piece that is no name.
RecipientFields WithNameAndPiece(const std::string& piece)
{
    return Accepted(Commas({kZhangSan, "13900000000", kShanghai + kShi + kMouLu + "1" + kHao, "315000", piece}));
}
} // namespace

TEST(ClipboardAddress, CommaShapeSplitsTheShopAddress)
{
    const std::string spacedAddress =
        kZhejiangSheng + " " + kNingboShi + " " + kYinzhouQu + " " + kMouLu + " 8 " + kHao;
    const auto fields = ParseClipboardAddress(
        Commas({kZhangSan, "13900000000", "0574-88888888", spacedAddress, "315000"}));
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->name, kZhangSan);
    EXPECT_EQ(fields->mobile, "13900000000");
    EXPECT_EQ(fields->telephone, "0574-88888888");
    EXPECT_EQ(fields->address, kAddress);
    EXPECT_EQ(fields->destination, kNingboShi);
    EXPECT_EQ(fields->postcode, "315000");

    // Full-width blanks go too, and a field the text lacks has no value, except the telephone,
    // which is emptied.
    const auto wide = ParseClipboardAddress(Commas({kWideBlank + kZhangSan + kWideBlank, "1390000 0000", kAddress, ""}));
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->name, kZhangSan);
    EXPECT_EQ(wide->mobile, "13900000000");
    EXPECT_EQ(wide->telephone, "");
    EXPECT_FALSE(wide->postcode);

    // A later number of a kind replaces an earlier one.
    const auto later =
        ParseClipboardAddress(Commas({"Alice", "13900000000", kAddress, "13911111111", "100000", "200000"}));
    ASSERT_TRUE(later);
    EXPECT_EQ(later->name, "Alice");
    EXPECT_EQ(later->mobile, "13911111111");
    EXPECT_EQ(later->postcode, "200000");
    // Two names are not one recipient: neither is taken for the other.
    EXPECT_FALSE(ParseClipboardAddress(Commas({"Alice", "13900000000", kAddress, "Bob", "13911111111", "100000"})));
}

TEST(ClipboardAddress, BlankShapeSplitsTheShopAddress)
{
    const auto fields = ParseClipboardAddress(
        Blanks({kZhejiangSheng, kNingboShi, kYinzhouQu, kMouLu + "8" + kHao, "315000", kZhangSan, "13900000000"}));
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->postcode, "315000");
    EXPECT_EQ(fields->mobile, "13900000000");
    EXPECT_EQ(fields->address, kAddress);
    EXPECT_EQ(fields->destination, kNingboShi);
    EXPECT_EQ(fields->name, kZhangSan);
    EXPECT_EQ(fields->telephone, "");

    // Several name pieces are joined, a hyphenated number is the telephone, single blanks stay,
    // and with one or two full-width commas only what follows the last one counts.
    const auto joined = ParseClipboardAddress("order 1" + kComma + "x" + kComma +
        Blanks({"A B", kNingboShi, "C", "D", "315000", "Zhang", "San", "0574-88888888", "13900000000"}));
    ASSERT_TRUE(joined);
    EXPECT_EQ(joined->address, "A B" + kNingboShi + "CD");
    EXPECT_EQ(joined->destination, kNingboShi);
    EXPECT_EQ(joined->name, "ZhangSan0574-88888888");
    EXPECT_EQ(joined->telephone, "0574-88888888");

    // Mobile right after (or before) the postcode: no name.
    const auto noName = ParseClipboardAddress(Blanks({"a", kShi, "b", "13900000000", "c", "315000", "d", "e"}));
    ASSERT_TRUE(noName);
    EXPECT_EQ(noName->name, "");
    EXPECT_EQ(noName->address, "a" + kShi + "b13900000000c");
}

TEST(ClipboardAddress, LineEndsAndBlanksAfterTheTextAreNoPartOfIt)
{
    // A copied line usually ends with a line end: the postcode is still the last piece.
    const std::string comma =
        Commas({kZhangSan, "13900000000", kShanghai + kShi + kMouLu + "1" + kHao, "200000"});
    const std::string blank = Blanks(
        {kZhejiangSheng, kNingboShi, kYinzhouQu, kMouLu + "8" + kHao, "315000", kZhangSan, "13900000000"});
    for (const std::string& end : {std::string("\n"), std::string("\r\n"), std::string("\r\n\r\n"),
                                   std::string(" \t \n"), kWideBlank + "\r\n" + kWideBlank}) {
        SCOPED_TRACE(end);
        const RecipientFields fromComma = Accepted(comma + end);
        EXPECT_EQ(fromComma.postcode, "200000");
        EXPECT_EQ(fromComma.name, kZhangSan);
        const RecipientFields fromBlank = Accepted(blank + end);
        EXPECT_EQ(fromBlank.mobile, "13900000000");
        EXPECT_EQ(fromBlank.name, kZhangSan);
    }
    // Only the end is trimmed: a line end inside a piece still spoils it.
    EXPECT_EQ(Accepted(Commas({kZhangSan, "13900000000", kAddress, "200000\n", "x"})).postcode, std::nullopt);
}

TEST(ClipboardAddress, RejectsTextOfNoShape)
{
    // No 市 anywhere, even with three full-width commas.
    EXPECT_FALSE(ParseClipboardAddress(Commas({kZhangSan, "13900000000", kZhejiangSheng + kMouLu, "315000"})));
    // A word, a number, nothing.
    EXPECT_FALSE(ParseClipboardAddress(kNingboShi));
    EXPECT_FALSE(ParseClipboardAddress("13900000000"));
    EXPECT_FALSE(ParseClipboardAddress(""));
    // Seven full-width commas is too many; six still counts.
    const std::string six = Commas({kZhangSan, "13900000000", kAddress, "315000", "a", "b", "c"});
    EXPECT_TRUE(ParseClipboardAddress(six));
    EXPECT_FALSE(ParseClipboardAddress(six + kComma));
}

TEST(ClipboardAddress, BlankShapeNeedsSixToElevenSeparators)
{
    const auto blanks = [](int separators) {
        std::string text = "a" + kShi + "  b  c  315000  d  13900000000";
        for (int i = 5; i < separators; ++i)
            text += "  e";
        return ParseClipboardAddress(text);
    };
    EXPECT_FALSE(blanks(5));
    EXPECT_TRUE(blanks(6));
    EXPECT_TRUE(blanks(11));
    EXPECT_FALSE(blanks(12));

    // Four blanks are two separators around an empty piece.
    EXPECT_TRUE(ParseClipboardAddress("a" + kShi + "    c  315000  d  13900000000  e"));
    EXPECT_FALSE(ParseClipboardAddress("a" + kShi + "   c  315000  d  13900000000  e"));
}

TEST(ClipboardAddress, BlankShapeWithoutPostcodeOrMobileIsNotTaken)
{
    EXPECT_FALSE(ParseClipboardAddress(Blanks({"a", kShi, "b", "c", "d", kZhangSan, "13900000000"})));
    EXPECT_FALSE(ParseClipboardAddress(Blanks({"a", kShi, "b", "c", "315000", kZhangSan, "0574-88888888"})));
    // Pieces 0 to 2 are not looked at.
    EXPECT_FALSE(ParseClipboardAddress(Blanks({"315000", kShi, "13900000000", "c", "d", "e", "f"})));
}

TEST(ClipboardAddress, CommaPiecesAreNamesWhateverTheirLength)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    // Names of three to six characters and more are names; a long piece without a region does
    // not replace the address.
    const std::string address = kShanghai + kShi + kMouLu + "1" + kHao;
    const std::string twelve = "\xC5\xB7\xD1\xF4\xC4\xC8\xC4\xC8\xC4\xC8\xC4\xC8"; // 欧阳娜娜娜娜
    for (const std::string& name : {twelve, std::string("ABCDEFGHIJKL"), std::string("ABCDEFGHIJK"),
                                    std::string("ABCDEFGHIJKLM"), std::string("ABC")}) {
        SCOPED_TRACE(name);
        const RecipientFields fields = WithPiece(name);
        EXPECT_EQ(fields.name, name);
        EXPECT_EQ(fields.address, address);
    }
    // Two bytes are no name.
    EXPECT_EQ(WithNameAndPiece("AB").name, kZhangSan);

    // Numbers: 8 digits without "-" are nothing; any "-" makes a telephone, never a mobile.
    EXPECT_EQ(WithNameAndPiece("88888888").telephone, "");
    EXPECT_EQ(WithNameAndPiece("0574-88888888").telephone, "0574-88888888");
    const auto hyphenated = WithNameAndPiece("138-0000-0000");
    EXPECT_EQ(hyphenated.telephone, "138-0000-0000");
    EXPECT_EQ(hyphenated.mobile, "13900000000");
    EXPECT_EQ(WithNameAndPiece("1380000000").mobile, "13900000000");
    EXPECT_EQ(WithNameAndPiece("1234567").postcode, "315000");
}

TEST(ClipboardAddress, DestinationComesFromTheAddress)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    const auto destination = [](const std::string& address) {
        return Accepted(Commas({kZhangSan, "13900000000", address, "315000", kShi})).destination;
    };
    // No province or region: the first two characters.
    EXPECT_EQ(destination(kShanghai + kShi + kMouLu + "1" + kHao), kShanghai);
    // 广西壮族自治区南宁市...
    EXPECT_EQ(destination("\xB9\xE3\xCE\xF7\xD7\xB3\xD7\xE5\xD7\xD4\xD6\xCE\xC7\xF8\xC4\xCF\xC4\xFE\xCA\xD0" + kMouLu),
              "\xC4\xCF\xC4\xFE\xCA\xD0");
    // 市 missing from the address, or before the province: empty.
    EXPECT_EQ(destination(kZhejiangSheng + kYinzhouQu + kMouLu), "");
    EXPECT_EQ(destination(kNingboShi + kZhejiangSheng + kYinzhouQu + kMouLu), "");
    // 笆 (B0 CA) then 、(A1 A2) holds the bytes of 省 across two characters: no province.
    EXPECT_EQ(destination(kNingboShi + "\xB0\xCA\xA1\xA2" + kMouLu + kMouLu), kNingboShi.substr(0, 4));
    // An address must start with a region: one that starts with a digit is none, and the text
    // is no shop address.
    EXPECT_FALSE(ParseClipboardAddress(Commas({kZhangSan, "13900000000", "8" + kShanghai + kShi + kMouLu + "1" + kHao,
                                               "315000", kShi})));
}

TEST(ClipboardAddress, MarkersMatchWholeCharactersOnly)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    // 海 (BA A3) followed by a four-byte character starting with AC: the bytes A3 AC are no comma.
    const std::string falseComma = kShanghai + "\xAC\x30\x81\x30";
    const auto blank = ParseClipboardAddress(Blanks({falseComma, kShi, "b", "c", "315000", "d", "13900000000"}));
    ASSERT_TRUE(blank);
    EXPECT_EQ(blank->address, falseComma + kShi + "bc");
    EXPECT_TRUE(ParseClipboardAddress(
        Commas({kZhangSan, "13900000000", falseComma + kMouLu + "1" + kHao, "a", "b", "c", "d"})));

    // A four-byte character right before markers: counted as four bytes, markers still found.
    const auto rare = ParseClipboardAddress(
        Commas({kRareChar + kZhangSan, "13900000000",
                kNingboShi.substr(0, 4) + kRareChar + kZhejiangSheng.substr(4) + kRareChar + kShi + kMouLu + kMouLu, "315000"}));
    ASSERT_TRUE(rare);
    EXPECT_EQ(rare->name, kRareChar + kZhangSan);
    EXPECT_EQ(rare->destination, kRareChar + kShi);
    EXPECT_EQ(Accepted(Commas({kRareChar + kRareChar + kRareChar, "13900000000", kAddress, "x"})).name,
              kRareChar + kRareChar + kRareChar); // a name of twelve bytes

    // 笆 (B0 CA) then 小 (D0 A1) holds the bytes of 市 across two characters: no city.
    EXPECT_FALSE(ParseClipboardAddress(Commas({"\xB0\xCA\xD0\xA1", "13900000000", "a", "315000"})));
    // 啊 (B0 A1) then 、(A1 A2) holds the bytes of a full-width blank, which must stay.
    EXPECT_EQ(WithPiece("\xB0\xA1\xA1\xA2").name, "\xB0\xA1\xA1\xA2");
}
