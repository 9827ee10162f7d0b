#include "address/LooseAddress.h"

#include "text/CodePageChars.h"
#include "text/Utf8CodePage.h"
#include "address/PhoneNumber.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace dorvane {

namespace {

constexpr std::size_t kMaxChars = 1000;
constexpr std::size_t kMaxLabelChars = 8;

enum class Field { None, Name, Phone, Region, Address, Postcode, Other };

// The parser's words, as code-page bytes; written here in UTF-8 for the reader's sake.
struct Words {
    struct Label {
        std::string text;
        Field field;
    };
    std::vector<Label> labels; // longest first, so 手机号码 wins over 手机
    std::string wideColon, wideBlank, wideComma, wideSemicolon;
    // Characters that end the parts of an address and hardly ever a name: a short piece with
    // one of them belongs to the address ("文三路", "3幢").
    std::vector<std::string> addressChars;
    // Marks of a chat message rather than an address.
    std::vector<std::string> chatMarks;
    // Words of a buyer's message around an address ("麻烦发到", "谢谢", "不要到付"), which
    // hardly ever make a name.
    std::vector<std::string> chatWords;
    // False when the system could not convert the words (a Windows without code page 54936):
    // an empty word would be found everywhere, so nothing is read rather than garbage.
    bool converted = true;

    Words()
    {
        const std::pair<const char*, Field> labelWords[] = {
            {"收货人", Field::Name},     {"收件人", Field::Name},       {"联系人", Field::Name},
            {"姓名", Field::Name},       {"买家", Field::Name},         {"手机号码", Field::Phone},
            {"手机号", Field::Phone},    {"手机", Field::Phone},        {"联系电话", Field::Phone},
            {"电话", Field::Phone},      {"所在地区", Field::Region},   {"所在地", Field::Region},
            {"地区", Field::Region},     {"省市区", Field::Region},     {"详细地址", Field::Address},
            {"收货地址", Field::Address}, {"地址", Field::Address},      {"邮编", Field::Postcode},
            {"邮政编码", Field::Postcode},
        };
        for (const auto& [word, field] : labelWords)
            labels.push_back({CodePageFromUtf8(word), field});
        std::stable_sort(labels.begin(), labels.end(),
                         [](const Label& a, const Label& b) { return a.text.size() > b.text.size(); });
        wideColon = CodePageFromUtf8("：");
        wideBlank = CodePageFromUtf8("　");
        wideComma = CodePageFromUtf8("，");
        wideSemicolon = CodePageFromUtf8("；");
        for (const char* ch : {"省", "市", "区", "县", "旗", "镇", "乡", "村", "街", "道", "路", "巷", "弄", "号",
                               "楼", "栋", "幢", "室", "层", "座", "苑", "院", "厦", "组", "屯"})
            addressChars.push_back(CodePageFromUtf8(ch));
        for (const char* ch : {"？", "?", "！", "!", "吗", "呢", "嗯"})
            chatMarks.push_back(CodePageFromUtf8(ch));
        for (const char* word : {"麻烦", "谢谢", "请", "发到", "寄到", "送到", "到付", "不要", "帮", "我", "你", "您",
                                 "亲", "的", "了", "吧", "哦", "啊", "呀", "吗", "呢", "嗯", "哈", "快递", "发货",
                                 "收货", "包邮", "尽快", "急", "这", "那"})
            chatWords.push_back(CodePageFromUtf8(word));
        const auto empty = [](const std::string& word) { return word.empty(); };
        converted = std::none_of(labels.begin(), labels.end(), [](const Label& l) { return l.text.empty(); }) &&
                    !wideColon.empty() && !wideBlank.empty() && !wideComma.empty() && !wideSemicolon.empty() &&
                    std::none_of(addressChars.begin(), addressChars.end(), empty) &&
                    std::none_of(chatMarks.begin(), chatMarks.end(), empty) &&
                    std::none_of(chatWords.begin(), chatWords.end(), empty);
    }

    const Label* LabelWord(std::string_view text) const
    {
        for (const Label& label : labels)
            if (text == label.text)
                return &label;
        return nullptr;
    }
};

const Words& TheWords()
{
    static const Words words;
    return words;
}

bool IsAsciiAlnum(std::string_view ch)
{
    if (ch.size() != 1)
        return false;
    const char c = ch[0];
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsSoftBlank(std::string_view ch) { return ch == " " || ch == "\t" || ch == TheWords().wideBlank; }

bool IsHardSeparator(std::string_view ch, bool colons)
{
    const Words& w = TheWords();
    return ch == "\n" || ch == "\r" || ch == "," || ch == ";" || ch == w.wideComma || ch == w.wideSemicolon ||
           (colons && (ch == ":" || ch == w.wideColon));
}

bool IsSeparator(std::string_view ch, bool colons = false) { return IsSoftBlank(ch) || IsHardSeparator(ch, colons); }

// A Chinese character: two bytes outside the punctuation and symbol rows A1-A9, or one of the
// four-byte characters GB18030 adds (rare name characters).
bool IsHanzi(std::string_view ch)
{
    if (ch.size() == 4)
        return true;
    if (ch.size() != 2)
        return false;
    const auto lead = static_cast<unsigned char>(ch[0]);
    return lead < 0xA1 || lead > 0xA9;
}

bool ContainsAny(std::string_view text, const std::vector<std::string>& chars)
{
    for (std::string_view ch : CodePageChars(text))
        for (const std::string& mark : chars)
            if (ch == mark)
                return true;
    return false;
}

// Blanks left out, except one between two ASCII letters or digits ("Room 3", "100 201"), and no
// separator at either end.
std::string Compact(std::string_view text)
{
    std::string out;
    bool blank = false, lastAlnum = false;
    for (std::string_view ch : CodePageChars(text)) {
        if (IsSoftBlank(ch)) {
            blank = true;
            continue;
        }
        if (out.empty() && IsSeparator(ch))
            continue;
        const bool alnum = IsAsciiAlnum(ch);
        if (blank && lastAlnum && alnum)
            out += ' ';
        out += ch;
        blank = false;
        lastAlnum = alnum;
    }
    std::size_t end = 0;
    const CodePageChars chars(out);
    for (auto it = chars.begin(); it != chars.end(); ++it)
        if (!IsSeparator(*it))
            end = it.position() + (*it).size();
    out.resize(end);
    return out;
}

std::size_t CharsOfKindAt(std::string_view text, std::size_t pos, bool (*kind)(std::string_view), std::size_t max,
                          std::size_t& count)
{
    count = 0;
    while (pos < text.size() && count < max) {
        const std::string_view ch = text.substr(pos, CharLengthAt(text, pos));
        if (!kind(ch))
            break;
        pos += ch.size();
        ++count;
    }
    return pos;
}

struct LabelHit {
    std::size_t position = 0; // where the label starts
    std::size_t value = 0;    // where its value starts, after the colon
    Field field = Field::Other;
};

// A label followed by "：" or ":" at pos: one of ours, or any other short word, whose value is
// of no use here ("订单编号：", "备注：").
std::optional<LabelHit> LabelAt(std::string_view line, std::size_t pos)
{
    const Words& w = TheWords();
    const auto colonAfter = [&](std::size_t at) -> std::optional<std::size_t> {
        std::size_t count = 0;
        at = CharsOfKindAt(line, at, IsSoftBlank, line.size(), count);
        for (std::string_view colon : {std::string_view(":"), std::string_view(w.wideColon)})
            if (line.substr(at, colon.size()) == colon)
                return at + colon.size();
        return std::nullopt;
    };
    const std::string_view rest = line.substr(pos);
    for (const Words::Label& label : w.labels)
        if (rest.starts_with(label.text))
            if (const auto value = colonAfter(pos + label.text.size()))
                return LabelHit{pos, *value, label.field};
    std::size_t count = 0;
    const std::size_t end = CharsOfKindAt(line, pos, IsHanzi, kMaxLabelChars, count);
    if (count > 0)
        if (const auto value = colonAfter(end))
            return LabelHit{pos, *value, Field::Other};
    return std::nullopt;
}

struct Segment {
    Field field;
    std::string_view text;
};

// The text cut at its labels; text before a line's first label is a segment of no field.
std::vector<Segment> Segments(std::string_view text, bool& labelled)
{
    std::vector<Segment> segments;
    labelled = false;
    std::size_t lineStart = 0;
    while (lineStart <= text.size()) {
        std::size_t lineEnd = text.find('\n', lineStart); // '\n' is never part of a multi-byte character
        if (lineEnd == std::string_view::npos)
            lineEnd = text.size();
        const std::string_view line = text.substr(lineStart, lineEnd - lineStart);
        std::vector<LabelHit> hits;
        bool mayStart = true;
        for (std::size_t pos = 0; pos < line.size();) {
            if (mayStart)
                if (const auto hit = LabelAt(line, pos)) {
                    hits.push_back(*hit);
                    labelled = labelled || hit->field != Field::Other;
                    pos = hit->value;
                    continue;
                }
            const std::string_view ch = line.substr(pos, CharLengthAt(line, pos));
            mayStart = IsSeparator(ch);
            pos += ch.size();
        }
        segments.push_back({Field::None, line.substr(0, hits.empty() ? line.size() : hits.front().position)});
        for (std::size_t i = 0; i < hits.size(); ++i) {
            const std::size_t end = i + 1 < hits.size() ? hits[i + 1].position : line.size();
            segments.push_back({hits[i].field, line.substr(hits[i].value, end - hits[i].value)});
        }
        lineStart = lineEnd + 1;
    }
    return segments;
}

enum class Kind { Phone, Postcode, Latin, Name, LabelWord, Other };

struct Token {
    std::string_view text;
    Kind kind = Kind::Other;
    bool afterBlank = false; // only blanks since the token before
    std::size_t phone = 0; // index of its telephone number, for Kind::Phone
};

bool IsPostcode(std::string_view text)
{
    return text.size() == 6 && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsLatinNameChar(std::string_view ch)
{
    if (ch.size() != 1)
        return false;
    const char c = ch[0];
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '.' || c == '\'' || c == '-';
}

bool IsMaskChar(std::string_view ch)
{
    return ch == "*" || ch == "\xA3\xAA" || (ch.size() == 1 && (ch[0] | 0x20) >= 'a' && (ch[0] | 0x20) <= 'z');
}

// A name the shop has masked or shortened: "王xx", "刘*", "陈**", "周xy".
bool IsMaskedName(std::string_view text)
{
    std::size_t hanzi = 0, marks = 0;
    const std::size_t end = CharsOfKindAt(text, 0, IsHanzi, 4, hanzi);
    return hanzi >= 1 && hanzi <= 3 && CharsOfKindAt(text, end, IsMaskChar, 4, marks) == text.size() &&
           marks >= 1 && marks <= 3 && !ContainsAny(text, TheWords().addressChars);
}

bool IsChineseName(std::string_view text)
{
    std::size_t count = 0;
    return (CharsOfKindAt(text, 0, IsHanzi, 5, count) == text.size() && count >= 2 && count <= 4 &&
            !ContainsAny(text, TheWords().addressChars)) ||
           IsMaskedName(text);
}

// "周xy13912345678": a name with its telephone run on; where the telephone starts, else npos.
std::size_t GluedPhoneAt(std::string_view text)
{
    std::size_t digit = 0;
    while (digit < text.size() && !(text[digit] >= '0' && text[digit] <= '9') && text[digit] != '+')
        digit += CharLengthAt(text, digit);
    if (digit == 0 || digit == text.size() || !IsChineseName(text.substr(0, digit)))
        return std::string_view::npos;
    const std::vector<PhoneNumber> found = FindPhoneNumbers(text.substr(digit));
    if (found.size() != 1 || found.front().position != 0 || digit + found.front().length != text.size())
        return std::string_view::npos;
    return digit;
}

bool HasDigit(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsChat(std::string_view text)
{
    const Words& w = TheWords();
    for (const std::string& word : w.chatWords)
        if (FindChars(text, word) != std::string_view::npos)
            return true;
    return ContainsAny(text, w.chatMarks);
}

Kind KindOf(std::string_view& text)
{
    const Words& w = TheWords();
    if (w.LabelWord(text))
        return Kind::LabelWord;
    // "电话13800001111", "收货人张三": a label word run into its value.
    for (const Words::Label& label : w.labels)
        if (text.size() > label.text.size() && text.starts_with(label.text)) {
            text.remove_prefix(label.text.size());
            break;
        }
    if (IsPostcode(text))
        return Kind::Postcode;
    std::size_t count = 0;
    if (CharsOfKindAt(text, 0, IsLatinNameChar, text.size(), count) == text.size() &&
        std::count_if(text.begin(), text.end(), [](char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }) >= 2)
        return Kind::Latin;
    if (IsChineseName(text))
        return Kind::Name;
    return Kind::Other;
}

// Unlabelled text cut into tokens at blanks, commas, semicolons and line ends (and colons, when
// no label of ours made them the labels' marks); every telephone number is a token of its own,
// blanks and hyphens inside it included.
void Tokenize(std::string_view text, bool colons, std::vector<PhoneNumber>& phones, std::vector<Token>& tokens)
{
    const std::vector<PhoneNumber> found = FindPhoneNumbers(text);
    std::size_t next = 0; // the next phone number
    std::size_t start = 0;
    bool blankOnly = false;
    const auto close = [&](std::size_t end) {
        if (end > start) {
            Token token{text.substr(start, end - start)};
            token.kind = KindOf(token.text);
            token.afterBlank = blankOnly;
            const std::size_t glued = token.kind == Kind::Other ? GluedPhoneAt(token.text) : std::string_view::npos;
            if (glued != std::string_view::npos) {
                const std::string_view phone = token.text.substr(glued);
                token.text = token.text.substr(0, glued);
                token.kind = Kind::Name;
                tokens.push_back(token);
                phones.push_back(FindPhoneNumbers(phone).front());
                tokens.push_back({phone, Kind::Phone, true, phones.size() - 1});
            } else {
                tokens.push_back(token);
            }
            blankOnly = true;
        }
    };
    for (std::size_t pos = 0; pos < text.size();) {
        if (next < found.size() && found[next].position == pos) {
            close(pos);
            tokens.push_back({text.substr(pos, found[next].length), Kind::Phone, blankOnly, phones.size()});
            phones.push_back(found[next]);
            blankOnly = true;
            pos += found[next++].length;
            start = pos;
            continue;
        }
        const std::string_view ch = text.substr(pos, CharLengthAt(text, pos));
        if (IsSeparator(ch, colons)) {
            close(pos);
            if (IsHardSeparator(ch, colons))
                blankOnly = false;
            start = pos + ch.size();
        }
        pos += ch.size();
    }
    close(text.size());
}

// What the labels and the free text have given so far.
struct Draft {
    std::optional<std::string> name, mobile, telephone, postcode;
    std::string region, detail;
};

void TakePhone(Draft& draft, const PhoneNumber& phone)
{
    std::optional<std::string>& field = phone.mobile ? draft.mobile : draft.telephone;
    if (!field)
        field = phone.number;
}

// A region or detail value without the telephone numbers and the postcode written after the
// address on the same line ("地址：文三路100号 310012"), which go to their own fields.
std::string AddressValue(std::string_view value, Draft& draft)
{
    std::vector<PhoneNumber> phones;
    std::vector<Token> tokens;
    Tokenize(value, false, phones, tokens);
    std::string address;
    for (const Token& token : tokens) {
        if (token.kind == Kind::Phone) {
            TakePhone(draft, phones[token.phone]);
        } else if (token.kind == Kind::Postcode && !draft.postcode) {
            draft.postcode = std::string(token.text);
        } else {
            address += ' ';
            address += token.text;
        }
    }
    return Compact(address);
}

// More than kMaxChars characters; counts no further than needed, for long prose is the most
// common text on a clipboard.
bool TooLong(std::string_view text)
{
    if (text.size() <= kMaxChars)
        return false;
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); ++count) {
        if (count == kMaxChars)
            return true;
        pos += static_cast<unsigned char>(text[pos]) < 0x80 ? 1 : CharLengthAt(text, pos);
    }
    return false;
}

// Links and text too long for an address are no address, whatever they hold.
bool PlainlyNoAddress(std::string_view text)
{
    if (TooLong(text))
        return true;
    // Bytes below 0x80 are always whole characters, so an ASCII word read from a character
    // boundary is matched whole.
    const auto wordAt = [&](std::size_t pos, std::string_view word) {
        if (text.size() - pos < word.size())
            return false;
        for (std::size_t i = 0; i < word.size(); ++i) {
            char c = text[pos + i];
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
            if (c != word[i])
                return false;
        }
        return true;
    };
    for (std::size_t pos = 0; pos < text.size(); pos += CharLengthAt(text, pos))
        if (wordAt(pos, "http") || wordAt(pos, "www.") || wordAt(pos, "://"))
            return true;
    return false;
}

// "收货人李明手机号码13812345678所在地区浙江省..." : our labels run together with their values,
// without colons or blanks. nullopt unless at least two labels of different items are found.
std::optional<std::vector<Segment>> RunTogetherSegments(std::string_view text)
{
    const Words& w = TheWords();
    std::vector<LabelHit> hits;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::string_view rest = text.substr(pos);
        const auto label = std::find_if(w.labels.begin(), w.labels.end(),
                                         [&](const Words::Label& l) { return rest.starts_with(l.text); });
        if (label != w.labels.end()) {
            hits.push_back({pos, pos + label->text.size(), label->field});
            pos += label->text.size();
        } else {
            pos += CharLengthAt(text, pos);
        }
    }
    if (std::none_of(hits.begin(), hits.end(), [&](const LabelHit& h) { return h.field != hits.front().field; }))
        return std::nullopt;
    std::vector<Segment> segments{{Field::None, text.substr(0, hits.front().position)}};
    for (std::size_t i = 0; i < hits.size(); ++i) {
        const std::size_t end = i + 1 < hits.size() ? hits[i + 1].position : text.size();
        segments.push_back({hits[i].field, text.substr(hits[i].value, end - hits[i].value)});
    }
    return segments;
}

// How strictly a text is read.
enum class Reading {
    Plain,   // labelled, or free text that holds nothing but the recipient
    Message, // a buyer's message around a complete address: the words around it are let go
};

std::optional<RecipientFields> ReadSegments(const std::vector<Segment>& segments, bool labelled,
                                            const RegionTable& regions, Reading how, bool needCounty)
{
    Draft draft;
    std::vector<Token> tokens;
    std::vector<PhoneNumber> phones;
    phones.reserve(4);
    for (const Segment& segment : segments) {
        // Without a label of ours, a line is free text throughout.
        const Field field = labelled ? segment.field : Field::None;
        const std::string_view value = segment.text;
        switch (field) {
        case Field::Name: {
            // "收货人：张三 13800001111": the name ends where a telephone number starts;
            // "收货人：周xy13912345678" likewise.
            const std::vector<PhoneNumber> found = FindPhoneNumbers(value);
            std::size_t end = found.empty() ? value.size() : found.front().position;
            const std::string compact = Compact(value.substr(0, end));
            std::string name = compact;
            if (const std::size_t glued = GluedPhoneAt(compact); glued != std::string_view::npos) {
                name = compact.substr(0, glued);
                TakePhone(draft, FindPhoneNumbers(std::string_view(compact).substr(glued)).front());
            }
            if (!name.empty() && !draft.name)
                draft.name = name;
            Tokenize(value.substr(end), false, phones, tokens);
            break;
        }
        case Field::Phone: {
            const std::vector<PhoneNumber> found = FindPhoneNumbers(value);
            if (!found.empty())
                TakePhone(draft, found.front());
            break;
        }
        case Field::Postcode:
            if (const std::string postcode = Compact(value); IsPostcode(postcode) && !draft.postcode)
                draft.postcode = postcode;
            break;
        case Field::Region:
            draft.region += AddressValue(value, draft);
            break;
        case Field::Address:
            draft.detail += AddressValue(value, draft);
            break;
        case Field::Other:
            break;
        case Field::None:
            Tokenize(value, !labelled, phones, tokens);
            break;
        }
    }

    // The address: the first token that starts with region names and the tokens after it that
    // go on with the address; then the name, the telephones and the postcode among the rest.
    std::size_t first = tokens.size(), last = tokens.size();
    for (std::size_t i = 0; i < tokens.size() && first == tokens.size(); ++i)
        if ((tokens[i].kind == Kind::Other || tokens[i].kind == Kind::Name) &&
            ReadAddressRegions(regions, tokens[i].text).length > 0)
            first = i;
    std::string freeAddress;
    for (last = first; last < tokens.size(); ++last) {
        const Token& token = tokens[last];
        if (last > first && token.kind == Kind::Other) {
            // "请尽快发货" after the address is a message, not more of the address.
            if (IsChat(token.text) && !HasDigit(token.text) && ReadAddressRegions(regions, token.text).length == 0)
                break;
        } else if (last > first) {
            // A name-like word goes on with the region names before it ("云南省大理州 宾川")
            // or starts some of its own; anything else ends the address.
            if (token.kind != Kind::Name)
                break;
            if (ReadAddressRegions(regions, token.text).length == 0) {
                const std::string before = Compact(freeAddress);
                const std::size_t read = ReadAddressRegions(regions, before).length;
                const std::string longer = before + std::string(token.text);
                if (read != before.size() || ReadAddressRegions(regions, longer).length <= read)
                    break;
            }
        }
        // Pieces join as Compact joins words: "B座 1201" -> "B座1201", "Room 3" stays apart.
        if (last > first)
            freeAddress += ' ';
        freeAddress += token.text;
    }
    freeAddress = Compact(freeAddress);

    int names = 0, leftovers = 0;
    std::string latin;
    const auto nameFound = [&](std::string name) {
        ++names;
        if (!draft.name)
            draft.name = std::move(name);
    };
    if (how == Reading::Message) {
        // One telephone, one name right beside it (blanks between, or none), and around them
        // nothing but the words of a message.
        if (labelled || phones.size() != 1 || draft.mobile || draft.telephone)
            return std::nullopt;
        std::size_t phone = 0;
        while (phone < tokens.size() && tokens[phone].kind != Kind::Phone)
            ++phone;
        const auto nameAt = [&](std::size_t i) {
            return i < tokens.size() && (i < first || i >= last) && tokens[i].kind == Kind::Name &&
                   !IsChat(tokens[i].text);
        };
        std::size_t name = tokens.size();
        if (phone > 0 && nameAt(phone - 1))
            name = phone - 1;
        else if (nameAt(phone + 1))
            name = phone + 1;
        if (name == tokens.size())
            return std::nullopt;
        draft.name = std::string(tokens[name].text);
        TakePhone(draft, phones.front());
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            if (i >= first && i < last)
                continue;
            const Token& token = tokens[i];
            if (i == name || i == phone || token.kind == Kind::LabelWord)
                continue;
            if (token.kind == Kind::Postcode && !draft.postcode)
                draft.postcode = std::string(token.text);
            else if (!IsChat(token.text))
                return std::nullopt;
        }
    } else {
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            if (i == first) {
                i = last - 1;
                continue;
            }
            const Token& token = tokens[i];
            if (token.kind == Kind::Latin) {
                // John Smith: Latin words with only blanks between them make one name.
                latin += (latin.empty() ? "" : " ") + std::string(token.text);
                if (i + 1 == tokens.size() || tokens[i + 1].kind != Kind::Latin || !tokens[i + 1].afterBlank ||
                    i + 1 == first) {
                    nameFound(latin);
                    latin.clear();
                }
                continue;
            }
            switch (token.kind) {
            case Kind::Phone:
                TakePhone(draft, phones[token.phone]);
                break;
            case Kind::Postcode:
                if (draft.postcode)
                    ++leftovers;
                else
                    draft.postcode = std::string(token.text);
                break;
            case Kind::Name:
                nameFound(std::string(token.text));
                break;
            case Kind::LabelWord:
                break;
            default:
                ++leftovers;
            }
        }
        if (!labelled && (leftovers > 0 || names > 1))
            return std::nullopt; // free text holds more than an address
    }

    // A region line and a detail line make one address; a detail line that repeats the
    // region is the whole address already.
    std::string address = draft.detail.starts_with(draft.region) ? draft.detail : draft.region + draft.detail;
    if (address.empty())
        address = freeAddress;
    address = WithMunicipalityOnce(regions, address);
    const AddressRegions found = ReadAddressRegions(regions, address);
    if (found.length == 0 || !found.reachesCity || (!draft.name && !draft.mobile && !draft.telephone))
        return std::nullopt;
    if ((needCounty || how == Reading::Message) && (!found.reachesCounty || !draft.name))
        return std::nullopt;
    if (how == Reading::Message && found.length == address.size())
        return std::nullopt; // region names alone are no complete address
    const Words& w = TheWords();
    if (ContainsAny(address, w.chatMarks) || (draft.name && ContainsAny(*draft.name, w.chatMarks)))
        return std::nullopt;

    RecipientFields fields;
    fields.name = std::move(draft.name);
    fields.mobile = std::move(draft.mobile);
    fields.telephone = draft.telephone.value_or(std::string());
    // An address that starts below its province gets what it leaves out, when only one fits.
    fields.address = RegionsLeftOut(regions, found) + address;
    fields.postcode = std::move(draft.postcode);
    fields.destination = found.destination >= 0 ? regions.at(found.destination).name : std::string();
    return fields;
}

} // namespace

std::optional<RecipientFields> ParseLooseAddress(std::string_view text, const RegionTable& regions)
{
    if (!TheWords().converted || PlainlyNoAddress(text))
        return std::nullopt;

    bool labelled = false;
    const std::vector<Segment> segments = Segments(text, labelled);
    if (labelled)
        return ReadSegments(segments, true, regions, Reading::Plain, false);
    // No label of ours: "：" is no more than a separator in free text.
    const std::vector<Segment> whole{{Field::None, text}};
    if (auto fields = ReadSegments(whole, false, regions, Reading::Plain, false))
        return fields;
    // Messier copies are taken only with a name, a telephone and an address down to its county.
    if (const auto runTogether = RunTogetherSegments(text)) {
        auto fields = ReadSegments(*runTogether, true, regions, Reading::Plain, true);
        if (fields && fields->name && (fields->mobile || !fields->telephone->empty()))
            return fields;
    }
    return ReadSegments(whole, false, regions, Reading::Message, true);
}

} // namespace dorvane
