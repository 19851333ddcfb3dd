#include "model/genome_pair.hpp"

#include <stdexcept>

namespace rp::model {

std::size_t checkedSecond(std::int64_t second) {
    if (second < 2)
        throw std::runtime_error("genome B must be structure 2 or later, not " + std::to_string(second));
    return static_cast<std::size_t>(second);
}

GenomePair selectPair(const std::vector<Structure>& structures, std::size_t second) {
    if (second < 2) checkedSecond(static_cast<std::int64_t>(second));
    if (structures.size() < second)
        throw std::runtime_error("the file holds " + std::to_string(structures.size()) +
                                 " structure" + (structures.size() == 1 ? "" : "s") +
                                 ", genome B is structure " + std::to_string(second));
    return GenomePair{&structures[0], &structures[second - 1], second};
}

std::string describeGenome(const GenomePair& pair, bool first) {
    const Structure& s = first ? *pair.a : *pair.b;
    return std::string(first ? "genome A" : "genome B") + " (structure " +
           std::to_string(first ? 1 : pair.second) + ", " + s.name + ")";
}

bool isUsableFamilyName(std::string_view name) {
    if (name.empty()) return false;
    for (const char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                        std::string_view("!\"#$%&(),?@_`'{}~").find(c) != std::string_view::npos;
        if (!ok) return false;
    }
    return true;
}

}  // namespace rp::model
