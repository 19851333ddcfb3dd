// The reduced DCJ-indel matching program: an integer program whose optimum
// is the DCJ-indel distance of two genomes minimised over the matchings a
// model allows, without capping (telomeres stay path ends and the paths are
// counted by type), with everything no choice of matching can change decided
// before the program is written:
//   - a family with one copy in each genome that the model must match is
//     matched: its z_F.I.J is a column fixed to 1 by its bounds (so that the
//     solver's answer still names it for resolve-paralogs), counted in the
//     objective and in no row; a copy that the model must match has no indel edge;
//   - a pair of copies that the anchored conserved adjacency decides
//     (dcj_reductions.hpp) is fixed the same way, and taken out of its
//     family's free copies and range of pairs;
//   - the edges no choice touches (adjacencies, the extremity edges of those
//     pairs, the indel edges of copies that stay unmatched) are contracted
//     into segments between the extremities that have a choice; a segment
//     brings its indel runs, and a cycle or a path made only of such edges
//     its counts, as constants inside the count expressions;
//   - components are labelled (cycles without indel edge counted through the
//     smallest label), run parities change only where an A-adjacency may
//     carry the change, and telomeres report the run they see.
// The objective is  sum of z - cycle representatives + q + singletons, with
// 2q >= pab + max(pAa, pBa) + max(pAb, pBb) - pAB + 2 x (the constants:
// decided singletons - decided cycles without indel edge), q a general integer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/dcj_reductions.hpp"
#include "model/genome_pair.hpp"
#include "model/lp_program.hpp"
#include "model/matching_model.hpp"
#include "model/score.hpp"

namespace rp::model {

// What the builder decided, for the summary and the tests.
struct DcjReducedCounts {
    std::size_t families = 0;       // families with genes in both genomes
    std::size_t fixedPairs = 0;     // pairs decided before the program (z fixed to 1)
    std::size_t anchoredPairs = 0;  // of them, decided by the anchored conserved adjacency
    std::size_t freeZ = 0;          // z columns left to the solver
    std::size_t segments = 0;       // segments between free extremities or telomeres
    std::size_t fixedCycles = 0;    // cycles made only of decided edges
    std::size_t fixedPaths = 0;     // paths made only of decided edges
    std::int64_t constant = 0;      // decided singletons - decided cycles without indel edge
};

// The program with what the warm start needs to value every column.
struct DcjReducedProgram {
    LpProgram lp;
    DcjReducedCounts counts;
    struct Diagram;  // the contracted relational diagram (opaque)
    std::shared_ptr<const Diagram> diagram;
};

// What the builder may decide beyond the model's forced pairs.
struct DcjReducedOptions {
    bool anchored = true;            // the anchored conserved adjacency (dcj_reductions.hpp)
    bool anchoredUnbalanced = true;  // with its unbalanced reach
};

// Builds the program of `pair` under `model`. Throws std::runtime_error for a
// pair it refuses: a label of a family in both genomes twice in one genome, a
// family name that cannot stand in an LP name or is too long.
DcjReducedProgram buildDcjReducedProgram(const GenomePair& pair, const MatchingModel& model,
                                         const DcjReducedOptions& options = {});

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
// the distance (scoreDcj).
Matching greedyDcjMatching(const GenomePair& pair, const MatchingModel& model);

}  // namespace rp::model
