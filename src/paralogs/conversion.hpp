// Converting genomes between their formats, as `paralogs convert` and
// `paralogs unimog` do: the input read in whatever format its content shows,
// written in the format asked for, and two summary lines.
#pragma once

#include <optional>
#include <string>

#include "formats/genomes_formats.hpp"
#include "paralogs/command.hpp"

namespace rp::paralogs {

struct ConversionRequest {
    std::string input;
    std::string output;
    // The format to write; none for `paralogs unimog`'s rule (a structures or
    // result file becomes UniMoG, marker text a structures file).
    std::optional<GenomeFormat> to;
    unimog::MarkerLabels labels = unimog::MarkerLabels::familyAndCopy;
    io::InputOptions inputOptions;  // the bound on the input
};

// Reads, writes and prints "paralogs NAME: FROM -> TO" and the counts of
// genomes, chromosomes, genes and families. Throws std::runtime_error
// "IN: MESSAGE" when the input cannot be read or its names cannot be written
// in the format asked for (the output then left as it was).
void convertGenomes(const CommandInfo& command, const ConversionRequest& request);

}  // namespace rp::paralogs
