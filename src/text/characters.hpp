// Character classes shared by every reader and writer of text, one meaning
// per name. They take a char or the int of std::istream::get (its EOF is none
// of them).
#pragma once

#include <string_view>

namespace rp {

// The six blanks of the "C" locale's isspace: space, tab, line feed, carriage
// return, vertical tab, form feed. They separate the items of the structures
// file, its result and every genome text read or written next to it.
constexpr bool isSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// A blank within one line of a solver's file: a space or a tab.
constexpr bool isSpaceOrTab(int c) { return c == ' ' || c == '\t'; }

// An ASCII decimal digit.
constexpr bool isDigit(int c) { return c >= '0' && c <= '9'; }

// Whether `text` is non-empty and made of ASCII decimal digits only.
constexpr bool isAllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (const char c : text)
        if (!isDigit(c)) return false;
    return true;
}

// Whether `text` begins with `prefix`.
constexpr bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace rp
