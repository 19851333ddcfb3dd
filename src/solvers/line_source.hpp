// Lines of a text input, read in chunks of up to a megabyte: each line
// without its line break (a "\r\n" counts as one), numbered from 1.
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
    void grow(std::size_t bytes);

    std::streambuf& source_;
    const std::size_t chunkBytes_;  // the most read at once, unless a line is longer
    std::size_t capacity_;
    std::unique_ptr<char[]> buffer_;  // not zeroed: only [begin_, end_) is read
    bool filledLast_ = false;  // the last read filled the buffer to its end
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
