// Reader of the structures file: the family table header, then the named
// structures with their chromosomes and gene lists.
#pragma once

#include <cstdint>
#include <istream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "structs/structure.hpp"

namespace rp {

// Header table of the structures file: family name to its integer. Read only
// to get past it.
using FamilyTable = std::map<std::string, std::int32_t>;

// Reads the family table from the start of `in`, leaving the stream after it.
// A read that cannot be done puts the stream into its failed state, which
// every later read of this reader (and of readStructures) respects. A stream
// that cannot be read at all (a directory, an I/O error) fails with
// std::runtime_error "failed to read file with initial structs".
FamilyTable readFamilyTable(std::istream& in);

// Reads the structures that follow the family table.
std::vector<Structure> readStructures(std::istream& in);

// Calls `piece` with each gene piece of a gene list, in order: the list is cut
// before every "+", "-" or ";" that is not its first character, and the text
// after the last cut is dropped.
template <class Callback>
void forEachGenePiece(std::string_view list, Callback&& piece) {
    std::size_t start = 0;
    for (std::size_t i = 1; i < list.size(); ++i) {
        const char c = list[i];
        if (c == '+' || c == '-' || c == ';') {
            piece(list.substr(start, i - start));
            start = i;
        }
    }
}

// The gene pieces of a gene list, as forEachGenePiece cuts them.
std::vector<std::string> splitGeneList(std::string_view list);

// Turns one gene piece (sign, family name, ".", copy index) into a gene.
// Throws std::invalid_argument "invalid stoi argument" when no digits follow
// the first "." (or there is no "."), std::out_of_range "stoi argument out of
// range" when the copy index does not fit a signed 32-bit integer.
Gene parseGene(std::string_view piece);

}  // namespace rp
