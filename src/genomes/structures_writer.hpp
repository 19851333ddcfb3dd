// Writing genomes as a structures file, the input of resolve-paralogs, in the
// layout of the shipped example, and the names that file can carry.
#pragma once

#include <ostream>
#include <string_view>
#include <vector>

#include "structs/structure.hpp"

namespace rp {

// Why a structures file cannot carry `family` as a family name ("an empty
// family name", "'+' in a family name", ...), or nullptr when it can. Blanks
// end items; "+", "-" and ";" cut gene lists; the first "." ends the name.
const char* familyNameProblem(std::string_view family);

// Why a structures file cannot carry `name` as a genome name (empty, or
// holding a blank), or nullptr when it can.
const char* genomeNameProblem(std::string_view name);

// Writes `genomes` as a structures file: the family table (every family once,
// in the order of its first gene, with its largest copy index), the genome
// count, then each genome as "NAME 0 ; CHROMOSOMES ;" and one line per
// chromosome, "C" (circular) or "L" (linear), its gene count, ":" and its
// genes "+F.K" / "-F.K" ending in ";". The file reads back to the same
// genomes. Throws std::invalid_argument naming the genome and the name when a
// name cannot be carried or a copy index is negative, before anything is
// written.
void writeStructures(std::ostream& out, const std::vector<Structure>& genomes);

}  // namespace rp
