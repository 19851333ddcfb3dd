// Lines of a text input, read in large chunks: each line without its line
// break (a "\r\n" counts as one), numbered from 1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <streambuf>
#include <string_view>
#include <vector>

#include "text/characters.hpp"

namespace rp::solvers {

class LineSource {
public:
    explicit LineSource(std::streambuf& source, std::size_t chunkBytes = std::size_t{1} << 20);

    // The next line; false at the end. A last line without a line break
    // counts. The view stays valid until the next call. Throws SolutionError
    // for a line longer than kMaxLineBytes.
    bool next(std::string_view& line);
    // Number of the line last returned (0 before the first).
    std::uint64_t lineNumber() const { return line_; }

    static constexpr std::size_t kMaxLineBytes = std::size_t{16} << 20;

private:
    bool fill();

    std::streambuf& source_;
    std::unique_ptr<char[]> buffer_;  // not zeroed: only [begin_, end_) is read
    std::size_t capacity_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool eof_ = false;
    std::uint64_t line_ = 0;
};

// Up to `count` fields of `line` separated by blanks (spaces, tabs); returns
// how many were found, and sets `rest` to what follows the last one taken.
std::size_t splitFields(std::string_view line, std::string_view* fields, std::size_t count,
                        std::string_view* rest = nullptr);

// `line` without blanks at both ends.
std::string_view trimBlanks(std::string_view line);

}  // namespace rp::solvers
