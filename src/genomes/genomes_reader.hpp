// Reading genomes for the companion program: a structures file or a result
// file of resolve-paralogs, told apart by content, and every read that fails
// reported with where it failed instead of being passed over.
#pragma once

#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "genomes/genome_format.hpp"
#include "structs/structure.hpp"

namespace rp {

struct Genomes {
    GenomeFormat format = GenomeFormat::structures;  // structures or result
    std::vector<Structure> structures;
};

// Reads the genomes in `in`; `name` names the input in messages. A result
// file is recognised by its first line, "N;". Throws std::runtime_error
// "NAME: line L: WHERE: MESSAGE" for content that cannot be read, naming
// the structure (its number from 1 and its name), the chromosome and the
// gene where there is one, e.g. "in.txt: line 7: structure 2 (g2),
// chromosome 1: expected a gene count, found the end of the file".
//
// A structures file is read by the rules of resolve-paralogs' reader (items
// separated by blanks, a separator is any one character, the family table
// is read past), except that nothing is passed over: a count that is not a
// number or is negative, a file that ends before its declared structures or
// chromosomes, a gene without its sign, a copy index that is not all digits
// or does not fit 32 bits, and a gene list that does not end with ";" are
// all refused. A result file must also give each chromosome's type as C or
// L and its actual gene count, and hold nothing after its last structure.
Genomes readGenomes(std::istream& in, const std::string& name);

// The same on text already in memory.
Genomes readGenomesText(std::string_view text, const std::string& name);

// Which of the two readGenomesText takes the text for: result when its first
// item is a count followed by ";", structures otherwise.
GenomeFormat countedTextFormat(std::string_view text);

}  // namespace rp
