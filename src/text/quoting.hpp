// Texts from the input quoted in messages, so that any byte they hold can be
// shown (a NUL would end the message) and a long one does not flood it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace rp {

// `text` in double quotes, at most `limit` bytes of it and "..." after the
// closing quote when it is longer; bytes below 0x20, from 0x7f on, '"' and
// '\' written "\xHH" (lower-case hexadecimal). For texts of any kind: a
// solver's status, a variable's name or value.
std::string quoted(std::string_view text, std::size_t limit);

// A name in single quotes, at most 60 bytes of it and "..." inside the
// closing quote when it is longer; bytes below 0x20 and 0x7f written "\xHH",
// every other byte as it is (names may be UTF-8).
std::string quotedName(std::string_view name);

}  // namespace rp
