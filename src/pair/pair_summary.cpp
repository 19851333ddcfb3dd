#include "pair/pair_summary.hpp"

#include <cstdio>
#include <stdexcept>

namespace rp::pair {

std::size_t columnIndex(std::string_view column) {
    for (std::size_t i = 0; i < kSummaryColumns.size(); ++i)
        if (kSummaryColumns[i] == column) return i;
    throw std::out_of_range("no summary column " + std::string(column));
}

std::string& PairSummary::operator[](std::string_view column) { return values[columnIndex(column)]; }

const std::string& PairSummary::operator[](std::string_view column) const { return values[columnIndex(column)]; }

void writeSummary(std::ostream& out, const PairSummary& summary) {
    for (std::size_t i = 0; i < kSummaryColumns.size(); ++i) out << (i == 0 ? "" : "\t") << kSummaryColumns[i];
    out << '\n';
    for (std::size_t i = 0; i < summary.values.size(); ++i) {
        if (i != 0) out << '\t';
        for (char c : summary.values[i]) out << (c == '\t' || c == '\n' || c == '\r' ? ' ' : c);
    }
    out << '\n';
}

std::string formatG(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

}  // namespace rp::pair
