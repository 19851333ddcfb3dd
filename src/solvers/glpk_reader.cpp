// GLPK's printable reports (glpsol -o): MIP and LP. A header block (Problem,
// Rows, Columns, Non-zeros, Status, Objective), the rows' table, then the
// columns' table; a name longer than 12 characters sits on a line of its
// own, the rest of its entry on the next. GLPK's raw file (glpsol -w) carries
// no names and is refused.
#include <charconv>

#include "solvers/line_source.hpp"
#include "solvers/format_reader.hpp"

namespace rp::solvers {

namespace {

bool recognisesGlpk(const FirstLines& first) {
    if (first.lines.size() < 2) return false;
    return startsWith(first.lines[0], "Problem:") && startsWith(first.lines[1], "Rows:");
}

Outcome glpkOutcome(std::string_view status) {
    if (status == "INTEGER OPTIMAL" || status == "OPTIMAL") return Outcome::optimal;
    if (status == "INTEGER NON-OPTIMAL" || status == "FEASIBLE") return Outcome::limit;
    if (status == "UNBOUNDED") return Outcome::unbounded;
    return Outcome::noSolution;  // INTEGER EMPTY, INTEGER UNDEFINED, INFEASIBLE (...), UNDEFINED
}

bool isNumber(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

void readGlpk(std::streambuf& in, const ReadOptions& options, VariableSink& sink) {
    requireSingleSolution(options, "glpk");
    LineSource lines(in);
    SolutionHeader header;
    header.format = Format::glpk;
    bool statusSeen = false;
    std::uint64_t declaredColumns = 0;
    bool columnsDeclared = false;
    std::string_view line;
    // The header block, up to the first blank line.
    while (lines.next(line)) {
        if (trimBlanks(line).empty()) break;
        if (startsWith(line, "Status:")) {
            header.status = std::string(trimBlanks(line.substr(7)));
            header.outcome = glpkOutcome(header.status);
            statusSeen = true;
        } else if (startsWith(line, "Objective:")) {
            std::string_view rest = trimBlanks(line.substr(10));
            if (const std::size_t eq = rest.find(" = "); eq != std::string_view::npos) rest = rest.substr(eq + 3);
            std::string_view value[1];
            if (splitFields(rest, value, 1) == 1) header.objective = std::string(value[0]);
        } else if (startsWith(line, "Columns:")) {
            std::string_view value[1];
            if (splitFields(line.substr(8), value, 1) == 1) {
                const auto r = std::from_chars(value[0].data(), value[0].data() + value[0].size(), declaredColumns);
                columnsDeclared = r.ec == std::errc() && r.ptr == value[0].data() + value[0].size();
            }
        }
    }
    if (!statusSeen) throw SolutionError("the GLPK report has no Status line");
    sink.header(header);
    // The columns' table.
    bool table = false;
    bool lp = false;
    while (lines.next(line)) {
        if (startsWith(line, "   No. Column name")) {
            table = true;
            lp = line.find(" St ") != std::string_view::npos;
            if (!lines.next(line) || !startsWith(line, "------"))
                throw SolutionError(atLine(lines.lineNumber()) + "expected the rule under the columns' heading");
            break;
        }
    }
    if (!table) throw SolutionError("the GLPK report has no columns' table");
    std::uint64_t columns = 0;
    std::string name;
    while (lines.next(line)) {
        if (trimBlanks(line).empty()) break;
        std::string_view fields[4];
        std::string_view rest;
        std::size_t n = splitFields(line, fields, 2, &rest);
        if (n < 2 || !isNumber(fields[0]))
            throw SolutionError(atLine(lines.lineNumber()) + "expected a column of the GLPK report");
        name.assign(fields[1]);
        const std::uint64_t nameLine = lines.lineNumber();
        if (trimBlanks(rest).empty()) {  // a long name: the entry goes on on the next line
            if (!lines.next(line))
                throw SolutionError(atLine(nameLine) + "the entry of column " + name + " ends with its name");
            rest = line;
        }
        n = splitFields(rest, fields, 2);
        std::size_t at = 0;
        if (lp || (n > 0 && fields[0] == "*")) ++at;  // the LP status, the integer mark
        if (at >= n) throw SolutionError(atLine(lines.lineNumber()) + "column " + name + " has no activity");
        sink.variable(name, fields[at], nameLine);
        ++columns;
    }
    if (columnsDeclared && columns != declaredColumns)
        throw SolutionError("the GLPK report says " + std::to_string(declaredColumns) + " columns but lists " +
                            std::to_string(columns));
}

}  // namespace

const FormatReader& glpkReader() {
    static const FormatReader reader{"glpk", &recognisesGlpk, &readGlpk};
    return reader;
}

}  // namespace rp::solvers
