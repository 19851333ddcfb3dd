// The warm start of the reduced DCJ-indel program: a good matching computed
// directly (greedy, then improved by exchanges), the value of every column
// of the program at a matching, and the start file CBC reads (mipstart), so
// that a solver has an answer and an upper bound from its first second.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <vector>

#include "model/matching.hpp"
#include "dcj/dcj_reduced_program.hpp"
#include "model/genome_pair.hpp"
#include "model/matching_model.hpp"

namespace rp::model {

// The value of every column of the program at `matching` (a matching of the
// model, of the pair the program was built for): the z of its pairs at 1 and every other column as the walk of the
// relational diagram gives it. Its objective is the DCJ-indel distance of the
// matching. Throws std::invalid_argument when `matching` pairs genes that
// the program cannot pair.
std::vector<std::int64_t> dcjStartValues(const DcjReducedProgram& program, const GenomePair& pair,
                                         const Matching& matching);

// A good matching of the model computed directly: the anchored pairs
// (dcj_reductions.hpp), which it keeps; in each family the pairs whose
// neighbours agree first (greedy), as many as the model allows; then
// one pass in which two pairs of a family exchange partners when that lowers
// the distance (scoreDcj). Under a model that lets every family take its
// most pairs (intermediate), the shortest of that, the same greedy guided by
// the pairs the maximum model decides (those that meet no decided gene), and
// the maximum model's greedy matching where it keeps the model's decided pairs.
Matching greedyDcjMatching(const GenomePair& pair, const MatchingModel& model);

// What writeDcjStart wrote: the distance of its matching (the program's
// objective there) and its pairs.
struct StartValues {
    std::int64_t distance = 0;
    std::size_t pairs = 0;
};

// Writes the greedy matching's values as a start CBC reads (mipstart).
StartValues writeDcjStart(std::ostream& out, const DcjReducedProgram& program, const GenomePair& pair,
                          const MatchingModel& model);

}  // namespace rp::model
