#include "solving/solver_log.hpp"

#include <charconv>
#include <cmath>

namespace rp::solving {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The number that starts `text` after blanks (a leading "+" allowed).
std::optional<double> leadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    if (i < text.size() && text[i] == '+') ++i;
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data() + i, text.data() + text.size(), value);
    if (ec != std::errc() || end == text.data() + i || !std::isfinite(value)) return std::nullopt;
    return value;
}

// Calls `line` for each line of `log`.
template <class Line>
void forEachLine(std::string_view log, Line&& line) {
    while (!log.empty()) {
        const std::size_t end = log.find('\n');
        line(log.substr(0, end));
        if (end == std::string_view::npos) break;
        log.remove_prefix(end + 1);
    }
}

// CBC reports its bound as it goes: its first LP relaxation ("Continuous
// objective value is X", in the program's sense), the root's cuts ("cuts
// changed objective from A to B") and the search ("best possible B"), the
// last two in its own sense, which minimises. The last one written counts.
std::optional<double> cbcBound(std::string_view log, Sense sense) {
    constexpr std::string_view kRelaxation = "Continuous objective value is ";
    constexpr std::string_view kRootCuts = "cuts changed objective from ";
    constexpr std::string_view kSearch = "best possible ";
    const double toOwnSense = sense == Sense::maximise ? -1.0 : 1.0;
    std::optional<double> bound;  // in CBC's sense
    forEachLine(log, [&](std::string_view line) {
        if (line.starts_with(kRelaxation)) {
            const auto value = leadingNumber(line.substr(kRelaxation.size()));
            bound = value ? std::optional<double>(toOwnSense * *value) : std::nullopt;
        } else if (const std::size_t cuts = line.find(kRootCuts); cuts != std::string_view::npos) {
            const std::size_t to = line.find(" to ", cuts + kRootCuts.size());
            if (to != std::string_view::npos) bound = leadingNumber(line.substr(to + 4));
        } else if (const std::size_t at = line.rfind(kSearch); at != std::string_view::npos) {
            bound = leadingNumber(line.substr(at + kSearch.size()));
        }
    });
    // CBC's "infinity" is 1e50.
    if (!bound || std::fabs(*bound) >= 1e49) return std::nullopt;
    return toOwnSense * *bound;
}

std::optional<double> glpkBound(std::string_view log, Sense sense) {
    const std::string_view relation = sense == Sense::maximise ? "<=" : ">=";
    std::optional<double> bound;
    bool seen = false;
    forEachLine(log, [&](std::string_view line) {
        const std::size_t mip = line.find("mip =");
        if (mip == std::string_view::npos) return;
        const std::size_t at = line.find(relation, mip);
        if (at == std::string_view::npos) return;
        seen = true;
        bound = leadingNumber(line.substr(at + relation.size()));  // "+inf" and "-inf" give none
    });
    return seen ? bound : std::nullopt;
}

std::optional<double> highsBound(std::string_view log) {
    constexpr std::string_view kMark = "Dual bound";
    std::optional<double> bound;
    forEachLine(log, [&](std::string_view line) {
        std::size_t i = 0;
        while (i < line.size() && isBlank(line[i])) ++i;
        if (line.substr(i, kMark.size()) != kMark) return;
        bound = leadingNumber(line.substr(i + kMark.size()));
    });
    return bound;
}

}  // namespace

bool searchEnded(solvers::Format format, std::string_view log) {
    return format == solvers::Format::cbc && (log.find("Partial search") != std::string_view::npos ||
                                              log.find("Search completed") != std::string_view::npos);
}

std::optional<double> reportedBound(solvers::Format format, std::string_view log, Sense sense) {
    switch (format) {
        case solvers::Format::cbc: return cbcBound(log, sense);
        case solvers::Format::glpk: return glpkBound(log, sense);
        case solvers::Format::highs: return highsBound(log);
        default: return std::nullopt;
    }
}

}  // namespace rp::solving
