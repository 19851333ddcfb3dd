// paralogs model: reads the genomes, builds the matching program of genome A
// (structure 1) and genome B (structure N) and writes it in the LP format.
#include <cstdint>
#include <string>
#include <vector>

#include "io/input_file.hpp"
#include "io/output_file.hpp"
#include "model/genome_pair.hpp"
#include "model/dcj_program.hpp"
#include "model/matching_model.hpp"
#include "model/matching_program.hpp"
#include "paralogs/command.hpp"
#include "paralogs/commands.hpp"
#include "structs/genomes_reader.hpp"

namespace rp::paralogs {
namespace {

enum class Distance { breakpoint, dcj };

Distance parseDistance(const std::string& text) {
    if (text == "breakpoint") return Distance::breakpoint;
    if (text == "dcj") return Distance::dcj;
    throw UsageError("unknown distance \"" + text + "\" (breakpoint or dcj)");
}

// The model of the command line; the bounds file is read here.
model::MatchingModel readModel(const po::variables_map& values) {
    model::MatchingModel matchingModel;
    try {
        matchingModel.kind = model::parseModelKind(values["model"].as<std::string>());
    } catch (const std::invalid_argument& e) {
        throw UsageError(e.what());
    }
    if (values.count("bounds") != 0) {
        io::InputFile bounds(values["bounds"].as<std::string>());
        matchingModel.boundsSource = bounds.name();
        matchingModel.bounds = model::readFamilyBounds(bounds.stream(), bounds.name());
    }
    return matchingModel;
}

}  // namespace

int runModel(int argc, const char* const argv[]) {
    static constexpr CommandInfo kInfo{
        "model",
        "-s STRUCTS -o MODEL.lp [--second N] [--distance breakpoint|dcj] [--model maximum|exemplar|intermediate] "
        "[--bounds FILE]",
        "Writes the integer program (CPLEX LP format) whose optimum is the best matching of the\n"
        "genes of genome A (the first structure) and genome B (the N-th): 2 x conserved\n"
        "adjacencies + conserved telomeres, z_FAMILY.I.J at 1 matching copy I of A to copy J of B."};
    po::options_description options;
    options.add_options()("structs,s", po::value<std::string>()->required(),
                          "structures file or result file (input, - for standard input)")(
        "output,o", po::value<std::string>()->required(), "LP file (output, - for standard output)")(
        "second", po::value<std::int64_t>()->default_value(2), "genome B is structure N (from 1)")(
        "model", po::value<std::string>()->default_value("maximum"),
        "maximum: min(a, b) pairs per family; exemplar: one pair per family; intermediate: 1 to min(a, b)")(
        "distance", po::value<std::string>()->default_value("breakpoint"),
        "breakpoint: maximise 2 x conserved adjacencies + telomeres; dcj: minimise the DCJ-indel distance")(
        "bounds", po::value<std::string>(),
        "pairs per family: lines FAMILY<TAB>LOWER<TAB>UPPER (input, - for standard input), overriding the model");
    std::string commandLine = "paralogs";
    for (int i = 0; i < argc; ++i) commandLine += std::string(" ") + argv[i];
    return runCommand(kInfo, options, argc, argv, [&](const po::variables_map& values) {
        const Distance distance = parseDistance(values["distance"].as<std::string>());
        const std::size_t second = model::checkedSecond(values["second"].as<std::int64_t>());
        const model::MatchingModel matchingModel = readModel(values);
        const model::ModelKind kind = matchingModel.kind;
        const std::string inputPath = values["structs"].as<std::string>();
        const std::string outputPath = values["output"].as<std::string>();

        io::InputFile input(inputPath);
        const Genomes genomes = readGenomes(input.stream(), input.name());
        const auto inFile = [&](const std::exception& e) { return std::runtime_error(input.name() + ": " + e.what()); };
        model::GenomePair pair;
        try {
            pair = model::selectPair(genomes.structures, second);
        } catch (const std::runtime_error& e) {
            throw inFile(e);
        }
        model::checkBounds(matchingModel, pair);
        const std::string genomesLine = model::describeGenome(pair, true) + ", " + model::describeGenome(pair, false);
        std::string modelLine;
        std::string counts;
        if (distance == Distance::breakpoint) {
            model::MatchingProgram program;
            try {
                program = model::buildMatchingProgram(pair, matchingModel);
            } catch (const std::runtime_error& e) {
                throw inFile(e);
            }
            counts = std::to_string(program.variables()) + " variables (" + std::to_string(program.zNames.size()) +
                     " z, " + std::to_string(program.adjacencyCandidates) + " adjacency, " +
                     std::to_string(program.telomereCandidates) + " telomere), " +
                     std::to_string(program.rows.size()) + " constraints";
            modelLine = "model " + std::string(model::modelName(kind)) + ": " + std::to_string(program.families) +
                        " families in both genomes, " + std::to_string(program.pairs) + " pairs to match";
            const std::vector<std::string> comment{
                commandLine,
                "input: " + input.name() + ": " + genomesLine,
                modelLine,
                counts,
                "maximise 2 x conserved adjacencies + conserved telomeres; z_F.I.J = 1: copy I of A is copy J of B",
            };
            io::writeOutputFile(outputPath, [&](std::ostream& out) { model::writeLp(out, program, comment); });
        } else {
            model::DcjProgram program;
            try {
                program = model::buildDcjProgram(pair, matchingModel);
            } catch (const std::runtime_error& e) {
                throw inFile(e);
            }
            counts = model::describeDcjCounts(program);
            const std::string pairs = program.lowerPairs == program.upperPairs
                                          ? std::to_string(program.lowerPairs) + " pairs to match"
                                          : std::to_string(program.lowerPairs) + " to " +
                                                std::to_string(program.upperPairs) + " pairs to match";
            modelLine = "distance dcj, model " + model::describeModel(matchingModel) + ": " +
                        std::to_string(program.diagram.families.size()) + " families in both genomes, " + pairs;
            const std::vector<std::string> comment{
                commandLine,
                "input: " + input.name() + ": " + genomesLine,
                modelLine,
                counts,
                "minimise the DCJ-indel distance (capped program, " + std::to_string(program.diagram.telomeres) +
                    " telomeres per genome); z_F.I.J = 1: copy I of A is copy J of B",
            };
            io::writeOutputFile(outputPath,
                                [&](std::ostream& out) { model::writeLinearProgram(out, program.lp, comment); });
        }

        for (const std::string& family : model::familiesPastIndexLimit(genomes.structures, pair, matchingModel))
            printWarning(kInfo, "family " + family +
                                    ": copies of genome A stay unmatched while copy indices 1 to 19 are all in "
                                    "use; resolve-paralogs cannot move them to a free index");
        printSummary(kInfo, "read " + input.name() + ": " + genomesLine);
        printSummary(kInfo, modelLine);
        printSummary(kInfo, "wrote " + (outputPath == "-" ? std::string("standard output") : outputPath) + ": " +
                                counts);
    });
}

}  // namespace rp::paralogs
