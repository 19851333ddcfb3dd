#include "model/matching.hpp"

#include <stdexcept>
#include <unordered_map>

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

}  // namespace

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

}  // namespace rp::model
