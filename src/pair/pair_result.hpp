// The result of one pair as values: its status, what the genomes, the
// solver and the score said, numbers as numbers (empty where unknown). It
// becomes text only when written: summary.tsv, a header line and one line,
// whose columns the workflow reads from the header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

namespace rp::pair {

// optimal: proven; limit: the best matching known when a limit (or our
// clock, or a crash of the solver) stopped the search; unknown: a matching
// whose answer says nothing of optimality; failed: no matching (the note
// says why); pending: not run yet (a line of a sheet's summary while the
// sheet runs, or after its run was ended before the pair's turn).
enum class PairStatus { optimal, limit, unknown, failed, pending };

std::string_view statusName(PairStatus status);

// Whether the resolved genomes score the solver's objective: not checked
// (no resolved genomes), yes, no, or unknown (the answer gave no objective).
enum class ScoreCheck { notChecked, yes, no, unknown };

struct PairResult {
    std::string pair, a, b;
    std::optional<std::size_t> genesA, genesB, familiesBoth;
    std::optional<std::size_t> matched, adjacencies, telomeres;
    std::optional<double> breakpointDistance;  // matched - adjacencies - telomeres / 2
    std::string solver;
    PairStatus status = PairStatus::failed;
    std::string solverStatus;  // the solver's own words
    std::optional<double> objective;
    std::optional<std::int64_t> score;  // the objective the resolved genomes score
    std::optional<double> wallSeconds;
    ScoreCheck scoreEqualsObjective = ScoreCheck::notChecked;
    std::string measure, model;
    // The distance and its lower bound, written with `distanceDigits` digits
    // after the point (breakpoint 1, DCJ-indel 0).
    std::optional<double> distance, lowerBound;
    int distanceDigits = 1;
    std::string note;
    // The families of which more copies of A stayed unmatched than there are
    // free copy indices (1 to 19), comma-separated: some of them kept an
    // index of their own, and the score may differ from the objective.
    std::string indexLimit;
};

// A column of the summary: its name and its value's text.
struct SummaryColumn {
    std::string_view name;
    std::string (*text)(const PairResult& result);
};

// The columns, in their order.
std::span<const SummaryColumn> summaryColumns();

// The header line, tab-separated, with its line break.
std::string summaryHeader();

// The header line and the result's line, tab-separated; tabs and line
// breaks within a value become blanks.
void writeSummary(std::ostream& out, const PairResult& result);

// The result's line alone (a summary of many pairs writes the header once).
void writeSummaryLine(std::ostream& out, const PairResult& result);

// A number as Python's "{:g}" writes it (six significant digits).
std::string formatG(double value);

// A number with `digits` digits after the point.
std::string formatFixed(double value, int digits);

}  // namespace rp::pair
