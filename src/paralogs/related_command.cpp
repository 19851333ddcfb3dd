// paralogs related: the pairs of a collection of genomes that share enough
// families to be worth a distance, as a sheet of pairs.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "collection/genome_collection.hpp"
#include "collection/relatedness.hpp"
#include "io/output_file.hpp"
#include "paralogs/command.hpp"
#include "paralogs/commands.hpp"

namespace rp::paralogs {

namespace {

namespace fs = std::filesystem;

constexpr CommandInfo kInfo{"related",
                            "-s GENOMES [-s GENOMES ...] [--min-containment C] [--max-family-share S] [-o SHEET]",
                            "Finds the pairs of a collection of genomes (every genome of every file given; UniMoG,\n"
                            "GRIMM, structures or result files, compressed or not) that share families, through an\n"
                            "index from families to genomes: containment = distinct families in both / distinct\n"
                            "families of the genome with fewer, Jaccard = distinct families in both / in either.\n"
                            "Writes the pairs at or above C as a sheet of pairs (pair, genomes, a, b, containment,\n"
                            "jaccard) that paralogs pair --pairs and the workflow run. Genome names must be unique\n"
                            "across the collection. Families found in most genomes (mobile elements) raise the\n"
                            "containment of unrelated pairs: --max-family-share S leaves out the families found in\n"
                            "more than a share S of the genomes."};

constexpr double kDefaultMinContainment = 0.5;

// Collections from this many genomes on report their progress.
constexpr std::size_t kProgressFrom = 2000;

// What the genomes column says for the pairs of each file: relative paths
// become relative to the sheet's folder (where paralogs pair --pairs looks),
// absolute ones stay; standard input gives an empty column.
std::vector<std::string> genomesColumn(const std::vector<std::string>& files, const std::string& output) {
    std::vector<std::string> column;
    const fs::path folder =
        output == "-" ? fs::current_path() : fs::absolute(fs::path(output)).parent_path().lexically_normal();
    for (const std::string& file : files) {
        if (file == "-") {
            column.emplace_back();
        } else if (output == "-" || fs::path(file).is_absolute()) {
            column.push_back(file);
        } else {
            column.push_back(fs::absolute(fs::path(file)).lexically_normal().lexically_relative(folder).string());
        }
    }
    return column;
}

std::string decimals(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

void run(const po::variables_map& values) {
    const std::vector<std::string> files = values["genomes"].as<std::vector<std::string>>();
    const std::string output = values["output"].as<std::string>();
    const double minContainment = values["min-containment"].as<double>();
    if (!(minContainment >= 0 && minContainment <= 1))
        throw UsageError("--min-containment must be a number from 0 to 1");
    const double maxShare = values["max-family-share"].as<double>();
    if (!(maxShare > 0 && maxShare <= 1)) throw UsageError("--max-family-share must be a number above 0, at most 1");
    if (output.empty()) throw UsageError("--output must not be empty");
    const collection::GenomeCollection genomes = collection::readCollection(files, inputOptions(values));
    collection::FamilySets sets = collection::familySets(genomes.genomes);
    const std::size_t dropped = collection::dropCommonFamilies(sets, maxShare);
    if (maxShare < 1)
        printSummary(kInfo, std::to_string(dropped) + " of " + std::to_string(sets.families) +
                                " families are found in more than " + decimals(maxShare) +
                                " of the genomes and left out");
    const bool large = genomes.genomes.size() >= kProgressFrom;
    const auto progress = [&](std::size_t done, std::size_t total, std::size_t kept) {
        if (large)
            printSummary(kInfo, std::to_string(done) + "/" + std::to_string(total) + " genomes, " +
                                    std::to_string(kept) + " pairs kept");
    };
    const collection::Relatedness related = collection::relatedPairs(sets, minContainment, progress);
    const std::vector<std::string> column = genomesColumn(files, output);
    io::writeOutputFile(output,
                        [&](std::ostream& out) { collection::writeRelatedSheet(out, genomes, column, related.kept); });
    printSummary(kInfo, std::to_string(genomes.genomes.size()) + " genomes in " + std::to_string(files.size()) +
                            " file(s), " + std::to_string(sets.families) + " families; " +
                            std::to_string(related.sharing) + " pairs share a family, " +
                            std::to_string(related.kept.size()) + " with containment at least " +
                            decimals(minContainment));
}

}  // namespace

int runRelated(int argc, const char* const argv[]) {
    po::options_description options;
    options.add_options()("genomes,s", po::value<std::vector<std::string>>()->required(),
                          "genomes file of the collection (repeatable; - for standard input)")(
        "min-containment", po::value<double>()->default_value(kDefaultMinContainment, "0.5"),
        "keep the pairs whose containment is at least C (0 to 1; 0: every pair sharing a family)")(
        "max-family-share", po::value<double>()->default_value(1.0, "1"),
        "leave out the families found in more than this share of the genomes (above 0, at most 1; 1: none)")(
        "output,o", po::value<std::string>()->default_value("-"), "the sheet of pairs (- for standard output)");
    return runCommand(kInfo, options, argc, argv, run);
}

}  // namespace rp::paralogs
