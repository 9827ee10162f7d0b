#include "app/Utf8CodePage.h"

#include <cerrno>
#include <iconv.h>

namespace dorvane {

namespace {

// One descriptor per direction and thread, opened on first use: opening one per value would
// cost more than the conversion when a list of thousands of rows is read.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (cd_ != invalidDescriptor())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts all of input; on an invalid or incomplete sequence either stops (returns
    // false) or, with replace, writes '?' for one input byte and goes on.
    bool Convert(std::string_view input, std::string& output, bool replace)
    {
        output.clear();
        if (cd_ == invalidDescriptor())
            return false;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        output.resize(input.size() * 2 + 8);
        std::size_t used = 0;
        while (inLeft > 0) {
            char* out = output.data() + used;
            std::size_t outLeft = output.size() - used;
            const std::size_t rc = iconv(cd_, &in, &inLeft, &out, &outLeft);
            used = output.size() - outLeft;
            if (rc != static_cast<std::size_t>(-1))
                break;
            if (errno == E2BIG) {
                output.resize(output.size() * 2);
            } else if (replace) {
                if (output.size() - used < 1)
                    output.resize(output.size() * 2);
                output[used++] = '?';
                ++in;
                --inLeft;
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);
            } else {
                return false;
            }
        }
        output.resize(used);
        return true;
    }

private:
    static iconv_t invalidDescriptor() { return reinterpret_cast<iconv_t>(-1); }
    iconv_t cd_;
};

// ASCII is the same bytes in both encodings: numbers, dates and empty fields, most of a print
// log's columns, need no converter.
bool IsAscii(std::string_view text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

} // namespace

std::optional<std::string> Utf8FromCodePage(std::string_view codePageText)
{
    if (IsAscii(codePageText))
        return std::string(codePageText);
    thread_local Converter converter("UTF-8", "GB18030");
    std::string utf8;
    if (!converter.Convert(codePageText, utf8, false))
        return std::nullopt;
    return utf8;
}

std::string CodePageFromUtf8(std::string_view utf8Text)
{
    if (IsAscii(utf8Text))
        return std::string(utf8Text);
    thread_local Converter converter("GB18030", "UTF-8");
    std::string codePage;
    converter.Convert(utf8Text, codePage, true);
    return codePage;
}

} // namespace dorvane
