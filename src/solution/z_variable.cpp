#include "solution/z_variable.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace rp {

std::int32_t convertCopyNumber(std::string_view text) {
    // Up to seven plain digits stay below 2^24: strtod and the narrowing to
    // float give that very value, so it is taken as it stands.
    if (!text.empty() && text.size() <= 7 &&
        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        std::int32_t value = 0;
        for (char c : text) value = value * 10 + (c - '0');
        return value;
    }
    const std::string owned(text);  // strtod needs a terminated text
    const char* begin = owned.c_str();
    char* end = nullptr;
    errno = 0;
    const double parsed = std::strtod(begin, &end);
    if (end == begin) throw std::invalid_argument("invalid stof argument");
    if (errno == ERANGE) throw std::out_of_range("stof argument out of range");
    const float narrowed = static_cast<float>(parsed);
    // Compare before converting: a float outside the int32 range (or NaN)
    // cannot be converted without undefined behaviour.
    if (!(narrowed >= -2147483648.0f && narrowed < 2147483648.0f)) return INT32_MIN;
    return static_cast<std::int32_t>(narrowed);
}

CopyAssignment parseZVariableName(std::string_view name) {
    if (name.size() < 2) throw std::out_of_range("invalid string position");
    const std::size_t d1 = name.find('.');
    CopyAssignment decision;
    // A first "." at index 1 leaves the family to run from index 2 to the end.
    decision.family.assign(d1 == std::string_view::npos || d1 < 2 ? name.substr(2)
                                                                  : name.substr(2, d1 - 2));
    if (d1 == std::string_view::npos) throw std::invalid_argument("invalid stof argument");
    const std::size_t d2 = name.find('.', d1 + 1);
    decision.fromCopy = convertCopyNumber(
        d2 == std::string_view::npos ? name.substr(d1 + 1) : name.substr(d1 + 1, d2 - d1 - 1));
    decision.toCopy = convertCopyNumber(d2 == std::string_view::npos ? name : name.substr(d2 + 1));
    return decision;
}

}  // namespace rp
