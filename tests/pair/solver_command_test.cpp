// The command lines of the solvers and of a template.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "pair/solver_command.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace rp::pair {
namespace {

using Args = std::vector<std::string>;

SolverJob job() {
    SolverJob j;
    j.lp = "d/model.lp";
    j.solution = "d/solver.out";
    j.timeLimit = 30;
    j.threads = 1;
    j.highsScript = "/x/highs-solve.mjs";
    return j;
}

TEST(SolverCommand, EachSolversArguments) {
    SolverJob threaded = job();
    threaded.threads = 4;
    SolverJob started = job();
    started.start = "d/start.sol";
    SolverJob whole = job();
    whole.wholeObjective = true;
    SolverJob dashed = job();
    dashed.lp = "-odd.lp";
    struct Case {
        const char* solver;
        SolverJob job;
        Args args;
    };
    const Case cases[] = {
        {"cbc", job(), {"cbc", "d/model.lp", "sec", "30", "solve", "solu", "d/solver.out"}},
        {"cbc", threaded, {"cbc", "d/model.lp", "sec", "30", "threads", "4", "solve", "solu", "d/solver.out"}},
        {"cbc", dashed, {"cbc", "./-odd.lp", "sec", "30", "solve", "solu", "d/solver.out"}},
        {"cbc", started,
         {"cbc", "d/model.lp", "sec", "30", "mipstart", "d/start.sol", "solve", "solu", "d/solver.out"}},
        {"cbc", whole, {"cbc", "d/model.lp", "sec", "30", "increment", "0.999", "solve", "solu", "d/solver.out"}},
        {"glpsol", whole, {"glpsol", "--lp", "d/model.lp", "--tmlim", "30", "-o", "d/solver.out"}},
        {"highs", threaded,
         {"node", "/x/highs-solve.mjs", "--model", "d/model.lp", "--solution", "d/solver.out", "--time-limit", "30",
          "--threads", "4"}},
        {"mysolver {lp} {solution} -t {threads} -l {time_limit}", threaded,
         {"/bin/sh", "-c", "mysolver 'd/model.lp' 'd/solver.out' -t 4 -l 30"}},
    };
    for (const Case& c : cases) EXPECT_EQ(solverArguments(parseSolver(c.solver), c.job), c.args) << c.solver;
    EXPECT_EQ(solverName(parseSolver("x {lp} {solution}").kind), "custom");
}

TEST(SolverCommand, TemplatesNeedTheProgramAndTheAnswer) {
    for (const char* text : {"", "cbc2", "mysolver {lp}", "mysolver {solution}", "CBC"})
        EXPECT_THROW(parseSolver(text), std::invalid_argument) << text;
}

TEST(SolverCommand, QuotedPathsReachTheShellsCommandWhole) {
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
}  // namespace rp::pair
