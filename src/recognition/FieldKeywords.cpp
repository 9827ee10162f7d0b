#include "FieldKeywords.h"

#include <algorithm>
#include <array>

namespace dorvane {

namespace {

struct Wording {
    std::u32string text;
    int field;
    PartyItem item;
};

struct Party {
    std::u32string_view word;
    bool bare; // the party's word alone labels the name cell ("寄件人", "收方")
};
constexpr std::array<Party, 6> kSenders{{{U"寄件人", true},
                                         {U"寄方", true},
                                         {U"发件人", true},
                                         {U"发货人", true},
                                         {U"寄件", false},
                                         {U"发件", false}}};
constexpr std::array<Party, 6> kRecipients{{{U"收件人", true},
                                            {U"收方", true},
                                            {U"收货人", true},
                                            {U"收件", false},
                                            {U"收货", false},
                                            {U"到达", false}}};

// An item a party writes, its wordings, and the field it is for each party.
struct Item {
    std::array<std::u32string_view, 5> words;
    int sender;
    int recipient;
    bool alone; // the wording without a party still names the item ("电话")
};
const std::array<Item, 9> kItems{{
    {{U"姓名", U"名字"}, 1, 3, true},
    {{U"单位名称", U"单位", U"公司名称", U"公司"}, 4, 5, true},
    {{U"地址", U"详细地址", U"住址"}, 6, 7, true},
    {{U"座机电话", U"电话", U"座机", U"固定电话", U"联系电话"}, 8, 9, true},
    {{U"手机号码", U"手机", U"手机号", U"移动电话"}, 10, 12, true},
    {{U"邮编", U"邮政编码"}, 11, 13, true},
    // Only the sender's signature is printed by the program; the recipient signs on delivery.
    {{U"签名", U"签字", U"签章"}, 16, kPrintedOnly, true},
    {{U"证件号码", U"身份证号"}, kPrintedOnly, kPrintedOnly, false},
    {{U"签收时间", U"签收日期"}, kPrintedOnly, kPrintedOnly, false},
}};

struct Named {
    std::u32string_view word;
    int field;
};
constexpr std::array<Named, 34> kNamed{{
    {U"目的地", 0},
    {U"目的城市", 0},
    {U"到达地", 0},
    {U"寄达地", 0},
    {U"目的站", 0},
    {U"到达城市", 0},
    {U"始发地", 2},
    {U"原寄地", 2},
    {U"始发城市", 2},
    {U"寄出地", 2},
    {U"始发站", 2},
    {U"出发地", 2},
    {U"物品名称", 14},
    {U"内件品名", 14},
    {U"内件名称", 14},
    {U"货物名称", 14},
    {U"品名", 14},
    {U"托寄物", 14},
    {U"物品", 14},
    {U"数量", 15},
    {U"件数", 15},
    {U"寄件日期", kDateCell},
    {U"日期", kDateCell},
    {U"年月日", kDateCell},
    {U"寄件时间", kDateCell},
    {U"收寄日期", kDateCell},
    {U"交寄日期", kDateCell},
    {U"保价金额", kPrintedOnly},
    {U"保价", kPrintedOnly},
    {U"运费", kPrintedOnly},
    {U"费用", kPrintedOnly},
    {U"声明价值", kPrintedOnly},
    {U"备注", kPrintedOnly},
    {U"重量", kPrintedOnly},
}};

std::vector<Wording> BuildWordings()
{
    std::vector<Wording> out;
    constexpr PartyItem none{-1, -1};
    for (const Named& n : kNamed)
        out.push_back({std::u32string(n.word), n.field, none});
    auto addParty = [&](const auto& parties, bool sender) {
        for (const Party& p : parties) {
            if (p.bare)
                out.push_back({std::u32string(p.word), sender ? 1 : 3, none});
            for (const Item& item : kItems)
                for (const std::u32string_view w : item.words)
                    if (!w.empty())
                        out.push_back({std::u32string(p.word) + std::u32string(w),
                                       sender ? item.sender : item.recipient, none});
        }
    };
    addParty(kSenders, true);
    addParty(kRecipients, false);
    for (const Item& item : kItems)
        if (item.alone)
            for (const std::u32string_view w : item.words)
                if (!w.empty())
                    out.push_back({std::u32string(w), kUnknownLabel, PartyItem{item.sender, item.recipient}});
    return out;
}

const std::vector<Wording>& Wordings()
{
    static const std::vector<Wording> wordings = BuildWordings();
    return wordings;
}

std::string Utf8(const std::u32string& text)
{
    std::string out;
    for (const char32_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

bool IsLabelCharacter(char32_t c)
{
    return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF);
}

} // namespace

std::u32string LabelCharacters(std::string_view utf8)
{
    std::u32string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        const int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
        char32_t c = extra == 3 ? b & 0x07u : extra == 2 ? b & 0x0Fu : extra == 1 ? b & 0x1Fu : b;
        if (i + static_cast<std::size_t>(extra) >= utf8.size())
            break; // a sequence cut short at the end
        for (int k = 1; k <= extra; ++k)
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]) & 0x3Fu);
        i += static_cast<std::size_t>(extra) + 1;
        if (IsLabelCharacter(c))
            out += c;
    }
    return out;
}

SubstringDistance ClosestSubstring(const std::u32string& needle, const std::u32string& haystack)
{
    // Sellers' algorithm: an edit-distance table whose first row is free, so the match may
    // start anywhere in the haystack; each cell remembers where its alignment started.
    const std::size_t m = needle.size(), n = haystack.size();
    std::vector<int> cost(n + 1, 0), start(n + 1), prevCost(n + 1), prevStart(n + 1);
    for (std::size_t j = 0; j <= n; ++j)
        start[j] = static_cast<int>(j);
    for (std::size_t i = 1; i <= m; ++i) {
        prevCost.swap(cost);
        prevStart.swap(start);
        cost[0] = static_cast<int>(i);
        start[0] = 0;
        for (std::size_t j = 1; j <= n; ++j) {
            const int substitute = prevCost[j - 1] + (needle[i - 1] == haystack[j - 1] ? 0 : 1);
            const int skipNeedle = prevCost[j] + 1;
            const int skipHaystack = cost[j - 1] + 1;
            if (substitute <= skipNeedle && substitute <= skipHaystack) {
                cost[j] = substitute;
                start[j] = prevStart[j - 1];
            } else if (skipNeedle <= skipHaystack) {
                cost[j] = skipNeedle;
                start[j] = prevStart[j];
            } else {
                cost[j] = skipHaystack;
                start[j] = start[j - 1];
            }
        }
    }
    SubstringDistance best{static_cast<int>(m), 0};
    for (std::size_t j = 0; j <= n; ++j) {
        const int length = static_cast<int>(j) - start[j];
        if (cost[j] < best.distance || (cost[j] == best.distance && length > best.length))
            best = {cost[j], length};
    }
    return best;
}

std::vector<LabelMatch> LabelMatches(std::string_view text)
{
    std::vector<LabelMatch> out;
    const std::u32string label = LabelCharacters(text);
    if (label.empty())
        return out;
    constexpr double kLeastScore = 1.5;
    for (const Wording& w : Wordings()) {
        const int length = static_cast<int>(w.text.size());
        const int tolerated = length >= 3 ? 1 : 0;
        const SubstringDistance d = ClosestSubstring(w.text, label);
        if (d.distance > tolerated)
            continue;
        // Longer wordings say more; a wrong character and label text the wording leaves
        // unexplained both count against it.
        const double score = length - 1.5 * d.distance - 0.25 * (static_cast<int>(label.size()) - d.length);
        if (score < kLeastScore)
            continue;
        MergeMatches(out, {{w.field, w.item, score, d.distance, Utf8(w.text)}});
    }
    return out;
}

void MergeMatches(std::vector<LabelMatch>& into, const std::vector<LabelMatch>& more)
{
    for (const LabelMatch& m : more) {
        const auto same = std::find_if(into.begin(), into.end(), [&m](const LabelMatch& k) {
            return k.field == m.field && k.partyItem == m.partyItem;
        });
        if (same == into.end())
            into.push_back(m);
        else if (m.score > same->score)
            *same = m;
    }
    std::stable_sort(into.begin(), into.end(),
                     [](const LabelMatch& a, const LabelMatch& b) { return a.score > b.score; });
}

int LabelParty(std::string_view text)
{
    const std::u32string label = LabelCharacters(text);
    // Read exactly first: "寄件人" is one character from "收件人".
    auto names = [&label](const auto& parties, bool exactly) {
        for (const Party& p : parties) {
            const std::u32string word(p.word);
            if (ClosestSubstring(word, label).distance <= (exactly || word.size() < 3 ? 0 : 1))
                return true;
        }
        return false;
    };
    for (const bool exactly : {true, false}) {
        const bool sender = names(kSenders, exactly), recipient = names(kRecipients, exactly);
        if (sender != recipient)
            return sender ? kSenderParty : kRecipientParty;
        if (sender)
            return 0;
    }
    return 0;
}

LabelMatch MatchLabel(std::string_view text)
{
    const std::vector<LabelMatch> matches = LabelMatches(text);
    return matches.empty() ? LabelMatch{} : matches.front();
}

} // namespace dorvane
