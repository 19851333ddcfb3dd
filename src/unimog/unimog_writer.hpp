// Writing genomes as UniMoG text, the plain genome format of the DCJ tools.
#pragma once

#include <ostream>
#include <vector>

#include "structs/structure.hpp"
#include "unimog/marker_dialect.hpp"

namespace rp::unimog {

// Writes `genomes` as UniMoG: a line ">NAME" per genome, then one line per
// chromosome with its markers "F.K" (reverse ones "-F.K") separated by single
// blanks and ending in " |" (linear) or " )" (circular); an empty chromosome
// is a line "|" or ")". A forward marker that begins a line and whose family
// begins with ">", "//" or "#" is written "+F.K", so that it is not read as a
// genome or a comment. What is written reads back (readUnimog) to the same
// genomes. Throws UnimogError naming the genome and the name, before anything
// is written, for a name that text cannot carry: a genome name that is empty
// or holds a blank, a family name that is empty or holds a blank, "+", "-",
// ";" or ".", a negative copy index.
void writeUnimog(std::ostream& out, const std::vector<Structure>& genomes);

// What a marker names: family and copy ("a.2"), or the family alone ("a"),
// for tools that match the copies themselves.
enum class MarkerLabels { familyAndCopy, families };

// The same in either dialect (GRIMM ends chromosomes in " $" and " @" and
// writes "+" before a first marker whose family begins with ">" or "#"). With
// MarkerLabels::families the copies are left out, and a family whose name
// ends in a terminator is refused (it would end the chromosome); read back,
// the markers of a family then take the copies 1, 2, ... in order.
void writeMarkers(std::ostream& out, const std::vector<Structure>& genomes, const MarkerDialect& dialect,
                  MarkerLabels labels);

}  // namespace rp::unimog
