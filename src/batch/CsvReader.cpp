#include "batch/CsvReader.h"

namespace dorvane {

namespace {
constexpr int kEof = std::char_traits<char>::eof();
} // namespace

CsvReader::CsvReader(std::istream& input) : input_(input)
{
    static const char bom[] = "\xEF\xBB\xBF";
    if (input_.peek() != static_cast<unsigned char>(bom[0]))
        return;
    input_.get();
    for (int i = 1; i < 3; ++i) {
        if (input_.peek() != static_cast<unsigned char>(bom[i])) {
            // Not a byte-order mark after all: nothing valid starts this way, and the
            // encoding check reports such a file.
            input_.unget();
            return;
        }
        input_.get();
    }
}

int CsvReader::get()
{
    const int c = input_.get();
    if (c == '\n')
        ++line_;
    return c;
}

int CsvReader::peek()
{
    return input_.peek();
}

CsvReader::Status CsvReader::fail(Fault fault, std::string error)
{
    fault_ = fault;
    error_ = std::move(error);
    return Status::Error;
}

CsvReader::Status CsvReader::next(std::vector<std::string>& fields)
{
    fields.clear();
    if (!error_.empty())
        return Status::Error;
    if (peek() == kEof)
        return Status::End;
    recordLine_ = line_;
    std::size_t recordBytes = 0;
    const auto recordTooLong = [this] {
        return fail(Fault::RecordTooLong, "line " + std::to_string(recordLine_) + ": the record is over " +
                                              std::to_string(kLargestCsvRecord / (1024 * 1024)) + " MB");
    };
    // Each byte kept is counted before it is stored, so nothing past the bounds is held.
    const auto keep = [&](std::string& field, int c) {
        if (field.size() == kLargestCsvCell)
            return fail(Fault::CellTooLong, "line " + std::to_string(recordLine_) + ": a field is over " +
                                                std::to_string(kLargestCsvCell / 1024) + " KB");
        if (++recordBytes > kLargestCsvRecord)
            return recordTooLong();
        field.push_back(static_cast<char>(c));
        return Status::Record;
    };
    fields.emplace_back();
    for (;;) {
        std::string& field = fields.back();
        int c = get();
        if (c == '"' && field.empty()) {
            // Quoted field: up to the closing quote, "" standing for one quote.
            const std::size_t openedOn = line_;
            for (;;) {
                c = get();
                if (c == kEof)
                    return fail(Fault::OpenQuote, "a quoted field opened on line " +
                                                      std::to_string(openedOn) + " is never closed");
                if (c == '"') {
                    if (peek() != '"')
                        break;
                    get();
                }
                if (keep(field, c) == Status::Error)
                    return Status::Error;
            }
            c = get();
            if (c == '\r' && peek() == '\n')
                c = get();
            if (c != ',' && c != '\n' && c != kEof)
                return fail(Fault::TextAfterQuote,
                            "text after the closing quote of a field on line " + std::to_string(line_));
        } else {
            while (c != ',' && c != '\n' && c != kEof) {
                if (c == '\r' && peek() == '\n') {
                    c = get();
                    break;
                }
                if (keep(field, c) == Status::Error)
                    return Status::Error;
                c = get();
            }
        }
        if (c == ',') {
            // The separators count too: a record of countless empty fields is as long.
            if (++recordBytes > kLargestCsvRecord)
                return recordTooLong();
            fields.emplace_back();
            continue;
        }
        return Status::Record;
    }
}

} // namespace dorvane
