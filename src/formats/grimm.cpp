#include "formats/grimm.hpp"

#include "unimog/unimog_reader.hpp"

namespace rp::formats {

std::vector<Structure> readGrimm(std::string_view text, const std::string& name) {
    return unimog::readMarkers(text, name, unimog::kGrimmDialect);
}

void writeGrimm(std::ostream& out, const std::vector<Structure>& genomes, unimog::MarkerLabels labels) {
    unimog::writeMarkers(out, genomes, unimog::kGrimmDialect, labels);
}

}  // namespace rp::formats
