// How much two genomes of a collection share: their distinct families in
// both, over the distinct families of the genome with fewer (containment)
// and over those of either (Jaccard). Pairs are found through an inverted
// index from families to the genomes holding them, so the work grows with
// the pairs that share a family, not with all pairs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "collection/genome_collection.hpp"
#include "structs/structure.hpp"

namespace rp::collection {

// The distinct families of each genome, as sorted family numbers.
struct FamilySets {
    std::vector<std::vector<std::uint32_t>> ofGenome;
    std::size_t families = 0;  // family numbers run from 0 to families - 1
};

FamilySets familySets(const std::vector<Structure>& genomes);

// Leaves out of every genome's set the families found in more than
// `maxShare` of the genomes (mobile elements shared by most of a
// collection); returns how many families were left out. A share of 1
// leaves none out.
std::size_t dropCommonFamilies(FamilySets& sets, double maxShare);

struct RelatedPair {
    std::uint32_t a = 0, b = 0;  // genome indices, a < b
    std::uint32_t shared = 0;    // distinct families in both
    double containment = 0;      // shared / the fewer distinct families
    double jaccard = 0;          // shared / distinct families in either
};

// shared / min(inA, inB) and shared / (inA + inB - shared).
double containmentOf(std::size_t shared, std::size_t inA, std::size_t inB);
double jaccardOf(std::size_t shared, std::size_t inA, std::size_t inB);

// Called now and then with the genomes done and the pairs kept so far.
using RelatednessProgress = std::function<void(std::size_t done, std::size_t total, std::size_t kept)>;

struct Relatedness {
    std::vector<RelatedPair> kept;  // ordered by a, then b
    std::size_t sharing = 0;        // pairs that share at least one family, kept or not
};

// Every pair that shares at least one family and whose containment is at
// least `minContainment`.
Relatedness relatedPairs(const FamilySets& sets, double minContainment, const RelatednessProgress& progress = {});

// The sheet of pairs: header "pair genomes a b containment jaccard", one
// line per pair, names made unique as the workflow makes them, numbers with
// six decimals. `genomesColumn[f]` is what the genomes column says for a
// pair whose genomes both come from file f. Throws std::runtime_error for a
// genome name a sheet cannot carry (a tab or a line break in it).
void writeRelatedSheet(std::ostream& out, const GenomeCollection& collection,
                       const std::vector<std::string>& genomesColumn, const std::vector<RelatedPair>& pairs);

}  // namespace rp::collection
