#include "lp/lp_text.hpp"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace rp::lp {

std::size_t formatLpNumber(char* out, std::size_t size, double value) {
    if (std::fabs(value) < 9e15 && value == std::trunc(value))
        return static_cast<std::size_t>(std::to_chars(out, out + size, static_cast<std::int64_t>(value)).ptr - out);
    return static_cast<std::size_t>(std::to_chars(out, out + size, value, std::chars_format::fixed).ptr - out);
}

LpText::LpText(std::ostream& out) : out_(out) { text_.reserve(kBlock + 1024); }

void LpText::comments(const std::vector<std::string>& comment) {
    for (const std::string& c : comment) {
        std::string text = "\\ " + c;
        if (text.size() > kMaxLpLineBytes) text.resize(kMaxLpLineBytes);
        for (char& ch : text)
            if (ch == '\n' || ch == '\r') ch = ' ';
        line(text);
    }
}

void LpText::line(std::string_view s) {
    text_.append(s);
    newline();
}

void LpText::begin(std::string_view name) {
    text_.push_back(' ');
    text_.append(name);
    text_.push_back(':');
    column_ = name.size() + 2;
}

void LpText::term(double coefficient, std::string_view name, bool first) {
    char digits[400];
    const double magnitude = std::fabs(coefficient);
    const std::size_t length = magnitude == 1 ? 0 : formatLpNumber(digits, sizeof digits, magnitude);
    const std::size_t width = 3 + (length == 0 ? 0 : length + 1) + name.size();
    if (column_ + width > kWrap) {
        newline();
        text_.push_back(' ');
        column_ = 1;
    }
    text_.push_back(' ');
    if (!first || coefficient < 0) {
        text_.push_back(coefficient < 0 ? '-' : '+');
        text_.push_back(' ');
    }
    if (length != 0) {
        text_.append(digits, length);
        text_.push_back(' ');
    }
    text_.append(name);
    column_ += width;
}

void LpText::word(std::string_view name) {
    if (column_ + 1 + name.size() > kWrap) newline();
    text_.push_back(' ');
    text_.append(name);
    column_ += 1 + name.size();
}

void LpText::number(double value) {
    char digits[400];
    text_.append(digits, formatLpNumber(digits, sizeof digits, value));
}

void LpText::end(std::string_view tail) {
    text_.append(tail);
    newline();
}

void LpText::newline() {
    text_.push_back('\n');
    column_ = 0;
    if (text_.size() >= kBlock) flush();
}

void LpText::flush() {
    out_.write(text_.data(), static_cast<std::streamsize>(text_.size()));
    text_.clear();
}

}  // namespace rp::lp
