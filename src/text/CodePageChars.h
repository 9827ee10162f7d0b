#pragma once
// Walking code-page text (GB18030, which is GBK for every GBK character) one character at a
// time. All user text in the core is such a byte string; a search must never match a marker
// that straddles two characters, so every search goes through these helpers.

#include <cstddef>
#include <string>
#include <string_view>

namespace dorvane {

// Length in bytes (1, 2 or 4) of the character starting at text[pos]. A lead byte whose
// trail is missing or malformed counts as a single byte, so walking always advances.
std::size_t CharLengthAt(std::string_view text, std::size_t pos);

// Iterates the characters of a code-page string as views of 1, 2 or 4 bytes.
class CodePageChars {
public:
    explicit CodePageChars(std::string_view text) : text_(text) {}

    class iterator {
    public:
        iterator(std::string_view text, std::size_t pos) : text_(text), pos_(pos) {}
        std::string_view operator*() const { return text_.substr(pos_, CharLengthAt(text_, pos_)); }
        iterator& operator++() {
            pos_ += CharLengthAt(text_, pos_);
            return *this;
        }
        std::size_t position() const { return pos_; }
        bool operator==(const iterator& other) const { return pos_ == other.pos_; }

    private:
        std::string_view text_;
        std::size_t pos_;
    };

    iterator begin() const { return {text_, 0}; }
    iterator end() const { return {text_, text_.size()}; }

private:
    std::string_view text_;
};

// Byte position of the first occurrence of needle that starts on a character boundary of
// text, at or after from (which must itself be a boundary); npos when there is none.
std::size_t FindChars(std::string_view text, std::string_view needle, std::size_t from = 0);

// Number of characters (not bytes) in text.
std::size_t CharCount(std::string_view text);

// Compares two code-page strings character by character: a multibyte character counts as
// one value (lead byte high), a single byte as itself; a proper prefix sorts first.
int CompareCodePageText(std::string_view a, std::string_view b);

} // namespace dorvane
