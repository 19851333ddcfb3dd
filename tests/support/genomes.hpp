// The one notation of genomes in tests: chromosomes separated by blanks, each
// "L:" (linear) or "C:" (circular) and its genes as in a gene list, e.g.
// "L:+a.1-b.2 C:+c.1". genome() reads it, describe() writes genomes in it
// for comparing them, structuresFile() writes genomes as a structures file.
#pragma once

#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "structs/structure.hpp"
#include "structs/structs_reader.hpp"

namespace rp::test {

inline Structure genome(std::string_view text, std::string name = "g") {
    Structure s;
    s.name = std::move(name);
    std::istringstream in{std::string(text)};
    std::string word;
    while (in >> word) {
        Chromosome c;
        c.circular = word[0] == 'C';
        forEachGenePiece(word.substr(2) + ";", [&](std::string_view piece) { c.genes.push_back(parseGene(piece)); });
        s.chromosomes.push_back(std::move(c));
    }
    return s;
}

inline std::string geneListOf(const Chromosome& c) {
    std::string list;
    for (const Gene& g : c.genes) list += (g.strand == -1 ? "-" : "+") + g.name + "." + std::to_string(g.copy);
    return list + ";";
}

// The structures file holding `structures`, with its family table.
inline std::string structuresFile(const std::vector<Structure>& structures) {
    std::set<std::string> families;
    for (const Structure& s : structures)
        for (const Chromosome& c : s.chromosomes)
            for (const Gene& g : c.genes) families.insert(g.name);
    std::string text = std::to_string(families.size()) + "\n";
    for (const std::string& f : families) text += f + " 1\n";
    text += std::to_string(structures.size()) + "\n";
    for (const Structure& s : structures) {
        text += s.name + " 0 ; " + std::to_string(s.chromosomes.size()) + " ;\n";
        for (const Chromosome& c : s.chromosomes)
            text += std::string(c.circular ? "C " : "L ") + std::to_string(c.genes.size()) + " : " + geneListOf(c) +
                    "\n";
    }
    return text;
}

// Genomes one line each, "NAME: L:+a.1-b.2 C:+c.1", in the notation above.
inline std::string describe(const std::vector<Structure>& genomes) {
    std::string s;
    for (const Structure& g : genomes) {
        s += g.name + ":";
        for (const Chromosome& c : g.chromosomes) {
            s += c.circular ? " C:" : " L:";
            for (const Gene& gene : c.genes) s += (gene.strand < 0 ? "-" : "+") + gene.name + "." + std::to_string(gene.copy);
        }
        s += "\n";
    }
    return s;
}

}  // namespace rp::test
