#include "text/CommaJoined.h"

#include <algorithm>
#include <functional>

namespace dorvane {

std::string CommaFreeValue(std::string_view value)
{
    std::string stored;
    stored.reserve(value.size());
    for (const char c : value) {
        if (c == ',')
            stored += kFullWidthComma;
        else
            stored += c;
    }
    return stored;
}

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool LooksLike(PieceShape shape, std::string_view piece)
{
    if (shape == PieceShape::Text || piece.empty())
        return true;
    bool digit = false;
    for (std::size_t i = 0; i < piece.size(); ++i) {
        const char c = piece[i];
        if (IsDigit(c)) {
            digit = true;
            continue;
        }
        if (shape == PieceShape::Postcode)
            return false;
        if (std::string_view(" +-*()#").find(c) != std::string_view::npos)
            continue;
        if (piece.substr(i, 2) == "\xD7\xAA") { // 转, before an extension
            ++i;
            continue;
        }
        return false;
    }
    return digit;
}

// Above this many extra pieces the arrangements are not searched (no real record has them).
constexpr std::size_t kMaxExtraPieces = 12;

} // namespace

std::vector<std::string> ReadCommaJoined(std::string_view line, std::span<const PieceShape> shapes,
                                         std::span<const std::size_t> textOrder)
{
    std::vector<std::string_view> pieces;
    for (std::size_t start = 0;;) {
        const std::size_t comma = line.find(',', start);
        pieces.push_back(line.substr(start, comma == std::string_view::npos ? comma : comma - start));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }

    const std::size_t count = shapes.size();
    std::vector<std::size_t> taken(count, 1); // pieces each value takes
    const std::size_t extra = pieces.size() > count ? pieces.size() - count : 0;
    const auto fits = [&] {
        std::size_t next = 0;
        for (std::size_t value = 0; value < count; next += taken[value++]) {
            if (!LooksLike(shapes[value], pieces[next]))
                return false;
        }
        return true;
    };
    // Hands `left` extra pieces to textOrder[k...], the earlier values taking the most first.
    const std::function<bool(std::size_t, std::size_t)> arrange = [&](std::size_t k, std::size_t left) {
        const std::size_t value = textOrder[k];
        if (k + 1 == textOrder.size()) {
            taken[value] = 1 + left;
            return fits();
        }
        for (std::size_t give = left + 1; give-- > 0;) {
            taken[value] = 1 + give;
            if (arrange(k + 1, left - give))
                return true;
        }
        taken[value] = 1;
        return false;
    };
    if (extra > 0 && !textOrder.empty() && (extra > kMaxExtraPieces || !arrange(0, extra))) {
        std::fill(taken.begin(), taken.end(), 1);
        taken[textOrder.front()] = 1 + extra;
    }

    std::vector<std::string> values(count);
    std::size_t next = 0;
    for (std::size_t value = 0; value < count && next < pieces.size(); ++value) {
        for (std::size_t i = 0; i < taken[value] && next < pieces.size(); ++i, ++next)
            values[value] += (i ? "," : "") + std::string(pieces[next]);
    }
    return values;
}

} // namespace dorvane
