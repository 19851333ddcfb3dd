// MIPLIB solution files: "=obj= V" then "name value" lines; "=infeas=" for
// an infeasible problem.
#include "solvers/line_source.hpp"
#include "solvers/format_reader.hpp"

namespace rp::solvers {

namespace {

bool recognisesMiplib(const FirstLines& first) {
    return !first.lines.empty() && (startsWith(first.lines[0], "=obj=") || startsWith(first.lines[0], "=infeas="));
}

void readMiplib(std::streambuf& in, const ReadOptions& options, VariableSink& sink) {
    requireSingleSolution(options, "miplib");
    LineSource lines(in);
    SolutionHeader header;
    header.format = Format::miplib;
    header.outcome = Outcome::unknown;
    bool started = false;
    std::string_view line;
    while (lines.next(line)) {
        const std::string_view t = trimBlanks(line);
        if (t.empty()) continue;
        std::string_view fields[3];
        const std::size_t n = splitFields(t, fields, 3);
        if (!started) {
            started = true;
            if (fields[0] == "=infeas=") {
                header.status = "=infeas=";
                header.outcome = Outcome::noSolution;
                sink.header(header);
                throw SolutionError("the MIPLIB file says =infeas=");
            }
            if (n >= 2) header.objective = std::string(fields[1]);
            sink.header(header);
            continue;
        }
        if (n != 2) throw SolutionError(atLine(lines.lineNumber()) + "expected a name and a value");
        sink.variable(fields[0], fields[1], lines.lineNumber());
    }
}

}  // namespace

const FormatReader& miplibReader() {
    static const FormatReader reader{"miplib", &recognisesMiplib, &readMiplib};
    return reader;
}

}  // namespace rp::solvers
