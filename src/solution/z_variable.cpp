#include "solution/z_variable.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "text/characters.hpp"

namespace rp {

namespace {

// 1 to 7 decimal digits: a copy index read without surprise.
bool isPlainCopy(std::string_view text) { return text.size() <= 7 && isAllDigits(text); }

std::uint32_t digitsValue(std::string_view text) {
    std::uint32_t value = 0;
    for (char c : text) value = value * 10 + static_cast<std::uint32_t>(c - '0');
    return value;
}

}  // namespace

std::int32_t convertCopyNumber(std::string_view text) {
    // Up to seven plain digits stay below 2^24: strtod and the narrowing to
    // float give that very value, so it is taken as it stands.
    if (isPlainCopy(text)) return static_cast<std::int32_t>(digitsValue(text));
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

ZNameCut cutAtDots(std::string_view name) {
    constexpr std::size_t npos = std::string_view::npos;
    ZNameCut cut;
    cut.firstDot = name.find('.');
    // A first "." at index 1 leaves the family to run from index 2 to the end.
    cut.family = cut.firstDot == npos || cut.firstDot < 2 ? name.substr(2) : name.substr(2, cut.firstDot - 2);
    if (cut.firstDot == npos) return cut;
    cut.secondDot = name.find('.', cut.firstDot + 1);
    if (cut.secondDot == npos) {
        cut.from = name.substr(cut.firstDot + 1);
    } else {
        cut.from = name.substr(cut.firstDot + 1, cut.secondDot - cut.firstDot - 1);
        cut.to = name.substr(cut.secondDot + 1);
    }
    return cut;
}

CopyAssignment parseZVariableName(std::string_view name) {
    if (name.size() < 2) throw std::out_of_range("invalid string position");
    const ZNameCut cut = cutAtDots(name);
    if (cut.firstDot == std::string_view::npos) throw std::invalid_argument("invalid stof argument");
    CopyAssignment decision;
    decision.family.assign(cut.family);
    decision.fromCopy = convertCopyNumber(cut.from);
    // Without a second ".", the whole name is converted (and fails).
    decision.toCopy = convertCopyNumber(cut.secondDot == std::string_view::npos ? name : cut.to);
    return decision;
}


std::optional<ZName> cutZName(std::string_view name) {
    if (name.size() < 2 || name[0] != 'z') return std::nullopt;
    const ZNameCut cut = cutAtDots(name);
    if (cut.firstDot == std::string_view::npos || cut.firstDot < 3 || cut.secondDot == std::string_view::npos)
        return std::nullopt;
    if (!isPlainCopy(cut.from) || !isPlainCopy(cut.to)) return std::nullopt;
    return ZName{cut.family, digitsValue(cut.from), digitsValue(cut.to)};
}

}  // namespace rp
