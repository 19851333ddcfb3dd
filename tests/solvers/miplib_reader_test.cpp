// The miplib reader alone, one table of cases: MIPLIB solution files: "=obj= V", then one "name value" line per variable; "=infeas=" for no solution.
#include <gtest/gtest.h>

#include "reader_cases.hpp"

namespace rp::solvers {
namespace {

TEST(MiplibReader, Cases) {
    test::expectCases(miplibReader(), {
        {"objective and variables", "=obj= 3\nz_a.1.2 1\nx 0.5\n", true, "", "3", Outcome::unknown,
         {"z_a.1.2=1@2", "x=0.5@3"}},
        {"blank lines and blanks around fields", "\n=obj= 7\n\n  x \t 2  \n", true, "", "7", Outcome::unknown, {"x=2@4"}},
        {"infeasible", "=infeas=\n", true, "", "", Outcome::noSolution, {}, "says =infeas="},
        {"a variable without its value", "=obj= 1\nx\n", true, "", "", Outcome::unknown, {}, "line 2: expected a name and a value"},
        {"a second solution asked for", "=obj= 1\nx 1\n", true, "", "", Outcome::unknown, {}, "holds one solution", 1},
        {"alike but not recognised", "=objective 3\n", false, "", "3", Outcome::unknown, {}},
    });
}

}  // namespace
}  // namespace rp::solvers
