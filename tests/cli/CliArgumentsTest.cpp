// The command line of dorvane-cli and its record lists.
#include "cli/CliArguments.h"
#include "batch/RowSelection.h"
#include "address/WaybillDefaults.h"

#include <gtest/gtest.h>

using namespace dorvane;

namespace {

std::string ErrorOf(const std::vector<std::string>& args)
{
    const ParsedCommand parsed = ParseCliArguments(args);
    EXPECT_FALSE(parsed.command);
    return parsed.error;
}

const std::string kRecipientName =
    "\xE6\x94\xB6\xE4\xBB\xB6\xE4\xBA\xBA\xE5\xA7\x93\xE5\x90\x8D"; // 收件人姓名
const std::string kCount = "\xE6\x95\xB0\xE9\x87\x8F";              // 数量

} // namespace

TEST(RowSelection, ListsAndRanges)
{
    std::string error;
    const auto rows = RowSelection::Parse("1-10,15,12-12", error);
    ASSERT_TRUE(rows) << error;
    for (std::size_t r : {1u, 5u, 10u, 12u, 15u})
        EXPECT_TRUE(rows->contains(r)) << r;
    for (std::size_t r : {0u, 11u, 13u, 14u, 16u})
        EXPECT_FALSE(rows->contains(r)) << r;
    EXPECT_EQ(rows->last(), 15u);

    for (const char* bad :
         {"", "0", "3-1", "1,", ",1", "1-", "-4", "a", "1-2-3", "1 ,2", "99999999999999999999999"})
        EXPECT_FALSE(RowSelection::Parse(bad, error)) << bad;
    RowSelection::Parse("3-1", error);
    EXPECT_EQ(error, "--rows: the range 3-1 ends before it starts");
}

TEST(CliArguments, PrintOptionsAndFields)
{
    const ParsedCommand parsed =
        ParseCliArguments({"print", "--template", "EMS", "--pdf", "out.pdf", "--csv", "a.csv", "--rows",
                           "2-3", kCount + "=2", kRecipientName + "=a=b"});
    ASSERT_TRUE(parsed.command) << parsed.error;
    EXPECT_EQ(parsed.command->kind, CliCommand::Kind::Print);
    const PrintOptions& options = parsed.command->print;
    EXPECT_EQ(options.templateName, "EMS");
    EXPECT_EQ(options.pdf, "out.pdf");
    EXPECT_EQ(options.csv, "a.csv");
    EXPECT_FALSE(options.printer);
    ASSERT_TRUE(options.rows);
    EXPECT_TRUE(options.rows->contains(3));
    EXPECT_FALSE(options.rows->contains(1));
    // Fields by their catalogue index; a value may itself hold "=".
    EXPECT_EQ(options.assignments, (std::vector<std::pair<int, std::string>>{{15, "2"}, {3, "a=b"}}));

    EXPECT_EQ(ErrorOf({"print", "phone=1"}), "unknown field name \"phone\"");
    EXPECT_EQ(ErrorOf({"print", kCount + "=1", kCount + "=2"}), "the field " + kCount + " is given twice");
    EXPECT_EQ(ErrorOf({"print", "--printer", "P", "--pdf", "x.pdf"}),
              "--printer and --pdf exclude each other");
    EXPECT_EQ(ErrorOf({"print", "--rows", "1"}), "--rows needs --csv");
    EXPECT_EQ(ErrorOf({"print", "--csv"}), "--csv needs a value");
    EXPECT_EQ(ErrorOf({"print", "--csv", "a", "--csv", "b"}), "--csv is given twice");
    EXPECT_EQ(ErrorOf({"print", "--copies", "2"}), "unknown option --copies");
    EXPECT_EQ(ErrorOf({"print", "stray"}), "\"stray\" is neither an option nor FIELD=VALUE");
}

TEST(CliArguments, OverflowModes)
{
    const auto overflowOf = [](const std::vector<std::string>& args) {
        const ParsedCommand parsed = ParseCliArguments(args);
        EXPECT_TRUE(parsed.command) << parsed.error;
        return parsed.command ? parsed.command->print.overflow : Overflow::Warn;
    };
    // Cuts are listed and printed unless the user asks otherwise.
    EXPECT_EQ(overflowOf({"print", "--pdf", "out.pdf"}), Overflow::Warn);
    EXPECT_EQ(overflowOf({"print", "--overflow", "fail", "--pdf", "out.pdf"}), Overflow::Fail);
    EXPECT_EQ(overflowOf({"print", "--overflow", "shrink"}), Overflow::Shrink);
    EXPECT_EQ(overflowOf({"print", "--csv", "a.csv", "--overflow", "warn"}), Overflow::Warn);

    EXPECT_EQ(ErrorOf({"print", "--overflow", "Shrink"}), "--overflow must be warn, fail or shrink, not \"Shrink\"");
    EXPECT_EQ(ErrorOf({"print", "--overflow", ""}), "--overflow must be warn, fail or shrink, not \"\"");
    EXPECT_EQ(ErrorOf({"print", "--overflow"}), "--overflow needs a value");
    EXPECT_EQ(ErrorOf({"print", "--overflow", "warn", "--overflow", "fail"}), "--overflow is given twice");
}

TEST(CliArguments, OtherCommands)
{
    EXPECT_EQ(ParseCliArguments({"templates"}).command->kind, CliCommand::Kind::Templates);
    const ParsedCommand parse = ParseCliArguments({"parse-address", "a.txt"});
    ASSERT_TRUE(parse.command);
    EXPECT_EQ(parse.command->kind, CliCommand::Kind::ParseAddress);
    EXPECT_EQ(parse.command->file, "a.txt");
    EXPECT_FALSE(ParseCliArguments({"parse-address"}).command->file);
    EXPECT_EQ(ErrorOf({}), "no command given");
    EXPECT_EQ(ErrorOf({"templates", "x"}), "templates takes no arguments");
    EXPECT_EQ(ErrorOf({"parse-address", "a", "b"}), "parse-address takes at most one file");
    EXPECT_EQ(ErrorOf({"scan"}), "unknown command \"scan\"");
}

TEST(CliArguments, CalibrationSheetAndSetOffset)
{
    ParsedCommand parse = ParseCliArguments({"set-offset", "--down", "-1.2", "--right", "2.5", "--printer", "LQ"});
    ASSERT_TRUE(parse.command) << parse.error;
    EXPECT_EQ(parse.command->kind, CliCommand::Kind::SetOffset);
    EXPECT_EQ(parse.command->offsetRight, 25);
    EXPECT_EQ(parse.command->offsetDown, -12);
    EXPECT_EQ(parse.command->print.printer, "LQ");
    parse = ParseCliArguments({"calibration-sheet", "--pdf", "sheet.pdf"});
    ASSERT_TRUE(parse.command) << parse.error;
    EXPECT_EQ(parse.command->kind, CliCommand::Kind::CalibrationSheet);
    EXPECT_EQ(parse.command->print.pdf, "sheet.pdf");

    EXPECT_EQ(ErrorOf({"set-offset", "--right", "2.5"}), "set-offset needs --down");
    EXPECT_EQ(ErrorOf({"set-offset", "--right", "2.5mm", "--down", "0"}),
              "--right takes millimetres with at most one decimal, not \"2.5mm\"");
    EXPECT_EQ(ErrorOf({"set-offset", "--right", "1", "--down", "1", "--pdf", "x.pdf"}),
              "set-offset: unknown argument --pdf");
}

TEST(WaybillDefaults, SenderDateAndOnePiece)
{
    SenderDetails sender;
    for (std::size_t i = 0; i < sender.size(); ++i)
        sender[i] = "s" + std::to_string(i);
    const FieldTexts texts = DefaultFieldTexts(sender, 2026, 7, 9);
    // address.ini order: name, origin, company, mobile, telephone, address, postcode, goods, signature.
    EXPECT_EQ(texts[1], "s0");
    EXPECT_EQ(texts[2], "s1");
    EXPECT_EQ(texts[4], "s2");
    EXPECT_EQ(texts[10], "s3");
    EXPECT_EQ(texts[8], "s4");
    EXPECT_EQ(texts[6], "s5");
    EXPECT_EQ(texts[11], "s6");
    EXPECT_EQ(texts[14], "s7");
    EXPECT_EQ(texts[16], "s8");
    EXPECT_EQ(texts[15], "1");
    EXPECT_EQ(texts[17], "2026");
    EXPECT_EQ(texts[18], "07");
    EXPECT_EQ(texts[19], "09");
    for (int recipient : {0, 3, 5, 7, 9, 12, 13})
        EXPECT_EQ(texts[static_cast<std::size_t>(recipient)], "") << recipient;
    EXPECT_EQ(FieldIndexByName(kCount), 15);
    EXPECT_EQ(FieldIndexByName("\xE7\x9B\xAE\xE7\x9A\x84\xE5\x9C\xB0"), 0); // 目的地
    EXPECT_FALSE(FieldIndexByName(""));
}

TEST(CliArguments, LogAndReprint)
{
    ParsedCommand parse = ParseCliArguments({"log", "--until", "2026-07-31", "--find", "张三", "--since", "2026-07-01"});
    ASSERT_TRUE(parse.command) << parse.error;
    EXPECT_EQ(parse.command->kind, CliCommand::Kind::Log);
    EXPECT_EQ(parse.command->log.since, "2026-07-01");
    EXPECT_EQ(parse.command->log.until, "2026-07-31");
    EXPECT_EQ(parse.command->log.find, "张三");
    EXPECT_FALSE(parse.command->log.csv);
    parse = ParseCliArguments({"reprint", "12", "--printer", "LQ", "7"});
    ASSERT_TRUE(parse.command) << parse.error;
    EXPECT_EQ(parse.command->kind, CliCommand::Kind::Reprint);
    EXPECT_EQ(parse.command->ids, (std::vector<std::int64_t>{12, 7}));
    EXPECT_EQ(parse.command->print.printer, "LQ");

    EXPECT_EQ(ErrorOf({"log", "--since", "2026-7-1"}), "a date is written YYYY-MM-DD, not \"2026-7-1\"");
    EXPECT_EQ(ErrorOf({"log", "--until", "2026-02-29"}), "a date is written YYYY-MM-DD, not \"2026-02-29\"");
    EXPECT_EQ(ErrorOf({"log", "--since", "2026-07-02", "--until", "2026-07-01"}), "--until is before --since");
    EXPECT_EQ(ErrorOf({"log", "--csv"}), "--csv needs a value");
    EXPECT_EQ(ErrorOf({"reprint"}), "reprint needs the id of a logged waybill");
    EXPECT_EQ(ErrorOf({"reprint", "12x"}), "reprint takes the ids that log lists, not \"12x\"");
    EXPECT_EQ(ErrorOf({"reprint", "0"}), "reprint takes the ids that log lists, not \"0\"");
    EXPECT_EQ(ErrorOf({"reprint", "1", "--pdf", "a.pdf", "--printer", "LQ"}), "--printer and --pdf exclude each other");
}

// The paper may be left to the scan; given, it is still held to its form.
TEST(CliArguments, TemplateFromPicturePaper)
{
    const ParsedCommand measured = ParseCliArguments({"template-from-picture", "scan.jpg", "--name", "new"});
    ASSERT_TRUE(measured.command) << measured.error;
    EXPECT_EQ(measured.command->templateName, "new");
    EXPECT_EQ(measured.command->paperWidth, 0);
    EXPECT_EQ(measured.command->paperHeight, 0);
    const ParsedCommand given =
        ParseCliArguments({"template-from-picture", "scan.jpg", "--name", "new", "--paper", "241.5x140"});
    ASSERT_TRUE(given.command) << given.error;
    EXPECT_EQ(given.command->paperWidth, 2415);
    EXPECT_EQ(given.command->paperHeight, 1400);
    EXPECT_NE(ErrorOf({"template-from-picture", "scan.jpg", "--name", "new", "--paper", "241"}).find("WxH"),
              std::string::npos);
    EXPECT_NE(ErrorOf({"template-from-picture", "scan.jpg", "--paper", "241x140"}).find("--name"), std::string::npos);
}
