#pragma once
// Telephone numbers as people write them in copied addresses, in code-page text (GB18030).

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace dorvane {

struct PhoneNumber {
    bool mobile = false;    // a mobile (1 3-9 ...), else a landline with its area code
    std::size_t position = 0; // where it is written, in bytes
    std::size_t length = 0;
    // The number to print: a mobile as its eleven digits ("+86 138 0000 1111" -> 13800001111),
    // a landline as area code, "-" and local number ("(0571)88886666" -> 0571-88886666). A
    // privacy number's masked digits and an extension stay as written: "138****1111转1234".
    std::string number;
};

// Every telephone number in text, left to right. A number stands apart from other digits: one
// inside a longer run of digits (an order number) is none.
std::vector<PhoneNumber> FindPhoneNumbers(std::string_view text);

} // namespace dorvane
