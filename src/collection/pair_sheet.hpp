// The sheet of pairs that `paralogs pair --pairs` runs and `paralogs
// related` writes: tab-separated, a header line naming the columns (pair and
// genomes required; a and b optional; any other column passed over), then
// one pair per line. Lines beginning with "#" and blank lines are passed
// over; values are stripped of surrounding blanks; a line with fewer fields
// than the header has the rest empty.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

namespace rp::collection {

struct SheetRow {
    std::size_t line = 0;  // in the sheet, from 1
    std::string pair;      // unique within the sheet, usable as a directory name
    std::string genomes;   // a genomes file, relative to the sheet's folder; empty: the collection
    std::string a, b;      // both or neither; neither: the file's first two genomes
};

// Reads a sheet; `name` names it in messages. Throws std::runtime_error
// "NAME line N: ..." for a line it cannot use: a header without the pair or
// genomes column, with a column twice or with only one of a and b, more fields than the header, a
// pair name that is empty, not [A-Za-z0-9._-] or "." or "..", a pair named
// twice, a row naming one genome only or one genome twice, and a row with
// neither a genomes file nor genome names; "NAME: empty ..." without a header.
std::vector<SheetRow> readPairSheet(std::istream& in, const std::string& name);

}  // namespace rp::collection
