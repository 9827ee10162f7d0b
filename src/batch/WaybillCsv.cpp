#include "batch/WaybillCsv.h"

#include "text/Utf8CodePage.h"
#include "batch/CsvCell.h"

#include <algorithm>

namespace dorvane {

namespace {

// A blank line, or a row of empty cells as spreadsheets export below their data: no waybill.
bool IsBlankLine(const std::vector<std::string>& fields)
{
    return std::all_of(fields.begin(), fields.end(), [](const std::string& f) { return f.empty(); });
}

std::string TrimBlanks(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

std::string WaybillCsvText(const std::vector<FieldTexts>& waybills)
{
    std::string out = "\xEF\xBB\xBF";
    for (const WaybillField& field : kWaybillFields) {
        if (field.index > 0)
            out += ',';
        out += field.name;
    }
    out += "\r\n";
    for (const FieldTexts& texts : waybills) {
        for (std::size_t i = 0; i < texts.size(); ++i) {
            if (i > 0)
                out += ',';
            out += CsvCellFromCodePage(texts[i]);
        }
        out += "\r\n";
    }
    return out;
}

bool WaybillCsv::fail(std::size_t line, const std::string& message)
{
    error_ = line > 0 ? "line " + std::to_string(line) + ": " + message : message;
    return false;
}

bool WaybillCsv::open(const std::filesystem::path& path)
{
    file_.open(path, std::ios::binary);
    if (!file_)
        return fail(0, "cannot be read");
    std::size_t nonUtf8Line = 0;
    encoding_ = DetectEncoding(file_, &nonUtf8Line);
    if (!file_)
        return fail(0, "cannot be read");
    reader_ = std::make_unique<CsvReader>(file_);

    CsvReader::Status status;
    do
        status = reader_->next(fields_);
    while (status == CsvReader::Status::Record && IsBlankLine(fields_));
    if (status == CsvReader::Status::Error)
        return fail(0, reader_->error());
    if (status == CsvReader::Status::End)
        return fail(0, "is empty: it has no header row naming the fields");

    for (const std::string& cell : fields_) {
        const auto text = ToCodePageText(cell, encoding_);
        if (!text) {
            std::string why = "the header holds bytes that are not valid " +
                              std::string(encoding_ == TextEncoding::Utf8 ? "UTF-8" : "GBK/GB18030") +
                              " text";
            if (encoding_ == TextEncoding::Gb18030)
                why += " (the file is read as GBK/GB18030: line " + std::to_string(nonUtf8Line) +
                       " is not UTF-8)";
            return fail(reader_->recordLine(), why);
        }
        header_.push_back(TrimBlanks(*text));
    }
    columns_ = GuessColumns(header_);
    return true;
}

WaybillCsv::Status WaybillCsv::next(FieldTexts& texts)
{
    if (!reader_ || !error_.empty())
        return Status::Error;
    CsvReader::Status status;
    do
        status = reader_->next(fields_);
    while (status == CsvReader::Status::Record && IsBlankLine(fields_));
    if (status == CsvReader::Status::End)
        return Status::End;
    if (status == CsvReader::Status::Error) {
        fail(0, reader_->error());
        return Status::Error;
    }
    ++recordNumber_;
    const std::size_t line = reader_->recordLine();
    if (fields_.size() != columns_.size()) {
        fail(line, std::to_string(fields_.size()) + " fields where the header names " +
                       std::to_string(columns_.size()));
        return Status::Error;
    }
    for (std::string& field : fields_) {
        auto text = ToCodePageText(field, encoding_);
        if (!text) {
            fail(line, "a field holds bytes that are not valid " +
                           std::string(encoding_ == TextEncoding::Utf8 ? "UTF-8" : "GBK/GB18030") + " text");
            return Status::Error;
        }
        field = TrimBlanks(*text);
    }
    texts = RecordTexts(fields_, columns_, std::move(texts));
    return Status::Record;
}

} // namespace dorvane
