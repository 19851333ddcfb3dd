// paralogs model: reads the genomes, builds the matching program of genome A
// (structure 1) and genome B (structure N) and writes it in the LP format.
#include <cstdint>
#include <string>
#include <vector>

#include "formats/genomes_formats.hpp"
#include "io/output_file.hpp"
#include "model/genome_pair.hpp"
#include "model/matching_program.hpp"
#include "paralogs/command.hpp"
#include "paralogs/commands.hpp"

namespace rp::paralogs {

int runModel(int argc, const char* const argv[]) {
    static constexpr CommandInfo kInfo{
        "model", "-s STRUCTS -o MODEL.lp [--second N] [--model maximum|exemplar]",
        "Writes the integer program (CPLEX LP format) whose optimum is the best matching of the\n"
        "genes of genome A (the first structure) and genome B (the N-th): 2 x conserved\n"
        "adjacencies + conserved telomeres, z_FAMILY.I.J at 1 matching copy I of A to copy J of B."};
    po::options_description options;
    options.add_options()("structs,s", po::value<std::string>()->required(),
                          "genomes: a structures, result, UniMoG or GRIMM file (input, - for standard input)")(
        "output,o", po::value<std::string>()->required(), "LP file (output, - for standard output)")(
        "second", po::value<std::int64_t>()->default_value(2), "genome B is structure N (from 1)")(
        "model", po::value<std::string>()->default_value("maximum"),
        "maximum: min(a, b) pairs per family; exemplar: one pair per family");
    std::string commandLine = "paralogs";
    for (int i = 0; i < argc; ++i) commandLine += std::string(" ") + argv[i];
    return runCommand(kInfo, options, argc, argv, [&](const po::variables_map& values) {
        model::ModelKind kind;
        try {
            kind = model::parseModelKind(values["model"].as<std::string>());
        } catch (const std::invalid_argument& e) {
            throw UsageError(e.what());
        }
        const std::size_t second = model::checkedSecond(values["second"].as<std::int64_t>());
        const std::string inputPath = values["structs"].as<std::string>();
        const std::string outputPath = values["output"].as<std::string>();

        const formats::InputText input = formats::readInputText(inputPath);
        const formats::GenomesRead genomes =
            formats::readAnyGenomes(input.text, input.name, formats::UnknownText::readAsStructures);
        const auto inFile = [&](const std::exception& e) { return std::runtime_error(input.name + ": " + e.what()); };
        model::GenomePair pair;
        model::MatchingProgram program;
        try {
            pair = model::selectPair(genomes.structures, second);
            program = model::buildMatchingProgram(pair, kind);
        } catch (const std::runtime_error& e) {
            throw inFile(e);
        }
        const std::string counts =
            std::to_string(program.variables()) + " variables (" + std::to_string(program.zNames.size()) + " z, " +
            std::to_string(program.adjacencyCandidates) + " adjacency, " +
            std::to_string(program.telomereCandidates) + " telomere), " + std::to_string(program.rows.size()) +
            " constraints";
        const std::string genomesLine = model::describeGenome(pair, true) + ", " + model::describeGenome(pair, false);
        const std::string modelLine = "model " + std::string(model::modelName(kind)) + ": " +
                                      std::to_string(program.families) + " families in both genomes, " +
                                      std::to_string(program.pairs) + " pairs to match";
        const std::vector<std::string> comment{
            commandLine,
            "input: " + input.name + ": " + genomesLine,
            modelLine,
            counts,
            "maximise 2 x conserved adjacencies + conserved telomeres; z_F.I.J = 1: copy I of A is copy J of B",
        };
        io::writeOutputFile(outputPath, [&](std::ostream& out) { model::writeLp(out, program, comment); });

        for (const std::string& family : model::familiesPastIndexLimit(genomes.structures, pair, kind))
            printWarning(kInfo, "family " + family +
                                    ": copies of genome A stay unmatched while copy indices 1 to 19 are all in "
                                    "use; resolve-paralogs cannot move them to a free index");
        printSummary(kInfo, "read " + input.name + ": " + genomesLine);
        printSummary(kInfo, modelLine);
        printSummary(kInfo, "wrote " + (outputPath == "-" ? std::string("standard output") : outputPath) + ": " +
                                counts);
    });
}

}  // namespace rp::paralogs
