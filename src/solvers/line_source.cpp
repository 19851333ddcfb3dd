#include "solvers/line_source.hpp"

#include <algorithm>
#include <cstring>

#include "solvers/solution_source.hpp"

namespace rp::solvers {

LineSource::LineSource(std::streambuf& source, std::size_t chunkBytes)
    : source_(source), buffer_(new char[chunkBytes == 0 ? 1 : chunkBytes]), capacity_(chunkBytes == 0 ? 1 : chunkBytes) {}

bool LineSource::fill() {
    if (eof_) return false;
    if (begin_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == capacity_) {
        if (capacity_ >= kMaxLineBytes) throw SolutionError(atLine(line_ + 1) + "line longer than 16 MiB");
        std::unique_ptr<char[]> larger(new char[capacity_ * 2]);
        std::memcpy(larger.get(), buffer_.get(), end_);
        buffer_ = std::move(larger);
        capacity_ *= 2;
    }
    const std::streamsize got =
        source_.sgetn(buffer_.get() + end_, static_cast<std::streamsize>(capacity_ - end_));
    if (got <= 0) {
        eof_ = true;
        return false;
    }
    end_ += static_cast<std::size_t>(got);
    return true;
}

bool LineSource::next(std::string_view& line) {
    std::size_t scanned = begin_;
    for (;;) {
        const char* data = buffer_.get();
        // Solution lines are short: a plain loop finds most line ends sooner
        // than a call of memchr, which takes the longer ones.
        const char* found = nullptr;
        const char* p = data + scanned;
        const char* const shortEnd = data + std::min(end_, scanned + 64);
        while (p < shortEnd && *p != '\n') ++p;
        if (p < shortEnd)
            found = p;
        else if (p < data + end_)
            found = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(data + end_ - p)));
        if (found != nullptr) {
            const auto stop = static_cast<std::size_t>(found - data);
            std::size_t lineEnd = stop;
            if (lineEnd > begin_ && data[lineEnd - 1] == '\r') --lineEnd;
            line = std::string_view(data + begin_, lineEnd - begin_);
            begin_ = stop + 1;
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

namespace {
bool isBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

std::size_t splitFields(std::string_view line, std::string_view* fields, std::size_t count,
                        std::string_view* rest) {
    std::size_t i = 0;
    std::size_t found = 0;
    const std::size_t n = line.size();
    while (found < count) {
        while (i < n && isBlank(line[i])) ++i;
        if (i == n) break;
        const std::size_t start = i;
        while (i < n && !isBlank(line[i])) ++i;
        fields[found++] = line.substr(start, i - start);
    }
    if (rest != nullptr) *rest = line.substr(i);
    return found;
}

std::string_view trimBlanks(std::string_view line) {
    std::size_t b = 0;
    std::size_t e = line.size();
    while (b < e && isBlank(line[b])) ++b;
    while (e > b && isBlank(line[e - 1])) --e;
    return line.substr(b, e - b);
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

}  // namespace rp::solvers
