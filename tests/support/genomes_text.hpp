// Genomes as one line of text each, for comparing them in tests:
// "NAME: L[+a.1 -b.2] C[...]".
#pragma once

#include <string>
#include <vector>

#include "structs/structure.hpp"

namespace rp::test {

inline std::string describe(const std::vector<Structure>& genomes) {
    std::string s;
    for (const Structure& genome : genomes) {
        s += genome.name + ":";
        for (const Chromosome& chromosome : genome.chromosomes) {
            s += chromosome.circular ? " C[" : " L[";
            bool first = true;
            for (const Gene& gene : chromosome.genes) {
                if (!first) s += ' ';
                first = false;
                s += gene.strand < 0 ? '-' : '+';
                s += gene.name + "." + std::to_string(gene.copy);
            }
            s += "]";
        }
        s += "\n";
    }
    return s;
}

}  // namespace rp::test
