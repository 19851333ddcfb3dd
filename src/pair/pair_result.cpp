#include "pair/pair_result.hpp"

#include <array>
#include <cstdio>

namespace rp::pair {

namespace {

template <class T>
std::string count(const std::optional<T>& value) {
    return value ? std::to_string(*value) : std::string();
}

std::string optionalFixed(const std::optional<double>& value, int digits) {
    return value ? formatFixed(*value, digits) : std::string();
}

std::string checkName(ScoreCheck check) {
    switch (check) {
        case ScoreCheck::yes: return "yes";
        case ScoreCheck::no: return "no";
        case ScoreCheck::unknown: return "unknown";
        case ScoreCheck::notChecked: break;
    }
    return {};
}

using R = PairResult;

// A new column is one entry here and one member of PairResult.
constexpr std::array<SummaryColumn, 23> kColumns{{
    {"pair", [](const R& r) { return r.pair; }},
    {"a", [](const R& r) { return r.a; }},
    {"b", [](const R& r) { return r.b; }},
    {"genes_a", [](const R& r) { return count(r.genesA); }},
    {"genes_b", [](const R& r) { return count(r.genesB); }},
    {"families_both", [](const R& r) { return count(r.familiesBoth); }},
    {"matched", [](const R& r) { return count(r.matched); }},
    {"adjacencies", [](const R& r) { return count(r.adjacencies); }},
    {"telomeres", [](const R& r) { return count(r.telomeres); }},
    {"breakpoint_distance", [](const R& r) { return optionalFixed(r.breakpointDistance, 1); }},
    {"solver", [](const R& r) { return r.solver; }},
    {"status", [](const R& r) { return std::string(statusName(r.status)); }},
    {"solver_status", [](const R& r) { return r.solverStatus; }},
    {"objective", [](const R& r) { return r.objective ? formatG(*r.objective) : std::string(); }},
    {"score", [](const R& r) { return count(r.score); }},
    {"wall_s", [](const R& r) { return optionalFixed(r.wallSeconds, 3); }},
    {"score_equals_objective", [](const R& r) { return checkName(r.scoreEqualsObjective); }},
    {"measure", [](const R& r) { return r.measure; }},
    {"model", [](const R& r) { return r.model; }},
    {"distance", [](const R& r) { return optionalFixed(r.distance, r.distanceDigits); }},
    {"lower_bound", [](const R& r) { return optionalFixed(r.lowerBound, r.distanceDigits); }},
    {"note", [](const R& r) { return r.note; }},
    {"index_limit", [](const R& r) { return r.indexLimit; }},
}};

}  // namespace

std::string_view statusName(PairStatus status) {
    switch (status) {
        case PairStatus::optimal: return "optimal";
        case PairStatus::limit: return "limit";
        case PairStatus::unknown: return "unknown";
        case PairStatus::failed: return "failed";
        case PairStatus::pending: return "pending";
    }
    return "failed";
}

std::span<const SummaryColumn> summaryColumns() { return kColumns; }

std::string summaryHeader() {
    std::string line;
    for (const SummaryColumn& column : kColumns) {
        if (!line.empty()) line += '\t';
        line.append(column.name);
    }
    line += '\n';
    return line;
}

void writeSummary(std::ostream& out, const PairResult& result) {
    out << summaryHeader();
    writeSummaryLine(out, result);
}

void writeSummaryLine(std::ostream& out, const PairResult& result) {
    bool first = true;
    for (const SummaryColumn& column : kColumns) {
        if (!first) out << '\t';
        first = false;
        for (char c : column.text(result)) out << (c == '\t' || c == '\n' || c == '\r' ? ' ' : c);
    }
    out << '\n';
}

std::string formatG(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string formatFixed(double value, int digits) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", digits, value);
    return text;
}

}  // namespace rp::pair
