// Quoting input in messages: the bytes a reader meets shown between quotes so
// that a user sees them as they are, and no byte can end or fake the quote.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace rp {

// `text` between quotes, cut after `limit` bytes (then "..." follows the
// closing quote). Printable ASCII bytes show as they are. The quote is
// `preferred` ('"' or '\''), or the other one when the text holds the
// preferred one only; a text holding both keeps `preferred` and escapes it
// with a backslash. Well-formed UTF-8 characters show as they are; control
// bytes, DEL and the other bytes from 0x80 show as "\xHH";
// a backslash shows as "\\" only in a text that has escapes, which it
// has too when one of its backslashes would read as an escape (before "x",
// a backslash or the quote, or last). A reader can thus tell: a quoted text
// holding none of "\x", "\\" and a backslashed quote is shown as it is.
std::string quoteInput(std::string_view text, std::size_t limit = std::string_view::npos, char preferred = '"');

}  // namespace rp
