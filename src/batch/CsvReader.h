#pragma once
// Reads a comma-separated file one record at a time, so that a batch of any size is never
// held in memory. Quoted fields may hold commas, doubled quotes and line breaks; records end
// in "\r\n" or "\n". Works on bytes: in UTF-8 and in GB18030 the bytes of ',', '"', '\r' and
// '\n' never occur inside another character.

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

namespace dorvane {

// No order export holds cells or lines near these: a longer one is a damaged or hostile file,
// refused before it is held in memory, printed or logged.
inline constexpr std::size_t kLargestCsvCell = 64 * 1024;
inline constexpr std::size_t kLargestCsvRecord = 1024 * 1024;

class CsvReader {
public:
    enum class Status { Record, End, Error };
    enum class Fault { None, OpenQuote, TextAfterQuote, CellTooLong, RecordTooLong };

    // A UTF-8 byte-order mark at the very start is skipped.
    explicit CsvReader(std::istream& input);

    // Reads the next record into fields. Error: a quote left open at the end of the file, text
    // between a closing quote and the next comma, a cell over kLargestCsvCell bytes or a record
    // over kLargestCsvRecord; error() says which, with the line, and reading stops there.
    Status next(std::vector<std::string>& fields);

    // The line on which the last record read began (1-based).
    std::size_t recordLine() const { return recordLine_; }
    const std::string& error() const { return error_; }
    Fault fault() const { return fault_; }

private:
    int get();
    int peek();
    Status fail(Fault fault, std::string error);

    std::istream& input_;
    std::size_t line_ = 1;
    std::size_t recordLine_ = 0;
    std::string error_;
    Fault fault_ = Fault::None;
};

} // namespace dorvane
