// Integers appended to a text in decimal, without the locale and without a
// stream.
#pragma once

#include <charconv>
#include <concepts>
#include <string>

namespace rp {

template <std::integral Integer>
void appendInteger(std::string& out, Integer value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

}  // namespace rp
