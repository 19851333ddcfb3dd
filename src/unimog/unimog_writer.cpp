#include "unimog/unimog_writer.hpp"

#include <charconv>
#include <string>

#include "genomes/structures_writer.hpp"
#include "text/quoting.hpp"
#include "unimog/unimog_reader.hpp"

namespace rp::unimog {
namespace {

// Why a marker of `family` written alone (without its copy) would read back
// otherwise, or nullptr: a family ending in a terminator would end the
// chromosome, one ending in "." and digits would be read as a copy.
const char* bareFamilyProblem(std::string_view family, const MarkerDialect& dialect) {
    const char last = family.back();
    if (last == dialect.linearEnd || last == dialect.circularEnd) return "a terminator at the end of a family name";
    return nullptr;
}

void check(const std::vector<Structure>& genomes, const MarkerDialect& dialect, MarkerLabels labels) {
    const std::string cannot = ": " + std::string(dialect.format) + " cannot carry ";
    const auto name = [](const std::string& text) { return quoteInput(text, 60, '\''); };
    for (const Structure& genome : genomes) {
        if (const char* problem = genomeNameProblem(genome.name))
            throw UnimogError("genome " + name(genome.name) + cannot + problem);
        for (const Chromosome& chromosome : genome.chromosomes) {
            for (const Gene& gene : chromosome.genes) {
                const char* problem = familyNameProblem(gene.name);
                if (problem == nullptr && labels == MarkerLabels::families)
                    problem = bareFamilyProblem(gene.name, dialect);
                if (problem != nullptr)
                    throw UnimogError("genome " + name(genome.name) + ", family " + name(gene.name) + cannot + problem);
                if (gene.copy < 0 && labels == MarkerLabels::familyAndCopy)
                    throw UnimogError("genome " + name(genome.name) + ", family " + name(gene.name) + cannot +
                                      "a negative copy index");
            }
        }
    }
}

// A first marker that would read as a genome or a comment line, in either
// dialect (a UniMoG line beginning with "#" would also make the text look
// like GRIMM), is written with its "+".
bool readAsLineStart(const std::string& family) {
    return family.starts_with('>') || family.starts_with(kUnimogDialect.comment) ||
           family.starts_with(kGrimmDialect.comment);
}

}  // namespace

void writeUnimog(std::ostream& out, const std::vector<Structure>& genomes) {
    writeMarkers(out, genomes, kUnimogDialect, MarkerLabels::familyAndCopy);
}

void writeMarkers(std::ostream& out, const std::vector<Structure>& genomes, const MarkerDialect& dialect,
                  MarkerLabels labels) {
    check(genomes, dialect, labels);
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
                if (labels == MarkerLabels::familyAndCopy) {
                    text += '.';
                    text.append(digits, std::to_chars(digits, digits + sizeof digits, gene.copy).ptr);
                }
            }
            if (!first) text += ' ';
            text += chromosome.circular ? dialect.circularEnd : dialect.linearEnd;
            text += '\n';
            if (text.size() >= kFlushBytes) {
                out.write(text.data(), static_cast<std::streamsize>(text.size()));
                text.clear();
            }
        }
    }
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace rp::unimog
