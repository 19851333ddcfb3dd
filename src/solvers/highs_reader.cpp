// HiGHS solution files. Raw and sparse styles: "Model status", the status,
// "# Primal solution values", None/Feasible/Infeasible, "Objective V",
// "# Columns N" (sparse: -K, the nonzeros) and the columns' "name value"
// ("name value index") lines. The pretty style: a "Columns" table whose
// heading places the Primal and Name columns, a "Rows" table, then
// "Model status: S" and "Objective value: V".
#include <charconv>

#include "solvers/line_source.hpp"
#include "solvers/format_reader.hpp"
#include "solvers/spool.hpp"

namespace rp::solvers {

namespace {

bool isPrettyHeading(std::string_view line) {
    std::string_view fields[6];
    return splitFields(line, fields, 6) == 6 && fields[0] == "Index" && fields[1] == "Status" &&
           fields[4] == "Primal";
}

bool recognisesHighs(const FirstLines& first) {
    if (first.lines.empty()) return false;
    if (first.lines[0] == "Model status") return true;
    return first.lines[0] == "Columns" && first.lines.size() > 1 && isPrettyHeading(first.lines[1]);
}

Outcome highsOutcome(std::string_view status) {
    if (status == "Optimal") return Outcome::optimal;
    if (status == "Unbounded" || status == "Primal infeasible or unbounded") return Outcome::unbounded;
    if (status.find("limit") != std::string_view::npos || status.find("reached") != std::string_view::npos ||
        status == "Interrupted by user")
        return Outcome::limit;
    if (status == "Unknown") return Outcome::unknown;
    return Outcome::noSolution;  // Infeasible, Empty, the errors, Not Set
}

void readRaw(LineSource& lines, VariableSink& sink) {
    SolutionHeader header;
    header.format = Format::highs;
    std::string_view line;
    if (!lines.next(line)) throw SolutionError("the HiGHS file ends after \"Model status\"");
    header.status = std::string(trimBlanks(line));
    header.outcome = highsOutcome(header.status);
    bool primal = false;
    while (lines.next(line)) {
        if (line == "# Primal solution values") {
            primal = true;
            break;
        }
    }
    if (!primal) throw SolutionError("the HiGHS file has no primal solution values");
    if (!lines.next(line)) throw SolutionError("the HiGHS file ends after \"# Primal solution values\"");
    const std::string_view feasibility = trimBlanks(line);
    if (feasibility != "Feasible") {
        if (header.outcome != Outcome::unbounded) header.outcome = Outcome::noSolution;
        sink.header(header);
        throw SolutionError("HiGHS lists no feasible primal solution (" + std::string(feasibility) + ")");
    }
    long long declared = 0;
    bool columns = false;
    while (lines.next(line)) {
        if (startsWith(line, "Objective ")) {
            header.objective = std::string(trimBlanks(line.substr(10)));
        } else if (startsWith(line, "# Columns ")) {
            const std::string_view n = trimBlanks(line.substr(10));
            const auto r = std::from_chars(n.data(), n.data() + n.size(), declared);
            if (r.ec != std::errc() || r.ptr != n.data() + n.size())
                throw SolutionError(atLine(lines.lineNumber()) + "bad column count");
            columns = true;
            break;
        }
    }
    if (!columns) throw SolutionError("the HiGHS file has no \"# Columns\" line");
    sink.header(header);
    const bool sparse = declared < 0;
    const auto expected = static_cast<unsigned long long>(sparse ? -declared : declared);
    const std::size_t width = sparse ? 3 : 2;
    unsigned long long listed = 0;
    bool more = false;
    while (lines.next(line)) {
        if (line.empty() || startsWith(line, "# ")) {
            if (listed != expected) break;
            return;
        }
        if (listed == expected) {
            more = true;
            break;
        }
        std::string_view fields[4];
        if (splitFields(line, fields, 4) != width)
            throw SolutionError(atLine(lines.lineNumber()) + "expected " + (sparse ? "name, value and index" : "a name and a value"));
        sink.variable(fields[0], fields[1], lines.lineNumber());
        ++listed;
    }
    if (!more && listed == expected) return;  // the end of the file
    throw SolutionError("the HiGHS file says \"# Columns " + std::to_string(declared) + "\" but lists " +
                        (more ? std::string("more") : std::to_string(listed)) + " columns");
}

void readPretty(LineSource& lines, VariableSink& sink) {
    SolutionHeader header;
    header.format = Format::highs;
    std::string_view line;
    lines.next(line);  // "Columns"
    lines.next(line);  // the heading: Index Status Lower Upper Primal Dual [Type] Name
    std::string_view heading[10];
    const std::size_t headingFields = splitFields(line, heading, 10);
    if (headingFields < 7 || heading[headingFields - 1] != "Name")
        throw SolutionError(atLine(lines.lineNumber()) + "the columns' heading does not end with Name");
    VariableSpool spool;
    while (lines.next(line)) {
        if (trimBlanks(line).empty() || line == "Rows") break;
        std::string_view fields[11];
        const std::size_t n = splitFields(line, fields, 11);
        // A column without a basis status has one field less.
        if (n != headingFields && n + 1 != headingFields)
            throw SolutionError(atLine(lines.lineNumber()) + "expected " + std::to_string(headingFields) + " fields");
        spool.add(fields[n - 1], fields[n == headingFields ? 4 : 3], lines.lineNumber());
    }
    bool status = false;
    while (lines.next(line)) {
        if (startsWith(line, "Model status:")) {
            header.status = std::string(trimBlanks(line.substr(13)));
            header.outcome = highsOutcome(header.status);
            status = true;
        } else if (startsWith(line, "Objective value:")) {
            header.objective = std::string(trimBlanks(line.substr(16)));
        }
    }
    if (!status) throw SolutionError("the HiGHS file has no \"Model status:\" line");
    sink.header(header);
    spool.replay(sink);
}

void readHighs(std::streambuf& in, const ReadOptions& options, VariableSink& sink) {
    requireSingleSolution(options, "highs");
    const bool raw = in.sgetc() == 'M';  // "Model status", else "Columns"
    LineSource lines(in);
    if (raw) {
        std::string_view line;
        lines.next(line);
        readRaw(lines, sink);
    } else {
        readPretty(lines, sink);
    }
}

}  // namespace

const FormatReader& highsReader() {
    static const FormatReader reader{"highs", &recognisesHighs, &readHighs};
    return reader;
}

}  // namespace rp::solvers
