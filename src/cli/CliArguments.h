#pragma once
// The command line of dorvane-cli, read into what to do. Arguments are UTF-8.

#include "batch/RowSelection.h"
#include "print/Overflow.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace dorvane {

struct PrintOptions {
    std::optional<std::string> templateName;
    std::optional<std::string> printer;
    std::optional<std::string> pdf;
    std::optional<std::string> csv;
    std::optional<RowSelection> rows;
    std::vector<std::pair<int, std::string>> assignments; // field index, UTF-8 value
    Overflow overflow = Overflow::Warn;
    bool withPicture = false; // the template picture under the texts: a check print on plain paper
    // --map COLUMN=FIELD: the export's column (UTF-8) to a field's index, kWholeAddressColumn
    // or kUnusedColumn, over the mapping the window saved for the header.
    std::vector<std::pair<std::string, int>> columnChoices;
    // --map COLUMN=运单号 / COLUMN=订单号: the column (UTF-8) the barcodes take that number from.
    std::optional<std::string> waybillNumberColumn;
    std::optional<std::string> orderNumberColumn;
    bool jobPerWaybill = false; // each waybill its own print job, paced by the printer's queue
};

// log: which logged waybills to list, and the file to export them to instead.
struct LogOptions {
    std::optional<std::string> since; // YYYY-MM-DD
    std::optional<std::string> until;
    std::optional<std::string> find; // UTF-8
    std::optional<std::string> csv;
};

struct CliCommand {
    enum class Kind {
        Help, Templates, ParseAddress, Print, CalibrationSheet, SetOffset, Log, Reprint, DbCopy, TemplateFromPicture
    };
    Kind kind = Kind::Help;
    std::optional<std::string> file; // parse-address: the file to read instead of standard input
    PrintOptions print;              // calibration-sheet and set-offset take its printer and pdf
    std::int32_t offsetRight = 0;    // set-offset, in tenths of a millimetre
    std::int32_t offsetDown = 0;
    LogOptions log;
    std::vector<std::int64_t> ids; // reprint: the logged waybills, in the order given
    // template-from-picture: the new template's name (UTF-8) and paper in 0.1 mm; the picture
    // is file.
    std::string templateName;
    int paperWidth = 0;
    int paperHeight = 0;
};

struct ParsedCommand {
    std::optional<CliCommand> command;
    std::string error; // when there is no command
};

// args: the arguments after the program's name.
ParsedCommand ParseCliArguments(const std::vector<std::string>& args);

extern const char* const kCliUsage;

} // namespace dorvane
