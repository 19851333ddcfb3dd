// The text of an LP file (CPLEX LP format) as every program of this room
// writes it: comment lines, rows of terms wrapped before a term would pass the
// width, numbers as integers where they are integers, written in blocks. No
// line passes kMaxLpLineBytes.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace rp::lp {

// The longest line an LP file of ours holds.
inline constexpr std::size_t kMaxLpLineBytes = 255;

// `value` written into `out` (at least 400 bytes): an integer as an integer
// (never "1e+06"), anything else in its shortest exact fixed form.
std::size_t formatLpNumber(char* out, std::size_t size, double value);

class LpText {
public:
    explicit LpText(std::ostream& out);
    ~LpText() { flush(); }
    LpText(const LpText&) = delete;
    LpText& operator=(const LpText&) = delete;

    // Each comment after "\ ", cut at the line limit (a comment runs to the
    // end of its line), line breaks in it made blanks.
    void comments(const std::vector<std::string>& comment);
    void line(std::string_view s);
    // " NAME:" starting a row or the objective.
    void begin(std::string_view name);
    // " COEFFICIENT NAME", with "+ " or "- " before all but a first positive
    // term and the coefficient left out when it is 1.
    void term(double coefficient, std::string_view name, bool first);
    // " NAME" in a list of names (Binary, General).
    void word(std::string_view name);
    void append(std::string_view s) { text_.append(s); }
    void number(double value);
    // `tail` (a row's sense and right-hand side), then the end of the line.
    void end(std::string_view tail);
    void newline();
    void flush();

private:
    // A term is at most 3 + 25 + a name of at most 100 bytes, a row's tail 30.
    static constexpr std::size_t kWrap = 200;
    static constexpr std::size_t kBlock = std::size_t{1} << 20;
    std::ostream& out_;
    std::string text_;
    std::size_t column_ = 0;
};

}  // namespace rp::lp
