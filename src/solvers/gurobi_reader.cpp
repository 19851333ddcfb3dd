// Gurobi .sol files ("# Solution for model M", "# Objective value = V", then
// "name value" lines) and COPT's look-alike ("# Objective value V").
#include "solvers/line_source.hpp"
#include "solvers/reader.hpp"

namespace rp::solvers {

namespace {

constexpr std::string_view kModel = "# Solution for model";
constexpr std::string_view kObjective = "# Objective value";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

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
        while (end > 0 && isBlank(data[end - 1])) --end;
        std::size_t begin = 0;
        while (begin < end && isBlank(data[begin])) ++begin;
        if (begin == end || data[begin] == '#') continue;
        std::size_t cut = end;
        while (cut > begin && !isBlank(data[cut - 1])) --cut;
        if (cut == begin) throw SolutionError(atLine(lines.lineNumber()) + "expected a name and a value");
        const std::size_t valueAt = cut;
        --cut;
        while (cut > begin && isBlank(data[cut - 1])) --cut;
        sink.variable(std::string_view(data + begin, cut - begin), std::string_view(data + valueAt, end - valueAt),
                      lines.lineNumber());
    }
    if (!started) {
        requireSingleSolution(options, formatName(header.format));
        sink.header(header);
    }
}

}  // namespace

const Reader& gurobiReader() {
    static const Reader reader{"gurobi", &recognisesGurobi, &readGurobi};
    return reader;
}

}  // namespace rp::solvers
