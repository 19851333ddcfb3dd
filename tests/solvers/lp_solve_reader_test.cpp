// The lp_solve reader alone, one table of cases: lp_solve's printed solution: "Value of objective function:", "Actual values of the variables:", the last block counting.
#include <gtest/gtest.h>

#include "reader_cases.hpp"

namespace rp::solvers {
namespace {

TEST(LpSolveReader, Cases) {
    test::expectCases(lpSolveReader(), {
        {"one block", "\nValue of objective function: 3\n\nActual values of the variables:\nx        1\ny        2\n", true,
         "", "3", Outcome::optimal, {"x=1@5", "y=2@6"}},
        {"the last of two blocks", "\nValue of objective function: 3.00000000\n\nActual values of the variables:\n"
                                   "x                               1\n\nImproved solution\nValue of objective function: 2\n\n"
                                   "Actual values of the variables:\nx                               0\n\n"
                                   "Actual values of the constraints:\nc1    1\n",
         true, "", "2", Outcome::optimal, {"x=0@11"}},
        {"sub-optimal", "\nSuboptimal solution\n\nValue of objective function: 2\n\nActual values of the variables:\nx   1\n",
         true, "Suboptimal solution", "2", Outcome::limit, {"x=1@7"}},
        {"infeasible", "\nThis problem is infeasible\n", true, "", "", Outcome::noSolution, {}, "printed no solution"},
        {"unbounded", "\nThis problem is unbounded\n", true, "", "", Outcome::unbounded, {}, "printed no solution"},
    });
}

}  // namespace
}  // namespace rp::solvers
