#include "text/TextEncoding.h"

#include "text/Utf8CodePage.h"

namespace dorvane {

void Utf8Validator::feed(std::string_view bytes)
{
    for (const char ch : bytes) {
        if (failed_)
            return;
        const auto c = static_cast<unsigned char>(ch);
        if (pending_ > 0) {
            if (c < min_ || c > max_) {
                failed_ = true;
                return;
            }
            min_ = 0x80;
            max_ = 0xBF;
            --pending_;
            continue;
        }
        min_ = 0x80;
        max_ = 0xBF;
        if (c < 0x80) {
            if (c == '\n')
                ++line_; // counted once accepted: a character cut by a line end belongs to its line
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF) {
            pending_ = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            pending_ = 2;
            if (c == 0xE0)
                min_ = 0xA0; // overlong
            if (c == 0xED)
                max_ = 0x9F; // surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            pending_ = 3;
            if (c == 0xF0)
                min_ = 0x90;
            if (c == 0xF4)
                max_ = 0x8F;
        } else {
            failed_ = true;
        }
    }
}

TextEncoding DetectEncoding(std::istream& input, std::size_t* nonUtf8Line)
{
    Utf8Validator validator;
    char buffer[64 * 1024];
    while (input.read(buffer, sizeof buffer) || input.gcount() > 0) {
        validator.feed(std::string_view(buffer, static_cast<std::size_t>(input.gcount())));
        if (validator.failed())
            break; // no need to read the rest
    }
    input.clear();
    input.seekg(0);
    if (nonUtf8Line)
        *nonUtf8Line = validator.failedLine();
    return validator.valid() ? TextEncoding::Utf8 : TextEncoding::Gb18030;
}

std::optional<std::string> ToCodePageText(std::string_view text, TextEncoding encoding)
{
    if (encoding == TextEncoding::Gb18030) {
        // Checked by converting: a cut-off character or a stray byte must not print as blanks.
        if (!Utf8FromCodePage(text))
            return std::nullopt;
        return std::string(text);
    }
    Utf8Validator validator;
    validator.feed(text);
    if (!validator.valid())
        return std::nullopt;
    return CodePageFromUtf8(text);
}

} // namespace dorvane
