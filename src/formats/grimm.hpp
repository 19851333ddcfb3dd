// Genomes in GRIMM, the text of GRIMM, MGR, MLGO and other rearrangement
// tools: ">NAME" starts a genome, "#" lines are comments, each chromosome is
// its signed markers ending in "$" (linear) or "@" (circular).
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "structs/structure.hpp"
#include "unimog/unimog_writer.hpp"

namespace rp::formats {

// The genomes of a GRIMM text; `name` names the input in messages. The rules
// are UniMoG's (unimog/unimog_reader.hpp) with "$" and "@" for "|" and ")"
// and "#" for "//": text before the first genome and lines whose first
// non-blank byte is "#" are comments; a chromosome may span lines and ends at
// its terminator (alone or at the end of its last marker); an unterminated
// last chromosome of a genome is linear; a marker "NAME.K" is copy K of NAME,
// other markers (GRIMM's signed integers "3", "-12") take the copies 1, 2,
// ... of their family in order. Throws unimog::UnimogError
// "NAME: line L: MESSAGE".
std::vector<Structure> readGrimm(std::string_view text, const std::string& name);

// Writes `genomes` as GRIMM: ">NAME", then a line per chromosome, markers
// separated by single blanks, reverse ones with a leading "-", ending in
// " $" or " @". Throws unimog::UnimogError before writing anything for a name
// GRIMM cannot carry.
void writeGrimm(std::ostream& out, const std::vector<Structure>& genomes,
                unimog::MarkerLabels labels = unimog::MarkerLabels::familyAndCopy);

}  // namespace rp::formats
