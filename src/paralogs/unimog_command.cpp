#include <string>
#include <unordered_set>

#include "io/input_file.hpp"
#include "io/output_file.hpp"
#include "paralogs/command.hpp"
#include "paralogs/commands.hpp"
#include "genomes/genomes_reader.hpp"
#include "genomes/structures_writer.hpp"
#include "unimog/unimog_reader.hpp"
#include "unimog/unimog_writer.hpp"

namespace rp::paralogs {

namespace {

constexpr CommandInfo kInfo{"unimog", "-i IN -o OUT",
                            "Convert genomes: a UniMoG file becomes a structures file; a structures file or a\n"
                            "result file of resolve-paralogs becomes UniMoG. The direction follows the\n"
                            "content of IN."};

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

void convert(const std::string& inPath, const std::string& outPath) {
    std::string text;
    std::string name;
    {
        io::InputFile input(inPath);
        name = input.name();
        std::streambuf& buf = *input.stream().rdbuf();
        std::string chunk(std::size_t{1} << 16, '\0');
        for (;;) {
            const std::streamsize k = buf.sgetn(chunk.data(), static_cast<std::streamsize>(chunk.size()));
            if (k <= 0) break;
            text.append(chunk.data(), static_cast<std::size_t>(k));
        }
    }
    if (unimog::recognise(text) == unimog::InputKind::unimog) {
        const std::vector<Structure> genomes = unimog::readUnimog(text, name);
        std::string().swap(text);
        try {
            io::writeOutputFile(outPath, [&](std::ostream& out) { writeStructures(out, genomes); });
        } catch (const std::invalid_argument& e) {
            throw std::runtime_error(name + ": " + e.what());
        }
        printSummary(kInfo, "UniMoG -> structures file");
        printSummary(kInfo, counts(genomes));
    } else {
        const Genomes genomes = readGenomesText(text, name);
        std::string().swap(text);
        try {
            io::writeOutputFile(outPath, [&](std::ostream& out) { unimog::writeUnimog(out, genomes.structures); });
        } catch (const unimog::UnimogError& e) {
            throw std::runtime_error(name + ": " + e.what());
        }
        printSummary(kInfo, genomes.format == GenomesFormat::result ? "result file -> UniMoG"
                                                                     : "structures file -> UniMoG");
        printSummary(kInfo, counts(genomes.structures));
    }
}

}  // namespace

int runUnimog(int argc, const char* const argv[]) {
    po::options_description options;
    options.add_options()("input,i", po::value<std::string>()->required()->value_name("IN"),
                          "genomes to convert: UniMoG, a structures file or a result file; - for standard input")(
        "output,o", po::value<std::string>()->required()->value_name("OUT"),
        "the converted genomes; - for standard output");
    return runCommand(kInfo, options, argc, argv, [](const po::variables_map& values) {
        convert(values["input"].as<std::string>(), values["output"].as<std::string>());
    });
}

}  // namespace rp::paralogs
