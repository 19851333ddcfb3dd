// paralogs score: the breakpoint score or the DCJ-indel distance of genome A
// (structure 1) and genome B (structure N) matched by equal labels.
#include <cstdint>
#include <iostream>
#include <string>

#include "formats/genomes_formats.hpp"
#include "model/genome_pair.hpp"
#include "paralogs/distance_option.hpp"
#include "paralogs/command.hpp"
#include "paralogs/commands.hpp"

namespace rp::paralogs {
namespace {

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
        "distance", po::value<std::string>()->default_value("breakpoint"), distance::distanceNames().c_str());
    return runCommand(kInfo, options, argc, argv, [&](const po::variables_map& values) {
        const distance::DistanceEntry& entry = distanceOption(values);
        const std::size_t second = model::checkedSecond(values["second"].as<std::int64_t>());
        const formats::InputText input = formats::readInputText(values["structs"].as<std::string>(), inputOptions(values));
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
        const distance::DistanceScore score = entry.score(pair, matching);
        std::cout << score.header << '\n' << score.values << '\n' << std::flush;
        if (!std::cout) throw std::runtime_error("cannot write to standard output");
        printSummary(kInfo, "read " + input.name + " (" +
                                std::string(genomeFormatName(genomes.format)) +
                                "): " + model::describeGenome(pair, true) + ", " +
                                model::describeGenome(pair, false));
        printSummary(kInfo, std::to_string(matching.size()) + " pairs by label");
    });
}

}  // namespace rp::paralogs
