// The genomes formats of the companion program, told apart by content: the
// structures file and the result file of resolve-paralogs, UniMoG and GRIMM;
// reading any of them and writing the three that can be written.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "structs/structure.hpp"
#include "unimog/unimog_writer.hpp"

namespace rp::formats {

enum class GenomesFileFormat { structures, result, unimog, grimm };

// "structures file", "result file", "UniMoG", "GRIMM".
std::string_view formatName(GenomesFileFormat format);

// What a text is by its content.
enum class TextKind {
    counted,  // a structures or a result file: its first item is an integer
    unimog,
    grimm,
    unknown,  // neither: no first integer and no line beginning with ">"
};

// A text whose first item is an integer (alone or followed by ";") is a
// structures or result file (unimog::recognise). Otherwise, if a line begins
// with ">" (after blanks), it is marker text, and the first chromosome
// terminator of a marker line after that line tells the dialect: "$" or "@"
// GRIMM, "|" or ")" UniMoG. Lines beginning with "#" or "//" are passed over
// there, being comments in one dialect; with no terminator at all, a line
// after the first genome that begins with "#" makes it GRIMM, and otherwise
// it is UniMoG (both dialects then read the same genomes).
TextKind recogniseText(std::string_view text);

// What to do with a text that is none of the formats.
enum class UnknownText {
    readAsStructures,  // the strict reader's message says where it fails
    readAsUnimog,      // UniMoG's: "no genome (no line begins with '>')"
    refuse,            // "NAME: not genomes: ..."
};

struct GenomesRead {
    GenomesFileFormat format = GenomesFileFormat::structures;
    std::vector<Structure> structures;
};

// The genomes of `text` in the format its content shows; `name` names the
// input in messages. Throws std::runtime_error (or unimog::UnimogError, one)
// "NAME: ..." for content that cannot be read.
GenomesRead readAnyGenomes(std::string_view text, const std::string& name, UnknownText unknown);

// The whole of the input at `path` ("-" standard input; decompressed), and the
// name messages give it.
struct InputText {
    std::string name;
    std::string text;
};
InputText readInputText(const std::string& path);

// The formats that can be written: a result file is only ever written by
// resolve-paralogs.
enum class OutputFormat { structures, unimog, grimm };

std::string_view formatName(OutputFormat format);

// Writes `genomes` in `format`. MarkerLabels::families (family names without
// copy indices) applies to UniMoG and GRIMM only: a structures file needs the
// copies, and std::invalid_argument says so. Throws std::invalid_argument or
// unimog::UnimogError, before anything is written, for names the format
// cannot carry.
void writeGenomes(std::ostream& out, const std::vector<Structure>& genomes, OutputFormat format,
                  unimog::MarkerLabels labels);

}  // namespace rp::formats
