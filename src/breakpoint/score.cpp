#include "breakpoint/score.hpp"

#include <algorithm>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

namespace rp::model {
namespace {

// Genes of a genome numbered chromosome by chromosome, from 0.
std::vector<std::uint32_t> chromosomeStarts(const Structure& s) {
    std::vector<std::uint32_t> starts;
    std::uint32_t next = 0;
    for (const Chromosome& c : s.chromosomes) {
        starts.push_back(next);
        next += static_cast<std::uint32_t>(c.genes.size());
    }
    starts.push_back(next);
    return starts;
}

std::uint32_t indexOf(const Structure& s, const std::vector<std::uint32_t>& starts, GenePlace place) {
    if (place.chromosome >= s.chromosomes.size() ||
        place.position >= s.chromosomes[place.chromosome].genes.size())
        throw std::invalid_argument("a matched gene lies outside its genome");
    return starts[place.chromosome] + place.position;
}

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

MatchedGenes indexMatching(const Structure& a, const Structure& b, const Matching& matching) {
    MatchedGenes genes{chromosomeStarts(a), chromosomeStarts(b), {}, {}};
    genes.partnerOfA.assign(genes.startsA.back(), kNoPartner);
    genes.partnerOfB.assign(genes.startsB.back(), kNoPartner);
    for (const MatchedPair& pair : matching) {
        const std::uint32_t ga = indexOf(a, genes.startsA, pair.a);
        const std::uint32_t gb = indexOf(b, genes.startsB, pair.b);
        if (genes.partnerOfA[ga] != kNoPartner || genes.partnerOfB[gb] != kNoPartner)
            throw std::invalid_argument("a gene stands in two matched pairs");
        if (a.chromosomes[pair.a.chromosome].genes[pair.a.position].name !=
            b.chromosomes[pair.b.chromosome].genes[pair.b.position].name)
            throw std::invalid_argument("a matched pair joins genes of different families");
        genes.partnerOfA[ga] = gb;
        genes.partnerOfB[gb] = ga;
    }
    return genes;
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

Matching matchByLabels(const GenomePair& pair) {
    struct Label {
        const std::string* family;
        std::int32_t copy;
        bool operator==(const Label& o) const { return copy == o.copy && *family == *o.family; }
    };
    struct LabelHash {
        std::size_t operator()(const Label& l) const {
            return std::hash<std::string>()(*l.family) * 31 + static_cast<std::size_t>(l.copy);
        }
    };
    struct Places {
        GenePlace first;
        std::uint32_t count = 0;
    };
    const auto collect = [](const Structure& s) {
        std::unordered_map<Label, Places, LabelHash> labels;
        for (std::uint32_t c = 0; c < s.chromosomes.size(); ++c)
            for (std::uint32_t p = 0; p < s.chromosomes[c].genes.size(); ++p) {
                const Gene& g = s.chromosomes[c].genes[p];
                Places& places = labels[Label{&g.name, g.copy}];
                if (places.count++ == 0) places.first = GenePlace{c, p};
            }
        return labels;
    };
    const auto labelsA = collect(*pair.a);
    const auto labelsB = collect(*pair.b);
    Matching matching;
    // In A's order, so that the first label refused is the first in A.
    for (std::uint32_t c = 0; c < pair.a->chromosomes.size(); ++c)
        for (std::uint32_t p = 0; p < pair.a->chromosomes[c].genes.size(); ++p) {
            const Gene& g = pair.a->chromosomes[c].genes[p];
            const Label label{&g.name, g.copy};
            const auto inB = labelsB.find(label);
            if (inB == labelsB.end()) continue;
            const Places& inA = labelsA.at(label);
            const bool twiceInA = inA.count > 1;
            if (twiceInA || inB->second.count > 1)
                throw std::runtime_error("label " + g.name + "." + std::to_string(g.copy) +
                                         " occurs twice in " + describeGenome(pair, twiceInA));
            matching.push_back(MatchedPair{GenePlace{c, p}, inB->second.first});
        }
    return matching;
}

std::string formatDistance(const Score& score) {
    // The distance is a whole number or a half.
    const std::size_t twice = 2 * score.matched - 2 * score.adjacencies - score.telomeres;
    return std::to_string(twice / 2) + (twice % 2 != 0 ? ".5" : ".0");
}

}  // namespace rp::model
