// The DCJ-indel distance of two genomes for a fixed matching: matched genes
// are common markers, every other gene is singular and is deleted (A) or
// inserted (B). Computed in linear time from the components of the
// relational diagram, without capping.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/matching.hpp"
#include "structs/structure.hpp"

namespace rp::model {

// The terms of
//   distance = matched - cycles + ceil((pab + max(pAa, pBa) + max(pAb, pBb) - pAB) / 2) + singletons.
// A piece of a path or cycle lies between two runs of indel edges, or
// between a telomere and the nearest run; pXy counts pieces from a telomere
// of genome X to a run of genome y, pab the pieces between an A-run and a
// B-run, pAB the paths from a telomere of A to one of B without indel edge.
struct DcjScore {
    std::size_t matched = 0;     // n: matched pairs
    std::size_t deleted = 0;     // genes of A with no partner
    std::size_t inserted = 0;    // genes of B with no partner
    std::size_t cycles = 0;      // c: cycles without an indel edge
    std::size_t singletons = 0;  // s: circular chromosomes made only of unmatched genes
    std::size_t pab = 0, pAa = 0, pAb = 0, pBa = 0, pBb = 0, pAB = 0;
    std::int64_t distance = 0;
    friend bool operator==(const DcjScore&, const DcjScore&) = default;
};

// The DCJ-indel distance of `a` and `b` under `matching` (the same Matching of
// GenePlace pairs that scoreMatching takes, src/model/matching.hpp); genes outside
// the matching are singular. Throws std::invalid_argument for what is not a
// matching, as scoreMatching does.
DcjScore scoreDcj(const Structure& a, const Structure& b, const Matching& matching);

}  // namespace rp::model
