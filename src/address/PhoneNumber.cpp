#include "address/PhoneNumber.h"

#include "text/CodePageChars.h"

#include <optional>

namespace dorvane {

namespace {

constexpr std::string_view kWideStar = "\xA3\xAA";   // ＊
constexpr std::string_view kTransfer = "\xD7\xAA";   // 转, "extension"
constexpr std::string_view kWideOpen = "\xA3\xA8";   // （
constexpr std::string_view kWideClose = "\xA3\xA9";  // ）
constexpr std::size_t kMaxExtension = 6;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A cursor over the ASCII part of a number; multi-byte marks are matched whole, so it never
// stops inside a character.
class Reader {
public:
    Reader(std::string_view text, std::size_t pos) : text_(text), pos_(pos) {}
    std::size_t pos() const { return pos_; }
    bool Take(std::string_view s)
    {
        if (text_.substr(pos_, s.size()) != s)
            return false;
        pos_ += s.size();
        return true;
    }
    bool TakeSeparator() { return Take(" ") || Take("-"); }
    // Exactly n digits.
    std::optional<std::string_view> Digits(std::size_t n)
    {
        if (pos_ + n > text_.size())
            return std::nullopt;
        for (std::size_t i = 0; i < n; ++i)
            if (!IsDigit(text_[pos_ + i]))
                return std::nullopt;
        const std::string_view digits = text_.substr(pos_, n);
        pos_ += n;
        return digits;
    }
    std::size_t DigitRun() const
    {
        std::size_t n = 0;
        while (pos_ + n < text_.size() && IsDigit(text_[pos_ + n]))
            ++n;
        return n;
    }
    // Four masking stars, ASCII or full-width, as written.
    std::optional<std::string_view> Stars()
    {
        const std::size_t start = pos_;
        for (int i = 0; i < 4; ++i)
            if (!Take("*") && !Take(kWideStar)) {
                pos_ = start;
                return std::nullopt;
            }
        return text_.substr(start, pos_ - start);
    }
    // The number ends here: no digit or masking star runs on.
    bool AtEnd() const { return DigitRun() == 0 && text_.substr(pos_, 1) != "*" && text_.substr(pos_, 2) != kWideStar; }

    // "-1234" or "转1234" after a number: kept with its mark. Empty when there is none.
    std::string Extension()
    {
        const std::size_t start = pos_;
        if (Take("-") || Take(kTransfer)) {
            const std::size_t mark = pos_;
            const std::size_t n = DigitRun();
            if (n >= 1 && n <= kMaxExtension) {
                pos_ += n;
                return std::string(text_.substr(start, mark - start)) + std::string(text_.substr(mark, n));
            }
        }
        pos_ = start;
        return {};
    }

private:
    std::string_view text_;
    std::size_t pos_;
};

// 138 0000 1111, 138-0000-1111, 13800001111 and 138****1111, after an optional +86 / 0086 / 86.
std::optional<PhoneNumber> MobileAt(std::string_view text, std::size_t pos)
{
    for (const std::string_view country : {"+86", "0086", "86", ""}) {
        Reader r(text, pos);
        if (!r.Take(country))
            continue;
        if (!country.empty())
            r.TakeSeparator();
        const auto head = r.Digits(3);
        if (!head || (*head)[0] != '1' || (*head)[1] < '3')
            continue;
        r.TakeSeparator();
        auto middle = r.Digits(4);
        const bool masked = !middle;
        if (masked)
            middle = r.Stars();
        if (!middle)
            continue;
        r.TakeSeparator();
        const auto tail = r.Digits(4);
        if (!tail)
            continue;
        const std::string extension = r.Extension();
        if (!r.AtEnd())
            continue;
        PhoneNumber phone;
        phone.mobile = true;
        phone.position = pos;
        phone.length = r.pos() - pos;
        phone.number = std::string(*head) + std::string(*middle) + std::string(*tail) + extension;
        return phone;
    }
    return std::nullopt;
}

// 0571-88886666, 0571 88886666, (0571)88886666, （0571）88886666, 057188886666. Beijing,
// Tianjin and the 02x areas have three-digit area codes, every other area four digits.
std::optional<PhoneNumber> LandlineAt(std::string_view text, std::size_t pos)
{
    Reader r(text, pos);
    const bool open = r.Take("(") || r.Take(kWideOpen);
    if (r.DigitRun() < 3 || text[r.pos()] != '0')
        return std::nullopt;
    const char second = text[r.pos() + 1];
    if (second == '0')
        return std::nullopt;
    const auto area = r.Digits(second == '1' || second == '2' ? 3 : 4);
    if (!area)
        return std::nullopt;
    if (open && !r.Take(")") && !r.Take(kWideClose))
        return std::nullopt;
    if (r.DigitRun() == 0)
        r.TakeSeparator();
    const std::size_t localLength = r.DigitRun();
    if (localLength != 7 && localLength != 8)
        return std::nullopt;
    const auto local = r.Digits(localLength);
    if ((*local)[0] == '0' || (*local)[0] == '1')
        return std::nullopt;
    const std::string extension = r.Extension();
    if (!r.AtEnd())
        return std::nullopt;
    PhoneNumber phone;
    phone.position = pos;
    phone.length = r.pos() - pos;
    phone.number = std::string(*area) + "-" + std::string(*local) + extension;
    return phone;
}

// A number must not continue a word of digits or letters, nor a masked number, written before it.
bool MayStartAfter(std::string_view previous)
{
    if (previous.size() != 1)
        return previous != kWideStar;
    const char c = previous[0];
    return !IsDigit(c) && !(c >= 'A' && c <= 'Z') && !(c >= 'a' && c <= 'z') && c != '*' && c != '+' && c != '-';
}

} // namespace

std::vector<PhoneNumber> FindPhoneNumbers(std::string_view text)
{
    std::vector<PhoneNumber> found;
    std::string_view previous;
    const CodePageChars chars(text);
    for (auto it = chars.begin(); it != chars.end(); ++it) {
        const std::string_view ch = *it;
        if (it.position() < (found.empty() ? 0 : found.back().position + found.back().length)) {
            previous = ch;
            continue;
        }
        const char c = ch[0];
        if (MayStartAfter(previous) && (IsDigit(c) || c == '+' || c == '(' || ch == kWideOpen)) {
            auto phone = MobileAt(text, it.position());
            if (!phone)
                phone = LandlineAt(text, it.position());
            if (phone)
                found.push_back(std::move(*phone));
        }
        previous = ch;
    }
    return found;
}

} // namespace dorvane
