// The genomes formats of the companion program, told apart by content: the
// structures file and the result file of resolve-paralogs, UniMoG and GRIMM;
// reading any of them and writing the three that can be written.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "genomes/genome_format.hpp"
#include "io/input_file.hpp"
#include "structs/structure.hpp"
#include "unimog/unimog_writer.hpp"

namespace rp::formats {

// The format of a text by its content; none when it is neither a counted
// text (no first integer) nor marker text (no line beginning with ">").
//
// A text whose first item is an integer (alone or followed by ";") is a
// structures or result file (unimog::beginsWithCount; which one as
// countedTextFormat says). Otherwise, if a line begins
// with ">" (after blanks), it is marker text, and the first chromosome
// terminator of a marker line after that line tells the dialect: "$" or "@"
// GRIMM, "|" or ")" UniMoG. Lines beginning with "#" or "//" are passed over
// there, being comments in one dialect; with no terminator at all, a line
// after the first genome that begins with "#" makes it GRIMM, and otherwise
// it is UniMoG (both dialects then read the same genomes).
std::optional<GenomeFormat> recogniseText(std::string_view text);

// What to do with a text that is none of the formats.
enum class UnknownText {
    readAsStructures,  // the strict reader's message says where it fails
    readAsUnimog,      // UniMoG's: "no genome (no line begins with '>')"
    refuse,            // "NAME: not genomes: ..."
};

struct GenomesRead {
    GenomeFormat format = GenomeFormat::structures;
    std::vector<Structure> structures;
};

// The genomes of `text` in the format its content shows; `name` names the
// input in messages. Throws std::runtime_error (or unimog::UnimogError, one)
// "NAME: ..." for content that cannot be read.
GenomesRead readAnyGenomes(std::string_view text, const std::string& name, UnknownText unknown);

// The whole of the input at `path` ("-" standard input; decompressed, within
// the bound of `options`), and the name messages give it.
struct InputText {
    std::string name;
    std::string text;
};
InputText readInputText(const std::string& path, const io::InputOptions& options);

// Writes `genomes` in `format`: structures, UniMoG or GRIMM (a result file
// is only ever written by resolve-paralogs: std::invalid_argument). MarkerLabels::families (family names without
// copy indices) applies to UniMoG and GRIMM only: a structures file needs the
// copies, and std::invalid_argument says so. Throws std::invalid_argument or
// unimog::UnimogError, before anything is written, for names the format
// cannot carry.
void writeGenomes(std::ostream& out, const std::vector<Structure>& genomes, GenomeFormat format,
                  unimog::MarkerLabels labels);

}  // namespace rp::formats
