#pragma once
// Which encoding a text file from elsewhere is in. Shops' spreadsheet exports come both as
// UTF-8 and as GBK; a file that is valid UTF-8 throughout is taken as UTF-8, any other as
// GB18030 (of which GBK is a part). Real Chinese GBK text is practically never valid UTF-8.

#include <cstddef>
#include <istream>
#include <optional>
#include <string>
#include <string_view>

namespace dorvane {

enum class TextEncoding { Utf8, Gb18030 };

// Checks UTF-8 validity piece by piece, so that a file is checked without being held whole.
class Utf8Validator {
public:
    void feed(std::string_view bytes);
    // True when everything fed so far is valid UTF-8 and no character is left cut off.
    bool valid() const { return !failed_ && pending_ == 0; }
    bool failed() const { return failed_; }
    // Once all is fed: the line (from 1) of the first byte that is not UTF-8, or of a character
    // cut off at the end; 0 when the text is valid.
    std::size_t failedLine() const { return valid() ? 0 : line_; }

private:
    int pending_ = 0;       // continuation bytes still expected
    unsigned char min_ = 0; // bounds of the next continuation byte (overlong, surrogate checks)
    unsigned char max_ = 0;
    bool failed_ = false;
    std::size_t line_ = 1;
};

// Reads input to its end (or to its first byte that is not UTF-8) and rewinds it. nonUtf8Line
// receives the line of that byte, so that a UTF-8 file with one damaged byte can be told.
TextEncoding DetectEncoding(std::istream& input, std::size_t* nonUtf8Line = nullptr);

// The text as code-page (GB18030) bytes; nullopt when it is not valid in its encoding.
std::optional<std::string> ToCodePageText(std::string_view text, TextEncoding encoding);

} // namespace dorvane
