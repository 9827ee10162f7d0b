#pragma once
// The address book's edge conversion: the core keeps text as GB18030 code-page bytes, the
// database keeps UTF-8. Built on iconv (glibc) on Linux, on MultiByteToWideChar /
// WideCharToMultiByte with code page 54936 on Windows.

#include <optional>
#include <string>
#include <string_view>

namespace dorvane {

// UTF-8 for GB18030 bytes; nullopt when the bytes are not valid GB18030 (a cut-off
// character, a lone lead byte), so a damaged value is never stored half converted.
std::optional<std::string> Utf8FromCodePage(std::string_view codePageText);

// GB18030 bytes for UTF-8 text. Every Unicode character has a GB18030 form; bytes that are
// not valid UTF-8 (written into the file by another program) each become '?', so one damaged
// row never hides the rest of a list.
std::string CodePageFromUtf8(std::string_view utf8Text);

} // namespace dorvane
