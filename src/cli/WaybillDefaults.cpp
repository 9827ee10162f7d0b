#include "cli/WaybillDefaults.h"

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
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%.4d", year);
    texts[kYearField] = buffer;
    std::snprintf(buffer, sizeof buffer, "%.2d", month);
    texts[kMonthField] = buffer;
    std::snprintf(buffer, sizeof buffer, "%.2d", day);
    texts[kDayField] = buffer;
    return texts;
}

} // namespace dorvane
