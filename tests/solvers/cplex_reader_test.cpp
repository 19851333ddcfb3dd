// The CPLEX XML reader alone, one table of cases: one solution or a pool
// (the member with solutionIndex -1, or the one asked for), the header's
// status and objective, names and values as the walk expands them.
#include <gtest/gtest.h>

#include "reader_cases.hpp"

namespace rp::solvers {
namespace {

TEST(CplexReader, Cases) {
    test::expectCases(cplexReader(), {
        {"one solution", "<?xml version=\"1.0\"?>\n<CPLEXSolution version=\"1.2\">\n <header objectiveValue=\" 7 \" "
                         "solutionStatusString=\"integer optimal solution\"/>\n <variables>\n"
                         "  <variable name=\"z_a.1.2\" index=\"0\" value=\"1\"/>\n"
                         "  <variable name=\"x\" index=\"1\" value=\"0.5\"/>\n </variables>\n</CPLEXSolution>\n",
         true, "integer optimal solution", "7", Outcome::optimal, {"z_a.1.2=1@0", "x=0.5@0"}},
        {"a status at a limit, a name with references",
         "<CPLEXSolution><header solutionStatusString=\"time limit exceeded\"/><variables>"
         "<variable name=\"a&amp;&#98;\" value=\"&#49;\"/></variables></CPLEXSolution>",
         true, "time limit exceeded", "", Outcome::limit, {"a&b=1@0"}},
        {"no status: unknown; a variable without a name", "<CPLEXSolution><header/><variables>"
                                                          "<variable value=\"2\"/></variables></CPLEXSolution>",
         true, "", "", Outcome::unknown, {"(unnamed)=2@0"}},
        {"a pool prefers solutionIndex -1", "<CPLEXSolutions>"
                                            "<CPLEXSolution><header solutionIndex=\"0\" solutionStatusString=\"a\"/>"
                                            "<variables><variable name=\"x\" value=\"1\"/></variables></CPLEXSolution>"
                                            "<CPLEXSolution><header solutionIndex=\"-1\" objectiveValue=\"4\" "
                                            "solutionStatusString=\"optimal\"/><variables>"
                                            "<variable name=\"y\" value=\"2\"/></variables></CPLEXSolution>"
                                            "</CPLEXSolutions>",
         true, "optimal", "4", Outcome::optimal, {"y=2@0"}},
        {"a pool member asked for", "<CPLEXSolutions>"
                                    "<CPLEXSolution><header solutionIndex=\"0\"/><variables>"
                                    "<variable name=\"x\" value=\"1\"/></variables></CPLEXSolution>"
                                    "<CPLEXSolution><header solutionIndex=\"-1\"/><variables>"
                                    "<variable name=\"y\" value=\"2\"/></variables></CPLEXSolution>"
                                    "</CPLEXSolutions>",
         true, "", "", Outcome::unknown, {"x=1@0"}, "", 0},
        {"a member past the last", "<CPLEXSolution><header/><variables/></CPLEXSolution>", true, "", "",
         Outcome::unknown, {}, "--solution 3: the file holds 1 solution (numbered from 0)", 3},
        {"a variable without a value", "<CPLEXSolution><header/><variables><variable name=\"x\"/></variables></CPLEXSolution>",
         true, "", "", Outcome::unknown, {}, "variable 0 of solution 0 has no value"},
        {"no CPLEXSolution", "<CPLEXSolutionX/>", false, "", "", Outcome::unknown, {}, "no CPLEXSolution element"},
        {"XML it cannot read", "<CPLEXSolution><header/><variables><variable name=\"x\" value=\"1\"></CPLEXSolution",
         true, "", "", Outcome::unknown, {}, "cannot read the CPLEX XML document at byte"},
    });
}

}  // namespace
}  // namespace rp::solvers
