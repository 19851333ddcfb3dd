// paralogs pair: the whole road of one pair of genomes in one process, from
// the genomes file to the resolved genomes and the pair's summary.
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "pair/pair_batch.hpp"
#include "pair/pair_road.hpp"
#include "paralogs/command.hpp"
#include "paralogs/commands.hpp"

namespace rp::paralogs {

namespace {

constexpr CommandInfo kInfo{
    "pair",
    "-s GENOMES [--a NAME --b NAME] -d DIR [--name PAIR] | --pairs SHEET -d DIR [-s GENOMES ...] "
    "[--keep all|failed|none]; [--distance breakpoint|dcj] "
    "[--model maximum|exemplar|intermediate] [--bounds FILE] [--solver cbc|glpsol|highs|'TEMPLATE'] "
    "[--time-limit S] [--threads N] [--grace S] | --columns | --files | [--time-limit S] [--grace S] --print-grace",
    "Takes two genomes of a genomes file (UniMoG, structures or result file, compressed or not)\n"
    "through the whole road in one process: pair.txt, the matching program model.lp, the solver\n"
    "(its log solver.log, its answer solver.out) under its time limit, solution.xml, the genomes\n"
    "resolved by the matching (resolved.txt, resolved.unimog) and summary.tsv, all in DIR.\n"
    "Exit 0 when the pair has an answer (optimal or stopped at a limit), 1 when it failed (the\n"
    "reason is the summary's note). A TEMPLATE is a shell command with {lp}, {solution},\n"
    "{threads} and {time_limit}. A pair stopped by its time limit, ended past it or whose solver\n"
    "crashed ends at status limit with the best matching known (the solver's, else a greedy one).\n"
    "--columns prints summary.tsv's header line (the columns the workflow reads) and exits;\n"
    "--files the files a pair's directory may hold, its mark first, one a line, and exits;\n"
    "--print-grace the seconds past --time-limit after which the solver is ended, and exits.\n"
    "DIR must be new, empty, marked by an earlier run (.paralogs-pair) or hold only these files:\n"
    "only they are removed or replaced, the summary first.\n"
    "With --pairs, every pair of a sheet of pairs (columns pair, genomes, a, b; more are passed\n"
    "over; genomes relative to the sheet's folder, empty: the collection given with -s) runs\n"
    "the same road in DIR/PAIR, each genomes file read once, and DIR/summary.tsv has one line\n"
    "per pair in sheet order. A failed pair is a line of it: the exit status is 0 unless the\n"
    "sheet, a genomes file it names or DIR cannot be used; --keep removes only the road's files."};

// The options that every pair takes, of one pair or of a sheet.
pair::PairRequest pairOptionsOf(const po::variables_map& values) {
    pair::PairRequest request;
    try {
        request.measure = distance::parseDistance(values["distance"].as<std::string>()).distance;
        request.model = model::parseModelKind(values["model"].as<std::string>());
        request.solver = solving::parseSolver(values["solver"].as<std::string>());
    } catch (const std::invalid_argument& e) {
        throw UsageError(e.what());
    }
    if (values.count("bounds") != 0) request.bounds = values["bounds"].as<std::string>();
    const long long limit = values["time-limit"].as<long long>();
    if (limit < 1 || limit > 100000000) throw UsageError("--time-limit must be a whole number of seconds from 1");
    request.timeLimit = static_cast<unsigned>(limit);
    const long long threads = values["threads"].as<long long>();
    if (threads < 1 || threads > 4096) throw UsageError("--threads must be from 1 to 4096");
    request.threads = static_cast<unsigned>(threads);
    request.input = inputOptions(values);
    if (values.count("grace") != 0) {
        request.grace = values["grace"].as<double>();
        if (!(request.grace >= 0 && request.grace <= 1e9)) throw UsageError("--grace must be 0 or more seconds");
    }
    return request;
}

pair::PairRequest requestOf(const po::variables_map& values) {
    pair::PairRequest request = pairOptionsOf(values);
    const std::vector<std::string> genomes = values.count("genomes") != 0
                                                 ? values["genomes"].as<std::vector<std::string>>()
                                                 : std::vector<std::string>();
    if (genomes.empty()) throw UsageError("the option '--genomes' is required but missing");
    if (values.count("dir") == 0) throw UsageError("the option '--dir' is required but missing");
    if (genomes.size() != 1) throw UsageError("one pair takes one genomes file (-s GENOMES)");
    if (values.count("keep") != 0) throw UsageError("--keep goes with --pairs");
    request.genomes = genomes.front();
    request.directory = values["dir"].as<std::string>();
    if (values.count("a") != 0) request.a = values["a"].as<std::string>();
    if (values.count("b") != 0) request.b = values["b"].as<std::string>();
    if (request.a.empty() != request.b.empty()) throw UsageError("--a and --b go together");
    if (!request.a.empty() && request.a == request.b) throw UsageError("--a and --b name the same genome");
    if (request.directory.empty()) throw UsageError("--dir must not be empty");
    if (values.count("name") != 0) request.name = values["name"].as<std::string>();
    return request;
}

pair::BatchRequest batchOf(const po::variables_map& values) {
    for (const char* single : {"a", "b", "name"})
        if (values.count(single) != 0)
            throw UsageError(std::string("--") + single + " names one pair; the sheet names them with --pairs");
    pair::BatchRequest batch;
    if (values.count("dir") == 0) throw UsageError("the option '--dir' is required but missing");
    batch.sheet = values["pairs"].as<std::string>();
    batch.directory = values["dir"].as<std::string>();
    if (batch.sheet.empty()) throw UsageError("--pairs must not be empty");
    if (batch.directory.empty()) throw UsageError("--dir must not be empty");
    if (values.count("genomes") != 0) batch.collection = values["genomes"].as<std::vector<std::string>>();
    if (batch.sheet == "-" && std::find(batch.collection.begin(), batch.collection.end(), "-") != batch.collection.end())
        throw UsageError("standard input can be the sheet (--pairs -) or a genomes file (-s -), not both");
    try {
        if (values.count("keep") != 0) batch.keep = pair::parseKeep(values["keep"].as<std::string>());
    } catch (const std::invalid_argument& e) {
        throw UsageError(e.what());
    }
    batch.pair = pairOptionsOf(values);
    return batch;
}

void runSheet(const po::variables_map& values) {
    const pair::BatchRequest batch = batchOf(values);
    const pair::BatchOutcome outcome = pair::runPairs(batch, [](std::string_view line) { printSummary(kInfo, line); });
    printSummary(kInfo, std::to_string(outcome.rows.size()) + " pairs, " + std::to_string(outcome.failed) +
                            " failed; summary in " + batch.directory + "/" + pair::kBatchSummary);
}

}  // namespace

int runPair(int argc, const char* const argv[]) {
    po::options_description options;
    options.add_options()
        ("genomes,s", po::value<std::vector<std::string>>(), "genomes file: UniMoG, structures or result file (- for standard input); with --pairs, repeatable: the collection of the rows without a genomes file")
        ("pairs", po::value<std::string>(), "a sheet of pairs to run, each in DIR/PAIR (- for standard input)")
        ("keep", po::value<std::string>(), "with --pairs: the pair directories that stay, all, failed or none (default all)")
        ("a", po::value<std::string>(), "the name of genome A (with --b; neither: the file's first two genomes)")
        ("b", po::value<std::string>(), "the name of genome B")
        ("dir,d", po::value<std::string>(), "the pair's directory (created if missing)")
        ("name", po::value<std::string>(), "the pair's name in the summary (default: DIR's last component)")
        ("distance", po::value<std::string>()->default_value("breakpoint"), distance::distanceNames().c_str())
        ("model", po::value<std::string>()->default_value("maximum"), "maximum, exemplar or intermediate")
        ("bounds", po::value<std::string>(), "bounds file: FAMILY<TAB>LOWER<TAB>UPPER pairs per family")
        ("solver", po::value<std::string>()->default_value("cbc"), "cbc, glpsol, highs or a shell command template")
        ("time-limit", po::value<long long>()->default_value(600), "seconds the solver may take (given to it)")
        ("threads", po::value<long long>()->default_value(1), "threads of the solver ({threads}; cbc: threads N above 1)")
        ("grace", po::value<double>(), "seconds past the time limit after which the solver is ended (default: 10% of the limit + 10)")
        ("columns", "print the summary's header line and exit")
        ("files", "print the files of a pair's directory, its mark first, and exit")
        ("print-grace", "print the seconds past --time-limit after which the solver is ended, and exit");
    return runCommand(kInfo, options, argc, argv, [](const po::variables_map& values) {
        if (values.count("columns") != 0) {
            std::cout << pair::summaryHeader() << std::flush;
            return;
        }
        if (values.count("files") != 0) {
            std::cout << pair::files::mark << '\n';
            for (const char* file : pair::kRoadFiles) std::cout << file << '\n';
            std::cout << std::flush;
            return;
        }
        if (values.count("print-grace") != 0) {
            char grace[32];
            std::snprintf(grace, sizeof grace, "%.15g\n", pair::solverGrace(pairOptionsOf(values)));
            std::cout << grace << std::flush;
            return;
        }
        if (values.count("pairs") != 0) return runSheet(values);
        const pair::PairRequest request = requestOf(values);
        const pair::PairOutcome outcome = pair::runPair(request, [](std::string_view line) { printSummary(kInfo, line); });
        const pair::PairResult& r = outcome.result;
        if (outcome.failed) throw std::runtime_error(r.pair + ": " + outcome.error);
        const auto number = [&r](double value) { return pair::formatFixed(value, r.distanceDigits); };
        printSummary(kInfo, r.pair + ": " + std::string(pair::statusName(r.status)) + ", " + r.measure +
                                " distance " + (r.distance ? number(*r.distance) : std::string()) +
                                (r.lowerBound ? " (lower bound " + number(*r.lowerBound) + ")" : std::string()));
    });
}

}  // namespace rp::paralogs
