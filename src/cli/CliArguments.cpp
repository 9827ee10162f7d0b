#include "cli/CliArguments.h"

#include "store/PrintLog.h"
#include "batch/OrderTable.h"
#include "settings/PrintSetValues.h"
#include "template/TemplateLayout.h"
#include "address/WaybillDefaults.h"

#include <charconv>
#include <tuple>

namespace dorvane {

const char* const kCliUsage = "usage: dorvane-cli templates\n"
                              "       dorvane-cli parse-address [FILE]\n"
                              "       dorvane-cli print [--template NAME] [--printer NAME | --pdf FILE]\n"
                              "                         [--csv FILE [--rows LIST]] [--overflow warn|fail|shrink]\n"
                              "                         [--map COLUMN=FIELD|运单号|订单号 ...] [--job-per-waybill]\n"
                              "                         [--with-picture]\n"
                              "                         [FIELD=VALUE ...]\n"
                              "       dorvane-cli calibration-sheet [--printer NAME | --pdf FILE]\n"
                              "       dorvane-cli set-offset --right MM --down MM [--printer NAME]\n"
                              "       dorvane-cli log [--since DATE] [--until DATE] [--find TEXT] [--csv FILE]\n"
                              "       dorvane-cli reprint ID... [--printer NAME | --pdf FILE]\n"
                              "       dorvane-cli db-copy\n"
                              "       dorvane-cli template-from-picture FILE --name NAME [--paper WxH]\n";

namespace {

ParsedCommand Failed(std::string error)
{
    return {std::nullopt, std::move(error)};
}

ParsedCommand ParsePrint(const std::vector<std::string>& args)
{
    CliCommand command;
    command.kind = CliCommand::Kind::Print;
    PrintOptions& options = command.print;
    std::optional<std::string> rows;
    std::optional<std::string> overflow;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--with-picture" || arg == "--job-per-waybill") {
            bool& flag = arg == "--with-picture" ? options.withPicture : options.jobPerWaybill;
            if (flag)
                return Failed(arg + " is given twice");
            flag = true;
            continue;
        }
        if (arg == "--map") {
            if (i + 1 >= args.size())
                return Failed(arg + " needs COLUMN=FIELD");
            const std::string& choice = args[++i];
            const std::size_t equals = choice.rfind('=');
            if (equals == std::string::npos || equals == 0)
                return Failed("--map takes COLUMN=FIELD, not \"" + choice + "\"");
            const std::string column = choice.substr(0, equals);
            const std::string target = choice.substr(equals + 1);
            if (target == "运单号" || target == "订单号") {
                auto& number = target == "运单号" ? options.waybillNumberColumn : options.orderNumberColumn;
                if (number)
                    return Failed("--map names a column for " + target + " twice");
                number = column;
                continue;
            }
            std::optional<int> field = FieldIndexByName(target);
            if (target == "整段收件地址" || target == "整段收件地址（自动拆分）")
                field = kWholeAddressColumn;
            else if (target == "不用" || target == "（不用）")
                field = kUnusedColumn;
            if (!field)
                return Failed("--map " + choice + ": \"" + target +
                              "\" is neither a field name nor 整段收件地址 nor 不用");
            for (const auto& earlier : options.columnChoices) {
                if (earlier.first == column)
                    return Failed("--map names the column " + column + " twice");
            }
            options.columnChoices.emplace_back(column, *field);
            continue;
        }
        if (arg.starts_with("--")) {
            std::optional<std::string>* target = nullptr;
            if (arg == "--template")
                target = &options.templateName;
            else if (arg == "--printer")
                target = &options.printer;
            else if (arg == "--pdf")
                target = &options.pdf;
            else if (arg == "--csv")
                target = &options.csv;
            else if (arg == "--rows")
                target = &rows;
            else if (arg == "--overflow")
                target = &overflow;
            else
                return Failed("unknown option " + arg);
            if (i + 1 >= args.size())
                return Failed(arg + " needs a value");
            if (*target)
                return Failed(arg + " is given twice");
            *target = args[++i];
            continue;
        }
        const std::size_t equals = arg.find('=');
        if (equals == std::string::npos)
            return Failed("\"" + arg + "\" is neither an option nor FIELD=VALUE");
        const std::string name = arg.substr(0, equals);
        const auto index = FieldIndexByName(name);
        if (!index)
            return Failed("unknown field name \"" + name + "\"");
        for (const auto& assignment : options.assignments) {
            if (assignment.first == *index)
                return Failed("the field " + name + " is given twice");
        }
        options.assignments.emplace_back(*index, arg.substr(equals + 1));
    }
    if (options.printer && options.pdf)
        return Failed("--printer and --pdf exclude each other");
    if (options.pdf && options.pdf->empty())
        return Failed("--pdf needs a file name");
    if (options.jobPerWaybill && options.pdf)
        return Failed("--job-per-waybill sends jobs to a printer: it excludes --pdf");
    if ((!options.columnChoices.empty() || options.waybillNumberColumn || options.orderNumberColumn) && !options.csv)
        return Failed("--map needs --csv");
    if (rows) {
        if (!options.csv)
            return Failed("--rows needs --csv");
        std::string error;
        options.rows = RowSelection::Parse(*rows, error);
        if (!options.rows)
            return Failed(error);
    }
    if (overflow) {
        if (*overflow == "warn")
            options.overflow = Overflow::Warn;
        else if (*overflow == "fail")
            options.overflow = Overflow::Fail;
        else if (*overflow == "shrink")
            options.overflow = Overflow::Shrink;
        else
            return Failed("--overflow must be warn, fail or shrink, not \"" + *overflow + "\"");
    }
    return {command, {}};
}

// calibration-sheet and set-offset: options only, each with a value.
ParsedCommand ParseCalibration(const std::vector<std::string>& args, CliCommand::Kind kind)
{
    CliCommand command;
    command.kind = kind;
    const bool sheet = kind == CliCommand::Kind::CalibrationSheet;
    std::optional<std::string> right;
    std::optional<std::string> down;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::optional<std::string>* target = nullptr;
        if (arg == "--printer")
            target = &command.print.printer;
        else if (arg == "--pdf" && sheet)
            target = &command.print.pdf;
        else if ((arg == "--right" || arg == "--down") && !sheet)
            target = arg == "--right" ? &right : &down;
        else
            return Failed(args[0] + ": unknown argument " + arg);
        if (i + 1 >= args.size())
            return Failed(arg + " needs a value");
        if (*target)
            return Failed(arg + " is given twice");
        *target = args[++i];
    }
    if (command.print.printer && command.print.pdf)
        return Failed("--printer and --pdf exclude each other");
    if (command.print.pdf && command.print.pdf->empty())
        return Failed("--pdf needs a file name");
    if (sheet)
        return {command, {}};
    for (const auto& [name, text, value] : {std::tuple{"--right", &right, &command.offsetRight},
                                            std::tuple{"--down", &down, &command.offsetDown}}) {
        if (!*text)
            return Failed(std::string("set-offset needs ") + name);
        const auto tenths = ParseMillimetres(**text);
        if (!tenths)
            return Failed(std::string(name) + " takes millimetres with at most one decimal, not \"" + **text + "\"");
        *value = *tenths;
    }
    return {command, {}};
}

ParsedCommand ParseLog(const std::vector<std::string>& args)
{
    CliCommand command;
    command.kind = CliCommand::Kind::Log;
    LogOptions& options = command.log;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::optional<std::string>* target = nullptr;
        if (arg == "--since")
            target = &options.since;
        else if (arg == "--until")
            target = &options.until;
        else if (arg == "--find")
            target = &options.find;
        else if (arg == "--csv")
            target = &options.csv;
        else
            return Failed("log: unknown argument " + arg);
        if (i + 1 >= args.size())
            return Failed(arg + " needs a value");
        if (*target)
            return Failed(arg + " is given twice");
        *target = args[++i];
    }
    for (const auto* date : {&options.since, &options.until}) {
        if (*date && !IsLogDate(**date))
            return Failed("a date is written YYYY-MM-DD, not \"" + **date + "\"");
    }
    if (options.since && options.until && *options.until < *options.since)
        return Failed("--until is before --since");
    if (options.csv && options.csv->empty())
        return Failed("--csv needs a file name");
    return {command, {}};
}

ParsedCommand ParseReprint(const std::vector<std::string>& args)
{
    CliCommand command;
    command.kind = CliCommand::Kind::Reprint;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--printer" || arg == "--pdf") {
            auto& target = arg == "--printer" ? command.print.printer : command.print.pdf;
            if (i + 1 >= args.size())
                return Failed(arg + " needs a value");
            if (target)
                return Failed(arg + " is given twice");
            target = args[++i];
            continue;
        }
        std::int64_t id = 0;
        const auto [end, error] = std::from_chars(arg.data(), arg.data() + arg.size(), id);
        if (error != std::errc() || end != arg.data() + arg.size() || id <= 0)
            return Failed("reprint takes the ids that log lists, not \"" + arg + "\"");
        command.ids.push_back(id);
    }
    if (command.ids.empty())
        return Failed("reprint needs the id of a logged waybill");
    if (command.print.printer && command.print.pdf)
        return Failed("--printer and --pdf exclude each other");
    if (command.print.pdf && command.print.pdf->empty())
        return Failed("--pdf needs a file name");
    return {command, {}};
}

// template-from-picture FILE --name NAME [--paper WxH] (millimetres, "230x127" or "241.5x140";
// without it, the paper suggested from the scan).
ParsedCommand ParseTemplateFromPicture(const std::vector<std::string>& args)
{
    CliCommand command;
    command.kind = CliCommand::Kind::TemplateFromPicture;
    std::optional<std::string> name, paper;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--name" || arg == "--paper") {
            auto& target = arg == "--name" ? name : paper;
            if (i + 1 >= args.size())
                return Failed(arg + " needs a value");
            if (target)
                return Failed(arg + " is given twice");
            target = args[++i];
        } else if (arg.starts_with("--")) {
            return Failed("template-from-picture: unknown option " + arg);
        } else if (command.file) {
            return Failed("template-from-picture takes one picture");
        } else {
            command.file = arg;
        }
    }
    if (!command.file)
        return Failed("template-from-picture needs the picture of a form");
    if (!name || name->empty())
        return Failed("template-from-picture needs --name");
    command.templateName = *name;
    if (!paper)
        return {command, {}}; // the paper measured on the scan
    const std::size_t times = paper->find_first_of("xX");
    const auto width = times == std::string::npos ? std::nullopt : PaperTenthsFromText(paper->substr(0, times));
    const auto height = times == std::string::npos ? std::nullopt : PaperTenthsFromText(paper->substr(times + 1));
    if (!width || !height)
        return Failed("--paper is written WxH in millimetres (such as 230x127), each side up to " +
                      std::to_string(kLargestPaperSide / 10) + ", not \"" + *paper + "\"");
    command.templateName = *name;
    command.paperWidth = *width;
    command.paperHeight = *height;
    return {command, {}};
}

} // namespace

ParsedCommand ParseCliArguments(const std::vector<std::string>& args)
{
    if (args.empty())
        return Failed("no command given");
    const std::string& verb = args[0];
    if (verb == "--help" || verb == "-h" || verb == "help")
        return {CliCommand{}, {}};
    if (verb == "templates") {
        if (args.size() > 1)
            return Failed("templates takes no arguments");
        CliCommand command;
        command.kind = CliCommand::Kind::Templates;
        return {command, {}};
    }
    if (verb == "parse-address") {
        if (args.size() > 2)
            return Failed("parse-address takes at most one file");
        CliCommand command;
        command.kind = CliCommand::Kind::ParseAddress;
        if (args.size() == 2)
            command.file = args[1];
        return {command, {}};
    }
    if (verb == "print")
        return ParsePrint(args);
    if (verb == "calibration-sheet")
        return ParseCalibration(args, CliCommand::Kind::CalibrationSheet);
    if (verb == "set-offset")
        return ParseCalibration(args, CliCommand::Kind::SetOffset);
    if (verb == "log")
        return ParseLog(args);
    if (verb == "reprint")
        return ParseReprint(args);
    if (verb == "db-copy") {
        if (args.size() > 1)
            return Failed("db-copy takes no arguments: it copies dataM/Dorvane.dorv to the server in Set/database.ini");
        CliCommand command;
        command.kind = CliCommand::Kind::DbCopy;
        return {command, {}};
    }
    if (verb == "template-from-picture")
        return ParseTemplateFromPicture(args);
    return Failed("unknown command \"" + verb + "\"");
}

} // namespace dorvane
