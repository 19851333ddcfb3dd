// The bound a solver's log reports, by each solver's grammar.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "solving/solver_log.hpp"

namespace rp::solving {
namespace {

using solvers::Format;

TEST(SolverLog, ReportedBoundByEachSolversGrammar) {
    struct Case {
        const char* what;
        Format format;
        Sense sense;
        std::string log;
        std::optional<double> bound;
    };
    const Case cases[] = {
        {"cbc maximisation: the bound negated", Format::cbc, Sense::maximise,
         "Cbc0010I After 0 nodes\nCbc0005I Partial search - best objective -120 (best possible -127.08679), took 0 "
         "iterations and 0 nodes (0.90 seconds)\nResult - Stopped on time limit\n",
         127.08679},
        {"cbc minimisation", Format::cbc, Sense::minimise,
         "Cbc0005I Partial search - best objective 12 (best possible 9.5), took 3 iterations\n", 9.5},
        {"cbc: the last line counts", Format::cbc, Sense::minimise,
         "x (best possible 3)\ny (best possible 4.25)\n", 4.25},
        {"cbc: 1e50 is no bound", Format::cbc, Sense::maximise, "best objective 1e+50 (best possible 1e+50)\n",
         std::nullopt},
        {"cbc: no such line", Format::cbc, Sense::maximise, "Result - Optimal solution found\n", std::nullopt},
        // A CBC ended in its preprocessing has written its first LP
        // relaxation's value (in the program's sense) and maybe the root's
        // cuts (in its own, minimising, sense).
        {"cbc: the first relaxation, minimising", Format::cbc, Sense::minimise,
         "Continuous objective value is 1983.81 - 3.38 seconds\nCgl0003I 9 fixed, 93 tightened bounds\n", 1983.81},
        {"cbc: the first relaxation, maximising", Format::cbc, Sense::maximise,
         "Continuous objective value is 669.042 - 0.00 seconds\n", 669.042},
        {"cbc: the root's cuts after the relaxation", Format::cbc, Sense::maximise,
         "Continuous objective value is 669.042 - 0.00 seconds\n"
         "Cbc0013I At root node, 12 cuts changed objective from -669.04201 to -663.88394 in 100 passes\n",
         663.88394},
        {"cbc: the search after the root", Format::cbc, Sense::minimise,
         "Continuous objective value is 1983.81 - 3.38 seconds\n"
         "Cbc0013I At root node, 586 cuts changed objective from 2046.0815 to 2062.0735 in 16 passes\n"
         "Cbc0010I After 100 nodes, 58 on tree, 2182 best solution, best possible 2062.253 (394.73 seconds)\n",
         2062.253},
        {"cbc: a relaxation cut short is no bound", Format::cbc, Sense::minimise,
         "Continuous objective value is \n", std::nullopt},
        {"glpk maximisation", Format::glpk, Sense::maximise,
         "+  4350: mip =   1.200000000e+02 <=   1.270000000e+02   5.8% (5; 0)\n"
         "+  5000: mip =   1.210000000e+02 <=   1.260000000e+02   4.0% (9; 1)\nTIME LIMIT EXCEEDED; SEARCH TERMINATED\n",
         126.0},
        {"glpk minimisation", Format::glpk, Sense::minimise,
         "+   100: mip =   9.000000000e+00 >=   7.500000000e+00  16.7% (2; 0)\n", 7.5},
        {"glpk: an infinite bound is none", Format::glpk, Sense::maximise,
         "+  3868: mip =     not found yet <=              +inf        (1; 0)\n", std::nullopt},
        {"glpk: the wrong relation is no bound", Format::glpk, Sense::minimise,
         "+  1: mip =   1.2e+02 <=   1.27e+02   5.8% (5; 0)\n", std::nullopt},
        {"highs", Format::highs, Sense::maximise,
         "Solving report\n  Status            Time limit reached\n  Primal bound      120\n  Dual bound        "
         "126.5\n",
         126.5},
        {"highs: inf is none", Format::highs, Sense::maximise, "  Dual bound        inf\n", std::nullopt},
        {"a format whose log is not read", Format::gurobi, Sense::maximise, "best possible 3\n  Dual bound 4\n",
         std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(reportedBound(c.format, c.log, c.sense), c.bound) << c.what;
}

TEST(SolverLog, SearchEndedByItsClosingSummary) {
    struct Case {
        const char* what;
        Format format;
        const char* log;
        bool ended;
    };
    const Case cases[] = {
        {"cbc stopped on its limit", Format::cbc,
         "Cbc0020I Exiting on maximum time\nCbc0005I Partial search - best objective 2183 (best possible 2038.4666), "
         "took 0 iterations and 0 nodes (14.90 seconds)\nCuts at root node changed objective from 2038.47 to 2038.47\n",
         true},
        {"cbc proved", Format::cbc, "Cbc0001I Search completed - best objective 6, took 12 iterations and 0 nodes\n",
         true},
        {"cbc mid-search", Format::cbc,
         "Continuous objective value is 1983.81 - 3.36 seconds\nCbc0010I After 100 nodes, 58 on tree, 2182 best "
         "solution, best possible 2062.253 (394.73 seconds)\n",
         false},
        {"cbc before anything", Format::cbc, "", false},
        {"another solver's summary is not read", Format::highs, "Partial search\nSolving report\n", false},
    };
    for (const Case& c : cases) EXPECT_EQ(searchEnded(c.format, c.log), c.ended) << c.what;
}

}  // namespace
}  // namespace rp::solving
