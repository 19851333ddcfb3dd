// A matching of two genomes: pairs of genes by their places, indexed into
// each gene's partner, and the matching of equal labels. What every
// distance scores and every program's answer says.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/genome_pair.hpp"
#include "structs/structure.hpp"

namespace rp::model {

// A gene by its place: chromosome and position in it, from 0.
struct GenePlace {
    std::uint32_t chromosome = 0;
    std::uint32_t position = 0;
    friend bool operator==(const GenePlace&, const GenePlace&) = default;
};

// A gene of A matched to a gene of B.
struct MatchedPair {
    GenePlace a;
    GenePlace b;
};

using Matching = std::vector<MatchedPair>;

inline constexpr std::uint32_t kNoPartner = UINT32_MAX;

// The genes of A and of B numbered chromosome by chromosome, from 0, and the
// partner each has under a matching.
struct MatchedGenes {
    std::vector<std::uint32_t> startsA, startsB;        // number of each chromosome's first gene, then the count
    std::vector<std::uint32_t> partnerOfA, partnerOfB;  // kNoPartner for an unmatched gene
};

// The partners of `matching`. Throws std::invalid_argument when it is not a
// matching: a place outside its genome, a gene in two pairs, or a pair of
// genes of different families.
MatchedGenes indexMatching(const Structure& a, const Structure& b, const Matching& matching);

// Pairs the genes of A and B with equal labels (family, copy); a label in
// one genome only leaves its gene unmatched. Throws std::runtime_error
// "label F.K occurs twice in genome A (structure 1, NAME)" for a label that
// is in both genomes and twice in one.
Matching matchByLabels(const GenomePair& pair);

}  // namespace rp::model
