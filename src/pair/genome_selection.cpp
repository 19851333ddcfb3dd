#include "pair/genome_selection.hpp"

#include <stdexcept>

#include "formats/genomes_formats.hpp"

namespace rp::pair {

std::vector<Structure> readAnyGenomes(const std::string& path, const io::InputOptions& options) {
    const formats::InputText input = formats::readInputText(path, options);
    return formats::readAnyGenomes(input.text, input.name, formats::UnknownText::readAsStructures).structures;
}

}  // namespace rp::pair
