// paralogs score: the breakpoint score or the DCJ-indel distance of genome A
// (structure 1) and genome B (structure N) matched by equal labels.
#include <cstdint>
#include <iostream>
#include <string>

#include "formats/genomes_formats.hpp"
#include "model/dcj_score.hpp"
#include "model/genome_pair.hpp"
#include "model/score.hpp"
#include "paralogs/command.hpp"
#include "paralogs/commands.hpp"
#include "text/quoting.hpp"

namespace rp::paralogs {
namespace {

enum class Distance { breakpoint, dcj };

Distance parseDistance(const std::string& text) {
    if (text == "breakpoint") return Distance::breakpoint;
    if (text == "dcj") return Distance::dcj;
    throw UsageError("unknown distance " + quoteInput(text) + " (breakpoint or dcj)");
}

void printBreakpoint(const model::Score& score) {
    std::cout << "matched\tadjacencies\ttelomeres\tobjective\tbreakpoint_distance\n"
              << score.matched << '\t' << score.adjacencies << '\t' << score.telomeres << '\t'
              << score.objective() << '\t' << model::formatDistance(score) << '\n';
}

void printDcj(const model::DcjScore& s) {
    std::cout << "matched\tdeleted\tinserted\tcycles\tsingletons\tp_ab\tp_Aa\tp_Ab\tp_Ba\tp_Bb\tp_AB\tdistance\n"
              << s.matched << '\t' << s.deleted << '\t' << s.inserted << '\t' << s.cycles << '\t' << s.singletons
              << '\t' << s.pab << '\t' << s.pAa << '\t' << s.pAb << '\t' << s.pBa << '\t' << s.pBb << '\t' << s.pAB
              << '\t' << s.distance << '\n';
}

}  // namespace

int runScore(int argc, const char* const argv[]) {
    static constexpr CommandInfo kInfo{
        "score", "-s FILE [--second N] [--distance breakpoint|dcj]",
        "Matches the genes of genome A (the first structure) and genome B (the N-th) by equal\n"
        "labels and prints, tab-separated, a header and the values. breakpoint: the matched pairs,\n"
        "conserved adjacencies and telomeres, the objective 2 x adjacencies + telomeres and the\n"
        "breakpoint distance. dcj: the matched pairs, the genes deleted from A and inserted into B,\n"
        "the terms of the DCJ-indel formula and the DCJ-indel distance, unmatched genes being\n"
        "deleted or inserted."};
    po::options_description options;
    options.add_options()("structs,s", po::value<std::string>()->required(),
                          "genomes: a structures, result, UniMoG or GRIMM file (input, - for standard input)")(
        "second", po::value<std::int64_t>()->default_value(2), "genome B is structure N (from 1)")(
        "distance", po::value<std::string>()->default_value("breakpoint"), "breakpoint or dcj");
    return runCommand(kInfo, options, argc, argv, [&](const po::variables_map& values) {
        const Distance distance = parseDistance(values["distance"].as<std::string>());
        const std::size_t second = model::checkedSecond(values["second"].as<std::int64_t>());
        const formats::InputText input = formats::readInputText(values["structs"].as<std::string>());
        const formats::GenomesRead genomes =
            formats::readAnyGenomes(input.text, input.name, formats::UnknownText::readAsStructures);
        model::GenomePair pair;
        model::Matching matching;
        try {
            pair = model::selectPair(genomes.structures, second);
            matching = model::matchByLabels(pair);
        } catch (const std::runtime_error& e) {
            throw std::runtime_error(input.name + ": " + e.what());
        }
        if (distance == Distance::dcj)
            printDcj(model::scoreDcj(*pair.a, *pair.b, matching));
        else
            printBreakpoint(model::scoreMatching(*pair.a, *pair.b, matching));
        std::cout << std::flush;
        if (!std::cout) throw std::runtime_error("cannot write to standard output");
        printSummary(kInfo, "read " + input.name + " (" +
                                std::string(genomeFormatName(genomes.format)) +
                                "): " + model::describeGenome(pair, true) + ", " +
                                model::describeGenome(pair, false));
        printSummary(kInfo, std::to_string(matching.size()) + " pairs by label");
    });
}

}  // namespace rp::paralogs
