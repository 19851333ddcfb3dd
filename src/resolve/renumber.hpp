// Copy renumbering: applies the solution's decisions to the first structure
// and moves its other copies of the families concerned to free copy indices.
#pragma once

#include <array>
#include <map>
#include <string>
#include <vector>

#include "solution/assignment.hpp"
#include "structs/structure.hpp"

namespace rp {

// Number of copy indices a family row records: 0 to 19.
inline constexpr int kCopySlots = 20;

// Per family, which copy indices 0 to 19 are in use in any structure. Indices
// outside that range are not recorded.
using UsedCopyTable = std::map<std::string, std::array<bool, kCopySlots>>;

// Records the copy index of every gene of every structure.
UsedCopyTable buildUsedCopyTable(const std::vector<Structure>& structures);

// Phase 1: every gene of the first structure whose (family, copy) is decided
// takes the decided copy and becomes resolved. Phase 2: every other gene of
// the first structure whose family some decision names moves to the lowest
// copy index from 1 to 19 that its family does not use; with none free it
// keeps its index. Other structures are only read. An empty sequence is left
// as it is.
void renumberCopies(const AssignmentMap& decisions, std::vector<Structure>& structures);

}  // namespace rp
