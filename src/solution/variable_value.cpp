#include "solution/variable_value.hpp"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <sstream>

#include "text/characters.hpp"

namespace rp {
namespace {

// Longest value text converted with strtof from a local copy.
constexpr std::size_t kMaxQuickNumber = 64;

}  // namespace

bool convertValue(const std::string& text, float& value) {
    std::istringstream in(text);
    in >> value;
    if (!in.eof()) in >> std::ws;
    return !in.fail() && !in.bad() && in.get() == std::char_traits<char>::eof();
}

bool convertPlainNumber(std::string_view text, bool needValue, float& value) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    while (begin < end && isSpace(*begin)) ++begin;
    while (end > begin && isSpace(end[-1])) --end;
    const char* p = begin;
    if (p < end && (*p == '+' || *p == '-')) ++p;
    std::size_t integerDigits = 0;
    std::size_t significantIntegerDigits = 0;  // from the first nonzero digit on
    bool nonzero = false;
    for (; p < end && isDigit(*p); ++p, ++integerDigits) {
        nonzero = nonzero || *p != '0';
        if (nonzero) ++significantIntegerDigits;
    }
    std::size_t fractionDigits = 0;
    const bool hasPoint = p < end && *p == '.';
    if (hasPoint) {
        for (++p; p < end && isDigit(*p); ++p, ++fractionDigits) nonzero = nonzero || *p != '0';
    }
    if (integerDigits + fractionDigits == 0) return false;
    long exponent = 0;
    const bool hasExponent = p < end && (*p == 'e' || *p == 'E');
    if (hasExponent) {
        ++p;
        bool negative = false;
        if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
        if (p == end || !isDigit(*p)) return false;
        for (; p < end && isDigit(*p); ++p)
            if (exponent < 100000) exponent = exponent * 10 + (*p - '0');
        if (negative) exponent = -exponent;
    }
    if (p != end) return false;

    // Below 10^38 the float cannot overflow.
    const bool mayOverflow = nonzero && static_cast<long>(significantIntegerDigits) + exponent > 38;
    if (!needValue && !mayOverflow) return true;
    if (!hasExponent && !hasPoint && integerDigits == 1) {
        const float digit = static_cast<float>(end[-1] - '0');
        value = *begin == '-' ? -digit : digit;
        return true;
    }
    const auto length = static_cast<std::size_t>(end - begin);
    if (length >= kMaxQuickNumber) return false;
    char copy[kMaxQuickNumber];
    std::memcpy(copy, begin, length);
    copy[length] = '\0';
    char* parsedEnd = nullptr;
    const float parsed = std::strtof(copy, &parsedEnd);
    if (parsedEnd != copy + length || std::isinf(parsed)) return false;
    value = parsed;
    return true;
}

}  // namespace rp
