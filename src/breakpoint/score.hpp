// The score of a matching of two genomes by its definition: the reduced
// genomes keep the matched genes, and the score counts the adjacencies and
// telomeres of genome A that the matching carries onto genome B.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/genome_pair.hpp"
#include "model/matching.hpp"
#include "structs/structure.hpp"

namespace rp::model {

// Matchings (GenePlace pairs) and matchByLabels are in model/matching.hpp.

struct Score {
    std::size_t matched = 0;
    std::size_t adjacencies = 0;  // conserved adjacencies
    std::size_t telomeres = 0;    // conserved telomeres
    // 2 x adjacencies + telomeres.
    std::size_t objective() const { return 2 * adjacencies + telomeres; }
    // matched - (adjacencies + telomeres / 2), the breakpoint distance.
    double distance() const;
    friend bool operator==(const Score&, const Score&) = default;
};

// The score of `matching` between `a` and `b`. Throws std::invalid_argument
// when it is not a matching: a place outside its genome, a gene in two
// pairs, or a pair of genes of different families.
Score scoreMatching(const Structure& a, const Structure& b, const Matching& matching);

// The distance with one digit after the point: "3.0", "2.5".
std::string formatDistance(const Score& score);

}  // namespace rp::model
