// The scip reader alone, one table of cases: SCIP solution files: "solution status:", "objective value:", then "name value (obj:c)" lines.
#include <gtest/gtest.h>

#include "reader_cases.hpp"

namespace rp::solvers {
namespace {

TEST(ScipReader, Cases) {
    test::expectCases(scipReader(), {
        {"optimal", "solution status: optimal solution found\nobjective value: 5\nz_a.1.1   1 \t(obj:1)\nx 2 (obj:0)\n",
         true, "optimal solution found", "5", Outcome::optimal, {"z_a.1.1=1@3", "x=2@4"}},
        {"at a time limit", "solution status: time limit reached\nobjective value: 5\nx 1 (obj:1)\n", true,
         "time limit reached", "5", Outcome::limit, {"x=1@3"}},
        {"no solution", "solution status: infeasible\nno solution available\n", true, "", "", Outcome::noSolution, {},
         "SCIP wrote no solution available"},
        {"no objective line", "solution status: optimal solution found\nx 1\n", true, "", "", Outcome::optimal, {},
         "line 2: expected \"objective value:\""},
        {"ends before its objective", "solution status: optimal solution found\n", true, "", "", Outcome::optimal, {},
         "ends before its objective value"},
        {"another format", "=obj= 3\n", false, "", "", Outcome::unknown, {}, "expected \"solution status:\" on the first line"},
    });
}

}  // namespace
}  // namespace rp::solvers
