#include "solvers/line_source.hpp"

#include <algorithm>
#include <bit>
#include <cstring>

#include "solvers/variable_sink.hpp"

namespace rp::solvers {

namespace {
// Room the buffer starts with; reads that fill it double it up to the chunk
// size, so a small input takes no chunk-sized buffer.
constexpr std::size_t kFirstRoomBytes = std::size_t{64} << 10;
}  // namespace

LineSource::LineSource(std::streambuf& source, std::size_t chunkBytes)
    : source_(source),
      chunkBytes_(chunkBytes == 0 ? 1 : chunkBytes),
      capacity_(std::min(chunkBytes_, kFirstRoomBytes)),
      buffer_(new char[capacity_]) {}

void LineSource::grow(std::size_t bytes) {
    std::unique_ptr<char[]> larger(new char[bytes]);
    std::memcpy(larger.get(), buffer_.get(), end_);
    buffer_ = std::move(larger);
    capacity_ = bytes;
}

bool LineSource::fill() {
    if (eof_) return false;
    if (begin_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == capacity_) {
        if (capacity_ >= kMaxLineBytes) throw SolutionError(atLine(line_ + 1) + "line longer than 16 MiB");
        grow(capacity_ * 2);
    } else if (filledLast_ && capacity_ < chunkBytes_) {
        grow(std::min(capacity_ * 2, chunkBytes_));
    }
    const std::streamsize got =
        source_.sgetn(buffer_.get() + end_, static_cast<std::streamsize>(capacity_ - end_));
    if (got <= 0) {
        eof_ = true;
        return false;
    }
    end_ += static_cast<std::size_t>(got);
    filledLast_ = end_ == capacity_;
    return true;
}

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
constexpr std::uint64_t kLows = 0x7F7F7F7F7F7F7F7FULL;

std::uint64_t load8(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Index of the first byte (in memory order) that is not zero in a nonzero
// word, such as a mask of 0x80 bytes.
std::size_t firstMarked(std::uint64_t mask) {
    if constexpr (std::endian::native == std::endian::little)
        return static_cast<std::size_t>(std::countr_zero(mask)) >> 3;
    else
        return static_cast<std::size_t>(std::countl_zero(mask)) >> 3;
}

constexpr std::uint64_t kSpaces = kOnes * ' ';

// 0x80 in the first byte of `word` (in memory order) that is below `bound`
// (at most 0x80), maybe in later ones too, 0 when there is none: a borrow
// runs only from a byte that is below.
std::uint64_t firstBelow(std::uint64_t word, unsigned char bound) {
    return (word - kOnes * bound) & ~word & kHighs;
}

// The first blank of [p, end), or end. Blanks and control bytes are the
// bytes up to 0x20: a word is passed over when it holds none.
const char* skipToBlank(const char* p, const char* end) {
    while (end - p >= 8) {
        const std::uint64_t low = firstBelow(load8(p), 0x21);
        if (low != 0) {
            p += firstMarked(low);
            break;
        }
        p += 8;
    }
    while (p < end && !isSpaceOrTab(*p)) ++p;
    return p;
}

// The first byte of [p, end) that is no blank, or end; spaces are passed
// over a word at a time (a tab, rare, by the byte).
const char* skipBlanks(const char* p, const char* end) {
    while (end - p >= 8) {
        const std::uint64_t others = load8(p) ^ kSpaces;  // zero bytes: spaces
        if (others != 0) {
            p += firstMarked(others);  // the first byte that is no space
            break;
        }
        p += 8;
    }
    while (p < end && isSpaceOrTab(*p)) ++p;
    return p;
}

}  // namespace

bool LineSource::next(std::string_view& line) {
    std::size_t scanned = begin_;
    for (;;) {
        const char* data = buffer_.get();
        // Solution lines are short: eight bytes at a time find most line
        // ends sooner than a call of memchr, which takes the longer ones.
        const char* found = nullptr;
        const char* p = data + scanned;
        const char* const stop = data + end_;
        const char* const shortEnd = data + std::min(end_, scanned + 32);
        while (shortEnd - p >= 8) {
            const std::uint64_t ends = firstBelow(load8(p) ^ (kOnes * '\n'), 1);
            if (ends != 0) {
                found = p + firstMarked(ends);
                break;
            }
            p += 8;
        }
        if (found == nullptr) {
            while (p < shortEnd && *p != '\n') ++p;
            if (p < shortEnd)
                found = p;
            else if (p < stop)
                found = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(stop - p)));
        }
        if (found != nullptr) {
            const auto at = static_cast<std::size_t>(found - data);
            std::size_t lineEnd = at;
            if (lineEnd > begin_ && data[lineEnd - 1] == '\r') --lineEnd;
            line = std::string_view(data + begin_, lineEnd - begin_);
            begin_ = at + 1;
            ++line_;
            return true;
        }
        const std::size_t offset = end_ - begin_;
        if (!fill()) break;
        scanned = begin_ + offset;
    }
    if (begin_ == end_) return false;
    std::size_t lineEnd = end_;
    if (buffer_.get()[lineEnd - 1] == '\r') --lineEnd;
    line = std::string_view(buffer_.get() + begin_, lineEnd - begin_);
    begin_ = end_;
    ++line_;
    return true;
}

std::size_t splitFields(std::string_view line, std::string_view* fields, std::size_t count,
                        std::string_view* rest) {
    const char* p = line.data();
    const char* const end = p + line.size();
    std::size_t found = 0;
    while (found < count) {
        p = skipBlanks(p, end);
        if (p == end) break;
        const char* const start = p;
        p = skipToBlank(p, end);
        fields[found++] = std::string_view(start, static_cast<std::size_t>(p - start));
    }
    if (rest != nullptr) *rest = std::string_view(p, static_cast<std::size_t>(end - p));
    return found;
}

std::string_view trimBlanks(std::string_view line) {
    std::size_t b = 0;
    std::size_t e = line.size();
    while (b < e && isSpaceOrTab(line[b])) ++b;
    while (e > b && isSpaceOrTab(line[e - 1])) --e;
    return line.substr(b, e - b);
}

}  // namespace rp::solvers
