// The value attribute of a variable converted to float as the exact reader
// converts it (the property tree's stream translator), and a quick path for
// the plain decimal texts solvers write.
#pragma once

#include <string>
#include <string_view>

namespace rp {

// Converts an attribute text to a float as the property tree's stream
// translator does; false when it does not convert.
bool convertValue(const std::string& text, float& value);

// Converts a value text that has the plain shape of a decimal number, with
// optional whitespace around it, as convertValue does. False when the text
// has another shape or converts to an infinity: the caller then asks
// convertValue. `value` is set only when `needValue`.
bool convertPlainNumber(std::string_view text, bool needValue, float& value);

}  // namespace rp
