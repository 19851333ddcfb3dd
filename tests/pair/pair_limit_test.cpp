// A limit is never a failure: through the paralogs binary, a pair whose
// solver stops at its time limit, is ended by us past it, or crashes ends at
// status limit with a matching whose distance `paralogs score` recomputes
// from the resolved genomes, and a lower bound no greater than it. CBC's
// crash on the program of ../shared/solver-crash is retried without its
// heuristics.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/paralogs.hpp"
#include "support/process.hpp"
#include "support/solvers.hpp"
#include "support/temp_dir.hpp"

namespace rp::pair {
namespace {

using test::ProcessResult;
using test::TempDir;
using Summary = std::map<std::string, std::string>;

const std::string kData = RP_SOURCE_DIR "/tests/pair/data/";
const std::string kExample = RP_SOURCE_DIR "/examples/structs.txt";
const std::string kCrash = RP_SHARED_DIR "/solver-crash/";

// A header line and one line, by the header's names.
Summary readTable(const std::string& text) {
    std::istringstream in(text);
    std::string header, line;
    std::getline(in, header);
    std::getline(in, line);
    const std::vector<std::string> names = test::tabFields(header), values = test::tabFields(line);
    EXPECT_EQ(names.size(), values.size()) << text;
    Summary row;
    for (std::size_t i = 0; i < names.size() && i < values.size(); ++i) row[names[i]] = values[i];
    return row;
}

ProcessResult paralogs(const TempDir& dir, const std::vector<std::string>& args) {
    return test::runProcess(RP_PARALOGS_PATH, args, dir.path());
}

// The distance of the resolved genomes by `paralogs score`, a road apart
// from the pair's own.
std::string scoredDistance(const TempDir& dir, const std::string& pairDir, const std::string& measure) {
    const ProcessResult r = paralogs(dir, {"score", "-s", pairDir + "/resolved.txt", "--distance", measure});
    EXPECT_EQ(r.status, 0) << r.err;
    return readTable(r.out).at(measure == "dcj" ? "distance" : "breakpoint_distance");
}

// What every pair stopped short of a proof must show.
void expectALimit(const TempDir& dir, const std::string& pairDir, const std::string& measure, const ProcessResult& r) {
    ASSERT_EQ(r.status, 0) << r.err;
    const Summary s = readTable(test::readFile(dir.file(pairDir + "/summary.tsv")));
    EXPECT_EQ(s.at("status"), "limit") << pairDir;
    ASSERT_FALSE(s.at("distance").empty()) << pairDir;
    EXPECT_EQ(s.at("distance"), scoredDistance(dir, pairDir, measure)) << pairDir;
    ASSERT_FALSE(s.at("lower_bound").empty()) << pairDir;
    EXPECT_LE(std::stod(s.at("lower_bound")), std::stod(s.at("distance"))) << pairDir;
    EXPECT_NE(s.at("note").find("the solver stopped on a limit"), std::string::npos) << s.at("note");
}

TEST(PairLimit, ASolverWithoutAnAnswerInTimeLeavesTheStartsMatching) {
    // Stand-ins: one that never answers, ended at once past its limit of
    // 1 s; one that uses its second and answers without a solution.
    struct Case {
        const char* solver;
        const char* grace;
        const char* solverStatus;
        const char* note;
    };
    const Case cases[] = {
        {"sleep 60 # {lp} {solution}", "0", "ended after its time limit",
         "the solver ran past its time limit of 1 s by more than 0 s and was ended: the answer is the start's "
         "matching"},
        {"sleep 1; echo 'Stopped on time (no integer solution - continuous used) - objective value 35' > {solution} "
         "# {lp}",
         "600", "no answer within its time limit",
         "the solver gave no answer within its time limit of 1 s (p/solver.out: no solution in the file"},
    };
    for (const Case& c : cases)
        for (const char* measure : {"breakpoint", "dcj"}) {
            TempDir dir;
            const ProcessResult r = paralogs(dir, {"pair", "-s", kExample, "-d", "p", "--distance", measure,
                                                   "--solver", c.solver, "--time-limit", "1", "--grace", c.grace});
            expectALimit(dir, "p", measure, r);
            const Summary s = readTable(dir.read("p/summary.tsv"));
            EXPECT_EQ(s.at("solver_status"), c.solverStatus) << measure;
            EXPECT_EQ(s.at("objective"), "") << measure;
            EXPECT_EQ(s.at("score_equals_objective"), "unknown") << measure;
            EXPECT_EQ(s.at("lower_bound"), std::string(measure) == "dcj" ? "0" : "0.0") << measure;  // ours: 0
            EXPECT_NE(s.at("note").find(c.note), std::string::npos) << s.at("note");
            EXPECT_NE(r.err.find("paralogs pair: p: limit, " + std::string(measure) + " distance " + s.at("distance")),
                      std::string::npos)
                << r.err;
        }
}

TEST(PairLimit, ACbcEndedPastItsLimitLeavesItsLogAndItsBound) {
    // A stand-in cbc that writes its first relaxation, as CBC does, and
    // then computes without end (as CBC does in its preprocessing, which
    // does not look at the clock): ended past its limit, its log still
    // holds the line (its output to the file would otherwise wait in a
    // buffer), and the pair takes the bound, rounded up to a whole distance.
    TempDir dir;
    std::filesystem::create_directory(dir.file("bin"));
    dir.write("bin/cbc", "#!/bin/sh\nexec awk 'BEGIN { print \"Continuous objective value is 0.25 - 0.01 seconds\"; "
                         "for (;;) {} }'\n");
    std::filesystem::permissions(dir.file("bin/cbc"), std::filesystem::perms::owner_all);
    const ProcessResult r = test::runShell(dir, "PATH=\"$PWD/bin:$PATH\" \"$P\" pair -s '" + kExample +
                                                    "' -d p --distance dcj --time-limit 1 --grace 0");
    expectALimit(dir, "p", "dcj", r);
    EXPECT_NE(dir.read("p/solver.log").find("Continuous objective value is 0.25"), std::string::npos)
        << dir.read("p/solver.log");
    EXPECT_EQ(readTable(dir.read("p/summary.tsv")).at("lower_bound"), "1");
}

TEST(PairLimit, ASolverThatCrashesLeavesItsAnswerOrTheStarts) {
    // Templates have no cautious rerun: a crash is reported as such. An
    // answer written before the crash is taken, at status limit even when
    // it says optimal; without one, the start's matching.
    const std::string answer = "'" + kData + "example-g1-g2-limit.cbc'";
    struct Case {
        std::string solver;
        const char* measure;
        const char* distance;  // empty: the start's, whatever it is
        const char* note;
    };
    const Case cases[] = {
        {"kill -SEGV $$ # {lp} {solution}", "dcj", "", "the answer is the start's matching"},
        {"kill -SEGV $$ # {lp} {solution}", "breakpoint", "", "the answer is the start's matching"},
        {"cp " + answer + " {solution}; kill -SEGV $$ # {lp}", "breakpoint", "4.0",
         "the answer is the one it wrote before"},
        {"sed 's/Stopped on time/Optimal/' " + answer + " > {solution}; kill -SEGV $$ # {lp}", "breakpoint", "4.0",
         "the answer is the one it wrote before"},
        {"echo garbage > {solution}; kill -SEGV $$ # {lp}", "breakpoint", "", "the answer is the start's matching"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const ProcessResult r =
            paralogs(dir, {"pair", "-s", kExample, "-d", "p", "--distance", c.measure, "--solver", c.solver});
        expectALimit(dir, "p", c.measure, r);
        const Summary s = readTable(dir.read("p/summary.tsv"));
        if (*c.distance != '\0') {
            EXPECT_EQ(s.at("distance"), c.distance) << c.solver;
        }
        EXPECT_EQ(s.at("lower_bound"), std::string(c.measure) == "dcj" ? "0" : "0.0") << c.solver;
        EXPECT_NE(s.at("note").find("the solver crashed with signal 11"), std::string::npos) << s.at("note");
        EXPECT_NE(s.at("note").find(c.note), std::string::npos) << s.at("note");
        EXPECT_FALSE(dir.exists("p/solver.log.crashed"));
    }
}

TEST(PairLimit, RealCbcStoppedByATinyLimit) {
    if (!test::onPath("cbc")) GTEST_SKIP() << "cbc is not installed";
    // 40 single-copy genes and a family of 19 copies in A, 15 in B on one
    // circular chromosome: far from proven in a second.
    TempDir dir;
    const ProcessResult r = paralogs(
        dir, {"pair", "-s", kData + "symmetric-19-15.unimog", "-d", "p", "--distance", "dcj", "--time-limit", "1"});
    expectALimit(dir, "p", "dcj", r);
}

TEST(PairLimit, HumanAndMouseAtALimitKeepTheirDistanceAndABound) {
    if (!test::onPath("cbc")) GTEST_SKIP() << "cbc is not installed";
    const std::string genomes = RP_SHARED_DIR "/genomes/human-mouse.txt";
    if (std::system(("test -f '" + genomes + "'").c_str()) != 0)
        GTEST_SKIP() << "no " << genomes << " (the shared data beside the repository)";
    // Real genomes, far from proven in seconds: the reported distance is the
    // resolved genomes' own, no more than the warm start's (2183), and the
    // bound is a real one (the first relaxation alone passes 1900), short of
    // the distance.
    TempDir dir;
    const ProcessResult r = paralogs(dir, {"pair", "-s", genomes, "-d", "hm", "--distance", "dcj", "--threads", "1",
                                           "--time-limit", "8"});
    expectALimit(dir, "hm", "dcj", r);
    const Summary s = readTable(dir.read("hm/summary.tsv"));
    EXPECT_LE(std::stoi(s.at("distance")), 2183);
    EXPECT_GT(std::stod(s.at("lower_bound")), 1900);
    EXPECT_LT(std::stod(s.at("lower_bound")), std::stod(s.at("distance")));
}

// A directory holding a `cbc` that stands in front of the real one: it runs
// `body` (a shell script's text) with the real cbc as $REAL and the
// arguments as given.
std::string fakeCbc(const TempDir& dir, const std::string& body) {
    const ProcessResult where = test::runProcess("/bin/sh", {"-c", "command -v cbc"}, dir.path());
    std::string real = where.out;
    while (!real.empty() && real.back() == '\n') real.pop_back();
    std::filesystem::create_directories(dir.file("bin"));
    dir.write("bin/cbc", "#!/bin/sh\nREAL='" + real + "'\n" + body + "\n");
    EXPECT_EQ(std::system(("chmod +x '" + dir.file("bin/cbc") + "'").c_str()), 0);
    return dir.file("bin");
}

// Runs `paralogs pair` with `bin` first on PATH.
ProcessResult pairWithPath(const TempDir& dir, const std::string& bin, const std::vector<std::string>& args) {
    const std::string path = std::getenv("PATH");
    setenv("PATH", (bin + ":" + path).c_str(), 1);
    std::vector<std::string> all{"pair"};
    all.insert(all.end(), args.begin(), args.end());
    const ProcessResult r = paralogs(dir, all);
    setenv("PATH", path.c_str(), 1);
    return r;
}

TEST(PairLimit, CbcsCrashIsRetriedWithoutItsHeuristics) {
    if (!test::onPath("cbc")) GTEST_SKIP() << "cbc is not installed";
    if (std::system(("test -f '" + kCrash + "pair.txt'").c_str()) != 0)
        GTEST_SKIP() << "no " << kCrash << " (the shared data beside the repository)";
    // With the road's start CBC proves the program at once.
    TempDir dir;
    const std::vector<std::string> args{"-s", kCrash + "pair.txt", "-d", "p", "--distance", "dcj", "--model", "exemplar"};
    std::vector<std::string> all{"pair"};
    all.insert(all.end(), args.begin(), args.end());
    ProcessResult r = paralogs(dir, all);
    ASSERT_EQ(r.status, 0) << r.err;
    Summary s = readTable(dir.read("p/summary.tsv"));
    EXPECT_EQ(s.at("status"), "optimal");
    EXPECT_EQ(s.at("distance"), "6");
    // Without its start the real CBC aborts in its feasibility pump; the
    // road runs it once more without heuristics, and it proves 6.
    const std::string bin = fakeCbc(dir,
                                    "for a; do shift; if [ \"$skip\" ]; then skip=; continue; fi\n"
                                    "  if [ \"$a\" = mipstart ]; then skip=1; continue; fi; set -- \"$@\" \"$a\"; done\n"
                                    "exec \"$REAL\" \"$@\"");
    r = pairWithPath(dir, bin, args);
    ASSERT_EQ(r.status, 0) << r.err;
    s = readTable(dir.read("p/summary.tsv"));
    EXPECT_EQ(s.at("status"), "optimal");
    EXPECT_EQ(s.at("distance"), "6");
    EXPECT_EQ(s.at("distance"), scoredDistance(dir, "p", "dcj"));
    EXPECT_NE(r.err.find("paralogs pair: solver crashed with signal 6 (Aborted): once more without its heuristics"),
              std::string::npos)
        << r.err;
    EXPECT_NE(dir.read("p/solver.log.crashed").find("Assertion"), std::string::npos);
    EXPECT_NE(dir.read("p/solver.log").find("heuristicsOnOff"), std::string::npos);
}

TEST(PairLimit, ACbcThatAlwaysCrashesLeavesTheStartsMatching) {
    if (!test::onPath("cbc")) GTEST_SKIP() << "cbc is not installed";
    TempDir dir;
    const std::string bin = fakeCbc(dir, "echo \"run: $*\"; kill -ABRT $$");
    const ProcessResult r = pairWithPath(dir, bin, {"-s", kExample, "-d", "p", "--distance", "dcj"});
    expectALimit(dir, "p", "dcj", r);
    const Summary s = readTable(dir.read("p/summary.tsv"));
    EXPECT_EQ(s.at("solver_status"), "crashed");
    EXPECT_EQ(s.at("lower_bound"), "0");
    EXPECT_NE(s.at("note").find("the solver crashed with signal 6 (Aborted) (p/solver.log ends: run: "),
              std::string::npos)
        << s.at("note");
    // Two runs, the second without heuristics.
    EXPECT_EQ(dir.read("p/solver.log.crashed").find("heuristicsOnOff"), std::string::npos);
    EXPECT_NE(dir.read("p/solver.log").find("heuristicsOnOff off"), std::string::npos);
}

TEST(PairLimit, ACrashAfterTheSearchsSummaryKeepsItsBoundWithoutASecondRun) {
    if (!test::onPath("cbc")) GTEST_SKIP() << "cbc is not installed";
    // CBC stopped on its limit in its root may crash on its way out, after
    // its closing summary (as it does on human/mouse): its bound stands, and
    // a second run would meet the same end. A crash before the summary
    // proves nothing: no bound, and the cautious second run.
    struct Case {
        const char* what;
        const char* summary;
        const char* bound;
        bool secondRun;
    };
    const Case cases[] = {
        {"after the summary", "echo 'Cbc0005I Partial search - best objective 7 (best possible 1.5), took 0 nodes'\n",
         "2", false},
        {"mid-search", "", "0", true},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string bin = fakeCbc(dir, std::string("echo 'Continuous objective value is 0.25 - 0.01 seconds'\n") +
                                                 c.summary + "kill -SEGV $$");
        const ProcessResult r = pairWithPath(dir, bin, {"-s", kExample, "-d", "p", "--distance", "dcj"});
        expectALimit(dir, "p", "dcj", r);
        const Summary s = readTable(dir.read("p/summary.tsv"));
        EXPECT_EQ(s.at("solver_status"), "crashed") << c.what;
        EXPECT_EQ(s.at("lower_bound"), c.bound) << c.what;
        EXPECT_EQ(dir.exists("p/solver.log.crashed"), c.secondRun) << c.what;
    }
}

}  // namespace
}  // namespace rp::pair
