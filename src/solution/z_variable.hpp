// The z variables of a solution: which ones count as decisions, and how their
// names are cut into family and copy indices.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "solution/assignment.hpp"

namespace rp {

// Whether a variable is a decision: its name begins with the lower-case z and
// its value, truncated toward zero, is 1.
inline bool selectsDecision(std::string_view name, float value) {
    return !name.empty() && name[0] == 'z' && value >= 1.0f && value < 2.0f;
}

// Reads the number at the start of `text` as strtod does in the "C" locale,
// narrows it to float and truncates it toward zero; values outside the 32-bit
// range (and infinities, NaN) give -2147483648. Throws std::invalid_argument
// "invalid stof argument" when no number starts the text, std::out_of_range
// "stof argument out of range" when strtod reports a range error.
std::int32_t convertCopyNumber(std::string_view text);

// A z variable name "z?family.from.to" cut at its dots, the one cut both
// programs make: the family runs from index 2 to the first "." (to the end
// when there is none or it is at index 1); `from` follows the first "." up to
// the second one (or the end), `to` follows the second one. Positions absent
// are npos, and the texts after them empty. `name` has at least two bytes.
struct ZNameCut {
    std::string_view family;
    std::string_view from;
    std::string_view to;
    std::size_t firstDot = std::string_view::npos;
    std::size_t secondDot = std::string_view::npos;
};
ZNameCut cutAtDots(std::string_view name);

// Cuts a z variable name "z?family.from.to" into a decision: the family runs
// from index 2 to the first ".", the two numbers follow the first and the
// second ".". Throws std::out_of_range "invalid string position" for "z"
// alone, and the conversion failures of convertCopyNumber.
CopyAssignment parseZVariableName(std::string_view name);

// A z variable name cut as parseZVariableName cuts it, when it has the one
// shape resolve-paralogs reads as a decision without surprise: "z", one byte,
// a nonempty family, ".", 1 to 7 decimal digits, ".", 1 to 7 decimal digits.
struct ZName {
    std::string_view family;
    std::uint32_t from = 0;
    std::uint32_t to = 0;
};
std::optional<ZName> cutZName(std::string_view name);

}  // namespace rp
