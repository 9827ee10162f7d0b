#include "text/Utf8CodePage.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

namespace dorvane {

#ifdef _WIN32

namespace {

// GB18030 (54936), which every Windows has. wine has only its GBK part (936): there the
// characters of GBK convert the same, and the rare four-byte ones are refused as invalid.
UINT Gb18030()
{
    static const UINT codePage = IsValidCodePage(54936) ? 54936 : 936;
    return codePage;
}

// Code-page bytes to UTF-16; empty input gives an empty result, nullopt an invalid sequence.
std::optional<std::wstring> Wide(UINT codePage, std::string_view bytes, DWORD flags)
{
    std::wstring wide;
    if (bytes.empty())
        return wide;
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
    if (length <= 0)
        return std::nullopt;
    wide.resize(static_cast<std::size_t>(length));
    MultiByteToWideChar(codePage, flags, bytes.data(), size, wide.data(), length);
    return wide;
}

std::string Narrow(UINT codePage, std::wstring_view wide)
{
    std::string bytes;
    if (wide.empty())
        return bytes;
    const int size = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return bytes;
    bytes.resize(static_cast<std::size_t>(length));
    WideCharToMultiByte(codePage, 0, wide.data(), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

// Windows has no '?' replacement of its own for UTF-8 (it writes U+FFFD), so invalid UTF-8
// is cut into valid runs and the bytes between them, each of which becomes '?'.
std::size_t ValidUtf8Length(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    else
        return 0;
    if (text.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
    const unsigned char second = byte(1);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) || (lead == 0xF0 && second < 0x90)
        || (lead == 0xF4 && second > 0x8F))
        return 0; // overlong forms, surrogates and values past U+10FFFF
    return length;
}

} // namespace

std::optional<std::string> Utf8FromCodePage(std::string_view codePageText)
{
    const auto wide = Wide(Gb18030(), codePageText, MB_ERR_INVALID_CHARS);
    if (!wide)
        return std::nullopt;
    return Narrow(CP_UTF8, *wide);
}

std::string CodePageFromUtf8(std::string_view utf8Text)
{
    std::string codePage;
    std::size_t runStart = 0;
    const auto flushRun = [&](std::size_t end) {
        if (end > runStart)
            codePage += Narrow(Gb18030(), Wide(CP_UTF8, utf8Text.substr(runStart, end - runStart), 0).value_or(L""));
    };
    for (std::size_t pos = 0; pos < utf8Text.size();) {
        const std::size_t length = ValidUtf8Length(utf8Text.substr(pos));
        if (length > 0) {
            pos += length;
            continue;
        }
        flushRun(pos);
        codePage += '?';
        runStart = ++pos;
    }
    flushRun(utf8Text.size());
    return codePage;
}

#else

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

#endif

} // namespace dorvane
