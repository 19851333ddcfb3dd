#include "genomes/structures_writer.hpp"

#include <charconv>
#include <stdexcept>
#include <string>
#include <unordered_map>

#include "text/characters.hpp"
#include "text/numbers.hpp"
#include "text/quoting.hpp"

namespace rp {
namespace {

// Families in the order of their first gene, with their largest copy index.
struct FamilyTable {
    std::vector<std::string_view> names;
    std::vector<std::int32_t> largest;
};

FamilyTable familyTable(const std::vector<Structure>& genomes) {
    FamilyTable table;
    std::unordered_map<std::string_view, std::size_t> index;
    for (const Structure& genome : genomes) {
        for (const Chromosome& chromosome : genome.chromosomes) {
            for (const Gene& gene : chromosome.genes) {
                const auto [it, added] = index.try_emplace(gene.name, table.names.size());
                if (added) {
                    table.names.push_back(gene.name);
                    table.largest.push_back(gene.copy);
                } else if (gene.copy > table.largest[it->second]) {
                    table.largest[it->second] = gene.copy;
                }
            }
        }
    }
    return table;
}

void check(const std::vector<Structure>& genomes) {
    for (const Structure& genome : genomes) {
        if (const char* problem = genomeNameProblem(genome.name))
            throw std::invalid_argument("genome " + quoteInput(genome.name, 60, '\'') + ": " + problem);
        for (const Chromosome& chromosome : genome.chromosomes) {
            for (const Gene& gene : chromosome.genes) {
                if (const char* problem = familyNameProblem(gene.name))
                    throw std::invalid_argument("genome " + quoteInput(genome.name, 60, '\'') + ", family " +
                                                quoteInput(gene.name, 60, '\'') + ": " + problem);
                if (gene.copy < 0)
                    throw std::invalid_argument("genome " + quoteInput(genome.name, 60, '\'') + ", family " +
                                                quoteInput(gene.name, 60, '\'') + ": a negative copy index");
            }
        }
    }
}

}  // namespace

const char* familyNameProblem(std::string_view family) {
    if (family.empty()) return "an empty family name";
    for (const char c : family) {
        switch (c) {
        case '+': return "'+' in a family name";
        case '-': return "'-' in a family name";
        case ';': return "';' in a family name";
        case '.': return "'.' in a family name";
        default:
            if (isSpace(c)) return "a blank in a family name";
        }
    }
    return nullptr;
}

const char* genomeNameProblem(std::string_view name) {
    if (name.empty()) return "an empty genome name";
    for (const char c : name)
        if (isSpace(c)) return "a blank in a genome name";
    return nullptr;
}

void writeStructures(std::ostream& out, const std::vector<Structure>& genomes) {
    check(genomes);
    const FamilyTable table = familyTable(genomes);
    std::string text;
    appendInteger(text, static_cast<long long>(table.names.size()));
    text += '\n';
    for (std::size_t f = 0; f < table.names.size(); ++f) {
        text += table.names[f];
        text += ' ';
        appendInteger(text, table.largest[f]);
        text += '\n';
    }
    appendInteger(text, static_cast<long long>(genomes.size()));
    text += '\n';
    constexpr std::size_t kFlushBytes = std::size_t{1} << 16;
    for (const Structure& genome : genomes) {
        text += genome.name;
        text += " 0 ; ";
        appendInteger(text, static_cast<long long>(genome.chromosomes.size()));
        text += " ;\n";
        for (const Chromosome& chromosome : genome.chromosomes) {
            text += chromosome.circular ? "C " : "L ";
            appendInteger(text, static_cast<long long>(chromosome.genes.size()));
            text += " : ";
            for (const Gene& gene : chromosome.genes) {
                text += gene.strand < 0 ? '-' : '+';
                text += gene.name;
                text += '.';
                appendInteger(text, gene.copy);
            }
            text += ";\n";
            if (text.size() >= kFlushBytes) {
                out.write(text.data(), static_cast<std::streamsize>(text.size()));
                text.clear();
            }
        }
    }
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace rp
