#include "pair/copy_numbering.hpp"

#include <algorithm>
#include <map>
#include <set>
#include <string_view>
#include <unordered_map>

#include "resolve/renumber.hpp"

namespace rp::pair {
namespace {

// The copy indices of each family in one genome, with the families in the
// order of their first gene.
struct FamilyCopies {
    std::vector<std::string_view> order;
    std::unordered_map<std::string_view, std::vector<std::int32_t>> copies;
};

FamilyCopies copiesOf(const Structure& genome) {
    FamilyCopies result;
    for (const Chromosome& c : genome.chromosomes)
        for (const Gene& g : c.genes) {
            auto [it, added] = result.copies.try_emplace(g.name);
            if (added) result.order.push_back(g.name);
            it->second.push_back(g.copy);
        }
    return result;
}

bool allDistinct(std::vector<std::int32_t> copies) {
    std::sort(copies.begin(), copies.end());
    return std::adjacent_find(copies.begin(), copies.end()) == copies.end();
}

// How many indices from 1 to kCopySlots - 1 neither list uses.
std::uint32_t freeIndices(const std::vector<std::int32_t>& inA, const std::vector<std::int32_t>& inB) {
    std::set<std::int32_t> used;
    for (const auto* copies : {&inA, &inB})
        for (const std::int32_t copy : *copies)
            if (copy >= 1 && copy < kCopySlots) used.insert(copy);
    return static_cast<std::uint32_t>(kCopySlots - 1 - used.size());
}

// Gives the copies of the genome's `families` new indices from `first[F]`
// up, in the order of their old indices.
void renumber(Structure& genome, const std::map<std::string, std::int32_t, std::less<>>& first) {
    std::map<std::string_view, std::vector<std::int32_t>> old;
    for (const Chromosome& c : genome.chromosomes)
        for (const Gene& g : c.genes)
            if (first.contains(g.name)) old[g.name].push_back(g.copy);
    for (auto& [name, copies] : old) std::sort(copies.begin(), copies.end());
    for (Chromosome& c : genome.chromosomes)
        for (Gene& g : c.genes) {
            const auto start = first.find(g.name);
            if (start == first.end()) continue;
            const std::vector<std::int32_t>& sorted = old.at(g.name);
            const auto rank = std::lower_bound(sorted.begin(), sorted.end(), g.copy) - sorted.begin();
            g.copy = start->second + static_cast<std::int32_t>(rank);
        }
}

}  // namespace

std::vector<std::string> familiesShortOfFreeIndices(const Structure& a, const Structure& b,
                                                    const model::MatchingModel& model) {
    const FamilyCopies inA = copiesOf(a);
    const FamilyCopies inB = copiesOf(b);
    std::vector<std::string> short_;
    for (const std::string_view name : inA.order) {
        const auto other = inB.copies.find(name);
        if (other == inB.copies.end()) continue;
        const std::vector<std::int32_t>& copiesA = inA.copies.at(name);
        if (!allDistinct(copiesA) || !allDistinct(other->second)) continue;
        const auto countA = static_cast<std::uint32_t>(copiesA.size());
        const auto countB = static_cast<std::uint32_t>(other->second.size());
        const std::uint32_t lower = model::familyRange(model, name, countA, countB).lower;
        const std::uint32_t unmatched = countA > lower ? countA - lower : 0;
        if (unmatched > freeIndices(copiesA, other->second)) short_.emplace_back(name);
    }
    return short_;
}

void numberCopiesAbove(Structure& a, Structure& b, const std::vector<std::string>& families) {
    if (families.empty()) return;
    const FamilyCopies inB = copiesOf(b);
    std::map<std::string, std::int32_t, std::less<>> firstOfA;
    std::map<std::string, std::int32_t, std::less<>> firstOfB;
    for (const std::string& family : families) {
        const auto found = inB.copies.find(family);
        const auto countB = static_cast<std::int32_t>(found == inB.copies.end() ? 0 : found->second.size());
        firstOfB.emplace(family, kCopySlots);
        firstOfA.emplace(family, kCopySlots + countB);
    }
    renumber(b, firstOfB);
    renumber(a, firstOfA);
}

std::vector<std::string> familiesWithUnmovedCopies(const Structure& resolvedA, const AssignmentMap& decisions) {
    std::set<std::string_view> decided;
    for (const auto& [key, decision] : decisions) decided.insert(key.family);
    std::vector<std::string_view> order;
    std::unordered_map<std::string_view, std::size_t> unmatched;
    for (const Chromosome& c : resolvedA.chromosomes)
        for (const Gene& g : c.genes) {
            if (g.resolved || !decided.contains(g.name)) continue;
            if (unmatched[g.name]++ == 0) order.push_back(g.name);
        }
    std::vector<std::string> past;
    for (const std::string_view name : order)
        if (unmatched[name] > static_cast<std::size_t>(kCopySlots - 1)) past.emplace_back(name);
    return past;
}

}  // namespace rp::pair
