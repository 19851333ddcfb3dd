// The summary of one pair: the line `paralogs pair` writes to summary.tsv
// (a header line and one line), the same columns the workflow collects.
#pragma once

#include <array>
#include <ostream>
#include <string>
#include <string_view>

namespace rp::pair {

// The columns, in their order.
// index_limit: the families of which more copies of A stayed unmatched than
// there are free copy indices (1 to 19), comma-separated; some of them kept
// an index of their own.
inline constexpr std::array<std::string_view, 23> kSummaryColumns{
    "pair",        "a",          "b",
    "genes_a",     "genes_b",    "families_both",
    "matched",     "adjacencies", "telomeres",
    "breakpoint_distance",       "solver",
    "status",      "solver_status", "objective",
    "score",       "wall_s",     "score_equals_objective",
    "measure",     "model",      "distance",
    "lower_bound", "note",       "index_limit"};

// One value per column, as text; an empty text is an unknown value.
struct PairSummary {
    std::array<std::string, kSummaryColumns.size()> values;

    std::string& operator[](std::string_view column);
    const std::string& operator[](std::string_view column) const;
};

// The index of a column; throws std::out_of_range for a name not among them.
std::size_t columnIndex(std::string_view column);

// The header line and the summary's line, tab-separated; tabs and line
// breaks within a value become blanks.
void writeSummary(std::ostream& out, const PairSummary& summary);

// A number as Python's "{:g}" writes it (six significant digits).
std::string formatG(double value);

}  // namespace rp::pair
