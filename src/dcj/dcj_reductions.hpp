// Safe decisions about the DCJ-indel matching made before its program is
// written: pairs of copies that at least one optimal matching of the model
// contains, so that the program may fix them and keep its optimum.
//
// The anchored conserved adjacency: let a_x and b_x be a decided pair (a
// family with one copy in each genome that the model must match, or a pair
// decided by this rule before). If A joins an extremity of a_x to an
// extremity of a_y, and B joins the same extremity of b_x to the same
// extremity of b_y, where a_y and b_y are undecided copies of one family,
// then a_y-b_y is decided when
//   - (balanced) both are matched in every matching of the model (the model
//     must match every copy of the family in both genomes). Why: take an
//     optimal matching with a_y-b_v and a_u-b_y and exchange partners
//     (a_y-b_y, a_u-b_v). The conserved adjacency of x and y becomes a cycle
//     of two extremity edges without indels (one cycle more) and the rest of
//     the component it came from keeps its ends and runs; exchanging the
//     other extremities' edges is one DCJ on the diagram (at most one cycle
//     less, or a change of paths worth no more). The distance does not grow
//     and no decided pair moves, so the rule repeats outward from every
//     anchor (tandem copies included);
//   - (unbalanced) one of them is matched in every matching of the model (its
//     family's copies in its genome are all matched) and the other may stay
//     unmatched. The exchange above then moves an indel from one copy to
//     another, which the argument does not cover: this reach rests on the
//     enumeration alone (dcj_reductions_test checks both reaches against the
//     least distance over every matching of thousands of small pairs).
#pragma once

#include "model/genome_pair.hpp"
#include "model/matching_model.hpp"
#include "model/matching.hpp"

namespace rp::model {

// The pairs the anchored conserved adjacency decides in `pair` under
// `model` (the balanced reach by default; the unbalanced one, both cases
// above, only when asked: it rests on enumeration alone), in the order found (outward from the anchors, A's genes in
// order). The anchors themselves (families with one copy in each genome)
// are not listed.
enum class AnchorReach { balanced, unbalanced };
Matching anchoredPairs(const GenomePair& pair, const MatchingModel& model,
                       AnchorReach reach = AnchorReach::balanced);

}  // namespace rp::model
