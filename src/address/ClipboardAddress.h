#pragma once
// Recognising a buyer's delivery address copied from an online shop's order page and splitting
// it into the recipient fields of the waybill. Works on code-page bytes (GB18030); every length
// and position counts bytes, and every search matches whole characters only.

#include <optional>
#include <string>
#include <string_view>

namespace dorvane {

// The recipient fields found in an accepted text; a field without a value was not found. The
// telephone always has a value: both shapes empty it unless they find one.
struct RecipientFields {
    std::optional<std::string> name;        // control 1007
    std::optional<std::string> mobile;      // control 1011
    std::optional<std::string> telephone;   // control 1019
    std::optional<std::string> address;     // control 1010
    std::optional<std::string> postcode;    // control 1012
    std::optional<std::string> destination; // control 1008
};

// Splits a shop address of either shape: 4 to 7 pieces separated by full-width commas, or 7 to
// 12 pieces separated by two ASCII blanks (after the last full-width comma, when there are one
// or two). Line ends and blanks after the text are no part of it. A comma piece that is a
// telephone of any shape is the mobile or the telephone; the address is the piece that starts
// with region names; the comma shape holds only when its pieces give one name, one address and
// a telephone. A text of neither shape (one that lacks "市", comma pieces that do not hold, or a
// blank-shaped text without both a postcode and a mobile piece) is then read as a labelled or
// free address (LooseAddress.h). nullopt when that fails too; nothing is to change then.
std::optional<RecipientFields> ParseClipboardAddress(std::string_view codePageText);

} // namespace dorvane
