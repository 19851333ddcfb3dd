// Writes one solution as the CPLEX XML document resolve-paralogs reads: a
// CPLEXSolution version 1.2 with a header (source format, status, objective,
// outcome) and one variable per variable written, as they come.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "solvers/variable_sink.hpp"

namespace rp::solvers {

class SolutionWriter {
public:
    explicit SolutionWriter(std::ostream& out) : out_(out) {}

    // The prolog, the header and the opening of the variables; `objective`
    // is written when given.
    void begin(const SolutionHeader& header, const double* objective);
    // One variable; its index is the number written before it.
    void variable(std::string_view name, double value);
    // The same when the caller knows whether `name` holds a byte that XML
    // escapes (escapedInXml).
    void variable(std::string_view name, double value, bool escape);
    // The closing tags; flushes.
    void finish();
    // Drops what is not yet handed to the stream and starts again, as if
    // nothing had been written (the stream itself is the caller's to empty).
    void restart();

    std::uint64_t written() const { return index_; }

private:
    // Room for `bytes` more at the end of the buffer, written out first when
    // it is short of room.
    char* room(std::size_t bytes);
    void writeOut();

    std::ostream& out_;
    std::string buffer_;  // header and closing tags
    std::unique_ptr<char[]> chunk_;  // not zeroed: only the bytes written are read
    std::size_t capacity_ = 0;
    std::size_t used_ = 0;
    std::uint64_t index_ = 0;
    // index_ in decimal, counted up as variables are written.
    char indexText_[24] = {'0'};
    std::size_t indexSize_ = 1;
    // The texts of the values last written, by their bits: solutions
    // repeat a few values over and over.
    struct NumberText {
        std::uint64_t bits = 0;
        std::uint8_t size = 0;  // 0: none yet
        char text[32];
    };
    std::unique_ptr<NumberText[]> numbers_;
    static constexpr std::size_t kNumberSlots = 256;
};

// Whether appendEscaped replaces `c`.
constexpr bool escapedInXml(char c) {
    return c == '&' || c == '<' || c == '>' || c == '"' || c == '\'' || c == '\t' || c == '\n' || c == '\r';
}

// `text` with & < > " ' and the control characters escaped for an XML
// attribute value, appended to `out`.
void appendEscaped(std::string& out, std::string_view text);

// The shortest text that reads back as `value` (its sign included), appended
// to `out`.
void appendNumber(std::string& out, double value);

// The same written at `at`, which has room for 32 bytes; returns its end.
char* writeNumber(char* at, double value);

}  // namespace rp::solvers
