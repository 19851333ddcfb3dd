// The formats genomes come in, named once for every reader, writer and
// message of the companion program.
#pragma once

#include <string_view>

namespace rp {

enum class GenomeFormat {
    structures,  // the structures file resolve-paralogs reads
    result,      // the result file resolve-paralogs writes (read, never written here)
    unimog,
    grimm,
};

// "structures file", "result file", "UniMoG", "GRIMM".
std::string_view genomeFormatName(GenomeFormat format);

}  // namespace rp
