#pragma once
// An order export read as waybills, one record at a time: the header row names the columns,
// each further record is one waybill. Columns named like a field fill it unless another
// mapping is set (the window's, kept in Set/columns.ini); a record's cells become its texts
// exactly as in the window's batch. The file is UTF-8 (with or without a byte-order mark) or
// GB18030/GBK, told apart before the first record is read.

#include "batch/CsvReader.h"
#include "batch/OrderTable.h"
#include "text/TextEncoding.h"
#include "address/WaybillDefaults.h"

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace dorvane {

// Waybills written as an order export that WaybillCsv reads back: a header of the twenty
// fields' names, one record per waybill, UTF-8 with a byte-order mark (so spreadsheets take it
// for UTF-8), "\r\n" line ends, fields quoted where they hold a comma, quote or line break.
// Texts are code-page bytes; one that is not valid GB18030 is written as a '?' per byte.
std::string WaybillCsvText(const std::vector<FieldTexts>& waybills);

class WaybillCsv {
public:
    enum class Status { Record, End, Error };

    // Opens the file and reads its header; its columns are guessed by their names. False, with
    // error(), when the file cannot be read, is empty, or its header is no text of its encoding.
    bool open(const std::filesystem::path& path);
    // The header's cells as code-page bytes, blanks around trimmed.
    const std::vector<std::string>& header() const { return header_; }
    // Another mapping of the header's columns, as many as it has.
    void setColumns(ColumnMap columns) { columns_ = std::move(columns); }

    // Reads the next waybill: the mapped columns' values (code-page bytes) replace those fields
    // of texts (RecordTexts), the others keep what the caller put there. Blank lines and rows
    // of empty cells are skipped. Error: a malformed record, one whose number of fields
    // differs from the header's, or text that is not valid in the file's encoding; error()
    // names the line.
    Status next(FieldTexts& texts);

    std::size_t recordNumber() const { return recordNumber_; } // of the last record read, from 1
    // The last record's cells, code-page bytes trimmed of blanks, one for each header column.
    const std::vector<std::string>& cells() const { return fields_; }
    const ColumnMap& columns() const { return columns_; }      // what each column fills
    TextEncoding encoding() const { return encoding_; }
    const std::string& error() const { return error_; }

private:
    bool fail(std::size_t line, const std::string& message);

    std::ifstream file_;
    std::unique_ptr<CsvReader> reader_;
    TextEncoding encoding_ = TextEncoding::Utf8;
    std::vector<std::string> header_;
    ColumnMap columns_;
    std::vector<std::string> fields_;
    std::size_t recordNumber_ = 0;
    std::string error_;
};

} // namespace dorvane
