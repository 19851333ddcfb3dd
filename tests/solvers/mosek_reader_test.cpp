// The mosek reader alone, one table of cases: MOSEK solution files: "KEY : value" header lines, then the VARIABLES section placed by its heading.
#include <gtest/gtest.h>

#include "reader_cases.hpp"

namespace rp::solvers {
namespace {

TEST(MosekReader, Cases) {
    test::expectCases(mosekReader(), {
        {"integer optimal", "NAME                :  \nPROBLEM STATUS      : PRIMAL_FEASIBLE\n"
                            "SOLUTION STATUS     : INTEGER_OPTIMAL\nPRIMAL OBJECTIVE    : 2\n\nVARIABLES\n"
                            "INDEX      NAME                                 AT ACTIVITY                 LOWER LIMIT\n"
                            "0          z_a.1.1                              SB 1                        0\n"
                            "1          x                                    SB 0.5                      0\n",
         true, "INTEGER_OPTIMAL", "2", Outcome::optimal, {"z_a.1.1=1@8", "x=0.5@9"}},
        {"feasible only", "NAME : p\nPROBLEM STATUS : PRIMAL_FEASIBLE\nSOLUTION STATUS : PRIMAL_FEASIBLE\n\nVARIABLES\n"
                          "INDEX NAME AT ACTIVITY\n0     x    SB 1\n",
         true, "PRIMAL_FEASIBLE", "", Outcome::limit, {"x=1@7"}},
        {"no VARIABLES section", "NAME : p\nPROBLEM STATUS : PRIMAL_FEASIBLE\nSOLUTION STATUS : OPTIMAL\n\nCONSTRAINTS\n",
         true, "", "", Outcome::optimal, {}, "no VARIABLES section"},
        {"a heading without ACTIVITY", "NAME : p\nPROBLEM STATUS : X\n\nVARIABLES\nINDEX NAME AT VALUE\n", true, "", "",
         Outcome::noSolution, {}, "line 5: expected the heading INDEX NAME AT ACTIVITY"},
        {"not recognised without PROBLEM STATUS second", "NAME : p\nSOLUTION STATUS : OPTIMAL\n\nVARIABLES\nINDEX NAME AT ACTIVITY\n",
         false, "OPTIMAL", "", Outcome::optimal, {}},
    });
}

}  // namespace
}  // namespace rp::solvers
