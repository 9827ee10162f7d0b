#pragma once
// Naming a waybill field from the printed label of a form's cell. Couriers word their labels
// differently ("寄件人姓名", "寄方", "发件人"; "物品名称", "内件品名"; "数量", "件数"), and the
// reading of a label may get a character wrong, so a label is matched against every known
// wording and the closest one wins; one wrong character is tolerated in wordings of three
// characters or more.

#include <string>
#include <string_view>
#include <vector>

namespace dorvane {

// What a label names besides the twenty fields.
inline constexpr int kPrintedOnly = -1; // a printed cell the program never fills (收件人签名, 运费)
inline constexpr int kDateCell = -2;    // the cell holding the year, month and day boxes
inline constexpr int kUnknownLabel = -3;

// A label's item when its wording names no party ("电话" beside "寄件人" written elsewhere):
// the sender's and the recipient's field of that item.
struct PartyItem {
    int senderField;
    int recipientField;
    bool operator==(const PartyItem&) const = default;
};

struct LabelMatch {
    int field = kUnknownLabel;   // a field index, kPrintedOnly, kDateCell or kUnknownLabel
    PartyItem partyItem{-1, -1}; // set instead of field when the wording names no party
    double score = 0;            // higher is closer; comparable between labels
    int wrong = 0;               // characters misread, if this is what the label says
    std::string wording;         // the known wording matched (UTF-8)

    bool partyless() const { return partyItem.senderField >= 0; }
};

// The known wordings close enough to the label text (UTF-8, as read; spaces and punctuation
// are ignored), closest first, one for each thing they name: a label read "妆件人手机号码" may
// be the sender's or the recipient's, and which one is settled by the other labels.
std::vector<LabelMatch> LabelMatches(std::string_view text);
// The first of them, or field kUnknownLabel when there is none.
LabelMatch MatchLabel(std::string_view text);
// Matches of one label read in several ways merged into one list, closest first: for each
// thing named, the closest of its matches.
void MergeMatches(std::vector<LabelMatch>& into, const std::vector<LabelMatch>& more);

// The party a label names ("寄件人", "收方电话", "到达"), for the labels beside or below it
// that name none: kSenderParty, kRecipientParty, or 0 for none or both.
inline constexpr int kSenderParty = 1, kRecipientParty = 2;
int LabelParty(std::string_view text);

// Levenshtein distance between needle and the closest substring of haystack, in characters,
// and that substring's length.
struct SubstringDistance {
    int distance;
    int length;
};
SubstringDistance ClosestSubstring(const std::u32string& needle, const std::u32string& haystack);

// The Chinese characters and letters of UTF-8 text, without spaces and punctuation.
std::u32string LabelCharacters(std::string_view utf8);

} // namespace dorvane
