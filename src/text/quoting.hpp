// Quoting input in messages: the bytes a reader meets shown between quotes so
// that a user sees them as they are, and no byte can end or fake the quote;
// and whole messages made safe for a terminal.
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

// `line` as a terminal can show it, for messages on standard error. Printable
// ASCII and well-formed UTF-8 characters stay as they are; a tab, line feed
// and carriage return become "\t", "\n" and "\r"; other control bytes, DEL,
// the C1 controls (U+0080 to U+009F, whose bytes become "\xc2\xHH") and bytes
// of no UTF-8 character become "\xHH". A line with any such escape has its
// backslashes doubled too, so that it reads back unambiguously; a line
// without one is returned as it is (so what quoteInput made stays readable).
std::string escapeForTerminal(std::string_view line);

}  // namespace rp
