#include "unimog/unimog_writer.hpp"

#include <charconv>
#include <string>

#include "genomes/structures_writer.hpp"
#include "unimog/unimog_reader.hpp"

namespace rp::unimog {
namespace {

void check(const std::vector<Structure>& genomes) {
    for (const Structure& genome : genomes) {
        if (const char* problem = genomeNameProblem(genome.name))
            throw UnimogError("genome '" + genome.name + "': UniMoG cannot carry " + problem);
        for (const Chromosome& chromosome : genome.chromosomes) {
            for (const Gene& gene : chromosome.genes) {
                if (const char* problem = familyNameProblem(gene.name))
                    throw UnimogError("genome '" + genome.name + "', family '" + gene.name +
                                      "': UniMoG cannot carry " + problem);
                if (gene.copy < 0)
                    throw UnimogError("genome '" + genome.name + "', family '" + gene.name +
                                      "': UniMoG cannot carry a negative copy index");
            }
        }
    }
}

bool readAsLineStart(const std::string& family) {
    return family.starts_with('>') || family.starts_with("//");
}

}  // namespace

void writeUnimog(std::ostream& out, const std::vector<Structure>& genomes) {
    check(genomes);
    std::string text;
    constexpr std::size_t kFlushBytes = std::size_t{1} << 16;
    char digits[16];
    for (const Structure& genome : genomes) {
        text += '>';
        text += genome.name;
        text += '\n';
        for (const Chromosome& chromosome : genome.chromosomes) {
            bool first = true;
            for (const Gene& gene : chromosome.genes) {
                if (!first) text += ' ';
                if (gene.strand < 0)
                    text += '-';
                else if (first && readAsLineStart(gene.name))
                    text += '+';
                first = false;
                text += gene.name;
                text += '.';
                text.append(digits, std::to_chars(digits, digits + sizeof digits, gene.copy).ptr);
            }
            if (!first) text += ' ';
            text += chromosome.circular ? ")\n" : "|\n";
            if (text.size() >= kFlushBytes) {
                out.write(text.data(), static_cast<std::streamsize>(text.size()));
                text.clear();
            }
        }
    }
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace rp::unimog
