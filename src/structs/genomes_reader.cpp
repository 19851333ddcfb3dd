#include "structs/genomes_reader.hpp"

#include <stdexcept>

#include "structs/structs_reader.hpp"

namespace rp {

Genomes readGenomes(std::istream& in, const std::string& name) {
    Genomes genomes;
    readFamilyTable(in);
    genomes.structures = readStructures(in);
    if (in.fail()) throw std::runtime_error(name + ": the structures file cannot be read");
    return genomes;
}

}  // namespace rp
