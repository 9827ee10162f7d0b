// The order export as it is read: records, encodings and the waybill columns.
#include "batch/CsvReader.h"
#include "printlog/PrintLogCsv.h"
#include "text/TextEncoding.h"
#include "batch/WaybillCsv.h"
#include "support/Gb18030Support.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace dorvane;

namespace {

std::vector<std::vector<std::string>> ReadAllRecords(const std::string& text,
                                                     std::vector<std::size_t>* lines = nullptr)
{
    std::istringstream input(text);
    CsvReader reader(input);
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> fields;
    CsvReader::Status status;
    while ((status = reader.next(fields)) == CsvReader::Status::Record) {
        records.push_back(fields);
        if (lines)
            lines->push_back(reader.recordLine());
    }
    EXPECT_EQ(status, CsvReader::Status::End) << reader.error();
    return records;
}

std::string ErrorOf(const std::string& text)
{
    std::istringstream input(text);
    CsvReader reader(input);
    std::vector<std::string> fields;
    CsvReader::Status status;
    while ((status = reader.next(fields)) == CsvReader::Status::Record) {
    }
    EXPECT_EQ(status, CsvReader::Status::Error);
    return reader.error();
}

const std::string kZhangSan = "\xD5\xC5\xC8\xFD"; // 张三 in GBK
const std::string kZhangSanUtf8 = "\xE5\xBC\xA0\xE4\xB8\x89";

} // namespace

TEST(CsvReader, QuotedFieldsHoldCommasQuotesAndLineBreaks)
{
    std::vector<std::size_t> lines;
    const auto records = ReadAllRecords("\xEF\xBB\xBF"
                                        "a,b,c\r\n"
                                        "\"x, y\",\"say \"\"hi\"\"\",\"two\r\nlines\"\r\n"
                                        ",,\n"
                                        "last,\"\",end", // no line end at the end
                                        &lines);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0], (std::vector<std::string>{"a", "b", "c"})); // the byte-order mark is gone
    EXPECT_EQ(records[1], (std::vector<std::string>{"x, y", "say \"hi\"", "two\r\nlines"}));
    EXPECT_EQ(records[2], (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(records[3], (std::vector<std::string>{"last", "", "end"}));
    // A record's line is where it starts; a quoted line break moves the next one down.
    EXPECT_EQ(lines, (std::vector<std::size_t>{1, 2, 4, 5}));
}

TEST(CsvReader, MalformedQuotesAreErrorsWithTheirLine)
{
    EXPECT_EQ(ErrorOf("a,b\n\"open,\nstill open\n"), "a quoted field opened on line 2 is never closed");
    EXPECT_EQ(ErrorOf("a,b\nc,d\n\"x\"y,z\n"), "text after the closing quote of a field on line 3");
    // A quote inside an unquoted field is plain text.
    EXPECT_EQ(ReadAllRecords("5\" disk,x\n")[0][0], "5\" disk");
}

// Up to the bounds everything is read; beyond them the record is refused with its line.
TEST(CsvReader, CellsAndRecordsBeyondTheirBoundsAreRefusedWithTheirLine)
{
    const std::string full(kLargestCsvCell, 'x');
    EXPECT_EQ(ReadAllRecords("a,b\n" + full + ",\"" + full + "\"\n")[1][1], full);
    EXPECT_EQ(ErrorOf("a,b\nc,d\ne," + full + "x\nf,g\n"), "line 3: a field is over 64 KB");
    EXPECT_EQ(ErrorOf("a,b\n\"two\n" + full + "\",c\n"), "line 2: a field is over 64 KB");
    // Separators count: a line of nothing but commas is as long.
    EXPECT_EQ(ErrorOf("a\nb\n" + std::string(kLargestCsvRecord + 1, ',')), "line 3: the record is over 1 MB");
}

TEST(TextEncoding, Utf8IsToldFromGbk)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    Utf8Validator split;
    split.feed("\xE5\xBC"); // a character cut between two reads is still valid once complete
    EXPECT_FALSE(split.valid());
    split.feed("\xA0");
    EXPECT_TRUE(split.valid());

    for (const std::string& bad :
         {kZhangSan, std::string("\xC0\xAF"), std::string("\xED\xA0\x80"), std::string("\xE5\xBC")}) {
        Utf8Validator validator;
        validator.feed(bad);
        EXPECT_FALSE(validator.valid()) << bad;
    }

    std::istringstream gbk("name\n" + kZhangSan + "\n");
    std::size_t nonUtf8Line = 0;
    EXPECT_EQ(DetectEncoding(gbk, &nonUtf8Line), TextEncoding::Gb18030);
    EXPECT_EQ(nonUtf8Line, 2u);
    EXPECT_EQ(gbk.tellg(), 0); // rewound for reading
    std::istringstream utf8("name\n" + kZhangSanUtf8 + "\n");
    EXPECT_EQ(DetectEncoding(utf8, &nonUtf8Line), TextEncoding::Utf8);
    EXPECT_EQ(nonUtf8Line, 0u);

    EXPECT_EQ(ToCodePageText(kZhangSanUtf8, TextEncoding::Utf8), kZhangSan);
    EXPECT_EQ(ToCodePageText(kZhangSan, TextEncoding::Gb18030), kZhangSan);
    EXPECT_EQ(ToCodePageText("\xD5", TextEncoding::Gb18030), std::nullopt); // cut-off character
}

TEST(WaybillCsv, ColumnsFillTheirFieldsInEitherEncoding)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    test::TempFolder folder;
    // 收件人姓名,数量 — in GBK, with a blank line, a row of empty cells and a quoted name.
    const std::string header = "\xCA\xD5\xBC\xFE\xC8\xCB\xD0\xD5\xC3\xFB,\xCA\xFD\xC1\xBF\r\n";
    test::WriteBytes(folder / "gbk.csv", header + "\"" + kZhangSan + "\",3\r\n\r\n,\r\nLi,\r\n");
    WaybillCsv csv;
    ASSERT_TRUE(csv.open(folder / "gbk.csv")) << csv.error();
    EXPECT_EQ(csv.encoding(), TextEncoding::Gb18030);
    EXPECT_EQ(csv.columns(), (std::vector<int>{3, 15}));

    FieldTexts texts;
    texts[1] = "sender";
    ASSERT_EQ(csv.next(texts), WaybillCsv::Status::Record);
    EXPECT_EQ(texts[3], kZhangSan);
    EXPECT_EQ(texts[15], "3");
    EXPECT_EQ(texts[1], "sender"); // no column: kept
    ASSERT_EQ(csv.next(texts), WaybillCsv::Status::Record);
    EXPECT_EQ(csv.recordNumber(), 2u); // neither the blank line nor the empty row is a record
    EXPECT_EQ(texts[3], "Li");
    EXPECT_EQ(texts[15], ""); // an empty cell empties its field
    EXPECT_EQ(csv.next(texts), WaybillCsv::Status::End);

    test::WriteBytes(folder / "utf8.csv",
                     "\xEF\xBB\xBF\xE6\x94\xB6\xE4\xBB\xB6\xE4\xBA\xBA\xE5\xA7\x93\xE5\x90\x8D\n" +
                         kZhangSanUtf8 + "\n");
    WaybillCsv utf8;
    ASSERT_TRUE(utf8.open(folder / "utf8.csv")) << utf8.error();
    EXPECT_EQ(utf8.encoding(), TextEncoding::Utf8);
    ASSERT_EQ(utf8.next(texts), WaybillCsv::Status::Record);
    EXPECT_EQ(texts[3], kZhangSan); // code-page bytes either way
}

TEST(WaybillCsv, BadFilesAreReportedWithTheirLine)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    test::TempFolder folder;
    const auto openError = [&](const std::string& bytes) {
        test::WriteBytes(folder / "f.csv", bytes);
        WaybillCsv csv;
        EXPECT_FALSE(csv.open(folder / "f.csv"));
        return csv.error();
    };
    const auto recordError = [&](const std::string& bytes) {
        test::WriteBytes(folder / "f.csv", bytes);
        WaybillCsv csv;
        EXPECT_TRUE(csv.open(folder / "f.csv")) << csv.error();
        FieldTexts texts;
        WaybillCsv::Status status;
        while ((status = csv.next(texts)) == WaybillCsv::Status::Record) {
        }
        EXPECT_EQ(status, WaybillCsv::Status::Error);
        return csv.error();
    };
    const std::string name = "\xE6\x94\xB6\xE4\xBB\xB6\xE4\xBA\xBA\xE5\xA7\x93\xE5\x90\x8D"; // 收件人姓名
    const std::string count = "\xE6\x95\xB0\xE9\x87\x8F";                                    // 数量

    EXPECT_EQ(openError(""), "is empty: it has no header row naming the fields");
    EXPECT_EQ(openError("\n\n"), "is empty: it has no header row naming the fields");
    // A shop's export has columns of its own: read as the window reads them, they fill nothing,
    // and a field's second column is left to the user's mapping.
    test::WriteBytes(folder / "shop.csv", "\n" + name + ",phone," + count + "," + name + "\nLi,1,2,Wang\n");
    WaybillCsv shop;
    ASSERT_TRUE(shop.open(folder / "shop.csv")) << shop.error();
    EXPECT_EQ(shop.columns(), (ColumnMap{3, kUnusedColumn, 15, kUnusedColumn}));
    FieldTexts texts;
    ASSERT_EQ(shop.next(texts), WaybillCsv::Status::Record);
    EXPECT_EQ(texts[3], "Li");
    EXPECT_EQ(texts[15], "2");
    EXPECT_NE(WaybillCsv().open(folder / "missing.csv"), true);
    // A UTF-8 export with one damaged byte is read as GBK; the header then says why it fails.
    const std::string damaged = openError(name + "\n" + kZhangSanUtf8 + "\n\xD5\n");
    EXPECT_NE(damaged.find("(the file is read as GBK/GB18030: line 3 is not UTF-8)"), std::string::npos)
        << damaged;

    // Line numbers count the lines of the file, quoted line breaks included.
    EXPECT_EQ(recordError(name + "," + count + "\n\"a\nb\",1\nc,1,extra\n"),
              "line 4: 3 fields where the header names 2");
    EXPECT_EQ(recordError(name + "," + count + "\nc\n"), "line 2: 1 fields where the header names 2");
    EXPECT_EQ(recordError(name + "\nok\n\"never closed\n"),
              "a quoted field opened on line 3 is never closed");
    // Neither UTF-8 nor GB18030: a GBK name cut in half at the file's end.
    EXPECT_EQ(recordError("\xCA\xFD\xC1\xBF\n" + kZhangSan + "\n\xD5"),
              "line 3: a field holds bytes that are not valid GBK/GB18030 text");
}

// What the log's export writes, read back by a CSV reader: every cell in its own column, even
// when the first is empty, and texts with commas, quotes and line breaks come back whole.
TEST(CsvWriting, LogExportReadsBackCellByCell)
{
    DORVANE_SKIP_WITHOUT_GB18030(); // the log holds code-page text
    PrintLogEntry entry;
    entry.time = "";
    entry.waybillNumber = "SF1";
    entry.orderNumber = "=1+1";
    entry.texts[0] = "a,\"b\"\r\nc";
    const auto records = ReadAllRecords(PrintLogCsvText({&entry}));
    ASSERT_EQ(records.size(), 2u);
    ASSERT_EQ(records[1].size(), records[0].size());
    EXPECT_EQ(records[1][0], "");
    EXPECT_EQ(records[1][1], "SF1");
    EXPECT_EQ(records[1][4], "'=1+1");
    EXPECT_EQ(records[1][5], "a,\"b\"\r\nc");
}
