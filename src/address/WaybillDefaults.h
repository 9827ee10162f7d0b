#pragma once
// What a waybill holds before anything is typed into it, and where a parsed shop address
// goes: the main window's rules, for programs that fill waybills without it.

#include "base/SettingsFiles.h"
#include "template/WaybillField.h"
#include "address/ClipboardAddress.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace dorvane {

// Code-page texts of the twenty fields, catalogue order.
using FieldTexts = std::array<std::string, kFieldCount>;

// The catalogue index of a field name (UTF-8, as the catalogue spells it).
std::optional<int> FieldIndexByName(std::string_view name);

// address.ini's nine values, as catalogue indexes: sender name, origin, company, mobile,
// telephone, address, postcode, goods name, signature.
inline constexpr std::array<int, 9> kSenderDetailFields = {1, 2, 4, 10, 8, 6, 11, 14, 16};

inline constexpr int kPieceCountField = 15;
inline constexpr int kYearField = 17;
inline constexpr int kMonthField = 18;
inline constexpr int kDayField = 19;

// The year, month and day fields of a date: "%.4d", "%.2d", "%.2d".
std::array<std::string, 3> DateFieldTexts(int year, int month, int day);

// The sender of address.ini, one piece, the given date ("2026", "07", "09").
FieldTexts DefaultFieldTexts(const SenderDetails& sender, int year, int month, int day);

// The recipient fields an accepted shop address writes, in the order they are reported.
inline constexpr std::array<std::pair<std::optional<std::string> RecipientFields::*, int>, 6>
    kRecipientFieldSlots{{
        {&RecipientFields::name, 3},
        {&RecipientFields::mobile, 12},
        {&RecipientFields::telephone, 9},
        {&RecipientFields::address, 7},
        {&RecipientFields::postcode, 13},
        {&RecipientFields::destination, 0},
    }};

inline constexpr int kRecipientCompanyField = 5;

// What an accepted shop address writes: it replaces the whole recipient, so each field of
// kRecipientFieldSlots gets its value or, when the text has none, is emptied, and so is the
// recipient company, which no shop address carries. Pairs of catalogue index and text.
std::array<std::pair<int, std::string>, kRecipientFieldSlots.size() + 1>
RecipientTexts(const RecipientFields& fields);

} // namespace dorvane
