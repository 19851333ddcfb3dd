// A pair whose program leaves no choice of matching: every family in both
// genomes either has one copy in each genome that the model must match, or
// may not be matched at all. Its matching is the forced one and is known
// without a solver; this unit tells such pairs and writes their answer as a
// solver would (a CPLEX XML solution, status "optimal"), so that the rest of
// the road takes it like any other.
#pragma once

#include <optional>
#include <ostream>

#include "model/genome_pair.hpp"
#include "model/matching_model.hpp"
#include "model/score.hpp"

namespace rp::pair {

// The solver column and the status of an answer written here.
inline constexpr const char* kNoSolver = "none";
inline constexpr const char* kForcedStatus = "optimal: no free choice after the reductions";

// The one matching of `pair` under `model` when the model leaves no choice
// (see above), nothing otherwise.
std::optional<model::Matching> forcedMatching(const model::GenomePair& pair, const model::MatchingModel& model);

// Writes the answer: z_F.I.J = 1 for every pair of `matching` (I the copy of
// A's gene, J of B's), the objective `objective`.
void writeForcedAnswer(std::ostream& out, const model::GenomePair& pair, const model::Matching& matching,
                       double objective);

}  // namespace rp::pair
