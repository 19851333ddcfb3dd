// Gurobi .sol files ("# Solution for model M", "# Objective value = V", then
// "name value" lines) and COPT's look-alike ("# Objective value V").
#include <bit>
#include <cstdint>
#include <cstring>

#include "solvers/line_source.hpp"
#include "solvers/format_reader.hpp"

namespace rp::solvers {

namespace {

constexpr std::string_view kModel = "# Solution for model";
constexpr std::string_view kObjective = "# Objective value";

// Where the last blank of data[begin, end) ends (the index after it), or
// begin when there is none. The bytes up to 0x20 are found a word at a time
// from the end, and the last of them looked at.
std::size_t lastBlankEnd(const char* data, std::size_t begin, std::size_t end) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
    std::size_t cut = end;
    if constexpr (std::endian::native == std::endian::little) {
        while (cut - begin >= 8) {
            std::uint64_t word;
            std::memcpy(&word, data + cut - 8, sizeof word);
            // 0x80 in exactly the bytes below 0x21.
            const std::uint64_t low = ~((word | kHighs) - kOnes * 0x21) & ~word & kHighs;
            if (low != 0) {
                const std::size_t at = cut - 8 + ((63 - static_cast<std::size_t>(std::countl_zero(low))) >> 3);
                if (isSpaceOrTab(data[at])) return at + 1;
                cut = at;  // a control byte: the bytes after it hold no blank
                break;
            }
            cut -= 8;
        }
    }
    while (cut > begin && !isSpaceOrTab(data[cut - 1])) --cut;
    return cut;
}

bool recognisesGurobi(const FirstLines& first) {
    if (first.lines.empty()) return false;
    const std::string_view line = first.lines[0];
    return startsWith(line, kModel) || startsWith(line, kObjective);
}

void readGurobi(std::streambuf& in, const ReadOptions& options, VariableSink& sink) {
    LineSource lines(in);
    SolutionHeader header;
    header.format = Format::gurobi;
    header.outcome = Outcome::unknown;
    bool started = false;
    std::string_view line;
    while (lines.next(line)) {
        if (!started && startsWith(line, "#")) {
            if (startsWith(line, kObjective)) {
                std::string_view rest = trimBlanks(line.substr(kObjective.size()));
                if (startsWith(rest, "=")) {
                    rest = trimBlanks(rest.substr(1));
                } else {
                    header.format = Format::copt;
                }
                header.objective = std::string(rest);
            }
            continue;
        }
        if (!started) {
            requireSingleSolution(options, formatName(header.format));
            sink.header(header);
            started = true;
        }
        // The line without blanks at its ends, cut at its last blank: one
        // pass from each end, as the lines are many.
        const char* const data = line.data();
        std::size_t end = line.size();
        while (end > 0 && isSpaceOrTab(data[end - 1])) --end;
        std::size_t begin = 0;
        while (begin < end && isSpaceOrTab(data[begin])) ++begin;
        if (begin == end || data[begin] == '#') continue;
        std::size_t cut = lastBlankEnd(data, begin, end);
        if (cut == begin) throw SolutionError(atLine(lines.lineNumber()) + "expected a name and a value");
        const std::size_t valueAt = cut;
        --cut;
        while (cut > begin && isSpaceOrTab(data[cut - 1])) --cut;
        sink.variable(std::string_view(data + begin, cut - begin), std::string_view(data + valueAt, end - valueAt),
                      lines.lineNumber());
    }
    if (!started) {
        requireSingleSolution(options, formatName(header.format));
        sink.header(header);
    }
}

}  // namespace

const FormatReader& gurobiReader() {
    static const FormatReader reader{"gurobi", &recognisesGurobi, &readGurobi};
    return reader;
}

}  // namespace rp::solvers
