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
//   - (unbalanced) one of them, say a_y, is matched in every matching of the
//     model (its family's copies in A are all matched) and b_y may stay
//     unmatched. An optimum where b_y has a partner is the case above. Else
//     it has a_y-b_v with b_y unmatched; exchange (a_y-b_y, b_v unmatched,
//     a matching of the model: the family keeps its number of pairs). That
//     is the old matching with b_v and b_y exchanged in B, reached by two
//     DCJs on B. The first cuts b_x|b_y and the adjacency at b_v's extremity
//     e (the one of b_y's kind that meets b_x) and joins b_x|b_v at e: the
//     stretch e a_y a_x b_x leaves its component as a cycle of two extremity
//     edges without indels, the component keeps its runs and ends, and the
//     distance falls by exactly 1. The second joins b_y's other extremity
//     and b_v's to each other's old neighbours: one DCJ, 1 more at most.
//     When b_y's other extremity is joined to e in B (b_x b_y b_v), the
//     first would leave b_y as a circle; there, compare with B plus a new
//     gene inserted at b_v's other extremity instead (one indel, 1 more at
//     most): the new matching differs from it only in the cycle b_x b_y b_v
//     a_y a_x, of one run, becoming a cycle without indels (1 less). The
//     distance does not grow, no decided pair moves, and the mirror case
//     (b_y always matched) is the same with the genomes exchanged.
#pragma once

#include "model/genome_pair.hpp"
#include "model/matching_model.hpp"
#include "model/matching.hpp"

namespace rp::model {

// The pairs the anchored conserved adjacency decides in `pair` under
// `model` (both reaches by default; the balanced one alone when asked), in
// the order found (outward from the anchors, A's genes in order). The
// anchors themselves (families with one copy in each genome) are not listed.
enum class AnchorReach { balanced, unbalanced };
Matching anchoredPairs(const GenomePair& pair, const MatchingModel& model,
                       AnchorReach reach = AnchorReach::unbalanced);

}  // namespace rp::model
