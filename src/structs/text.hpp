// The bytes of the structures file's text: its blanks (which separate its
// items) and its digits, for the readers and writers of that text that must
// agree on them. They take a char or the int of std::istream::get (its EOF
// is neither).
#pragma once

namespace rp {

constexpr bool isBlank(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

constexpr bool isDigit(int c) { return c >= '0' && c <= '9'; }

}  // namespace rp
