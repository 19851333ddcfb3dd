#include "genomes/genome_format.hpp"

namespace rp {

std::string_view genomeFormatName(GenomeFormat format) {
    switch (format) {
        case GenomeFormat::structures: return "structures file";
        case GenomeFormat::result: return "result file";
        case GenomeFormat::unimog: return "UniMoG";
        case GenomeFormat::grimm: return "GRIMM";
    }
    return "";
}

}  // namespace rp
