// paralogs score: the score of genome A (structure 1) and genome B
// (structure N) matched by equal labels.
#include <cstdint>
#include <iostream>
#include <string>

#include "formats/genomes_formats.hpp"
#include "model/genome_pair.hpp"
#include "model/score.hpp"
#include "paralogs/command.hpp"
#include "paralogs/commands.hpp"

namespace rp::paralogs {

int runScore(int argc, const char* const argv[]) {
    static constexpr CommandInfo kInfo{
        "score", "-s FILE [--second N]",
        "Matches the genes of genome A (the first structure) and genome B (the N-th) by equal\n"
        "labels and prints, tab-separated, the matched pairs, conserved adjacencies and telomeres,\n"
        "the objective 2 x adjacencies + telomeres and the breakpoint distance."};
    po::options_description options;
    options.add_options()("structs,s", po::value<std::string>()->required(),
                          "genomes: a structures, result, UniMoG or GRIMM file (input, - for standard input)")(
        "second", po::value<std::int64_t>()->default_value(2), "genome B is structure N (from 1)");
    return runCommand(kInfo, options, argc, argv, [&](const po::variables_map& values) {
        const std::size_t second = model::checkedSecond(values["second"].as<std::int64_t>());
        const formats::InputText input = formats::readInputText(values["structs"].as<std::string>());
        const formats::GenomesRead genomes =
            formats::readAnyGenomes(input.text, input.name, formats::UnknownText::readAsStructures);
        model::GenomePair pair;
        model::Score score;
        try {
            pair = model::selectPair(genomes.structures, second);
            score = model::scoreMatching(*pair.a, *pair.b, model::matchByLabels(pair));
        } catch (const std::runtime_error& e) {
            throw std::runtime_error(input.name + ": " + e.what());
        }
        std::cout << "matched\tadjacencies\ttelomeres\tobjective\tbreakpoint_distance\n"
                  << score.matched << '\t' << score.adjacencies << '\t' << score.telomeres << '\t'
                  << score.objective() << '\t' << model::formatDistance(score) << '\n'
                  << std::flush;
        if (!std::cout) throw std::runtime_error("cannot write to standard output");
        printSummary(kInfo, "read " + input.name + " (" +
                                std::string(formats::formatName(genomes.format)) +
                                "): " + model::describeGenome(pair, true) + ", " +
                                model::describeGenome(pair, false));
        printSummary(kInfo, std::to_string(score.matched) + " pairs by label");
    });
}

}  // namespace rp::paralogs
