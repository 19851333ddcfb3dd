// paralogs model: reads the genomes, builds the matching program of genome A
// (structure 1) and genome B (structure N) and writes it in the LP format.
#include <cstdint>
#include <string>
#include <vector>

#include "formats/genomes_formats.hpp"
#include "io/input_file.hpp"
#include "io/output_file.hpp"
#include "model/genome_pair.hpp"
#include "model/dcj_program.hpp"
#include "model/dcj_reduced_program.hpp"
#include "model/matching_model.hpp"
#include "model/matching_program.hpp"
#include "paralogs/command.hpp"
#include "paralogs/commands.hpp"
#include "text/quoting.hpp"

namespace rp::paralogs {
namespace {

// "N pairs to match", or "L to U pairs to match" when the model allows a range.
std::string pairsToMatch(std::size_t lower, std::size_t upper) {
    return (lower == upper ? std::to_string(lower) : std::to_string(lower) + " to " + std::to_string(upper)) +
           " pairs to match";
}

enum class Distance { breakpoint, dcj };

Distance parseDistance(const std::string& text) {
    if (text == "breakpoint") return Distance::breakpoint;
    if (text == "dcj") return Distance::dcj;
    throw UsageError("unknown distance " + quoteInput(text) + " (breakpoint or dcj)");
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

enum class Form { plain, reduced };

Form parseForm(const std::string& text) {
    if (text == "plain") return Form::plain;
    if (text == "reduced") return Form::reduced;
    throw UsageError("unknown form " + quoteInput(text) + " (plain or reduced)");
}

// The reduced DCJ-indel program: what no choice changes decided, without
// capping. Writes it, sets the summary lines, and with a start path writes
// the greedy matching's values beside it as a start CBC reads (mipstart).
void writeReducedDcj(const model::GenomePair& pair, const model::MatchingModel& matchingModel,
                     const std::string& inputName, const std::vector<std::string>& head, const std::string& outputPath,
                     const std::string& startPath, std::string& modelLine, std::string& counts,
                     std::string& startLine) {
    model::DcjReducedProgram program;
    try {
        program = model::buildDcjReducedProgram(pair, matchingModel);
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(inputName + ": " + e.what());
    }
    const model::DcjReducedCounts& c = program.counts;
    modelLine = "distance dcj, model " + model::describeModel(matchingModel) + ": " + std::to_string(c.families) +
                " families in both genomes, " + std::to_string(c.fixedPairs) +
                (c.fixedPairs == 1 ? " pair" : " pairs") + " decided (" + std::to_string(c.anchoredPairs) +
                " by anchored conserved adjacencies), " + std::to_string(c.freeZ) +
                " z left to the solver";
    counts = std::to_string(program.lp.columns.size()) + " variables, " + std::to_string(program.lp.rows.size()) +
             " constraints (reduced: " + std::to_string(c.segments) + " segments, " +
             std::to_string(c.fixedCycles) + " decided cycles, " + std::to_string(c.fixedPaths) + " decided paths)";
    std::vector<std::string> comment = head;
    comment.push_back(modelLine);
    comment.push_back(counts);
    comment.push_back(
        "minimise the DCJ-indel distance (reduced program, without capping); z_F.I.J = 1: copy I of A is copy J of B");
    io::writeOutputFile(outputPath, [&](std::ostream& out) { model::writeLpProgram(out, program.lp, comment); });
    if (startPath.empty()) return;
    const model::Matching matching = model::greedyDcjMatching(pair, matchingModel);
    const std::vector<std::int64_t> start = model::dcjStartValues(program, pair, matching);
    const std::int64_t distance = model::objectiveAt(program.lp, start);
    io::writeOutputFile(startPath, [&](std::ostream& out) { model::writeCbcStart(out, program.lp, start, distance); });
    startLine = "wrote " + (startPath == "-" ? std::string("standard output") : startPath) + ": a start of distance " +
                std::to_string(distance) + " (" + std::to_string(matching.size()) +
                " pairs), for cbc MODEL mipstart START solve";
}

}  // namespace

int runModel(int argc, const char* const argv[]) {
    static constexpr CommandInfo kInfo{
        "model",
        "-s STRUCTS -o MODEL.lp [--second N] [--distance breakpoint|dcj] [--model maximum|exemplar|intermediate] "
        "[--bounds FILE] [--form reduced|plain] [--start START]",
        "Writes the integer program (CPLEX LP format) whose optimum is the best matching of the\n"
        "genes of genome A (the first structure) and genome B (the N-th): 2 x conserved\n"
        "adjacencies + conserved telomeres, z_FAMILY.I.J at 1 matching copy I of A to copy J of B."};
    po::options_description options;
    options.add_options()("structs,s", po::value<std::string>()->required(),
                          "genomes: a structures, result, UniMoG or GRIMM file (input, - for standard input)")(
        "output,o", po::value<std::string>()->required(), "LP file (output, - for standard output)")(
        "second", po::value<std::int64_t>()->default_value(2), "genome B is structure N (from 1)")(
        "model", po::value<std::string>()->default_value("maximum"),
        "maximum: min(a, b) pairs per family; exemplar: one pair per family; intermediate: 1 to min(a, b)")(
        "distance", po::value<std::string>()->default_value("breakpoint"),
        "breakpoint: maximise 2 x conserved adjacencies + telomeres; dcj: minimise the DCJ-indel distance")(
        "bounds", po::value<std::string>(),
        "pairs per family: lines FAMILY<TAB>LOWER<TAB>UPPER (input, - for standard input), overriding the model")(
        "form", po::value<std::string>()->default_value("reduced"),
        "dcj: reduced (decided parts as constants, no capping) or plain (the capped program)")(
        "start", po::value<std::string>(),
        "dcj, reduced: also write a greedy matching's values as a start for CBC (cbc MODEL mipstart START solve)");
    std::string commandLine = "paralogs";
    for (int i = 0; i < argc; ++i) commandLine += std::string(" ") + argv[i];
    return runCommand(kInfo, options, argc, argv, [&](const po::variables_map& values) {
        const Distance distance = parseDistance(values["distance"].as<std::string>());
        const std::size_t second = model::checkedSecond(values["second"].as<std::int64_t>());
        const model::MatchingModel matchingModel = readModel(values);
        const Form form = parseForm(values["form"].as<std::string>());
        const std::string startPath = values.count("start") != 0 ? values["start"].as<std::string>() : "";
        if (values.count("start") != 0 && (distance != Distance::dcj || form != Form::reduced))
            throw UsageError("--start goes with --distance dcj and the reduced form");
        if (values["form"].defaulted() == false && distance != Distance::dcj)
            throw UsageError("--form goes with --distance dcj");
        const std::string inputPath = values["structs"].as<std::string>();
        const std::string outputPath = values["output"].as<std::string>();

        const formats::InputText input = formats::readInputText(inputPath);
        const formats::GenomesRead genomes =
            formats::readAnyGenomes(input.text, input.name, formats::UnknownText::readAsStructures);
        const auto inFile = [&](const std::exception& e) { return std::runtime_error(input.name + ": " + e.what()); };
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
        std::string startLine;
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
            modelLine = "model " + model::describeModel(matchingModel) + ": " + std::to_string(program.families) +
                        " families in both genomes, " + pairsToMatch(program.pairs, program.upperPairs);
            const std::vector<std::string> comment{
                commandLine,
                "input: " + input.name + ": " + genomesLine,
                modelLine,
                counts,
                "maximise 2 x conserved adjacencies + conserved telomeres; z_F.I.J = 1: copy I of A is copy J of B",
            };
            io::writeOutputFile(outputPath, [&](std::ostream& out) { model::writeLp(out, program, comment); });
        } else if (form == Form::reduced) {
            writeReducedDcj(pair, matchingModel, input.name, {commandLine, "input: " + input.name + ": " + genomesLine},
                            outputPath, startPath, modelLine, counts, startLine);
        } else {
            model::DcjProgram program;
            try {
                program = model::buildDcjProgram(pair, matchingModel);
            } catch (const std::runtime_error& e) {
                throw inFile(e);
            }
            counts = model::describeDcjCounts(program);
            modelLine = "distance dcj, model " + model::describeModel(matchingModel) + ": " +
                        std::to_string(program.diagram.families.size()) + " families in both genomes, " +
                        pairsToMatch(program.lowerPairs, program.upperPairs);
            const std::vector<std::string> comment{
                commandLine,
                "input: " + input.name + ": " + genomesLine,
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
        printSummary(kInfo, "read " + input.name + ": " + genomesLine);
        printSummary(kInfo, modelLine);
        printSummary(kInfo, "wrote " + (outputPath == "-" ? std::string("standard output") : outputPath) + ": " +
                                counts);
        if (!startLine.empty()) printSummary(kInfo, startLine);
    });
}

}  // namespace rp::paralogs
