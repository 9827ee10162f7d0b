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

CsvReader::Status CsvReader::next(std::vector<std::string>& fields)
{
    fields.clear();
    if (!error_.empty())
        return Status::Error;
    if (peek() == kEof)
        return Status::End;
    recordLine_ = line_;
    fields.emplace_back();
    for (;;) {
        std::string& field = fields.back();
        int c = get();
        if (c == '"' && field.empty()) {
            // Quoted field: up to the closing quote, "" standing for one quote.
            const std::size_t openedOn = line_;
            for (;;) {
                c = get();
                if (c == kEof) {
                    error_ = "a quoted field opened on line " + std::to_string(openedOn) + " is never closed";
                    return Status::Error;
                }
                if (c == '"') {
                    if (peek() != '"')
                        break;
                    get();
                }
                field.push_back(static_cast<char>(c));
            }
            c = get();
            if (c == '\r' && peek() == '\n')
                c = get();
            if (c != ',' && c != '\n' && c != kEof) {
                error_ = "text after the closing quote of a field on line " + std::to_string(line_);
                return Status::Error;
            }
        } else {
            while (c != ',' && c != '\n' && c != kEof) {
                if (c == '\r' && peek() == '\n') {
                    c = get();
                    break;
                }
                field.push_back(static_cast<char>(c));
                c = get();
            }
        }
        if (c == ',') {
            fields.emplace_back();
            continue;
        }
        return Status::Record;
    }
}

} // namespace dorvane
