// The glpk reader alone, one table of cases: GLPK's printed report (glpsol -o): Status and Objective lines, then the columns' table, long names on a line of their own.
#include <gtest/gtest.h>

#include "reader_cases.hpp"

namespace rp::solvers {
namespace {

TEST(GlpkReader, Cases) {
    test::expectCases(glpkReader(), {
        {"integer optimal", "Problem:    \nRows:       1\nColumns:    2 (2 integer, 2 binary)\nNon-zeros:  2\n"
                            "Status:     INTEGER OPTIMAL\nObjective:  obj = 1 (MINimum)\n\n"
                            "   No.   Row name        Activity     Lower bound   Upper bound\n"
                            "------ ------------    ------------- ------------- -------------\n"
                            "     1 r1                          1             1             = \n\n"
                            "   No. Column name       Activity     Lower bound   Upper bound\n"
                            "------ ------------    ------------- ------------- -------------\n"
                            "     1 z_a.1.1      *              1             0             1 \n"
                            "     2 z_a_long_family.1.2\n"
                            "                    *              0             0             1 \n",
         true, "INTEGER OPTIMAL", "1", Outcome::optimal, {"z_a.1.1=1@14", "z_a_long_family.1.2=0@15"}},
        {"no Status line", "Problem:    p\nRows:       1\nColumns:    1\n", true, "", "", Outcome::unknown, {},
         "has no Status line"},
        {"fewer columns than declared", "Problem:    p\nRows:       0\nColumns:    2\nStatus:     OPTIMAL\n"
                                        "Objective:  obj = 1 (MINimum)\n\n"
                                        "   No. Column name  St   Activity     Lower bound   Upper bound    Marginal\n"
                                        "------ ------------ -- ------------- ------------- ------------- -------------\n"
                                        "     1 x            B              1             0             1 \n",
         true, "", "", Outcome::optimal, {}, "the GLPK report says 2 columns but lists 1"},
        {"not recognised without Rows second", "Problem:    p\nColumns:    1\n", false, "", "", Outcome::unknown, {},
         "has no Status line"},
    });
}

}  // namespace
}  // namespace rp::solvers
