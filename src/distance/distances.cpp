#include "distance/distances.hpp"

#include <array>
#include <stdexcept>

#include "text/quoting.hpp"

namespace rp::distance {

namespace {

// The table: one entry per distance.
const auto& table() {
    static const std::array entries{breakpointEntry(), dcjEntry()};
    return entries;
}

}  // namespace

std::span<const DistanceEntry> distances() { return table(); }

const DistanceEntry& entryOf(Distance distance) {
    for (const DistanceEntry& entry : distances())
        if (entry.distance == distance) return entry;
    throw std::logic_error("a distance without an entry");
}

std::string distanceNames() {
    std::string names;
    const auto all = distances();
    for (std::size_t i = 0; i < all.size(); ++i)
        names += std::string(i == 0 ? "" : i + 1 == all.size() ? " or " : ", ") + std::string(all[i].name);
    return names;
}

const DistanceEntry& parseDistance(std::string_view text) {
    for (const DistanceEntry& entry : distances())
        if (entry.name == text) return entry;
    throw std::invalid_argument("unknown distance " + quoteInput(text) + " (" + distanceNames() + ")");
}

std::string_view distanceName(Distance distance) { return entryOf(distance).name; }

std::string describeDistances() {
    std::string text;
    for (const DistanceEntry& entry : distances())
        text += (text.empty() ? "" : "; ") + std::string(entry.name) + ": " + std::string(entry.description);
    return text;
}

std::string distancesWithForms() {
    std::string names;
    for (const DistanceEntry& entry : distances())
        if (!entry.forms.empty()) names += (names.empty() ? "" : ", ") + std::string(entry.name);
    return names;
}

Form parseForm(std::string_view text) {
    if (text == "plain") return Form::plain;
    if (text == "reduced") return Form::reduced;
    throw std::invalid_argument("unknown form " + quoteInput(text) + " (plain or reduced)");
}

std::string pairsToMatch(std::size_t lower, std::size_t upper) {
    return (lower == upper ? std::to_string(lower) : std::to_string(lower) + " to " + std::to_string(upper)) +
           " pairs to match";
}

}  // namespace rp::distance
