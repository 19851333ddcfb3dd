// The highs reader alone, one table of cases: HiGHS solution files, the raw layout (sparse or not) and the pretty one.
#include <gtest/gtest.h>

#include "reader_cases.hpp"

namespace rp::solvers {
namespace {

TEST(HighsReader, Cases) {
    test::expectCases(highsReader(), {
        {"raw, sparse", "Model status\nOptimal\n\n# Primal solution values\nFeasible\nObjective 1\n# Columns -2\n"
                        "x 1 0\nz_a.1.1 1 4\n# Rows 0\n",
         true, "Optimal", "1", Outcome::optimal, {"x=1@8", "z_a.1.1=1@9"}},
        {"raw, dense", "Model status\nOptimal\n\n# Primal solution values\nFeasible\nObjective 2\n# Columns 2\n"
                       "x 1\ny 0\n# Rows 0\n",
         true, "Optimal", "2", Outcome::optimal, {"x=1@8", "y=0@9"}},
        {"pretty", "Columns\n    Index Status        Lower        Upper       Primal         Dual  Type        Name\n"
                   "        0     BS            0          inf           40            0  Continuous  x1\n"
                   "        1     LB            0            1            1            0  Integer     z_a.1.1\n"
                   "Rows\n    Index Status        Lower        Upper       Primal         Dual  Name\n"
                   "        0     UB         -inf           20           20        -3.5  c1\n\n"
                   "Model status: Optimal\n\nObjective value: 122.5\n",
         true, "Optimal", "122.5", Outcome::optimal, {"x1=40@3", "z_a.1.1=1@4"}},
        {"no feasible point", "Model status\nInfeasible\n\n# Primal solution values\nNone\n", true, "", "",
         Outcome::noSolution, {}, "HiGHS lists no feasible primal solution (None)"},
        {"fewer columns than declared", "Model status\nOptimal\n\n# Primal solution values\nFeasible\nObjective 1\n"
                                        "# Columns 2\nx 1\n# Rows 0\n",
         true, "", "", Outcome::optimal, {}, "the HiGHS file says \"# Columns 2\" but lists"},
    });
}

}  // namespace
}  // namespace rp::solvers
