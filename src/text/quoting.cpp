#include "text/quoting.hpp"

namespace rp {
namespace {

void appendEscape(std::string& out, unsigned char c) {
    constexpr char kHex[] = "0123456789abcdef";
    out += "\\x";
    out += kHex[c >> 4];
    out += kHex[c & 0xf];
}

}  // namespace

std::string quoted(std::string_view text, std::size_t limit) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size() && i < limit; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\')
            appendEscape(out, c);
        else
            out += static_cast<char>(c);
    }
    out += '"';
    if (text.size() > limit) out += "...";
    return out;
}

std::string quotedName(std::string_view name) {
    constexpr std::size_t kShown = 60;
    std::string out = "'";
    for (std::size_t i = 0; i < name.size() && i < kShown; ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || c == 0x7f)
            appendEscape(out, c);
        else
            out += static_cast<char>(c);
    }
    if (name.size() > kShown) out += "...";
    out += '\'';
    return out;
}

}  // namespace rp
