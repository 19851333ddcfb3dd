// Safe decisions about the DCJ-indel matching made before its program is
// written: pairs of copies that at least one optimal matching of the model
// contains, so that the program may fix them and keep its optimum.
//
// The anchored conserved adjacency: let a_x and b_x be a decided pair (a
// family with one copy in each genome that the model must match, or a pair
// decided by this rule before). If A joins an extremity of a_x to an
// extremity of a_y, and B joins the same extremity of b_x to the same
// extremity of b_y, where a_y and b_y are copies of one family that are
// matched in every matching of the model (every copy of the family in both
// genomes must be matched) and neither is decided yet, then a_y-b_y is
// decided. Why: take an optimal matching with a_y-b_v and a_u-b_y (both
// exist, the copies being always matched) and exchange partners: a_y-b_y,
// a_u-b_v. The conserved adjacency of x and y becomes a cycle of two
// extremity edges without indels (one cycle more) and the rest of the
// component it came from keeps its ends, runs and type; exchanging the other
// extremities' edges is one DCJ on the diagram (at most one cycle less, or
// a change of paths worth at most as much). The distance does not grow, and
// the exchange touches no decided pair, so the rule may be repeated outward
// from every anchor (tandem copies included). The tests check it against the
// least distance over every matching of small pairs (dcj_reductions_test).
#pragma once

#include "model/genome_pair.hpp"
#include "model/matching_model.hpp"
#include "model/score.hpp"

namespace rp::model {

// The pairs the anchored conserved adjacency decides in `pair` under
// `model`, in the order found (outward from the anchors, A's genes in
// order). The anchors themselves (families with one copy in each genome)
// are not listed.
Matching anchoredPairs(const GenomePair& pair, const MatchingModel& model);

}  // namespace rp::model
