#include "text/quoting.hpp"

#include <algorithm>

namespace rp {
namespace {

constexpr bool isPlain(unsigned char c) { return c >= 0x20 && c < 0x7F; }

// The length of the well-formed UTF-8 sequence of two to four bytes at the
// start of `text`, or 0.
std::size_t utf8Length(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4                                   ? 4
                                                                                                : 0;
    if (length == 0 || text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 0;
    return length;
}

constexpr char kHex[] = "0123456789abcdef";

void appendHex(std::string& out, unsigned char c) {
    out += "\\x";
    out += kHex[c >> 4];
    out += kHex[c & 15];
}

// The length of the character at the start of `text` that a terminal shows
// as it is (printable ASCII, UTF-8 but a C1 control), or 0.
std::size_t shownLength(std::string_view text) {
    const auto c = static_cast<unsigned char>(text[0]);
    if (isPlain(c)) return 1;
    const std::size_t length = c >= 0x80 ? utf8Length(text) : 0;
    const bool c1 = length == 2 && c == 0xC2 && static_cast<unsigned char>(text[1]) < 0xA0;
    return c1 ? 0 : length;
}

// The escape of the byte at the start of a character not shown.
void appendEscape(std::string& out, unsigned char c) {
    switch (c) {
        case '\t': out += "\\t"; return;
        case '\n': out += "\\n"; return;
        case '\r': out += "\\r"; return;
        default: appendHex(out, c);
    }
}

}  // namespace

std::string escapeForTerminal(std::string_view line) {
    bool escapes = false;
    for (std::size_t i = 0; i < line.size() && !escapes;) {
        const std::size_t length = shownLength(line.substr(i));
        escapes = length == 0;
        i += length;
    }
    if (!escapes) return std::string(line);
    std::string out;
    out.reserve(line.size() + 16);
    for (std::size_t i = 0; i < line.size();) {
        const std::size_t length = shownLength(line.substr(i));
        if (length == 0) {
            appendEscape(out, static_cast<unsigned char>(line[i]));
            ++i;
        } else {
            if (line[i] == '\\') out += '\\';
            out.append(line.substr(i, length));
            i += length;
        }
    }
    return out;
}

std::string quoteInput(std::string_view text, std::size_t limit, char preferred) {
    const std::string_view shown = text.substr(0, std::min(limit, text.size()));
    const char other = preferred == '"' ? '\'' : '"';
    const bool hasPreferred = shown.find(preferred) != std::string_view::npos;
    const bool hasOther = shown.find(other) != std::string_view::npos;
    const char quote = hasPreferred && !hasOther ? other : preferred;
    const bool escapeQuote = hasPreferred && hasOther;
    // Escapes are on when a byte needs one, or when a backslash stands where
    // it would read as one: before "x", a backslash or the quote, or last.
    bool escapes = escapeQuote;
    for (std::size_t i = 0; i < shown.size() && !escapes; ++i) {
        const char c = shown[i];
        if (c == '\\') {
            const char next = i + 1 < shown.size() ? shown[i + 1] : quote;
            escapes = next == 'x' || next == '\\' || next == quote;
        } else if (!isPlain(static_cast<unsigned char>(c))) {
            const std::size_t length = utf8Length(shown.substr(i));
            escapes = length == 0;
            if (length > 0) i += length - 1;
        }
    }
    std::string out(1, quote);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const char byte = shown[i];
        const auto c = static_cast<unsigned char>(byte);
        if (const std::size_t length = c >= 0x80 ? utf8Length(shown.substr(i)) : 0; length > 0) {
            out.append(shown.substr(i, length));
            i += length - 1;
        } else if (!isPlain(c)) {
            appendHex(out, c);
        } else if ((c == quote && escapeQuote) || (c == '\\' && escapes)) {
            out += '\\';
            out += byte;
        } else {
            out += byte;
        }
    }
    out += quote;
    if (shown.size() < text.size()) out += "...";
    return out;
}

}  // namespace rp
