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
//
// Columns (N: the segment's number, from 1; all binary unless said):
//   z_F.I.J  copy I of F in A matched to copy J in B (decided pairs: fixed to 1)
//   yN       integer 0..id: the label of run-free segment N (0 on a path with runs)
//   pN, pNe  the run parity (0 A, 1 B) at the first end of segment N and, when
//            a run may change inside it, at its other end
//   rN       0..1: the parity changes along segment N (r >= |pN - pNe|)
//   kN       the value a run-free path carries from its ends (1 at a telomere
//            of B, gN at one of A), equal along its chosen edges
//   cN       segment N represents a cycle without indel edge (its smallest label)
//   fN       telomere segment N begins a run-free path
//   aN, bN   0..1: telomere segment N sees a run of A, of B
//   gN       telomere segment N of A takes the credit of a run-free path to B
//            (it has the smallest label on it)
//   sK       0..1: circular chromosome K (among those whose genes may all stay
//            unmatched) is wholly unmatched, a singleton
//   Pa, Pb   the counts of telomeres seeing runs of A, of B (continuous, >= 0)
//   q        integer, free: half the path term of the distance
// Rows: count_ (pairs of a family), deg_ (a gene in one pair at most), chg_
// (rN), rep_ and cyc_ (cN), free_ (fN), sees_ (aN, bN), credit_ (gN), par_,
// lab_ and k_ (parity, label and k along a chosen extremity edge), ind_
// (parity of a chosen indel edge), zero_ (label 0 next to a run), sing_ (sK),
// ends_ (Pa, Pb) and q_ (q).
// Constants of the decided parts (in the program's builder): constPathsAB, the
// decided paths from a telomere of A to one of B without runs (pAB);
// constRunChanges, the changes between runs along decided segments and paths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dcj/dcj_reductions.hpp"
#include "model/genome_pair.hpp"
#include "lp/lp_program.hpp"
#include "model/matching_model.hpp"
#include "model/matching.hpp"

namespace rp::model {

using lp::LpProgram;

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

// What the builder may decide beyond the model's forced pairs: the anchored
// conserved adjacency (dcj_reductions.hpp) and how far it reaches.
struct DcjReducedOptions {
    bool anchored = true;
    AnchorReach reach = AnchorReach::unbalanced;
};

// Builds the program of `pair` under `model`. Throws std::runtime_error for a
// pair it refuses: a label of a family in both genomes twice in one genome, a
// family name that cannot stand in an LP name or is too long.
DcjReducedProgram buildDcjReducedProgram(const GenomePair& pair, const MatchingModel& model,
                                         const DcjReducedOptions& options = {});

// Its warm start (a greedy matching and its values) is in dcj_warm_start.hpp.

}  // namespace rp::model
