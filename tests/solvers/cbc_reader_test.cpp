// The cbc reader alone, one table of cases: CBC solution files: a status line, then "index name value reduced-cost" lines; rows first when they are printed too.
#include <gtest/gtest.h>

#include "reader_cases.hpp"

namespace rp::solvers {
namespace {

TEST(CbcReader, Cases) {
    test::expectCases(cbcReader(), {
        {"optimal", "Optimal - objective value 3.00000000\n      0 z_a.1.1                0                       3\n"
                    "      1 z_a.1.2                1                       1\n",
         true, "Optimal", "3.00000000", Outcome::optimal, {"z_a.1.1=0@2", "z_a.1.2=1@3"}},
        {"rows before columns, starred", "Optimal (within gap tolerance) - objective value 2.00000000\n"
                                         "      0 c1      1      0\n**    1 c2      3      0\n"
                                         "      0 x       1      0\n**    1 y       2      1\n",
         true, "Optimal (within gap tolerance)", "2.00000000", Outcome::limit, {"x=1@4", "y=2@5"}},
        {"stopped on time", "Stopped on time - objective value 3.00000000\n      0 x  1  0\n", true,
         "Stopped on time", "3.00000000", Outcome::limit, {"x=1@2"}},
        {"the oldest layout, no status line", "      0 x  1  0\n      1 y  0  0\n", true, "", "", Outcome::unknown,
         {"x=1@1", "y=0@2"}},
        {"a third numbering", "Optimal - objective value 1\n 0 a 1 0\n 0 b 1 0\n 0 c 1 0\n", true, "", "", Outcome::optimal,
         {}, "line 4: a third numbering from 0"},
        {"a line of another shape", "Optimal - objective value 1\n 0 a 1 0\nnot a value line\n", true, "", "",
         Outcome::optimal, {}, "line 3: expected \"index name value reduced-cost\""},
        {"a second solution asked for", "Optimal - objective value 1\n 0 a 1 0\n", true, "", "", Outcome::optimal, {},
         "holds one solution", 1},
    });
}

}  // namespace
}  // namespace rp::solvers
