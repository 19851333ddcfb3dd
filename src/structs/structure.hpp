// The in-memory form of the structures file: genomes made of chromosomes made
// of signed, copy-indexed genes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rp {

// One signed occurrence of a gene: family name plus copy index.
struct Gene {
    std::string name;
    std::int32_t copy = 0;
    std::int32_t strand = 1;  // -1 reverse, +1 forward
    bool resolved = false;    // the solution assigned this gene's copy index
};

struct Chromosome {
    bool circular = false;
    std::vector<Gene> genes;
};

// One genome.
struct Structure {
    std::vector<Chromosome> chromosomes;
    std::int32_t headerNumber = 0;  // kept as read, never written
    std::string name;
};

}  // namespace rp
