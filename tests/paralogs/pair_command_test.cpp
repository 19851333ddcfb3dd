// paralogs pair through the binary: every status a pair can end in, the
// command lines it refuses, and its summary against the step-by-step road
// (paralogs model, the solver, paralogs solution, resolve-paralogs, paralogs
// score) on the same pairs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/solvers.hpp"
#include "pair/pair_result.hpp"
#include "support/paralogs.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace rp::pair {
namespace {

using test::ProcessResult;
using test::TempDir;
using test::lastLine;
using test::Summary;

const std::string kData = RP_SOURCE_DIR "/tests/pair/data/";
const std::string kExample = RP_SOURCE_DIR "/examples/structs.txt";

ProcessResult paralogs(const TempDir& dir, std::vector<std::string> args) { return test::runParalogs(dir, args); }

ProcessResult pairRun(const TempDir& dir, std::vector<std::string> args) {
    return test::runParalogs(dir, "pair", std::move(args));
}

// The summary's one line by column; fails the test unless it has the
// columns in their order.
Summary readSummary(const std::string& path) {
    std::vector<std::string> columns;
    for (const SummaryColumn& column : summaryColumns()) columns.emplace_back(column.name);
    return test::readSummary(path, columns);
}

bool highsInstalled() {
    return test::onPath("node") &&
           std::filesystem::is_regular_file(RP_SOURCE_DIR "/solvers/highs/node_modules/highs/package.json");
}

TEST(PairCommand, OptimalWithEachFreeSolver) {
    for (const char* solver : {"cbc", "glpsol", "highs"}) {
        const bool installed = std::string(solver) == "highs" ? highsInstalled() : test::onPath(solver);
        if (!installed) {
            std::cout << "skipped " << solver << ": not installed\n";
            continue;
        }
        TempDir dir;
        const ProcessResult r = pairRun(dir, {"-s", kExample, "--a", "g1", "--b", "g2", "-d", "p", "--solver", solver});
        ASSERT_EQ(r.status, 0) << solver << r.err;
        for (const char* file : {"pair.txt", "model.lp", "solver.log", "solver.out", "solution.xml", "resolved.txt",
                                 "resolved.unimog", "summary.tsv"})
            EXPECT_TRUE(dir.exists(std::string("p/") + file)) << solver << " " << file;
        Summary s = readSummary(dir.file("p/summary.tsv"));
        EXPECT_FALSE(s["wall_s"].empty());
        s.erase("wall_s");
        s.erase("solver_status");
        const Summary expected{{"pair", "p"}, {"a", "g1"}, {"b", "g2"}, {"genes_a", "7"}, {"genes_b", "6"},
                               {"families_both", "4"}, {"matched", "6"}, {"adjacencies", "2"}, {"telomeres", "0"},
                               {"breakpoint_distance", "4.0"}, {"solver", solver}, {"status", "optimal"},
                               {"objective", "4"}, {"score", "4"}, {"score_equals_objective", "yes"},
                               {"measure", "breakpoint"}, {"model", "maximum"}, {"distance", "4.0"},
                               {"lower_bound", "4.0"}, {"note", ""}, {"index_limit", ""}};
        EXPECT_EQ(s, expected) << solver;
    }
}

TEST(PairCommand, HighsFindsCbcsOptimum) {
    if (!highsInstalled() || !test::onPath("cbc")) GTEST_SKIP() << "HiGHS (make deps) or cbc is not installed";
    // The example and a generated pair of 100 genes a genome, 10 families.
    for (const std::string& genomes : {kExample, kData + "generated-100.unimog"}) {
        TempDir dir;
        for (const char* solver : {"cbc", "highs"})
            ASSERT_EQ(pairRun(dir, {"-s", genomes, "-d", solver, "--solver", solver}).status, 0) << solver;
        const Summary cbc = readSummary(dir.file("cbc/summary.tsv"));
        const Summary highs = readSummary(dir.file("highs/summary.tsv"));
        EXPECT_EQ(highs.at("status"), "optimal") << genomes;
        EXPECT_EQ(highs.at("objective"), cbc.at("objective")) << genomes;
        EXPECT_EQ(highs.at("score_equals_objective"), "yes") << genomes;
        // HiGHS' own solution file, as paralogs solution reads it.
        const ProcessResult read = paralogs(dir, {"solution", "-i", "highs/solver.out", "-o", "-"});
        EXPECT_EQ(read.status, 0) << read.err;
        EXPECT_NE(read.err.find("paralogs solution: format highs"), std::string::npos);
        EXPECT_NE(read.err.find("paralogs solution: objective " + cbc.at("objective")), std::string::npos);
    }
}

TEST(PairCommand, HighsStartsFromTheGreedyMatching) {
    if (!highsInstalled()) GTEST_SKIP() << "HiGHS (make deps) is not installed";
    // The DCJ-indel road gives HiGHS the start CBC gets: proven on the
    // example, and on a pair far from proven in 2 s no worse than the start.
    struct Case {
        std::string genomes;
        std::vector<std::string> options;
        const char* status;
    };
    const Case cases[] = {
        {kExample, {"--a", "g1", "--b", "g2"}, "optimal"},
        {kData + "symmetric-19-15.unimog", {"--time-limit", "2"}, "limit"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        std::vector<std::string> args{"-s", c.genomes, "-d", "h", "--solver", "highs", "--distance", "dcj"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const ProcessResult r = pairRun(dir, args);
        ASSERT_EQ(r.status, 0) << r.err;
        const Summary s = readSummary(dir.file("h/summary.tsv"));
        EXPECT_EQ(s.at("status"), c.status) << c.genomes;
        const std::string log = dir.read("h/solver.log");
        EXPECT_NE(log.find("highs-solve: start from"), std::string::npos) << log;
        EXPECT_NE(log.find("MIP start solution is feasible"), std::string::npos) << log;
        // The start file's first line: "Feasible - objective value N".
        const std::string start = dir.read("h/start.sol");
        const double startDistance = std::stod(start.substr(start.find("value") + 5));
        EXPECT_LE(std::stod(s.at("distance")), startDistance) << c.genomes;
    }
}

TEST(PairCommand, AStartHighsCannotUseIsLeftOut) {
    if (!highsInstalled()) GTEST_SKIP() << "HiGHS (make deps) is not installed";
    struct Case {
        const char* what;
        const char* start;  // the start file's text, or nullptr: no file
        const char* said;
    };
    const Case cases[] = {
        {"no file", nullptr, "s.sol left out: cannot read it"},
        {"a column not in the model", "Feasible - objective value 1\n0 y 1 0\n", "s.sol left out: line 2: no column y"},
        {"no value", "Feasible - objective value 1\n0 x\n", "s.sol left out: line 2 is not \"index name value\""},
        {"a usable start", "Feasible - objective value 1\n0 x 1 0\n", "from s.sol"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        dir.write("m.lp", "Maximize\n obj: x\nSubject To\n c1: x <= 1\nBinary\n x\nEnd\n");
        if (c.start) dir.write("s.sol", c.start);
        const ProcessResult r =
            test::runProcess("/usr/bin/env", {"node", RP_SOURCE_DIR "/solvers/highs/highs-solve.mjs", "--model", "m.lp",
                                              "--solution", "m.out", "--start", "s.sol"},
                             dir.path());
        EXPECT_EQ(r.status, 0) << c.what << r.err;
        EXPECT_NE(r.out.find("highs-solve: start " + std::string(c.said)), std::string::npos) << c.what << r.out;
        EXPECT_NE(dir.read("m.out").find("Optimal"), std::string::npos) << c.what;
    }
}

TEST(PairCommand, DistancesModelsAndBounds) {
    if (!test::onPath("cbc")) GTEST_SKIP() << "cbc is not installed";
    struct Case {
        std::vector<std::string> options;
        const char* measure;
        const char* model;
        const char* distance;
    };
    const Case cases[] = {
        {{}, "breakpoint", "maximum", "4.0"},
        {{"--model", "exemplar"}, "breakpoint", "exemplar", "2.0"},
        {{"--model", "intermediate"}, "breakpoint", "intermediate", ""},
        {{"--bounds", "bounds.tsv"}, "breakpoint", "maximum+bounds", ""},
        {{"--distance", "dcj"}, "dcj", "maximum", "4"},
        {{"--distance", "dcj", "--model", "intermediate", "--bounds", "bounds.tsv"}, "dcj", "intermediate+bounds", ""},
    };
    for (const Case& c : cases) {
        TempDir dir;
        dir.write("bounds.tsv", "# a: exactly one pair\na\t1\t1\n");
        std::vector<std::string> args{"-s", kExample, "-d", "p"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const ProcessResult r = pairRun(dir, args);
        ASSERT_EQ(r.status, 0) << c.model << r.err;
        const Summary s = readSummary(dir.file("p/summary.tsv"));
        EXPECT_EQ(s.at("status"), "optimal") << c.model;
        EXPECT_EQ(s.at("measure"), c.measure);
        EXPECT_EQ(s.at("model"), c.model);
        EXPECT_EQ(s.at("score_equals_objective"), "yes") << c.model;
        EXPECT_EQ(s.at("lower_bound"), s.at("distance")) << c.model;
        if (*c.distance != '\0') {
            EXPECT_EQ(s.at("distance"), c.distance) << c.model;
        }
    }
    // A bounds file the pair refuses fails it, naming the line.
    TempDir dir;
    dir.write("bounds.tsv", "a\t3\t1\n");
    const ProcessResult r = pairRun(dir, {"-s", kExample, "-d", "p", "--bounds", "bounds.tsv"});
    EXPECT_EQ(r.status, 1);
    const Summary s = readSummary(dir.file("p/summary.tsv"));
    EXPECT_EQ(s.at("status"), "failed");
    EXPECT_NE(s.at("note").find("bounds.tsv line 1"), std::string::npos) << s.at("note");
}

TEST(PairCommand, ALimitGivesTheBestFoundAndTheSolversBound) {
    // A stand-in solver: CBC's answer for the pair with the status of a time
    // limit, and a log whose bound on the objective is 5.5.
    TempDir dir;
    const std::string solver = "cp '" + kData + "example-g1-g2-limit.cbc' {solution} && echo 'Cbc0005I Partial "
                               "search - best objective -4 (best possible -5.5), took 7 iterations' # {lp}";
    const ProcessResult r = pairRun(dir, {"-s", kExample, "-d", "lim", "--name", "x", "--solver", solver});
    ASSERT_EQ(r.status, 0) << r.err;
    Summary s = readSummary(dir.file("lim/summary.tsv"));
    EXPECT_EQ(s["pair"], "x");
    EXPECT_EQ(s["solver"], "custom");
    EXPECT_EQ(s["status"], "limit");
    EXPECT_EQ(s["solver_status"], "Stopped on time");
    EXPECT_EQ(s["distance"], "4.0");      // the best found
    EXPECT_EQ(s["lower_bound"], "3.5");   // 6 pairs - floor(5.5) / 2
    EXPECT_EQ(s["note"], "the solver stopped on a limit: the matching may not be optimal");
}

TEST(PairCommand, ARealSolverStoppedByALimit) {
    if (!test::onPath("cbc")) GTEST_SKIP() << "cbc is not installed";
    // CBC stops this pair after its root node whatever the machine: the root
    // leaves a gap, and the node limit is counted, not timed.
    TempDir dir;
    const ProcessResult r = pairRun(dir, {"-s", kData + "stopped-at-root.unimog", "-d", "root", "--solver",
                                          "cbc {lp} maxNodes 0 solve solu {solution}"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Summary s = readSummary(dir.file("root/summary.tsv"));
    EXPECT_EQ(s.at("status"), "limit");
    EXPECT_EQ(s.at("solver_status"), "Stopped on iterations");
    EXPECT_EQ(s.at("score_equals_objective"), "yes");
    EXPECT_EQ(s.at("distance"), "16.5");
    EXPECT_EQ(s.at("lower_bound"), "16.0");  // CBC's best possible 48: 40 - 48 / 2
}

TEST(PairCommand, AnAnswerWithoutStatusIsUnknown) {
    TempDir dir;
    const std::string solver = "{ echo '# Objective value = 4'; awk 'NR > 1 { print $2, $3 }' '" + kData +
                               "example-g1-g2-limit.cbc'; } > {solution} # {lp}";
    const ProcessResult r = pairRun(dir, {"-s", kExample, "-d", "u", "--solver", solver});
    ASSERT_EQ(r.status, 0) << r.err;
    const Summary s = readSummary(dir.file("u/summary.tsv"));
    EXPECT_EQ(s.at("status"), "unknown");
    EXPECT_EQ(s.at("distance"), "4.0");
    EXPECT_EQ(s.at("lower_bound"), "");
    EXPECT_EQ(s.at("note"), "the solver's answer says nothing of optimality");
}

TEST(PairCommand, FailedSolversFailThePairWithTheReason) {
    struct Case {
        const char* what;
        std::vector<std::string> options;
        const char* note;  // the start of the note
    };
    const Case cases[] = {
        {"exit 1", {"--solver", "echo boom; exit 1 # {lp} {solution}"},
         "the solver ended with exit status 1 (f/solver.log ends: boom)"},
        {"no answer", {"--solver", "true {lp} {solution}"}, "the solver wrote no answer to f/solver.out"},
        {"no solution", {"--solver", "echo 'Infeasible - objective value 0' > {solution} # {lp}"},
         "f/solver.out: no solution in the file"},
        {"unknown solver", {"--solver", "no-such-solver-here {lp} {solution}"}, "the solver ended with exit status 127"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        // An earlier run's answer must not pass for this one's.
        ASSERT_EQ(test::runShell(dir, "mkdir f && cp '" + kData + "example-g1-g2-limit.cbc' f/solver.out").status, 0);
        std::vector<std::string> args{"-s", kExample, "-d", "f"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const ProcessResult r = pairRun(dir, args);
        EXPECT_EQ(r.status, 1) << c.what;
        Summary s = readSummary(dir.file("f/summary.tsv"));
        EXPECT_EQ(s["status"], "failed") << c.what;
        EXPECT_EQ(s["note"].rfind(c.note, 0), 0u) << c.what << ": " << s["note"];
        EXPECT_EQ(lastLine(r.err), "paralogs pair: f: " + s["note"]) << c.what;
        EXPECT_EQ(s["genes_a"], "7") << c.what;  // what is known stays
        for (const char* empty : {"matched", "distance", "lower_bound", "objective"})
            EXPECT_EQ(s[empty], "") << c.what << " " << empty;
    }
}

TEST(PairCommand, AMissingHighsScriptFailsThePairSayingHowToInstallIt) {
    TempDir dir;
    setenv("PARALOGS_HIGHS_SCRIPT", dir.file("nowhere/highs-solve.mjs").c_str(), 1);
    const ProcessResult r = pairRun(dir, {"-s", kExample, "-d", "h", "--solver", "highs"});
    unsetenv("PARALOGS_HIGHS_SCRIPT");
    EXPECT_EQ(r.status, 1);
    const Summary s = readSummary(dir.file("h/summary.tsv"));
    EXPECT_EQ(s.at("status"), "failed");
    EXPECT_EQ(s.at("note"), "the highs script " + dir.file("nowhere/highs-solve.mjs") +
                                " is missing (make deps installs HiGHS)");
}

TEST(PairCommand, GenomesThatCannotBeHadFailThePair) {
    TempDir dir;
    dir.write("bad.txt", "2\na 1\nb x\n");
    struct Case {
        std::vector<std::string> args;
        std::string note;
    };
    const Case cases[] = {
        {{"-s", kExample, "--a", "g1", "--b", "zz", "-d", "d"},
         kExample + ": genome zz is not in the file (genomes: g1 g2 g3)"},
        {{"-s", "bad.txt", "-d", "d"}, "bad.txt: line 3"},
        {{"-s", "missing.txt", "-d", "d"}, "cannot open missing.txt"},
    };
    for (const Case& c : cases) {
        const ProcessResult r = pairRun(dir, c.args);
        EXPECT_EQ(r.status, 1) << c.note;
        Summary s = readSummary(dir.file("d/summary.tsv"));
        EXPECT_EQ(s["status"], "failed");
        EXPECT_EQ(s["note"].rfind(c.note, 0), 0u) << s["note"];
        EXPECT_FALSE(dir.exists("d/model.lp"));
    }
}

TEST(PairCommand, ColumnsPrintsTheSummarysHeader) {
    // The header the workflow reads its columns from, and that of every
    // summary.tsv, alone on standard output; nothing is made.
    TempDir dir;
    const ProcessResult r = pairRun(dir, {"--columns"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, summaryHeader());
    EXPECT_EQ(r.out.substr(0, 7), "pair\ta\t");
    ASSERT_EQ(pairRun(dir, {"-s", kExample, "-d", "p", "--solver", "true {lp} {solution}"}).status, 1);
    EXPECT_EQ(test::readFile(dir.file("p/summary.tsv")).substr(0, r.out.size()), r.out);
}

TEST(PairCommand, PrintGraceSaysWhenTheSolverIsEnded) {
    // The seconds past the limit that the workflow sizes a job's runtime by:
    // 10% of the limit + 10 unless --grace says, in decimal without the
    // binary's tail (0.1 * 41 + 10) or a rounding to six digits.
    struct Case {
        std::vector<std::string> args;
        std::string out;
    };
    const std::vector<Case> cases = {
        {{}, "70\n"},
        {{"--time-limit", "120"}, "22\n"},
        {{"--time-limit", "41"}, "14.1\n"},
        {{"--time-limit", "1234567"}, "123466.7\n"},
        {{"--time-limit", "60", "--grace", "2.5"}, "2.5\n"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        std::vector<std::string> args = c.args;
        args.push_back("--print-grace");
        const ProcessResult r = pairRun(dir, args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, c.out) << c.out;
    }
    TempDir dir;
    const ProcessResult r = pairRun(dir, {"--time-limit", "0", "--print-grace"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
}

TEST(PairCommand, UnusableCommandLinesExitTwoAndTouchNothing) {
    const std::vector<std::vector<std::string>> cases = {
        {"-s", kExample},
        {"-d", "d"},
        {"-s", kExample, "-d", "d", "--distance", "inversion"},
        {"-s", kExample, "-d", "d", "--model", "most"},
        {"-s", kExample, "-d", "d", "--solver", "gurobi"},
        {"-s", kExample, "-d", "d", "--time-limit", "0"},
        {"-s", kExample, "-d", "d", "--threads", "0"},
        {"-s", kExample, "-d", "d", "--a", "g1"},
        {"-s", kExample, "-d", "d", "--a", "g1", "--b", "g1"},
        {"-s", kExample, "-d", "d", "--grace", "-1"},
        {"-s", kExample, "-d", "d", "stray"},
    };
    for (const auto& args : cases) {
        TempDir dir;
        const ProcessResult r = pairRun(dir, args);
        EXPECT_EQ(r.status, 2) << args.back();
        EXPECT_NE(r.err.find("Usage: paralogs pair"), std::string::npos) << args.back();
        EXPECT_FALSE(dir.exists("d")) << args.back();
    }
}

// Genomes of 40 single genes and a family x of many copies (25, 19 and 22
// in A, B and C; 45, 20 and 30 in P, Q and R), numbered 1 to n in each genome.
const std::string kManyCopies = RP_SOURCE_DIR "/tests/paralogs/data/copies_25_19_22.unimog";
const std::string kTooManyCopies = RP_SOURCE_DIR "/tests/paralogs/data/copies_45_20.unimog";

// The breakpoint score of the resolved genomes by `paralogs score`, which
// refuses a label twice in a genome.
std::string scoreOfResolved(const TempDir& dir, const std::string& pair) {
    const ProcessResult r = paralogs(dir, {"score", "-s", pair + "/resolved.txt"});
    EXPECT_EQ(r.status, 0) << pair << ": " << r.err;
    const std::vector<std::string> lines = test::linesOf(r.out);
    if (lines.size() != 2) return "";
    return test::tabFields(lines[1]).at(3);
}

TEST(PairCommand, FamiliesOfTwentyAndMoreCopiesReachTheOptimum) {
    if (!test::onPath("cbc")) GTEST_SKIP() << "cbc is not installed";
    struct Case {
        std::string genomes, a, b, indexLimit;
        bool renumbered;
    };
    const std::vector<Case> cases = {
        {kManyCopies, "A", "B", "", true},  {kManyCopies, "A", "C", "", true},
        {kManyCopies, "B", "C", "", false}, {kManyCopies, "C", "B", "", true},
        {kManyCopies, "B", "A", "", false}, {kTooManyCopies, "P", "Q", "x", true},
        {kTooManyCopies, "P", "R", "", true}, {kTooManyCopies, "Q", "R", "", false},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const ProcessResult r = pairRun(dir, {"-s", c.genomes, "--a", c.a, "--b", c.b, "-d", "p"});
        const std::string what = c.a + " against " + c.b;
        ASSERT_EQ(r.status, 0) << what << ": " << r.err;
        const Summary s = readSummary(dir.file("p/summary.tsv"));
        EXPECT_EQ(s.at("status"), "optimal") << what;
        EXPECT_EQ(s.at("score_equals_objective"), "yes") << what;
        EXPECT_EQ(s.at("index_limit"), c.indexLimit) << what;
        EXPECT_EQ(s.at("note"), "") << what;
        EXPECT_EQ(scoreOfResolved(dir, "p"), s.at("objective")) << what;
        // Copies are numbered from 20 up only where unmatched copies of A
        // need the indices below; elsewhere x.1 stays.
        const std::string written = dir.read("p/pair.txt");
        const bool firstCopy = written.find("x.1+") != std::string::npos ||
                               written.find("x.1-") != std::string::npos || written.find("x.1;") != std::string::npos;
        EXPECT_EQ(!firstCopy, c.renumbered) << what;
        EXPECT_EQ(r.err.find("copies numbered from 20 up") != std::string::npos, c.renumbered) << what;
    }
}

}  // namespace
}  // namespace rp::pair
