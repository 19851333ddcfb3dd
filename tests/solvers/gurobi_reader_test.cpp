// The gurobi reader alone, one table of cases: Gurobi and COPT solution files: "#" header lines (the objective among them), then "name value" lines.
#include <gtest/gtest.h>

#include "reader_cases.hpp"

namespace rp::solvers {
namespace {

TEST(GurobiReader, Cases) {
    test::expectCases(gurobiReader(), {
        {"both header lines", "# Solution for model m\n# Objective value = 2\nz_a.1.1 1\nx 0\n", true, "", "2",
         Outcome::unknown, {"z_a.1.1=1@3", "x=0@4"}},
        {"COPT's header", "# Objective value 640\nONE          1\nx_a          20\n", true, "", "640", Outcome::unknown,
         {"ONE=1@2", "x_a=20@3"}},
        {"a name holding blanks is cut at its last blank", "# Objective value = 1\nmy var 3\n", true, "", "1",
         Outcome::unknown, {"my var=3@2"}},
        {"a variable without its value", "# Objective value = 1\nx\n", true, "", "", Outcome::unknown, {},
         "line 2: expected a name and a value"},
        {"a second solution asked for", "# Objective value = 1\nx 1\n", true, "", "", Outcome::unknown, {},
         "holds one solution", 1},
    });
}

}  // namespace
}  // namespace rp::solvers
