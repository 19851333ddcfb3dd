// paralogs model: reads the genomes, builds the matching program of genome A
// (structure 1) and genome B (structure N) and writes it in the LP format.
#include <cstdint>
#include <string>
#include <vector>

#include "io/input_file.hpp"
#include "io/output_file.hpp"
#include "model/dcj_reduced_program.hpp"
#include "model/genome_pair.hpp"
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

// The DCJ-indel program of the pair, and with --start the greedy matching's
// values beside it as a start CBC reads (`mipstart`).
void writeDcj(const CommandInfo& info, const po::variables_map& values, const model::MatchingModel& matchingModel,
              const std::string& commandLine) {
    const std::size_t second = model::checkedSecond(values["second"].as<std::int64_t>());
    const std::string outputPath = values["output"].as<std::string>();
    io::InputFile input(values["structs"].as<std::string>());
    const Genomes genomes = readGenomes(input.stream(), input.name());
    model::GenomePair pair;
    model::DcjReducedProgram program;
    try {
        pair = model::selectPair(genomes.structures, second);
        model::checkBounds(matchingModel, pair);
        program = model::buildDcjReducedProgram(pair, matchingModel);
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(input.name() + ": " + e.what());
    }
    const model::DcjReducedCounts& c = program.counts;
    const std::string genomesLine = model::describeGenome(pair, true) + ", " + model::describeGenome(pair, false);
    const std::string modelLine = "model " + model::describeModel(matchingModel) + ": " + std::to_string(c.families) +
                                  " families in both genomes, " + std::to_string(c.fixedPairs) +
                                  " pairs decided, " + std::to_string(c.freeZ) + " z left to the solver";
    const std::string counts = std::to_string(program.lp.columns.size()) + " variables, " +
                               std::to_string(program.lp.rows.size()) + " constraints (" +
                               std::to_string(c.segments) + " segments, " + std::to_string(c.fixedCycles) +
                               " decided cycles, " + std::to_string(c.fixedPaths) + " decided paths)";
    const std::vector<std::string> comment{
        commandLine,
        "input: " + input.name() + ": " + genomesLine,
        modelLine,
        counts,
        "minimise the DCJ-indel distance (reduced form, without capping); z_F.I.J = 1: copy I of A is copy J of B",
    };
    io::writeOutputFile(outputPath, [&](std::ostream& out) { model::writeLpProgram(out, program.lp, comment); });
    printSummary(info, "read " + input.name() + ": " + genomesLine);
    printSummary(info, modelLine);
    printSummary(info, "wrote " + (outputPath == "-" ? std::string("standard output") : outputPath) + ": " + counts);
    if (values.count("start") == 0) return;
    const std::string startPath = values["start"].as<std::string>();
    const model::Matching matching = model::greedyDcjMatching(pair, matchingModel);
    const std::vector<std::int64_t> start = model::dcjStartValues(program, pair, matching);
    const std::int64_t objective = model::objectiveAt(program.lp, start);
    io::writeOutputFile(startPath, [&](std::ostream& out) { model::writeCbcStart(out, program.lp, start, objective); });
    printSummary(info, "wrote " + startPath + ": a start of distance " + std::to_string(objective) + " (" +
                           std::to_string(matching.size()) + " pairs); cbc MODEL mipstart " + startPath + " solve");
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
        "pairs per family: lines FAMILY<TAB>LOWER<TAB>UPPER (input, - for standard input), overriding the model")(
        "start", po::value<std::string>(),
        "dcj: also write a good matching's values as a start CBC reads (cbc MODEL mipstart FILE solve)");
    std::string commandLine = "paralogs";
    for (int i = 0; i < argc; ++i) commandLine += std::string(" ") + argv[i];
    return runCommand(kInfo, options, argc, argv, [&](const po::variables_map& values) {
        const Distance distance = parseDistance(values["distance"].as<std::string>());
        model::MatchingModel matchingModel = readModel(values);
        const model::ModelKind kind = matchingModel.kind;
        if (distance == Distance::dcj) return writeDcj(kInfo, values, matchingModel, commandLine);
        if (values.count("start") != 0) throw UsageError("--start goes with --distance dcj");
        if (kind == model::ModelKind::intermediate || !matchingModel.bounds.empty())
            throw std::runtime_error("the breakpoint program takes only --model maximum or exemplar, without --bounds");
        const std::size_t second = model::checkedSecond(values["second"].as<std::int64_t>());
        const std::string inputPath = values["structs"].as<std::string>();
        const std::string outputPath = values["output"].as<std::string>();

        io::InputFile input(inputPath);
        const Genomes genomes = readGenomes(input.stream(), input.name());
        const auto inFile = [&](const std::exception& e) { return std::runtime_error(input.name() + ": " + e.what()); };
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
            "input: " + input.name() + ": " + genomesLine,
            modelLine,
            counts,
            "maximise 2 x conserved adjacencies + conserved telomeres; z_F.I.J = 1: copy I of A is copy J of B",
        };
        io::writeOutputFile(outputPath, [&](std::ostream& out) { model::writeLp(out, program, comment); });

        for (const std::string& family : model::familiesPastIndexLimit(genomes.structures, pair, kind))
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
