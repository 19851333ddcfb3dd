// Genomes written as in the UniMoG format in tests: markers separated by
// blanks, "-" for the reverse strand, "|" ending a linear and ")" a circular
// chromosome, e.g. "1 -2 | 3 )". The k-th occurrence of a marker in a genome
// is copy k of its family.
#pragma once

#include <map>
#include <sstream>
#include <string>
#include <string_view>

#include "structs/structure.hpp"

namespace rp::test {

inline Structure unimog(std::string_view text, std::string name = "g") {
    Structure s;
    s.name = std::move(name);
    std::map<std::string, std::int32_t> copies;
    std::istringstream in{std::string(text)};
    Chromosome chromosome;
    std::string word;
    while (in >> word) {
        if (word == "|" || word == ")") {
            chromosome.circular = word == ")";
            s.chromosomes.push_back(std::move(chromosome));
            chromosome = Chromosome{};
            continue;
        }
        Gene g;
        g.strand = word[0] == '-' ? -1 : 1;
        g.name = word.substr(word[0] == '-' || word[0] == '+' ? 1 : 0);
        g.copy = ++copies[g.name];
        chromosome.genes.push_back(g);
    }
    return s;
}

}  // namespace rp::test
