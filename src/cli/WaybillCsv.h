#pragma once
// An order export read as waybills, one record at a time: the header row names the columns
// by the fields' catalogue names, each further record is one waybill. The file is UTF-8 (with
// or without a byte-order mark) or GB18030/GBK, told apart before the first record is read.

#include "cli/CsvReader.h"
#include "cli/TextEncoding.h"
#include "waybill/WaybillDefaults.h"

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

    // Opens the file and reads its header. False, with error(), when the file cannot be read,
    // is empty, or its header names something that is not a field or names a field twice.
    bool open(const std::filesystem::path& path);

    // Reads the next waybill: the columns' values (code-page bytes) replace those fields of
    // texts, the others keep what the caller put there. Blank lines and rows of empty cells
    // are skipped. Error: a malformed record, one whose number of fields differs from the
    // header's, or text that is not valid in the file's encoding; error() names the line.
    Status next(FieldTexts& texts);

    std::size_t recordNumber() const { return recordNumber_; }   // of the last record read, from 1
    const std::vector<int>& columns() const { return columns_; } // field index of each column
    TextEncoding encoding() const { return encoding_; }
    const std::string& error() const { return error_; }

private:
    bool fail(std::size_t line, const std::string& message);

    std::ifstream file_;
    std::unique_ptr<CsvReader> reader_;
    TextEncoding encoding_ = TextEncoding::Utf8;
    std::vector<int> columns_;
    std::vector<std::string> fields_;
    std::size_t recordNumber_ = 0;
    std::string error_;
};

} // namespace dorvane
