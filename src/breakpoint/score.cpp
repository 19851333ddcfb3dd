#include "breakpoint/score.hpp"

#include <algorithm>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

namespace rp::model {
namespace {

// An extremity: 2 x gene number, + 1 for the head.
std::uint32_t exitOf(std::uint32_t gene, int strand) { return 2 * gene + (strand == -1 ? 0 : 1); }
std::uint32_t entryOf(std::uint32_t gene, int strand) { return 2 * gene + (strand == -1 ? 1 : 0); }

std::uint64_t adjacencyKey(std::uint32_t x, std::uint32_t y) {
    if (x > y) std::swap(x, y);
    return (std::uint64_t{x} << 32) | y;
}

// Calls adjacency(x, y) for each adjacency and telomere(x) for each telomere
// of the genome reduced to the genes for which `kept` holds.
template <class Kept, class Adjacency, class Telomere>
void forEachReducedEnd(const Structure& s, const std::vector<std::uint32_t>& starts, Kept&& kept,
                       Adjacency&& adjacency, Telomere&& telomere) {
    std::vector<std::uint32_t> genes;
    for (std::size_t c = 0; c < s.chromosomes.size(); ++c) {
        const Chromosome& chromosome = s.chromosomes[c];
        genes.clear();
        for (std::uint32_t p = 0; p < chromosome.genes.size(); ++p)
            if (kept(starts[c] + p)) genes.push_back(p);
        if (genes.empty()) continue;
        const auto strand = [&](std::uint32_t p) { return chromosome.genes[p].strand; };
        for (std::size_t i = 0; i + 1 < genes.size(); ++i)
            adjacency(exitOf(starts[c] + genes[i], strand(genes[i])),
                      entryOf(starts[c] + genes[i + 1], strand(genes[i + 1])));
        const std::uint32_t first = genes.front();
        const std::uint32_t last = genes.back();
        if (chromosome.circular) {
            adjacency(exitOf(starts[c] + last, strand(last)), entryOf(starts[c] + first, strand(first)));
        } else {
            telomere(entryOf(starts[c] + first, strand(first)));
            telomere(exitOf(starts[c] + last, strand(last)));
        }
    }
}

}  // namespace

double Score::distance() const {
    return static_cast<double>(matched) - (static_cast<double>(adjacencies) + telomeres / 2.0);
}

Score scoreMatching(const Structure& a, const Structure& b, const Matching& matching) {
    const MatchedGenes genes = indexMatching(a, b, matching);
    const auto& startsA = genes.startsA;
    const auto& startsB = genes.startsB;
    const auto& partnerOfA = genes.partnerOfA;
    std::unordered_set<std::uint64_t> adjacenciesB;
    std::unordered_set<std::uint32_t> telomeresB;
    forEachReducedEnd(
        b, startsB, [&](std::uint32_t g) { return genes.partnerOfB[g] != kNoPartner; },
        [&](std::uint32_t x, std::uint32_t y) { adjacenciesB.insert(adjacencyKey(x, y)); },
        [&](std::uint32_t x) { telomeresB.insert(x); });
    // M carries an extremity of A to the same extremity of the partner.
    const auto carried = [&](std::uint32_t x) { return 2 * partnerOfA[x / 2] + x % 2; };
    Score score;
    score.matched = matching.size();
    forEachReducedEnd(
        a, startsA, [&](std::uint32_t g) { return partnerOfA[g] != kNoPartner; },
        [&](std::uint32_t x, std::uint32_t y) {
            score.adjacencies += adjacenciesB.count(adjacencyKey(carried(x), carried(y)));
        },
        [&](std::uint32_t x) { score.telomeres += telomeresB.count(carried(x)); });
    return score;
}

std::string formatDistance(const Score& score) {
    // The distance is a whole number or a half.
    const std::size_t twice = 2 * score.matched - 2 * score.adjacencies - score.telomeres;
    return std::to_string(twice / 2) + (twice % 2 != 0 ? ".5" : ".0");
}

}  // namespace rp::model
