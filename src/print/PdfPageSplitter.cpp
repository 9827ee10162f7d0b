#include "print/PdfPageSplitter.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <deque>
#include <optional>
#include <unordered_set>

namespace dorvane {

struct PdfPageSplitter::Token {
    enum Kind { Name, Integer, Real, String, Keyword, Open, Close };
    Kind kind = Keyword;
    std::size_t begin = 0;
    std::size_t end = 0;
    long long value = 0; // Integer
};

// One value with the spans of its tokens in the document; a stream's data follows it.
struct PdfPageSplitter::Object {
    std::vector<Token> tokens;
    bool isStream = false;
    std::size_t streamBegin = 0;
    std::size_t streamEnd = 0;
};

namespace {

using Token = PdfPageSplitter::Token;
using Object = PdfPageSplitter::Object;

bool IsWhite(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

bool IsDelimiter(char c)
{
    return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' || c == '}' ||
           c == '/' || c == '%';
}

class Lexer {
public:
    Lexer(std::string_view text, std::size_t pos) : text_(text), pos_(pos) {}
    std::size_t pos() const { return pos_; }

    // The next token; none at the end or at bytes no token starts with.
    std::optional<Token> next()
    {
        skipWhite();
        if (pos_ >= text_.size())
            return std::nullopt;
        Token token;
        token.begin = pos_;
        const char c = text_[pos_];
        if (c == '/') {
            ++pos_;
            while (pos_ < text_.size() && !IsWhite(text_[pos_]) && !IsDelimiter(text_[pos_]))
                ++pos_;
            token.kind = Token::Name;
        } else if (c == '(') {
            if (!literalString())
                return std::nullopt;
            token.kind = Token::String;
        } else if (c == '<' && at("<<")) {
            pos_ += 2;
            token.kind = Token::Open;
        } else if (c == '>' && at(">>")) {
            pos_ += 2;
            token.kind = Token::Close;
        } else if (c == '<') {
            const std::size_t close = text_.find('>', pos_);
            if (close == std::string_view::npos)
                return std::nullopt;
            pos_ = close + 1;
            token.kind = Token::String;
        } else if (c == '[' || c == '{') {
            ++pos_;
            token.kind = Token::Open;
        } else if (c == ']' || c == '}') {
            ++pos_;
            token.kind = Token::Close;
        } else if (IsDelimiter(c)) {
            return std::nullopt; // a stray ')' or '>'
        } else {
            while (pos_ < text_.size() && !IsWhite(text_[pos_]) && !IsDelimiter(text_[pos_]))
                ++pos_;
            token.kind = number(token);
        }
        token.end = pos_;
        return token;
    }

private:
    bool at(std::string_view s) const { return text_.substr(pos_, s.size()) == s; }

    void skipWhite()
    {
        while (pos_ < text_.size()) {
            if (IsWhite(text_[pos_])) {
                ++pos_;
            } else if (text_[pos_] == '%') {
                while (pos_ < text_.size() && text_[pos_] != '\n' && text_[pos_] != '\r')
                    ++pos_;
            } else {
                break;
            }
        }
    }

    bool literalString()
    {
        int depth = 0;
        for (; pos_ < text_.size(); ++pos_) {
            const char c = text_[pos_];
            if (c == '\\') {
                ++pos_;
            } else if (c == '(') {
                ++depth;
            } else if (c == ')' && --depth == 0) {
                ++pos_;
                return true;
            }
        }
        return false;
    }

    Token::Kind number(Token& token) const
    {
        const std::string_view word = text_.substr(token.begin, pos_ - token.begin);
        const char* first = word.data();
        const char* last = word.data() + word.size();
        if (!word.empty() && *first == '+')
            ++first;
        const auto [end, ec] = std::from_chars(first, last, token.value);
        if (ec == std::errc() && end == last && first != last)
            return Token::Integer;
        if (word.find_first_not_of("+-.0123456789") == std::string_view::npos &&
            word.find_first_of("0123456789") != std::string_view::npos)
            return Token::Real;
        return Token::Keyword;
    }

    std::string_view text_;
    std::size_t pos_;
};

bool IsKeyword(std::string_view text, const Token& token, std::string_view word)
{
    return token.kind == Token::Keyword && text.substr(token.begin, token.end - token.begin) == word;
}

// Whether tokens[i] starts an indirect reference "n g R".
bool IsReference(std::string_view text, const std::vector<Token>& tokens, std::size_t i)
{
    return i + 2 < tokens.size() && tokens[i].kind == Token::Integer &&
           tokens[i + 1].kind == Token::Integer && IsKeyword(text, tokens[i + 2], "R");
}

// Reads one value into tokens; false when the text ends or breaks off first.
bool ReadValue(std::string_view text, Lexer& lexer, std::vector<Token>& tokens, int depth = 0)
{
    if (depth > 100)
        return false;
    const std::optional<Token> token = lexer.next();
    if (!token || token->kind == Token::Close)
        return false;
    tokens.push_back(*token);
    if (token->kind == Token::Open) {
        for (;;) {
            Lexer ahead = lexer;
            const std::optional<Token> peek = ahead.next();
            if (!peek)
                return false;
            if (peek->kind == Token::Close) {
                tokens.push_back(*peek);
                lexer = ahead;
                return true;
            }
            if (!ReadValue(text, lexer, tokens, depth + 1))
                return false;
        }
    }
    if (token->kind == Token::Integer) {
        // "n g R": a reference is one value.
        Lexer ahead = lexer;
        const std::optional<Token> generation = ahead.next();
        const std::optional<Token> r = ahead.next();
        if (generation && r && generation->kind == Token::Integer && IsKeyword(text, *r, "R")) {
            tokens.push_back(*generation);
            tokens.push_back(*r);
            lexer = ahead;
        }
    }
    return true;
}

// The number of tokens of the value starting at tokens[i].
std::size_t ValueLength(std::string_view text, const std::vector<Token>& tokens, std::size_t i)
{
    if (IsReference(text, tokens, i))
        return 3;
    if (tokens[i].kind != Token::Open)
        return 1;
    int depth = 0;
    for (std::size_t j = i; j < tokens.size(); ++j) {
        if (tokens[j].kind == Token::Open)
            ++depth;
        else if (tokens[j].kind == Token::Close && --depth == 0)
            return j - i + 1;
    }
    return tokens.size() - i;
}

struct Entry {
    std::string_view key;  // without the slash
    std::size_t first = 0; // the value's tokens
    std::size_t count = 0;
};

// The entries of a dictionary value, its nested ones aside.
std::vector<Entry> Entries(std::string_view text, const std::vector<Token>& tokens)
{
    std::vector<Entry> entries;
    if (tokens.empty() || tokens[0].kind != Token::Open || text.substr(tokens[0].begin, 2) != "<<")
        return entries;
    for (std::size_t i = 1; i + 1 < tokens.size() && tokens[i].kind == Token::Name;) {
        const std::size_t count = ValueLength(text, tokens, i + 1);
        entries.push_back(
            {text.substr(tokens[i].begin + 1, tokens[i].end - tokens[i].begin - 1), i + 1, count});
        i += 1 + count;
    }
    return entries;
}

const Entry* Find(const std::vector<Entry>& entries, std::string_view key)
{
    const auto found =
        std::find_if(entries.begin(), entries.end(), [&](const Entry& e) { return e.key == key; });
    return found == entries.end() ? nullptr : &*found;
}

// The object an entry refers to; 0 when it is no reference.
int ReferenceOf(std::string_view text, const std::vector<Token>& tokens, const Entry* entry)
{
    if (entry == nullptr || entry->count != 3 || !IsReference(text, tokens, entry->first))
        return 0;
    return static_cast<int>(tokens[entry->first].value);
}

std::string Number(std::size_t n)
{
    return std::to_string(n);
}

// Entries a page takes from the page tree above it when it has none of its own.
constexpr std::array<std::string_view, 4> kInherited = {"Resources", "MediaBox", "CropBox", "Rotate"};
// Catalog entries that name pages or the page tree: a one-page document cannot keep them.
constexpr std::array<std::string_view, 10> kCatalogOfPages = {
    "Type",       "Pages",      "Outlines",       "Dests",    "Names",
    "PageLabels", "OpenAction", "StructTreeRoot", "AcroForm", "ParentTree"};

} // namespace

PdfPageSplitter::PdfPageSplitter() = default;
PdfPageSplitter::~PdfPageSplitter() = default;

bool PdfPageSplitter::fail(std::string message)
{
    error_ = std::move(message);
    return false;
}

bool PdfPageSplitter::read(std::string document)
{
    document_ = std::move(document);
    offsets_.clear();
    objects_.clear();
    pages_.clear();
    pageTree_.clear();
    treeNodes_.clear();
    parents_.clear();
    root_ = info_ = 0;
    error_.clear();
    const std::string_view text = document_;
    if (text.substr(0, 5) != "%PDF-")
        return fail("not a PDF: no %PDF- header");
    version_ = std::string(text.substr(0, text.find_first_of("\r\n")));

    const std::size_t startxref = text.rfind("startxref");
    if (startxref == std::string_view::npos)
        return fail("no startxref");
    Lexer at(text, startxref + 9);
    std::optional<Token> offset = at.next();
    std::unordered_set<long long> seen;
    while (offset && offset->kind == Token::Integer) {
        if (offset->value < 0 || static_cast<std::size_t>(offset->value) >= text.size() ||
            !seen.insert(offset->value).second)
            return fail("the cross-reference offset is out of the file");
        Lexer lexer(text, static_cast<std::size_t>(offset->value));
        std::optional<Token> token = lexer.next();
        if (!token || !IsKeyword(text, *token, "xref"))
            return fail("no cross-reference table (cross-reference streams are not read)");
        // Subsections "first count" of entries "offset generation n|f", then the trailer.
        while ((token = lexer.next()) && token->kind == Token::Integer) {
            const std::optional<Token> count = lexer.next();
            if (!count || count->kind != Token::Integer || count->value < 0)
                return fail("a damaged cross-reference table");
            for (long long i = 0; i < count->value; ++i) {
                const std::optional<Token> where = lexer.next();
                const std::optional<Token> generation = lexer.next();
                const std::optional<Token> kind = lexer.next();
                if (!where || !generation || !kind || where->kind != Token::Integer)
                    return fail("a damaged cross-reference table");
                // A later section (read first) replaces what an earlier one says.
                if (IsKeyword(text, *kind, "n"))
                    offsets_.emplace(static_cast<int>(token->value + i),
                                     static_cast<std::size_t>(where->value));
                else
                    offsets_.emplace(static_cast<int>(token->value + i), std::string::npos);
            }
        }
        if (!token || !IsKeyword(text, *token, "trailer"))
            return fail("no trailer after the cross-reference table");
        std::vector<Token> trailer;
        if (!ReadValue(text, lexer, trailer))
            return fail("a damaged trailer");
        const std::vector<Entry> entries = Entries(text, trailer);
        if (root_ == 0)
            root_ = ReferenceOf(text, trailer, Find(entries, "Root"));
        if (info_ == 0)
            info_ = ReferenceOf(text, trailer, Find(entries, "Info"));
        const Entry* prev = Find(entries, "Prev");
        offset = prev != nullptr ? std::optional<Token>(trailer[prev->first]) : std::nullopt;
    }
    const Object* catalog = object(root_);
    if (catalog == nullptr)
        return fail(error_.empty() ? "no catalog" : error_);
    const int tree = ReferenceOf(text, catalog->tokens, Find(Entries(text, catalog->tokens), "Pages"));
    if (!collectPages(tree, 0))
        return false;
    treeNodes_.insert(pageTree_.begin(), pageTree_.end());
    return true;
}

bool PdfPageSplitter::collectPages(int node, int depth)
{
    const std::string_view text = document_;
    const Object* o = object(node);
    if (o == nullptr || depth > 64 || std::find(pageTree_.begin(), pageTree_.end(), node) != pageTree_.end())
        return fail("a damaged page tree at object " + std::to_string(node));
    pageTree_.push_back(node);
    const std::vector<Entry> entries = Entries(text, o->tokens);
    const Entry* type = Find(entries, "Type");
    const bool isPage =
        type != nullptr && text.substr(o->tokens[type->first].begin,
                                       o->tokens[type->first].end - o->tokens[type->first].begin) == "/Page";
    if (isPage) {
        pages_.push_back(node);
        return true;
    }
    const Entry* kids = Find(entries, "Kids");
    if (kids == nullptr)
        return fail("a page tree node without pages at object " + std::to_string(node));
    for (std::size_t i = kids->first + 1; i + 1 < kids->first + kids->count; ++i) {
        if (!IsReference(text, o->tokens, i))
            return fail("a damaged page list at object " + std::to_string(node));
        const int kid = static_cast<int>(o->tokens[i].value);
        parents_[kid] = node;
        if (!collectPages(kid, depth + 1))
            return false;
        i += 2;
    }
    return true;
}

const PdfPageSplitter::Object* PdfPageSplitter::object(int number)
{
    if (const auto found = objects_.find(number); found != objects_.end())
        return found->second.get();
    const auto where = offsets_.find(number);
    if (where == offsets_.end() || where->second == std::string::npos)
        return nullptr;
    const std::string_view text = document_;
    const std::string at = "object " + std::to_string(number);
    if (where->second >= text.size())
        return fail(at + " lies beyond the end of the file"), nullptr;
    Lexer lexer(text, where->second);
    const std::optional<Token> n = lexer.next();
    const std::optional<Token> generation = lexer.next();
    const std::optional<Token> obj = lexer.next();
    if (!n || !generation || !obj || n->kind != Token::Integer || n->value != number ||
        !IsKeyword(text, *obj, "obj"))
        return fail(at + " is not where the cross-reference table says"), nullptr;
    auto o = std::make_unique<Object>();
    if (!ReadValue(text, lexer, o->tokens))
        return fail(at + " is damaged"), nullptr;
    const std::optional<Token> after = lexer.next();
    if (after && IsKeyword(text, *after, "stream")) {
        std::size_t begin = after->end;
        if (text.substr(begin, 2) == "\r\n")
            begin += 2;
        else if (begin < text.size() && text[begin] == '\n')
            ++begin;
        else
            return fail(at + ": no line break after stream"), nullptr;
        // The length is given in the dictionary or in an object of its own.
        const Entry* length = Find(Entries(text, o->tokens), "Length");
        std::optional<long long> size;
        if (length != nullptr && length->count == 1 && o->tokens[length->first].kind == Token::Integer) {
            size = o->tokens[length->first].value;
        } else if (const int ref = ReferenceOf(text, o->tokens, length); ref != 0 && ref != number) {
            const Object* value = object(ref);
            if (value != nullptr && value->tokens.size() == 1 && value->tokens[0].kind == Token::Integer)
                size = value->tokens[0].value;
        }
        if (!size || *size < 0 || static_cast<std::size_t>(*size) > text.size() - begin)
            return fail(at + ": a stream without a valid length"), nullptr;
        o->isStream = true;
        o->streamBegin = begin;
        o->streamEnd = begin + static_cast<std::size_t>(*size);
        Lexer tail(text, o->streamEnd);
        const std::optional<Token> end = tail.next();
        if (!end || !IsKeyword(text, *end, "endstream"))
            return fail(at + ": the stream's length does not end at endstream"), nullptr;
    } else if (!after || !IsKeyword(text, *after, "endobj")) {
        return fail(at + " does not end with endobj"), nullptr;
    }
    return objects_.emplace(number, std::move(o)).first->second.get();
}

std::string PdfPageSplitter::page(std::size_t index)
{
    std::string out;
    if (!page(index, out))
        out.clear();
    return out;
}

bool PdfPageSplitter::page(std::size_t index, std::string& out)
{
    if (index >= pages_.size())
        return fail("no page " + std::to_string(index + 1));
    error_.clear();
    const std::string_view text = document_;
    const int page = pages_[index];
    // New numbers: 1 the catalog, 2 the page tree, then the objects as they are reached.
    constexpr int kCatalog = 1;
    constexpr int kTree = 2;
    std::unordered_map<int, int> renumbered;
    const std::unordered_set<int>& treeNodes = treeNodes_;
    std::unordered_set<int> ancestors;
    for (auto up = parents_.find(page); up != parents_.end(); up = parents_.find(up->second))
        ancestors.insert(up->second);
    std::deque<int> queue;
    int nextNumber = kTree + 1;
    const auto numberOf = [&](int old) {
        if (old == page || !treeNodes.contains(old)) {
            if (const auto found = renumbered.find(old); found != renumbered.end())
                return found->second;
        }
        if (ancestors.contains(old))
            return kTree;
        if (old == root_)
            return kCatalog;
        if (treeNodes.contains(old) && old != page)
            return 0; // another page, or the tree above others: not in this document
        if (object(old) == nullptr)
            return 0;
        renumbered[old] = nextNumber;
        queue.push_back(old);
        return nextNumber++;
    };
    // The tokens [first, last) of o as text, references renumbered ("null" for what is left out).
    const auto write = [&](const Object& o, std::size_t first, std::size_t last, std::string& out) {
        std::size_t copied = o.tokens[first].begin;
        for (std::size_t i = first; i < last; ++i) {
            if (!IsReference(text, o.tokens, i))
                continue;
            out.append(text.substr(copied, o.tokens[i].begin - copied));
            const int n = numberOf(static_cast<int>(o.tokens[i].value));
            out += n == 0 ? std::string("null") : Number(static_cast<std::size_t>(n)) + " 0 R";
            copied = o.tokens[i + 2].end;
            i += 2;
        }
        out.append(text.substr(copied, o.tokens[last - 1].end - copied));
    };

    numberOf(page);
    const int info = info_ != 0 ? numberOf(info_) : 0;

    // The tree above the page gives what the page does not say itself.
    std::string tree = "<<\n/Type /Pages\n/Kids [3 0 R]\n/Count 1\n";
    const std::vector<Entry> own = Entries(text, objects_.at(page)->tokens);
    std::vector<std::string_view> inherited;
    for (int up = page; parents_.contains(up);) {
        up = parents_.at(up);
        const Object& node = *objects_.at(up);
        for (const Entry& e : Entries(text, node.tokens)) {
            if (std::find(kInherited.begin(), kInherited.end(), e.key) == kInherited.end() ||
                Find(own, e.key) != nullptr ||
                std::find(inherited.begin(), inherited.end(), e.key) != inherited.end())
                continue;
            inherited.push_back(e.key);
            tree += '/';
            tree += e.key;
            tree += ' ';
            write(node, e.first, e.first + e.count, tree);
            tree += '\n';
        }
    }
    tree += ">>";

    std::string catalog = "<<\n/Type /Catalog\n/Pages 2 0 R\n";
    if (const Object* root = object(root_)) {
        for (const Entry& e : Entries(text, root->tokens)) {
            if (std::find(kCatalogOfPages.begin(), kCatalogOfPages.end(), e.key) != kCatalogOfPages.end())
                continue;
            catalog += '/';
            catalog += e.key;
            catalog += ' ';
            write(*root, e.first, e.first + e.count, catalog);
            catalog += '\n';
        }
    }
    catalog += ">>";

    std::vector<std::string> bodies(3);
    bodies[kCatalog] = std::move(catalog);
    bodies[kTree] = std::move(tree);
    std::vector<const Object*> streams(3, nullptr);
    while (!queue.empty()) {
        const int old = queue.front();
        queue.pop_front();
        const Object* o = object(old);
        std::string body;
        write(*o, 0, o->tokens.size(), body);
        const std::size_t n = static_cast<std::size_t>(renumbered.at(old));
        bodies.resize(std::max(bodies.size(), n + 1));
        streams.resize(bodies.size(), nullptr);
        bodies[n] = std::move(body);
        streams[n] = o->isStream ? o : nullptr;
    }
    if (!error_.empty())
        return false;

    out.assign(version_ + "\n%\xE2\xE3\xCF\xD3\n");
    std::vector<std::size_t> offsets(bodies.size(), 0);
    for (std::size_t n = 1; n < bodies.size(); ++n) {
        offsets[n] = out.size();
        out += Number(n) + " 0 obj\n";
        out += bodies[n];
        if (streams[n] != nullptr) {
            out += "\nstream\n";
            out.append(text.substr(streams[n]->streamBegin, streams[n]->streamEnd - streams[n]->streamBegin));
            out += "\nendstream";
        }
        out += "\nendobj\n";
    }
    const std::size_t xref = out.size();
    out += "xref\n0 " + Number(bodies.size()) + "\n0000000000 65535 f \n";
    char entry[24];
    for (std::size_t n = 1; n < bodies.size(); ++n) {
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offsets[n]);
        out += entry;
    }
    out += "trailer\n<<\n/Size " + Number(bodies.size()) + "\n/Root 1 0 R\n";
    if (info != 0)
        out += "/Info " + Number(static_cast<std::size_t>(info)) + " 0 R\n";
    out += ">>\nstartxref\n" + Number(xref) + "\n%%EOF\n";
    return true;
}

} // namespace dorvane
