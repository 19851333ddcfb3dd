// paralogs model: reads the genomes, builds the matching program of genome A
// (structure 1) and genome B (structure N) and writes it in the LP format.
#include <cstdint>
#include <string>
#include <vector>

#include "formats/genomes_formats.hpp"
#include "io/input_file.hpp"
#include "io/output_file.hpp"
#include "breakpoint/matching_program.hpp"
#include "model/genome_pair.hpp"
#include "model/matching_model.hpp"
#include "paralogs/command.hpp"
#include "paralogs/commands.hpp"
#include "paralogs/distance_option.hpp"
#include "text/quoting.hpp"

namespace rp::paralogs {
namespace {

// The model of the command line; the bounds file is read here.
model::MatchingModel readModel(const po::variables_map& values) {
    model::MatchingModel matchingModel;
    try {
        matchingModel.kind = model::parseModelKind(values["model"].as<std::string>());
    } catch (const std::invalid_argument& e) {
        throw UsageError(e.what());
    }
    if (values.count("bounds") != 0) {
        io::InputFile bounds(values["bounds"].as<std::string>(), inputOptions(values));
        matchingModel.boundsSource = bounds.name();
        matchingModel.bounds = model::readFamilyBounds(bounds.stream(), bounds.name());
    }
    return matchingModel;
}

distance::Form formOption(const po::variables_map& values) {
    try {
        return distance::parseForm(values["form"].as<std::string>());
    } catch (const std::invalid_argument& e) {
        throw UsageError(e.what());
    }
}

// The form and start options checked against the distance.
void checkFormOptions(const po::variables_map& values, const distance::DistanceEntry& entry) {
    const std::string_view formName = values["form"].as<std::string>();
    if (values.count("start") != 0 && (entry.startForm.empty() || formName != entry.startForm))
        throw UsageError("--start goes with --distance " + distance::distancesWithForms() + " and the reduced form");
    if (values["form"].defaulted() == false && entry.forms.empty())
        throw UsageError("--form goes with --distance " + distance::distancesWithForms());
}

// What `make` returns; its std::runtime_error prefixed with the input's name.
template <class Make>
auto inInput(const std::string& inputName, Make&& make) {
    try {
        return make();
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(inputName + ": " + e.what());
    }
}

// Writes the program's start file at `startPath` (none when empty); the
// summary line saying so, or "".
std::string writeStartFile(const distance::BuiltProgram& program, const std::string& startPath) {
    if (startPath.empty()) return "";
    distance::StartWritten start;
    io::writeOutputFile(startPath, [&](std::ostream& out) { start = program.writeStart(out); });
    return "wrote " + (startPath == "-" ? std::string("standard output") : startPath) + ": a start of distance " +
           std::to_string(start.objective) + " (" + std::to_string(start.pairs) +
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
        "distance", po::value<std::string>()->default_value("breakpoint"), distance::describeDistances().c_str())(
        "bounds", po::value<std::string>(),
        "pairs per family: lines FAMILY<TAB>LOWER<TAB>UPPER (input, - for standard input), overriding the model")(
        "form", po::value<std::string>()->default_value("reduced"),
        "dcj: reduced (decided parts as constants, no capping) or plain (the capped program)")(
        "start", po::value<std::string>(),
        "dcj, reduced: also write a greedy matching's values as a start for CBC (cbc MODEL mipstart START solve)");
    std::string commandLine = "paralogs";
    for (int i = 0; i < argc; ++i) commandLine += std::string(" ") + argv[i];
    return runCommand(kInfo, options, argc, argv, [&](const po::variables_map& values) {
        const distance::DistanceEntry& entry = distanceOption(values);
        const std::size_t second = model::checkedSecond(values["second"].as<std::int64_t>());
        const model::MatchingModel matchingModel = readModel(values);
        const distance::Form form = formOption(values);
        checkFormOptions(values, entry);
        const std::string startPath = values.count("start") != 0 ? values["start"].as<std::string>() : "";
        const std::string inputPath = values["structs"].as<std::string>();
        const std::string outputPath = values["output"].as<std::string>();

        const formats::InputText input = formats::readInputText(inputPath, inputOptions(values));
        const formats::GenomesRead genomes =
            formats::readAnyGenomes(input.text, input.name, formats::UnknownText::readAsStructures);
        const model::GenomePair pair = inInput(input.name, [&] { return model::selectPair(genomes.structures, second); });
        model::checkBounds(matchingModel, pair);
        const std::string genomesLine = model::describeGenome(pair, true) + ", " + model::describeGenome(pair, false);
        const distance::BuiltProgram program =
            inInput(input.name, [&] { return entry.build(pair, matchingModel, form); });
        const std::vector<std::string> comment{commandLine, "input: " + input.name + ": " + genomesLine,
                                               program.modelLine, program.counts, program.objectiveLine};
        io::writeOutputFile(outputPath, [&](std::ostream& out) { program.write(out, comment); });
        const std::string startLine = writeStartFile(program, startPath);
        for (const std::string& family : model::familiesPastIndexLimit(genomes.structures, pair, matchingModel))
            printWarning(kInfo, "family " + family +
                                    ": copies of genome A stay unmatched while copy indices 1 to 19 are all in "
                                    "use; resolve-paralogs cannot move them to a free index");
        printSummary(kInfo, "read " + input.name + ": " + genomesLine);
        printSummary(kInfo, program.modelLine);
        printSummary(kInfo, "wrote " + (outputPath == "-" ? std::string("standard output") : outputPath) + ": " +
                                program.counts);
        if (!startLine.empty()) printSummary(kInfo, startLine);
    });
}

}  // namespace rp::paralogs
