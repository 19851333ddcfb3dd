// Reading genomes written in UniMoG, the plain genome format of the DCJ
// tools: which format an input is in, and the genomes of a UniMoG text with
// copy numbers given to every marker, in the form the structures file holds.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "structs/structure.hpp"
#include "unimog/marker_dialect.hpp"

namespace rp::unimog {

// A UniMoG text that cannot be read, or genomes that cannot be carried by the
// format asked for. The message names the input and, for a text, the line.
class UnimogError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Whether an input is a structures file or a result file of resolve-paralogs
// by its content (otherwise it is UniMoG). A structures file begins with its
// family count and a result file with "N;": an input whose first item (after
// an optional UTF-8 byte order mark and blanks) is an integer, alone or
// followed by ";", is one of them; any other input is UniMoG, whose comment
// text before the first genome may hold anything that does not begin so.
bool beginsWithCount(std::string_view text);

// The genomes of a UniMoG text; `name` names the input in messages.
//
// Text before the first line whose first non-blank byte is ">" is a comment,
// and so is every line whose first non-blank bytes are "//". ">" and a name
// (blanks around it dropped) starts a genome. Markers are separated by blanks
// and line breaks; a leading "-" means reverse and a leading "+" forward, and
// blanks may follow the sign on its line. A "|" (linear) or ")" (circular)
// ends a chromosome, alone or at the end of a marker; an unterminated last
// chromosome of a genome is linear, and a terminator with no marker before it
// ends an empty chromosome. A marker "NAME.K" (K decimal digits) is copy K of
// family NAME; any other marker is of the family it names, and these take the
// copies 1, 2, ... in the order they appear in their genome, passing over the
// copies that "NAME.K" markers of that genome use.
//
// Names that the structures file cannot carry are refused: a family name that
// is empty or holds "+", "-", ";" or "." (other than the one before the
// copy), a genome name that is empty or holds a blank. Throws UnimogError
// "NAME: line L: MESSAGE", or "NAME: no genome (no line begins with '>')".
std::vector<Structure> readUnimog(std::string_view text, const std::string& name);

// The same for either dialect of the marker grammar (UniMoG's "|", ")" and
// "//", or GRIMM's "$", "@" and "#").
std::vector<Structure> readMarkers(std::string_view text, const std::string& name, const MarkerDialect& dialect);

}  // namespace rp::unimog
