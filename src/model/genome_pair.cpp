#include "model/genome_pair.hpp"
#include "text/quoting.hpp"

#include <algorithm>
#include <stdexcept>

namespace rp::model {

std::size_t checkedSecond(std::int64_t second) {
    if (second < 2)
        throw std::runtime_error("genome B must be structure 2 or later, not " + std::to_string(second));
    return static_cast<std::size_t>(second);
}

namespace {

const Structure& named(const std::vector<Structure>& genomes, const std::string& name, const std::string& source) {
    const auto isNamed = [&](const Structure& s) { return s.name == name; };
    const auto count = std::count_if(genomes.begin(), genomes.end(), isNamed);
    if (count != 1) {
        std::string names;
        for (std::size_t i = 0; i < genomes.size() && i < 20; ++i) names += (i ? " " : "") + genomes[i].name;
        if (genomes.size() > 20) names += " ...";
        throw std::runtime_error(source + ": genome " + name +
                                 (count == 0 ? " is not in the file" : " is in the file more than once") +
                                 " (genomes: " + names + ")");
    }
    return *std::find_if(genomes.begin(), genomes.end(), isNamed);
}

}  // namespace

GenomePair selectPair(const std::vector<Structure>& structures, const PairChoice& choice) {
    if (!choice.byName) return selectPair(structures, choice.second);
    if (structures.size() < 2)
        throw std::runtime_error(choice.source + " holds " + std::to_string(structures.size()) + " genome" +
                                 (structures.size() == 1 ? "" : "s") + ", a pair needs two");
    if (choice.a.empty() && choice.b.empty()) return GenomePair{&structures[0], &structures[1], 2};
    const Structure& a = named(structures, choice.a, choice.source);
    const Structure& b = named(structures, choice.b, choice.source);
    return GenomePair{&a, &b, static_cast<std::size_t>(&b - structures.data()) + 1};
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

void checkLpFamilyName(std::string_view name, std::int32_t maxCopyA, std::int32_t maxCopyB) {
    if (!isUsableFamilyName(name))
        throw std::runtime_error("family " + quoteInput(name) +
                                 " cannot stand in an LP name (letters, digits and "
                                 "!\"#$%&(),?@_`'{}~ only)");
    const std::size_t longest =
        2 + name.size() + 1 + std::to_string(maxCopyA).size() + 1 + std::to_string(maxCopyB).size();
    if (longest > kMaxLpName)
        throw std::runtime_error("family " + quoteInput(name) + " is too long: its z names would pass " +
                                 std::to_string(kMaxLpName) + " characters");
}

}  // namespace rp::model
