// The solver table: each solver's command line (threads, start, the
// cautious rerun, a template), what each descriptor says of itself, and the
// quoting of a template's paths.
#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "solving/solver_table.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace rp::solving {
namespace {

using Args = std::vector<std::string>;

SolverJob job() {
    SolverJob j;
    j.lp = "d/model.lp";
    j.solution = "d/solver.out";
    j.timeLimit = 30;
    j.threads = 1;
    j.script = "/x/highs-solve.mjs";
    return j;
}

// CBC's command line up to its time limit (on the job's program `lp`), then `rest`.
Args cbcWith(const Args& rest, const std::string& lp = "d/model.lp") {
    Args args{"stdbuf", "-oL", "cbc", lp, "timeMode", "elapsed", "sec", "30"};
    args.insert(args.end(), rest.begin(), rest.end());
    return args;
}

TEST(SolverTable, EachSolversArguments) {
    SolverJob threaded = job();
    threaded.threads = 4;
    SolverJob started = job();
    started.start = "d/start.sol";
    SolverJob dashed = job();
    dashed.lp = "-odd.lp";
    SolverJob cautious = started;
    cautious.cautious = true;
    SolverJob whole = job();
    whole.wholeObjective = true;
    struct Case {
        const char* solver;
        SolverJob job;
        Args args;
    };
    const Case cases[] = {
        {"cbc", job(), cbcWith({"solve", "solu", "d/solver.out"})},
        {"cbc", threaded, cbcWith({"threads", "4", "solve", "solu", "d/solver.out"})},
        {"cbc", dashed, cbcWith({"solve", "solu", "d/solver.out"}, "./-odd.lp")},
        {"cbc", started, cbcWith({"mipstart", "d/start.sol", "solve", "solu", "d/solver.out"})},
        {"cbc", cautious,
         cbcWith({"mipstart", "d/start.sol", "heuristicsOnOff", "off", "solve", "solu", "d/solver.out"})},
        {"cbc", whole, cbcWith({"increment", "0.999", "solve", "solu", "d/solver.out"})},
        {"glpsol", whole, {"glpsol", "--lp", "d/model.lp", "--tmlim", "30", "-o", "d/solver.out"}},
        {"glpsol", job(), {"glpsol", "--lp", "d/model.lp", "--tmlim", "30", "-o", "d/solver.out"}},
        {"glpsol", cautious, {"glpsol", "--lp", "d/model.lp", "--tmlim", "30", "-o", "d/solver.out"}},
        {"highs", threaded,
         {"node", "/x/highs-solve.mjs", "--model", "d/model.lp", "--solution", "d/solver.out", "--time-limit", "30",
          "--threads", "4"}},
        {"highs", started,
         {"node", "/x/highs-solve.mjs", "--model", "d/model.lp", "--solution", "d/solver.out", "--time-limit", "30",
          "--threads", "1", "--start", "d/start.sol"}},
        {"mysolver {lp} {solution} -t {threads} -l {time_limit}", threaded,
         {"/bin/sh", "-c", "mysolver 'd/model.lp' 'd/solver.out' -t 4 -l 30"}},
    };
    for (const Case& c : cases) EXPECT_EQ(solverArguments(parseSolver(c.solver), c.job), c.args) << c.solver;
    EXPECT_EQ(solverName(parseSolver("x {lp} {solution}").kind), "custom");
}

TEST(SolverTable, EachSolverOnceWithWhatItNeeds) {
    struct Row {
        SolverKind kind;
        const char* name;
        bool readsStart, retries;
        std::optional<solvers::Format> grammar;
        const char* script;
    };
    const Row rows[] = {
        {SolverKind::cbc, "cbc", true, true, solvers::Format::cbc, ""},
        {SolverKind::glpsol, "glpsol", false, false, solvers::Format::glpk, ""},
        {SolverKind::highs, "highs", true, false, solvers::Format::highs, "highs/highs-solve.mjs"},
        {SolverKind::custom, "custom", false, false, std::nullopt, ""},
    };
    ASSERT_EQ(solverTable().size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const SolverDescriptor& d = solverTable()[i];
        const Row& r = rows[i];
        EXPECT_EQ(d.kind, r.kind) << r.name;
        EXPECT_EQ(&describe(r.kind), &d) << r.name;
        EXPECT_EQ(d.name, r.name);
        EXPECT_EQ(d.readsStart, r.readsStart) << r.name;
        EXPECT_EQ(d.retriesCautiously, r.retries) << r.name;
        EXPECT_EQ(d.logGrammar, r.grammar) << r.name;
        EXPECT_EQ(d.script, r.script) << r.name;
        // A script comes with its variable and its installer; no script, neither.
        EXPECT_EQ(d.scriptVariable.empty(), d.script.empty()) << r.name;
        EXPECT_EQ(d.scriptInstall.empty(), d.script.empty()) << r.name;
        if (r.kind != SolverKind::custom) {
            EXPECT_EQ(parseSolver(r.name).kind, r.kind);
        } else {
            EXPECT_THROW(parseSolver(r.name), std::invalid_argument);  // "custom" is no template
        }
    }
}

TEST(SolverTable, TemplatesNeedTheProgramAndTheAnswer) {
    for (const char* text : {"", "cbc2", "mysolver {lp}", "mysolver {solution}", "CBC"})
        EXPECT_THROW(parseSolver(text), std::invalid_argument) << text;
}

TEST(SolverTable, QuotedPathsReachTheShellsCommandWhole) {
    // The shell itself reads the quoting back: every path arrives as it was.
    test::TempDir dir;
    SolverJob odd = job();
    odd.lp = "it's a \"model\" $HOME `x`.lp";
    odd.solution = dir.file("out put");
    const Args args = solverArguments(parseSolver("printf '%s\\n' {lp} > {solution}"), odd);
    const test::ProcessResult run = test::runProcess(args[0], {args[1], args[2]}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(test::readFile(odd.solution), odd.lp + "\n");
}

}  // namespace
}  // namespace rp::solving
