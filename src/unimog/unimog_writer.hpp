// Writing genomes as UniMoG text, the plain genome format of the DCJ tools.
#pragma once

#include <ostream>
#include <vector>

#include "structs/structure.hpp"

namespace rp::unimog {

// Writes `genomes` as UniMoG: a line ">NAME" per genome, then one line per
// chromosome with its markers "F.K" (reverse ones "-F.K") separated by single
// blanks and ending in " |" (linear) or " )" (circular); an empty chromosome
// is a line "|" or ")". A forward marker that begins a line and whose family
// begins with ">" or "//" is written "+F.K", so that it is not read as a
// genome or a comment. What is written reads back (readUnimog) to the same
// genomes. Throws UnimogError naming the genome and the name, before anything
// is written, for a name that text cannot carry: a genome name that is empty
// or holds a blank, a family name that is empty or holds a blank, "+", "-",
// ";" or ".", a negative copy index.
void writeUnimog(std::ostream& out, const std::vector<Structure>& genomes);

}  // namespace rp::unimog
