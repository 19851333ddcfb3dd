#include "dcj/dcj_reductions.hpp"

#include "dcj/extremities.hpp"

#include <cstdint>
#include <deque>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace rp::model {

namespace {

constexpr std::uint32_t kNoGene = UINT32_MAX;

// The genes of both genomes numbered A's first; vertex 2g is gene g's tail,
// 2g + 1 its head.
struct Genes {
    std::uint32_t ofA = 0;
    std::vector<GenePlace> places;
    std::vector<std::uint32_t> family;
    std::vector<std::uint32_t> adjacent;  // per vertex: the vertex it is joined to, or kNoGene at a telomere
    std::vector<std::string_view> familyNames;
    std::vector<std::vector<std::uint32_t>> copies[2];  // per genome, per family: its genes
};

void addGenome(Genes& genes, const Structure& s, int genome, std::unordered_map<std::string_view, std::uint32_t>& index) {
    for (std::uint32_t c = 0; c < s.chromosomes.size(); ++c) {
        const Chromosome& chromosome = s.chromosomes[c];
        const auto first = static_cast<std::uint32_t>(genes.places.size());
        const auto n = static_cast<std::uint32_t>(chromosome.genes.size());
        for (std::uint32_t p = 0; p < n; ++p) {
            const auto [it, added] = index.try_emplace(chromosome.genes[p].name,
                                                       static_cast<std::uint32_t>(genes.familyNames.size()));
            if (added) {
                genes.familyNames.push_back(chromosome.genes[p].name);
                for (auto& copies : genes.copies) copies.emplace_back();
            }
            genes.copies[genome][it->second].push_back(static_cast<std::uint32_t>(genes.places.size()));
            genes.places.push_back({c, p});
            genes.family.push_back(it->second);
        }
        genes.adjacent.resize(2 * genes.places.size(), kNoGene);
        linkChromosome(chromosome, first, [&](std::uint32_t x, std::uint32_t y) {
            genes.adjacent[x] = y;
            genes.adjacent[y] = x;
        });
    }
}

}  // namespace

Matching anchoredPairs(const GenomePair& pair, const MatchingModel& model, AnchorReach reach) {
    Genes genes;
    std::unordered_map<std::string_view, std::uint32_t> index;
    addGenome(genes, *pair.a, 0, index);
    genes.ofA = static_cast<std::uint32_t>(genes.places.size());
    addGenome(genes, *pair.b, 1, index);

    std::vector<std::uint32_t> partner(genes.places.size(), kNoGene);
    std::vector<bool> alwaysMatched(genes.places.size(), false);
    std::deque<std::pair<std::uint32_t, std::uint32_t>> decided;
    for (std::uint32_t f = 0; f < genes.familyNames.size(); ++f) {
        const auto inA = static_cast<std::uint32_t>(genes.copies[0][f].size());
        const auto inB = static_cast<std::uint32_t>(genes.copies[1][f].size());
        if (inA == 0 || inB == 0) continue;
        const PairRange range = familyRange(model, genes.familyNames[f], inA, inB);
        if (inA == 1 && inB == 1 && range.lower >= 1) {
            const std::uint32_t a = genes.copies[0][f][0], b = genes.copies[1][f][0];
            partner[a] = b;
            partner[b] = a;
            decided.emplace_back(a, b);
        } else {
            if (range.lower == inA) for (const std::uint32_t g : genes.copies[0][f]) alwaysMatched[g] = true;
            if (range.lower == inB) for (const std::uint32_t g : genes.copies[1][f]) alwaysMatched[g] = true;
        }
    }
    Matching found;
    while (!decided.empty()) {
        const auto [x, y] = decided.front();
        decided.pop_front();
        for (const std::uint32_t side : {0U, 1U}) {
            const std::uint32_t va = genes.adjacent[2 * x + side], vb = genes.adjacent[2 * y + side];
            if (va == kNoGene || vb == kNoGene || (va & 1U) != (vb & 1U)) continue;
            const std::uint32_t a = va / 2, b = vb / 2;
            if (b < genes.ofA || genes.family[a] != genes.family[b]) continue;
            const bool matched = reach == AnchorReach::balanced ? alwaysMatched[a] && alwaysMatched[b]
                                                                : alwaysMatched[a] || alwaysMatched[b];
            if (!matched || partner[a] != kNoGene || partner[b] != kNoGene) continue;
            partner[a] = b;
            partner[b] = a;
            decided.emplace_back(a, b);
            found.push_back({genes.places[a], genes.places[b]});
        }
    }
    return found;
}

}  // namespace rp::model
