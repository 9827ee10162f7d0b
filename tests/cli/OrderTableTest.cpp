// The order export as the window reads it: whole, mapped by column, remembered by header.
#include "app/Utf8CodePage.h"
#include "cli/OrderTable.h"
#include "support/TempFolder.h"
#include "support/Gb18030Support.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace dorvane;
using namespace dorvane::test;

namespace {

std::string Gbk(const std::string& utf8)
{
    return CodePageFromUtf8(utf8);
}

std::filesystem::path Write(const TempFolder& folder, const std::string& name, const std::string& bytes)
{
    const auto path = folder / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

} // namespace

TEST(OrderTable, ReadsUtf8AndGbkAlikeWithQuotedCells)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    TempFolder folder;
    const std::string text = "订单号, 收件人姓名 ,收件人地址\r\n"
                             "A1,张三,\"浙江省宁波市鄞州区某路8号, 2楼\"\r\n"
                             ",,\r\n" // a row of empty cells, as spreadsheets leave below their data
                             "A2,\"李\"\"四\",\"上海市某路\n1号\"\r\n";
    for (const std::string& bytes : {"\xEF\xBB\xBF" + text, Gbk(text)}) {
        std::string error;
        const auto table = ReadOrderTable(Write(folder, "orders.csv", bytes), error);
        ASSERT_TRUE(table) << error;
        EXPECT_EQ(table->header, (std::vector<std::string>{Gbk("订单号"), Gbk("收件人姓名"), Gbk("收件人地址")}));
        ASSERT_EQ(table->rows.size(), 2u);
        EXPECT_EQ(table->rows[0][2], Gbk("浙江省宁波市鄞州区某路8号, 2楼"));
        EXPECT_EQ(table->rows[1][1], Gbk("李\"四"));
        EXPECT_EQ(table->rows[1][2], Gbk("上海市某路\n1号"));
    }

    std::string error;
    EXPECT_FALSE(ReadOrderTable(Write(folder, "short.csv", "a,b\r\n1,2\r\n3\r\n"), error));
    EXPECT_NE(error.find("第 3 行"), std::string::npos) << error;
    EXPECT_FALSE(ReadOrderTable(Write(folder, "header.csv", "a,b\r\n"), error));
    EXPECT_FALSE(ReadOrderTable(folder / "missing.csv", error));
    EXPECT_TRUE(IsSpreadsheetFile("orders.XLSX"));
    EXPECT_TRUE(IsSpreadsheetFile("orders.xls"));
    EXPECT_FALSE(IsSpreadsheetFile("orders.csv"));
}

TEST(OrderTable, ColumnsFillFieldsAndAWholeAddressIsSplit)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    const std::vector<std::string> header{Gbk("收件人姓名"), Gbk("买家"), Gbk("收货地址"), Gbk("收件人姓名"),
                                          Gbk("收件人手机号码")};
    ColumnMap map = GuessColumns(header);
    EXPECT_EQ(map, (ColumnMap{3, kUnusedColumn, kUnusedColumn, kUnusedColumn, 12}));

    map[2] = kWholeAddressColumn;
    FieldTexts base;
    base[1] = Gbk("寄件人");
    base[9] = "0574-1"; // a shop address empties the recipient's telephone it lacks
    const std::vector<std::string> cells{
        Gbk("王五"), Gbk("买家昵称"), Gbk("张三，13900000000，浙江省宁波市鄞州区某路8号，315000"), "", "13800000000"};
    const FieldTexts texts = RecordTexts(cells, map, base);
    EXPECT_EQ(texts[1], Gbk("寄件人"));
    EXPECT_EQ(texts[3], Gbk("王五")); // its own column wins over the split address's piece
    EXPECT_EQ(texts[7], Gbk("浙江省宁波市鄞州区某路8号"));
    EXPECT_EQ(texts[0], Gbk("宁波市"));
    EXPECT_EQ(texts[13], "315000");
    EXPECT_EQ(texts[12], "13800000000");
    EXPECT_EQ(texts[9], "");
    EXPECT_FALSE(LacksRecipient(texts));

    FieldTexts noAddress = texts;
    noAddress[7] = "  ";
    EXPECT_TRUE(LacksRecipient(noAddress));
}

// A platform's export: province, city, district and street apart, two remark columns, the
// name and telephone in columns of their own.
TEST(OrderTable, SeveralColumnsJoinAndAnAddressAloneNamesItsDestination)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    const std::vector<std::string> header{Gbk("省"),     Gbk("市"),   Gbk("区"),   Gbk("详细地址"),
                                          Gbk("收货人"), Gbk("手机"), Gbk("规格"), Gbk("备注")};
    const ColumnMap map{7, 7, 7, 7, 3, 12, 14, 14};
    const std::vector<std::string> cells{Gbk("浙江省"), Gbk("杭州市"), Gbk("西湖区"), Gbk("文三路100号"),
                                         Gbk("张三"),   "13900001111", Gbk("红色"),   Gbk("加急")};
    FieldTexts texts = RecordTexts(cells, map, {});
    EXPECT_EQ(texts[7], Gbk("浙江省杭州市西湖区文三路100号")); // address parts: nothing between
    EXPECT_EQ(texts[14], Gbk("红色 加急"));                    // other texts: a blank between
    EXPECT_EQ(texts[0], Gbk("杭州市"));                        // no 目的地 column: read off the address
    EXPECT_EQ(texts[3], Gbk("张三"));
    EXPECT_EQ(JoinedColumns(header, map, 1), Gbk("省+市+区+详细地址"));
    EXPECT_EQ(JoinedColumns(header, map, 4), "");

    // An empty part adds nothing; the first column of a field still empties what base held.
    std::vector<std::string> partly = cells;
    partly[2] = "";
    partly[6] = "";
    FieldTexts base;
    base[14] = Gbk("书籍");
    texts = RecordTexts(partly, map, base);
    EXPECT_EQ(texts[7], Gbk("浙江省杭州市文三路100号"));
    EXPECT_EQ(texts[14], Gbk("加急"));

    // One column of the address alone: as 收件人地址, or as a whole address to split. Its
    // province is put in front, and the name and telephone of their own columns stay.
    for (const int kind : {7, kWholeAddressColumn}) {
        const ColumnMap alone{kind, 3, 12};
        const std::vector<std::string> row{Gbk("宁波市鄞州区某路8号"), Gbk("李四"), "13800002222"};
        texts = RecordTexts(row, alone, {});
        EXPECT_EQ(texts[7], Gbk("浙江省宁波市鄞州区某路8号")) << kind;
        EXPECT_EQ(texts[0], Gbk("宁波市")) << kind;
        EXPECT_EQ(texts[3], Gbk("李四")) << kind;
        EXPECT_EQ(texts[12], "13800002222") << kind;
    }
    // A 目的地 column of its own is kept; a text that names no region leaves both as they are.
    texts = RecordTexts({Gbk("杭州市西湖区某路1号"), Gbk("杭州")}, ColumnMap{7, 0}, {});
    EXPECT_EQ(texts[0], Gbk("杭州"));
    texts = RecordTexts({Gbk("某路1号")}, ColumnMap{7}, {});
    EXPECT_EQ(texts[7], Gbk("某路1号"));
    EXPECT_EQ(texts[0], "");
}

TEST(OrderTable, AMappingIsRememberedForItsHeaderOnly)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    TempFolder folder;
    const auto ini = folder / "columns.ini";
    const std::vector<std::string> shop{Gbk("买家"), Gbk("地址"), "tel"};
    const std::vector<std::string> other{Gbk("买家"), Gbk("地址")};
    EXPECT_FALSE(LoadColumnMap(ini, shop));

    ASSERT_TRUE(SaveColumnMap(ini, shop, {3, 7, 12}));
    ASSERT_TRUE(SaveColumnMap(ini, other, {3, kWholeAddressColumn}));
    EXPECT_EQ(LoadColumnMap(ini, shop), (ColumnMap{3, 7, 12}));
    EXPECT_EQ(LoadColumnMap(ini, other), (ColumnMap{3, kWholeAddressColumn}));
    EXPECT_FALSE(LoadColumnMap(ini, {Gbk("买家")}));

    // A new choice for a header replaces its old one and leaves the others.
    ASSERT_TRUE(SaveColumnMap(ini, shop, {3, kUnusedColumn, 9}));
    EXPECT_EQ(LoadColumnMap(ini, shop), (ColumnMap{3, kUnusedColumn, 9}));
    EXPECT_EQ(LoadColumnMap(ini, other), (ColumnMap{3, kWholeAddressColumn}));
    EXPECT_EQ(ReadBytes(ini).find(Gbk("买家")), 7u); // newest first: "3,-1,9\t买家..."

    // A damaged line is no mapping.
    std::ofstream(ini, std::ios::binary) << "3,99,1\t" << Gbk("买家") << "\t" << Gbk("地址") << "\ttel\r\n";
    EXPECT_FALSE(LoadColumnMap(ini, shop));
}
