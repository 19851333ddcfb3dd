// How `paralogs pair` numbers the copies of a pair so that resolve-paralogs
// can always move an unmatched copy of genome A to a free index: it moves
// such copies only to an index from 1 to kCopySlots - 1 that no copy of the
// family uses, and never counts an index from kCopySlots up as used.
#pragma once

#include <string>
#include <vector>

#include "model/matching_model.hpp"
#include "solution/assignment.hpp"
#include "structs/structure.hpp"

namespace rp::pair {

// The families of A and B (both given) whose copies of A the model may leave
// unmatched in greater number than the indices from 1 to kCopySlots - 1 that
// the family leaves free in the two genomes, in the order of A. A family
// whose labels are not all distinct in each genome is left out: the program
// refuses it under its own labels.
std::vector<std::string> familiesShortOfFreeIndices(const Structure& a, const Structure& b,
                                                    const model::MatchingModel& model);

// Numbers the copies of `families` afresh: B's from kCopySlots up, A's after
// B's last, each genome's in the order of their old indices. The indices
// below kCopySlots are then all free, and a copy of A that keeps its index
// never shares a label with B.
void numberCopiesAbove(Structure& a, Structure& b, const std::vector<std::string>& families);

// The families of genome A, renumbered by `decisions` (renumberCopies),
// with more than kCopySlots - 1 copies that no decision matched: some of
// them kept an index of their own, as no free one was left. In the order of A.
std::vector<std::string> familiesWithUnmovedCopies(const Structure& resolvedA, const AssignmentMap& decisions);

}  // namespace rp::pair
