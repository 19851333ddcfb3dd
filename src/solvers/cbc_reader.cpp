// CBC solution files: a status line "STATUS - objective value V" (none in
// the oldest versions), then "index name value reduced-cost" lines, a value
// outside its bounds marked "** ". With printingOptions all (or rows) the
// rows come first, numbered from 0 like the columns after them.
#include <cstdint>
#include <exception>
#include <optional>

#include "solvers/line_source.hpp"
#include "solvers/reader.hpp"
#include "solvers/spool.hpp"

namespace rp::solvers {

namespace {

constexpr std::string_view kObjectiveMark = " - objective value";

// The status, or false when the line is no CBC status line.
bool statusOf(std::string_view line, std::string_view& status, std::string_view& objective) {
    const std::size_t at = line.find(kObjectiveMark);
    if (at == std::string_view::npos) return false;
    status = line.substr(0, at);
    objective = trimBlanks(line.substr(at + kObjectiveMark.size()));
    for (std::string_view known : {"Optimal", "Infeasible", "Unbounded", "Integer infeasible", "Status unknown",
                                   "Stopped on ", "Optimal (within gap tolerance)"})
        if (status == known || (known.back() == ' ' && startsWith(status, known))) return true;
    return false;
}

// A value line: index, name, value and more; `fields` gets index, name, value.
// `blank` (when given) tells a line of blanks alone, which is no value line.
bool valueLine(std::string_view line, std::string_view (&fields)[3], bool* blank = nullptr) {
    // The fields after the value are not looked at: the line is split no
    // further than the value.
    std::string_view all[4];
    std::string_view rest;
    std::size_t n = splitFields(line, all, 3, &rest);
    if (blank != nullptr) *blank = n == 0;
    std::size_t first = 0;
    if (n > 0 && all[0] == "**") {
        first = 1;
        if (n == 3) n += splitFields(rest, all + 3, 1);
    }
    if (n - first < 3) return false;
    for (char c : all[first])
        if (c < '0' || c > '9') return false;
    fields[0] = all[first];
    fields[1] = all[first + 1];
    fields[2] = all[first + 2];
    return true;
}

bool recognisesCbc(const FirstLines& first) {
    if (first.lines.empty()) return false;
    std::string_view status, objective;
    if (statusOf(first.lines[0], status, objective)) return true;
    // The oldest versions write no status line: every line is a value line,
    // the first numbered 0.
    std::string_view fields[3];
    if (first.lines.size() < 2) return false;
    for (std::size_t i = 0; i + 1 < first.lines.size(); ++i) {
        std::string_view all[5];
        if (!valueLine(first.lines[i], fields) || splitFields(first.lines[i], all, 5) != 4) return false;
        if (i == 0 && fields[0] != "0") return false;
    }
    return true;
}

Outcome cbcOutcome(std::string_view status) {
    if (status == "Optimal") return Outcome::optimal;
    // Stopped by an allowed gap: the best found, not a proven optimum.
    if (status == "Optimal (within gap tolerance)") return Outcome::limit;
    if (status == "Unbounded") return Outcome::unbounded;
    if (startsWith(status, "Stopped on ")) {
        if (status.find("no integer solution") != std::string_view::npos) return Outcome::noSolution;
        return Outcome::limit;
    }
    return Outcome::noSolution;  // Infeasible, Integer infeasible, Status unknown
}

void readCbc(std::streambuf& in, const ReadOptions& options, VariableSink& sink) {
    requireSingleSolution(options, "cbc");
    LineSource lines(in);
    SolutionHeader header;
    header.format = Format::cbc;
    std::string_view line;
    bool pending = lines.next(line);
    std::string_view status, objective;
    if (pending && statusOf(line, status, objective)) {
        header.status = std::string(status);
        header.objective = std::string(objective);
        header.outcome = cbcOutcome(status);
        pending = false;
        // No solution is a failure at once, without reading the values.
        if (header.outcome == Outcome::noSolution || header.outcome == Outcome::unbounded) sink.header(header);
    } else {
        header.outcome = Outcome::unknown;
    }
    // The first section is the columns unless the numbering starts again
    // (then it was the rows). A sink that can start again is handed it at
    // once, as the columns, and started again should the rows turn out to
    // have come first; its failures on the section wait for the end of the
    // file, where they come when the section is kept aside. Otherwise the
    // section is kept in a spool until the file shows what it was.
    const bool tentative = sink.canRestart();
    std::optional<VariableSpool> spool;
    if (!tentative) spool.emplace();
    std::exception_ptr failed;  // the sink's first failure on the first section
    const auto tentatively = [&](const auto& hand) {
        if (failed) return;
        try {
            hand();
        } catch (const SolutionError&) {
            failed = std::current_exception();
        }
    };
    if (tentative) tentatively([&] { sink.header(header); });
    bool secondSection = false;
    std::uint64_t previous = 0;
    bool any = false;
    while (pending || lines.next(line)) {
        pending = false;
        std::string_view fields[3];
        bool blank = false;
        if (!valueLine(line, fields, &blank)) {
            if (blank) continue;
            throw SolutionError(atLine(lines.lineNumber()) + "expected \"index name value reduced-cost\"");
        }
        // Decimal digits alone (valueLine saw to it).
        std::uint64_t index = 0;
        for (const char c : fields[0]) {
            const auto digit = static_cast<std::uint64_t>(c - '0');
            if (index > (UINT64_MAX - digit) / 10)
                throw SolutionError(atLine(lines.lineNumber()) + "index out of range");
            index = index * 10 + digit;
        }
        if (any && index <= previous) {
            if (secondSection)
                throw SolutionError(atLine(lines.lineNumber()) + "a third numbering from 0 (rows and columns give two)");
            secondSection = true;
            if (tentative) {
                sink.restart();
                failed = nullptr;
            } else {
                spool->clear();
            }
            sink.header(header);
        }
        any = true;
        previous = index;
        if (secondSection)
            sink.variable(fields[1], fields[2], lines.lineNumber());
        else if (tentative)
            tentatively([&] { sink.variable(fields[1], fields[2], lines.lineNumber()); });
        else
            spool->add(fields[1], fields[2], lines.lineNumber());
    }
    if (!secondSection) {
        if (tentative) {
            if (failed) std::rethrow_exception(failed);
        } else {
            sink.header(header);
            spool->replay(sink);
        }
    }
}

}  // namespace

const Reader& cbcReader() {
    static const Reader reader{"cbc", &recognisesCbc, &readCbc};
    return reader;
}

}  // namespace rp::solvers
