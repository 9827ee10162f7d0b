// Addresses copied from today's order pages and chats, read through the parser's one entry
// point. Texts are written here in UTF-8 and handed over as code-page bytes, as the window does.
#include "text/Utf8CodePage.h"
#include "address/ClipboardAddress.h"
#include "address/PhoneNumber.h"
#include "address/RegionTable.h"
#include "support/Gb18030Support.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <span>
#include <string>

using namespace dorvane;

namespace {

std::optional<RecipientFields> Parse(const std::string& utf8)
{
    return ParseClipboardAddress(CodePageFromUtf8(utf8));
}

std::string Shown(const std::optional<std::string>& field)
{
    return field ? Utf8FromCodePage(*field).value_or("<not GB18030>") : "<none>";
}

struct Shape {
    const char* from;
    const char* text;
    // The six fields; nullptr where the text gives none.
    const char* name;
    const char* mobile;
    const char* telephone;
    const char* address;
    const char* postcode;
    const char* destination;
};

const Shape kShapes[] = {
    {"Taobao order page, one item a line",
     "收货人：张三\n手机号码：13800001111\n所在地区：浙江省 杭州市 西湖区\n详细地址：文三路100号\n",
     "张三", "13800001111", "", "浙江省杭州市西湖区文三路100号", nullptr, "杭州市"},
    {"JD, masked privacy number, blank lines after",
     "收货人：李四\n地址：浙江杭州市西湖区文三路100号\n手机号码：138****1111-1234\n\n\n",
     "李四", "138****1111-1234", "", "浙江杭州市西湖区文三路100号", nullptr, "杭州市"},
    {"Pinduoduo, labels on one line, ASCII colons, 转 extension",
     "收件人: 王五 手机号: 138****1111转1234 所在地区: 广东省 深圳市 南山区 详细地址: 科技园路1号",
     "王五", "138****1111转1234", "", "广东省深圳市南山区科技园路1号", nullptr, "深圳市"},
    {"Taobao, region line and a detail line that repeats it",
     "所在地区：浙江省杭州市西湖区\r\n详细地址：浙江省杭州市西湖区文三路100号\r\n收件人：张三\r\n电话：13800001111\r\n",
     "张三", "13800001111", "", "浙江省杭州市西湖区文三路100号", nullptr, "杭州市"},
    {"Tmall, the municipality twice in the region line: written once",
     "收货人：张三\n所在地区：上海 上海市 浦东新区\n详细地址：世纪大道100号\n手机：13800001111",
     "张三", "13800001111", "", "上海市浦东新区世纪大道100号", nullptr, "上海市"},
    {"region line without a detail line, county-level city under its province",
     "收货人：周八\n联系电话：86-13100006666\n所在地区：湖北省 仙桃市\n",
     "周八", "13100006666", "", "湖北省仙桃市", nullptr, "仙桃市"},
    {"WeChat, full-width semicolons, landline and postcode",
     "姓名：吴九；电话：0571-88886666；地址：浙江省宁波市鄞州区某路8号；邮编：315000",
     "吴九", nullptr, "0571-88886666", "浙江省宁波市鄞州区某路8号", "315000", "宁波市"},
    {"Latin buyer name, hyphenated mobile",
     "买家：Alice Wang\n收货地址：上海市浦东新区世纪大道100号\n手机：138-0000-1111",
     "Alice Wang", "13800001111", "", "上海市浦东新区世纪大道100号", nullptr, "上海市"},
    {"one line, blanks",
     "张三 13800001111 浙江省杭州市西湖区文三路100号",
     "张三", "13800001111", "", "浙江省杭州市西湖区文三路100号", nullptr, "杭州市"},
    {"one line, full-width commas, name after the address",
     "浙江省杭州市西湖区文三路100号，张三，13800001111",
     "张三", "13800001111", "", "浙江省杭州市西湖区文三路100号", nullptr, "杭州市"},
    {"WeChat chat, several lines, district only: municipality put in front",
     "赵六\n+86 139 0000 2222\n海淀区中关村大街1号\n",
     "赵六", "13900002222", "", "北京市海淀区中关村大街1号", nullptr, "北京市"},
    {"landline in brackets and a postcode, city only: province put in front",
     "孙七 (0571)88886666 杭州市西湖区文三路100号 310012",
     "孙七", nullptr, "0571-88886666", "浙江省杭州市西湖区文三路100号", "310012", "杭州市"},
    {"city by its short name, CRLF lines",
     "杭州西湖区文三路100号\r\n张三\r\n13800001111\r\n\r\n",
     "张三", "13800001111", "", "浙江省杭州西湖区文三路100号", nullptr, "杭州市"},
    {"county-level city of an autonomous prefecture",
     "张三，13800001111，恩施市航空大道1号",
     "张三", "13800001111", "", "湖北省恩施土家族苗族自治州恩施市航空大道1号", nullptr, "恩施土家族苗族自治州"},
    {"district several cities have: nothing put in front",
     "西湖区文三路100号 张三 13800001111",
     "张三", "13800001111", "", "西湖区文三路100号", nullptr, ""},
    {"order page with labels of no use here (订单编号, 买家留言)",
     "收货人：张三\n订单编号：202401151234\n买家留言：尽快发货！\n手机号码：13800001111\n收货地址：广东省深圳市南山区科技园路1号",
     "张三", "13800001111", "", "广东省深圳市南山区科技园路1号", nullptr, "深圳市"},
    {"chat, labels without colons run into their values",
     "收货人张三 电话13800001111 地址浙江省杭州市西湖区文三路100号",
     "张三", "13800001111", "", "浙江省杭州市西湖区文三路100号", nullptr, "杭州市"},
    {"chat, telephone after the labelled name, postcode after the labelled address",
     "收件人：张三 13800001111\n地址：杭州市西湖区文三路100号 310012",
     "张三", "13800001111", "", "浙江省杭州市西湖区文三路100号", "310012", "杭州市"},
    {"chat, a colon after the name where no label is",
     "张三：13800001111，广东省深圳市南山区科技园路1号",
     "张三", "13800001111", "", "广东省深圳市南山区科技园路1号", nullptr, "深圳市"},
    {"address over two lines with a house number in Latin letters",
     "钱十\t13800001111\n江苏省南京市鼓楼区中山路1号\nB座 1201",
     "钱十", "13800001111", "", "江苏省南京市鼓楼区中山路1号B座1201", nullptr, "南京市"},
};

// Comma-shaped copies: a telephone in any shape is a telephone, a long name is a name, and
// pieces that do not give one name, one address and a telephone are read as free text.
const Shape kCommaPieces[] = {
    {"masked privacy number",
     "王芳，138****5678，浙江省杭州市西湖区文三路1号，310000",
     "王芳", "138****5678", "", "浙江省杭州市西湖区文三路1号", "310000", "杭州市"},
    {"+86 with blanks",
     "张三，+86 138 1234 5678，浙江省杭州市西湖区文三路1号，310000",
     "张三", "13812345678", "", "浙江省杭州市西湖区文三路1号", "310000", "杭州市"},
    {"0086 with blanks",
     "张三，0086 139 0000 2222，浙江省杭州市西湖区文三路1号，310000",
     "张三", "13900002222", "", "浙江省杭州市西湖区文三路1号", "310000", "杭州市"},
    {"telephone after the address",
     "孙丽，广东省广州市天河区体育西路1号，+8613812345678，510620",
     "孙丽", "13812345678", "", "广东省广州市天河区体育西路1号", "510620", "广州市"},
    {"mobile with its extension",
     "孙丽，13812345678转1234，广东省广州市天河区体育西路1号，510620",
     "孙丽", "13812345678转1234", "", "广东省广州市天河区体育西路1号", "510620", "广州市"},
    {"landline in brackets first",
     "(0571)88886666，张三，浙江省杭州市西湖区文三路1号，310000",
     "张三", nullptr, "0571-88886666", "浙江省杭州市西湖区文三路1号", "310000", "杭州市"},
    {"a name of ten characters",
     "阿卜杜热合曼·买买提，13812345678，新疆维吾尔自治区乌鲁木齐市天山区人民路1号，830000",
     "阿卜杜热合曼·买买提", "13812345678", "", "新疆维吾尔自治区乌鲁木齐市天山区人民路1号", "830000", "乌鲁木齐市"},
    {"country written first",
     "张三，13800001111，中国大陆 浙江省 杭州市 西湖区 文三路1号，310000",
     "张三", "13800001111", "", "中国大陆浙江省杭州市西湖区文三路1号", "310000", "杭州市"},
    {"address over two pieces: read as free text",
     "李明，13812345678，浙江省杭州市，西湖区文三路1号",
     "李明", "13812345678", "", "浙江省杭州市西湖区文三路1号", nullptr, "杭州市"},
};

// The municipality written twice, as region lines are copied, is written once.
const Shape kMunicipalityOnce[] = {
    {"region line", "收货人：李明\n所在地区：北京市 北京市 朝阳区\n详细地址：建国路1号\n手机：13812345678",
     "李明", "13812345678", "", "北京市朝阳区建国路1号", nullptr, "北京市"},
    {"comma shape", "李明，13812345678，北京市 北京市 朝阳区 建国路1号，100020",
     "李明", "13812345678", "", "北京市朝阳区建国路1号", "100020", "北京"},
    {"free text, short then full name", "李明 13812345678 天津 天津市 和平区 南京路1号",
     "李明", "13812345678", "", "天津市和平区南京路1号", nullptr, "天津市"},
};

// Messier copies with one name, one telephone and an address down to its county.
const Shape kMessyCopies[] = {
    {"masked name, free text", "王xx 13812345678 浙江省杭州市西湖区文三路1号",
     "王xx", "13812345678", "", "浙江省杭州市西湖区文三路1号", nullptr, "杭州市"},
    {"masked name, labelled", "收件人：刘*\n手机：13812345678\n地址：浙江省杭州市西湖区文三路1号",
     "刘*", "13812345678", "", "浙江省杭州市西湖区文三路1号", nullptr, "杭州市"},
    {"masked name, comma shape", "陈**，13812345678，浙江省杭州市西湖区文三路1号，310000",
     "陈**", "13812345678", "", "浙江省杭州市西湖区文三路1号", "310000", "杭州市"},
    {"name glued to its telephone", "周xy13912345678 浙江省杭州市西湖区文三路1号",
     "周xy", "13912345678", "", "浙江省杭州市西湖区文三路1号", nullptr, "杭州市"},
    {"labelled name glued to its telephone", "收货人：周xy13912345678\n地址：浙江省杭州市西湖区文三路1号",
     "周xy", "13912345678", "", "浙江省杭州市西湖区文三路1号", nullptr, "杭州市"},
    {"county without 县", "李明13812345678，云南大理宾川金牛镇文化路1号",
     "李明", "13812345678", "", "云南大理宾川金牛镇文化路1号", nullptr, "大理白族自治州"},
    {"labels run together", "收货人李明手机号码13812345678所在地区浙江省杭州市西湖区详细地址文三路1号",
     "李明", "13812345678", "", "浙江省杭州市西湖区文三路1号", nullptr, "杭州市"},
    {"buyer's message around the address", "麻烦发到：浙江省杭州市西湖区文三路1号 李明13812345678 谢谢，不要到付",
     "李明", "13812345678", "", "浙江省杭州市西湖区文三路1号", nullptr, "杭州市"},
    {"comma line with a message after the address",
     "李明，13812345678，浙江省杭州市西湖区文三路1号，请尽快发货",
     "李明", "13812345678", "", "浙江省杭州市西湖区文三路1号", nullptr, "杭州市"},
    {"message, name after the telephone", "请寄到 广东省深圳市南山区科技园路1号 13812345678 王芳 谢谢",
     "王芳", "13812345678", "", "广东省深圳市南山区科技园路1号", nullptr, "深圳市"},
    {"message, autonomous county without its peoples and 县",
     "麻烦寄到：云南省大理州巍山南诏镇文华路1号 王芳13912345678 谢谢",
     "王芳", "13912345678", "", "云南省大理州巍山南诏镇文华路1号", nullptr, "大理白族自治州"},
};

void ExpectShapes(std::span<const Shape> shapes)
{
    for (const Shape& shape : shapes) {
        SCOPED_TRACE(shape.from);
        const auto fields = Parse(shape.text);
        ASSERT_TRUE(fields) << shape.text;
        const auto expect = [](const char* value) {
            return value ? std::optional<std::string>(CodePageFromUtf8(value)) : std::nullopt;
        };
        EXPECT_EQ(Shown(fields->name), Shown(expect(shape.name)));
        EXPECT_EQ(Shown(fields->mobile), Shown(expect(shape.mobile)));
        EXPECT_EQ(Shown(fields->telephone), Shown(expect(shape.telephone)));
        EXPECT_EQ(Shown(fields->address), Shown(expect(shape.address)));
        EXPECT_EQ(Shown(fields->postcode), Shown(expect(shape.postcode)));
        EXPECT_EQ(Shown(fields->destination), Shown(expect(shape.destination)));
    }
}

void ExpectRejected(std::initializer_list<const char*> texts)
{
    for (const char* text : texts)
        EXPECT_FALSE(Parse(text)) << text;
}

} // namespace

TEST(LooseAddress, ReadsTheShapesShopsCopyFrom)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    ExpectShapes(kShapes);
}

TEST(CopiedAddress, CommaPiecesByWhatTheyHold)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    ExpectShapes(kCommaPieces);
    ExpectRejected({
        "张三，13800001111，浙江省杭州市西湖区文三路1号，顺丰", // two names
        "张三，13800001111，某某路1号市场，310000",             // no region starts the address
        "张三，李四，王五，浙江省杭州市西湖区文三路1号",        // no telephone
    });
}

TEST(CopiedAddress, MunicipalityWrittenOnce)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    ExpectShapes(kMunicipalityOnce);
}

TEST(CopiedAddress, MessyCopiesWithNameTelephoneAndCounty)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    ExpectShapes(kMessyCopies);
    ExpectRejected({
        "王xx",                                                           // a lone masked name
        "周xy13912345678",                                                // name and telephone only
        "麻烦发到：浙江省杭州市西湖区文三路1号 张三 李明13812345678 谢谢", // a second name
        "麻烦发到：杭州市文三路1号 李明13812345678 谢谢",                  // no county
        "麻烦发到：浙江省杭州市西湖区 李明13812345678 谢谢",               // region names only
        "麻烦发到：浙江省杭州市西湖区文三路1号 谢谢 13812345678",          // no name by the telephone
        "收货人李明所在地区浙江省杭州市西湖区详细地址文三路1号",           // no telephone
        "宾川金牛镇1号 李明 13812345678",                                 // a bare county alone is no region
        "发货了吗？李明13812345678 浙江省杭州市西湖区文三路1号",           // a question
    });
}

TEST(LooseAddress, RejectsWhatIsNoAddress)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    const char* const rejected[] = {
        "你好，我想问一下这个什么时候发货？13800001111 杭州市",           // chat
        "亲 杭州市西湖区 明天 发货 13800001111",                           // chat: words that are no name
        "https://item.taobao.com/item.htm?id=123 张三 13800001111 杭州市西湖区", // link
        "订单号：123456789012345678",                                        // order number
        "123456789012345678",
        "订单编号：2024011513800001111 张三 浙江省杭州市西湖区文三路100号", // the mobile is no telephone here
        "张三",                                                              // a lone name
        "杭州市西湖区文三路100号",                                           // no name, no telephone
        "张三 13800001111 浙江省某路8号",                                    // no city or county
        "张三 13800001111 文三路100号",                                      // no region at all
        "收货人：张三\n地址：在杭州吗？\n电话：13800001111",                  // a question
        "张三 李四 13800001111 浙江省杭州市西湖区文三路100号",               // two names
    };
    for (const char* text : rejected)
        EXPECT_FALSE(Parse(text)) << text;

    // Up to 1,000 characters is an address, one more is not.
    const auto ofLength = [](std::size_t characters) {
        const std::string head = "张三 13800001111 浙江省杭州市西湖区文三路"; // 27 characters
        return head + std::string(characters - 28, '1') + "号";
    };
    EXPECT_TRUE(Parse(ofLength(1000)));
    EXPECT_FALSE(Parse(ofLength(1001)));
}

TEST(LooseAddress, TelephonesAsPeopleWriteThem)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    const auto phones = [](const std::string& utf8) {
        std::string shown;
        for (const PhoneNumber& phone : FindPhoneNumbers(CodePageFromUtf8(utf8)))
            shown += (phone.mobile ? "M:" : "L:") + *Utf8FromCodePage(phone.number) + " ";
        return shown;
    };
    EXPECT_EQ(phones("+86 138 0000 1111"), "M:13800001111 ");
    EXPECT_EQ(phones("0086-13800001111 8613900002222"), "M:13800001111 M:13900002222 ");
    EXPECT_EQ(phones("138－0000"), "");
    EXPECT_EQ(phones("138＊＊＊＊1111转12 138****1111-1234"), "M:138＊＊＊＊1111转12 M:138****1111-1234 ");
    EXPECT_EQ(phones("010-62345678 （0755）2345678 020 87654321-808"),
              "L:010-62345678 L:0755-2345678 L:020-87654321-808 ");
    EXPECT_EQ(phones("057188886666"), "L:0571-88886666 ");
    // Inside longer runs of digits or letters, no number; a second digit of 0-2 is no mobile,
    // a local number does not start with 0 or 1.
    EXPECT_EQ(phones("2024011513800001111 A13800001111 13800001111222 12800001111"), "");
    EXPECT_EQ(phones("0571-08886666 0571-888866 310000"), "");
    // An extension takes at most six digits; the number before it still counts.
    EXPECT_EQ(phones("13800001111-1234567"), "M:13800001111 ");
}

TEST(RegionTable, SettlesOnlyWhatOneRegionFits)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    const RegionTable& table = ShippedRegionTable();
    ASSERT_FALSE(table.empty()) << "data/regions/regions.txt not found";
    const auto read = [&](const char* utf8) { return ReadAddressRegions(table, CodePageFromUtf8(utf8)); };
    const auto name = [&](int index) { return index < 0 ? std::string("-") : *Utf8FromCodePage(table.at(index).name); };

    // 西湖区 is in 杭州 and 南昌, 鼓楼区 in four cities, two of them in 江苏: the province is
    // settled only where every reading shares it.
    const AddressRegions westLake = read("西湖区文三路");
    EXPECT_EQ(westLake.length, CodePageFromUtf8("西湖区").size());
    EXPECT_TRUE(westLake.reachesCity);
    EXPECT_EQ(name(westLake.province), "-");
    EXPECT_EQ(name(westLake.destination), "-");
    const AddressRegions drumTower = read("江苏省鼓楼区中山路");
    EXPECT_EQ(name(drumTower.province), "江苏省");
    EXPECT_EQ(name(drumTower.city), "-");
    EXPECT_EQ(name(drumTower.destination), "-");
    EXPECT_EQ(name(read("南昌市西湖区").destination), "南昌市");
    EXPECT_EQ(name(read("南京鼓楼区").destination), "南京市");

    // A district only one city has names the city and the province.
    const AddressRegions yuhang = read("余杭区");
    EXPECT_EQ(name(yuhang.province), "浙江省");
    EXPECT_EQ(name(yuhang.city), "杭州市");
    EXPECT_FALSE(yuhang.provinceWritten || yuhang.cityWritten);

    // A municipality is its own city; a county-level city its province governs directly is
    // its own destination, without a city.
    EXPECT_EQ(name(read("北京朝阳区").destination), "北京市");
    EXPECT_EQ(name(read("朝阳区").destination), "-"); // also in 长春 (and 朝阳市 is a city)
    const AddressRegions xiantao = read("仙桃市");
    EXPECT_EQ(name(xiantao.province), "湖北省");
    EXPECT_EQ(name(xiantao.city), "-");
    EXPECT_EQ(name(xiantao.destination), "仙桃市");

    // The longest reading wins: 吉林市 the city over 吉林 the province; 海南省 over 海南藏族自治州.
    EXPECT_EQ(name(read("吉林市船营区").destination), "吉林市");
    EXPECT_EQ(name(read("吉林长春市").destination), "长春市");
    EXPECT_EQ(name(read("海南省海口市").destination), "海口市");
    EXPECT_EQ(name(read("海南共和县").destination), "海南藏族自治州");

    // A province alone reaches no city; no region at all reads nothing.
    EXPECT_FALSE(read("浙江省某路").reachesCity);
    EXPECT_EQ(read("文三路100号").length, 0u);
}

TEST(RegionTable, CountiesWithoutSuffixAndMunicipalitiesTwice)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    const RegionTable& table = ShippedRegionTable();
    ASSERT_FALSE(table.empty()) << "data/regions/regions.txt not found";
    const auto read = [&](const char* utf8) { return ReadAddressRegions(table, CodePageFromUtf8(utf8)); };
    const auto bytes = [](const char* utf8) { return CodePageFromUtf8(utf8).size(); };
    const auto name = [&](int index) { return index < 0 ? std::string("-") : *Utf8FromCodePage(table.at(index).name); };

    // Below its written province or city, a county goes without 县 and without its peoples.
    const AddressRegions binchuan = read("云南大理宾川金牛镇");
    EXPECT_EQ(binchuan.length, bytes("云南大理宾川"));
    EXPECT_TRUE(binchuan.reachesCounty);
    EXPECT_EQ(name(binchuan.destination), "大理白族自治州");
    EXPECT_EQ(read("云南省巍山南诏镇").length, bytes("云南省巍山"));
    EXPECT_EQ(name(read("大理州大理市").destination), "大理白族自治州"); // an autonomous prefecture's 州
    // Not as the first name, not where a street starts (和平县 is in 广东), not where two
    // regions share the name (朝阳县, 朝阳市).
    EXPECT_EQ(read("宾川金牛镇").length, 0u);
    EXPECT_EQ(read("广东和平路1号").length, bytes("广东"));
    EXPECT_EQ(read("辽宁朝阳北路").reachesCounty, false);
    EXPECT_FALSE(read("杭州市文三路").reachesCounty);

    EXPECT_EQ(read("北京市北京市朝阳区").municipalityTwice, bytes("北京市北京市"));
    EXPECT_EQ(read("北京市朝阳区").municipalityTwice, 0u);
    EXPECT_EQ(*Utf8FromCodePage(WithMunicipalityOnce(table, CodePageFromUtf8("上海上海市浦东新区1号"))),
              "上海市浦东新区1号");
    EXPECT_EQ(*Utf8FromCodePage(WithMunicipalityOnce(table, CodePageFromUtf8("上海市浦东新区1号"))),
              "上海市浦东新区1号");
}

TEST(RegionTable, RefusesABrokenTable)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    EXPECT_TRUE(RegionTable::FromText("# c\n330000\t\t浙江省\t浙江\n330100\t330000\t杭州市\t杭州\n"));
    EXPECT_FALSE(RegionTable::FromText("330100\t330000\t杭州市\t杭州\n"));          // unknown parent
    EXPECT_FALSE(RegionTable::FromText("330000\t\t浙江省\n"));                       // a field missing
    EXPECT_FALSE(RegionTable::FromText("330000\t\t浙江省\t\n330000\t\t浙江省\t\n")); // a code twice
    EXPECT_FALSE(RegionTable::FromFile("no/such/regions.txt"));
}
