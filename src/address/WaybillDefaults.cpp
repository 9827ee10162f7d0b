#include "address/WaybillDefaults.h"

#include <cstdio>

namespace dorvane {

std::optional<int> FieldIndexByName(std::string_view name)
{
    for (const WaybillField& field : kWaybillFields) {
        if (field.name == name)
            return field.index;
    }
    return std::nullopt;
}

FieldTexts DefaultFieldTexts(const SenderDetails& sender, int year, int month, int day)
{
    FieldTexts texts;
    for (std::size_t i = 0; i < sender.size(); ++i)
        texts[static_cast<std::size_t>(kSenderDetailFields[i])] = sender[i];
    texts[kPieceCountField] = "1";
    const auto date = DateFieldTexts(year, month, day);
    texts[kYearField] = date[0];
    texts[kMonthField] = date[1];
    texts[kDayField] = date[2];
    return texts;
}

std::array<std::pair<int, std::string>, kRecipientFieldSlots.size() + 1>
RecipientTexts(const RecipientFields& fields)
{
    std::array<std::pair<int, std::string>, kRecipientFieldSlots.size() + 1> texts;
    for (std::size_t i = 0; i < kRecipientFieldSlots.size(); ++i) {
        const auto& [member, index] = kRecipientFieldSlots[i];
        texts[i] = {index, (fields.*member).value_or(std::string())};
    }
    texts.back() = {kRecipientCompanyField, std::string()};
    return texts;
}

std::array<std::string, 3> DateFieldTexts(int year, int month, int day)
{
    // "%.4d" / "%.2d": at least that many digits, zero-padded.
    const auto padded = [](int value, std::size_t digits) {
        std::string text = std::to_string(value);
        const std::size_t sign = value < 0 ? 1 : 0;
        if (text.size() - sign < digits)
            text.insert(sign, digits - (text.size() - sign), '0');
        return text;
    };
    return {padded(year, 4), padded(month, 2), padded(day, 2)};
}

} // namespace dorvane
