#include "paralogs/conversion.hpp"

#include <stdexcept>
#include <string_view>
#include <unordered_set>

#include "io/output_file.hpp"
#include "unimog/unimog_reader.hpp"

namespace rp::paralogs {
namespace {

std::string counts(const std::vector<Structure>& genomes) {
    std::size_t chromosomes = 0;
    std::size_t genes = 0;
    std::unordered_set<std::string_view> families;
    for (const Structure& genome : genomes) {
        chromosomes += genome.chromosomes.size();
        for (const Chromosome& chromosome : genome.chromosomes) {
            genes += chromosome.genes.size();
            for (const Gene& gene : chromosome.genes) families.insert(gene.name);
        }
    }
    return std::to_string(genomes.size()) + (genomes.size() == 1 ? " genome, " : " genomes, ") +
           std::to_string(chromosomes) + " chromosomes, " + std::to_string(genes) + " genes, " +
           std::to_string(families.size()) + " families";
}

GenomeFormat unimogCommandTarget(GenomeFormat from) {
    return from == GenomeFormat::structures || from == GenomeFormat::result
               ? GenomeFormat::unimog
               : GenomeFormat::structures;
}

}  // namespace

void convertGenomes(const CommandInfo& command, const ConversionRequest& request) {
    formats::InputText input = formats::readInputText(request.input, request.inputOptions);
    const formats::GenomesRead genomes = formats::readAnyGenomes(
        input.text, input.name, request.to ? formats::UnknownText::refuse : formats::UnknownText::readAsUnimog);
    std::string().swap(input.text);
    const GenomeFormat to = request.to.value_or(unimogCommandTarget(genomes.format));
    if (to == GenomeFormat::structures && request.labels == unimog::MarkerLabels::families)
        throw std::runtime_error(input.name + ": " + std::string(genomeFormatName(genomes.format)) +
                                 " becomes a structures file, which needs copy indices: --families applies "
                                 "to UniMoG and GRIMM output only");
    try {
        io::writeOutputFile(request.output, [&](std::ostream& out) {
            formats::writeGenomes(out, genomes.structures, to, request.labels);
        });
    } catch (const std::invalid_argument& e) {
        throw std::runtime_error(input.name + ": " + e.what());
    } catch (const unimog::UnimogError& e) {
        throw std::runtime_error(input.name + ": " + e.what());
    }
    printSummary(command, std::string(genomeFormatName(genomes.format)) + " -> " +
                              std::string(genomeFormatName(to)));
    printSummary(command, counts(genomes.structures));
}

}  // namespace rp::paralogs
