// The checks of the conversion, one case each, and the readers on inputs
// written here for what the real files do not show.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "solvers/solution_writer.hpp"
#include "conversion_support.hpp"
#include "support/decisions.hpp"

namespace rp::solvers {
namespace {

using test::convert;

std::string cbc(const std::string& status, const std::vector<std::pair<std::string, std::string>>& columns) {
    std::string text = status + " - objective value 1.00000000\n";
    int i = 0;
    for (const auto& [name, value] : columns)
        text += "      " + std::to_string(i++) + " " + name + "                 " + value + "                       0\n";
    return text;
}

std::string optimal(const std::vector<std::pair<std::string, std::string>>& columns) { return cbc("Optimal", columns); }

std::string cplex(const std::string& header, const std::string& variables) {
    return "<?xml version = \"1.0\"?>\n<CPLEXSolution version=\"1.2\">\n <header " + header +
           "/>\n <variables>\n" + variables + " </variables>\n</CPLEXSolution>\n";
}

// Each check: the input, and a piece of the failure message ("" when the
// conversion succeeds).
struct CheckCase {
    const char* what;
    std::string input;
    const char* failure;
};

TEST(Checks, EachFailsWithItsMessage) {
    const std::vector<CheckCase> cases{
        {"no solution: CBC infeasible", cbc("Infeasible", {{"x", "1"}}), "the solver's status is \"Infeasible\""},
        {"no integer solution", cbc("Stopped on iterations (no integer solution - continuous used)", {{"x", "1"}}),
         "no solution in the file"},
        {"CBC status unknown", cbc("Status unknown", {{"x", "1"}}), "\"Status unknown\""},
        {"SCIP without a solution", "solution status: infeasible\nno solution available\n", "\"infeasible\""},
        {"HiGHS without primal values", "Model status\nTime limit reached\n\n# Primal solution values\nNone\n",
         "no solution in the file: the solver's status is \"Time limit reached\""},
        {"unbounded with a point", cbc("Unbounded", {{"x", "1"}}), "unbounded"},
        {"SCIP unbounded with a point", "solution status: unbounded\nobjective value: 1\nx 1 (obj:1)\n", "unbounded"},
        {"lp_solve infeasible", "\nThis problem is infeasible\n", "\"This problem is infeasible\""},
        {"an empty input", "", "the input is empty"},
        {"unnamed CPLEX variables", cplex("solutionStatusString=\"optimal\"", "<variable index=\"0\" value=\"1\"/>\n"),
         "variable 0 has no name: the model had no names"},
        {"z not integral", optimal({{"z_a.1.1", "0.5"}}), "z variable \"z_a.1.1\" has the value \"0.5\", farther than 1e-05"},
        {"z just outside the tolerance", optimal({{"z_a.1.1", "0.99998"}}), "not integral"},
        {"z at 2", optimal({{"z_a.1.1", "2"}}), "z variable \"z_a.1.1\" has the value \"2\", neither 0 nor 1"},
        {"z at -1", optimal({{"z_a.1.1", "-1"}}), "z variable \"z_a.1.1\" has the value \"-1\", neither 0 nor 1"},
        {"z near 2", optimal({{"z_a.1.1", "1.999999"}}), "neither 0 nor 1: a matching variable is binary"},
        {"uncuttable z at 2", optimal({{"zeta", "2"}}), "z variable \"zeta\" has the value \"2\", neither 0 nor 1"},
        {"z within the tolerance", optimal({{"z_a.1.1", "0.999995"}, {"z_a.2.2", "1.00000999"}}), ""},
        {"two targets for one copy", optimal({{"z_a.1.1", "1"}, {"z_a.1.2", "1"}}),
         "z variables \"z_a.1.1\" and \"z_a.1.2\" are both at 1: copy 1 of family \"a\" has two targets"},
        {"two copies onto one target", optimal({{"z_a.1.3", "1"}, {"z_a.2.3", "1"}}),
         "z variables \"z_a.1.3\" and \"z_a.2.3\" are both at 1: two copies of family \"a\" go to copy 3"},
        {"the same copies in two families", optimal({{"z_a.1.3", "1"}, {"z_b.1.3", "1"}}), ""},
        {"z at 1 that cannot be cut", optimal({{"zeta", "1"}}), "z variable \"zeta\" is at 1 but resolve-paralogs cannot cut"},
        {"z at 1 with an empty family", optimal({{"z_.1.2", "1"}}), "cannot cut"},
        {"z at 1 with a dot at index 1", optimal({{"z.a.1.2", "1"}}), "cannot cut"},
        {"z at 1 with a third dot", optimal({{"z_a.1.2.3", "1"}}), "cannot cut"},
        {"z at 1 with a sign", optimal({{"z_a.+1.2", "1"}}), "cannot cut"},
        {"z at 1 with an 8-digit copy", optimal({{"z_a.12345678.2", "1"}}), "cannot cut"},
        {"uncuttable z at 0 is fine", optimal({{"zeta", "0"}, {"z", "-0"}}), ""},
        {"HiGHS lists fewer columns", "Model status\nOptimal\n\n# Primal solution values\nFeasible\nObjective 1\n"
                                      "# Columns 3\nx 1\ny 2\n# Rows 0\n",
         "says \"# Columns 3\" but lists 2 columns"},
        {"HiGHS lists more columns", "Model status\nOptimal\n\n# Primal solution values\nFeasible\nObjective 1\n"
                                     "# Columns 1\nx 1\ny 2\n# Rows 0\n",
         "says \"# Columns 1\" but lists more columns"},
        {"GLPK report with a missing column", "Problem:    p\nRows:       1\nColumns:    2\nNon-zeros:  1\n"
                                              "Status:     INTEGER OPTIMAL\nObjective:  obj = 1 (MINimum)\n\n"
                                              "   No. Column name       Activity     Lower bound   Upper bound\n"
                                              "------ ------------    ------------- ------------- -------------\n"
                                              "     1 x            *              1             0             1 \n\n",
         "says 2 columns but lists 1"},
        {"an infinite value", optimal({{"x", "inf"}}), "the value \"inf\" of variable \"x\" is not finite"},
        {"SCIP's +infinity", "solution status: optimal solution found\nobjective value: 1\nx +infinity (obj:1)\n", "not finite"},
        {"not a number", optimal({{"x", "nan"}}), "not finite"},
        {"a value out of double range", optimal({{"x", "1e999"}}), "not finite"},
        {"a value too large for a float", optimal({{"x", "3.5e38"}}), "does not fit a single-precision number"},
        {"the largest float", optimal({{"x", "3.4028234e38"}}), ""},
        {"a word as value", "solution status: optimal solution found\nobjective value: 1\nx unknown (obj:1)\n",
         "the value \"unknown\" of variable \"x\" is not a number"},
        {"unknown format", "Hello world, this is no solution\nx 1\n",
         "not a solution format paralogs solution reads; its first line starts \"Hello world, this is no solution\""},
        {"GLPK's raw file", "c Problem:    p\nc Rows:       1\ns mip 1 2 o 1\nj 1 1\ne o f\n",
         "no variable names: write the solution with glpsol -o"},
        {"malformed XML", "<?xml version=\"1.0\"?>\n<CPLEXSolution version=\"1.2\">\n <variables>\n"
                          "  <variable name=\"x\" value=\"1\"\n",
         "cannot read the CPLEX XML document"},
        {"a zero byte in the status", std::string("solution status: optimal\0 found\nobjective value: 1\n", 51),
         "holds a zero byte"},
        {"a zero byte in a name", optimal({{std::string("x\0y", 3), "1"}}), "holds a zero byte"},
        {"CPLEX integer infeasible", cplex("solutionStatusString=\"integer infeasible\"", ""), "\"integer infeasible\""},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.what);
        const test::Converted converted = convert(c.input);
        if (*c.failure == '\0') {
            EXPECT_TRUE(converted.ok) << converted.message;
        } else {
            EXPECT_FALSE(converted.ok);
            EXPECT_NE(converted.message.find(c.failure), std::string::npos) << converted.message;
        }
    }
}

TEST(Checks, IntegralZWrittenExactlyAndTakenAsDecisions) {
    const test::Converted converted = convert(optimal(
        {{"z_a.1.2", "0.999995"}, {"z_a.2.1", "1.000004"}, {"z_a.3.3", "4e-06"}, {"z_b.1.1", "-3e-06"}, {"x", "0.999995"}}));
    ASSERT_TRUE(converted.ok) << converted.message;
    EXPECT_EQ(test::valueOf(converted.document, "z_a.1.2"), "1");
    EXPECT_EQ(test::valueOf(converted.document, "z_a.2.1"), "1");
    EXPECT_EQ(test::valueOf(converted.document, "z_a.3.3"), "0");
    EXPECT_EQ(test::valueOf(converted.document, "z_b.1.1"), "0");
    EXPECT_EQ(test::valueOf(converted.document, "x"), "0.999995");  // only z variables are rounded
    EXPECT_EQ(converted.summary.zAtOne, 2u);
    EXPECT_EQ(converted.summary.families, 1u);
    EXPECT_EQ(test::decisionsOf(converted.document), rp::test::decisions({{"a", 1, 2}, {"a", 2, 1}}));
}

TEST(Checks, ToleranceIsAnOption) {
    ConversionOptions loose;
    loose.tolerance = 0.02;
    EXPECT_TRUE(convert(optimal({{"z_a.1.1", "0.99"}}), loose).ok);
    ConversionOptions exact;
    exact.tolerance = 0;
    EXPECT_FALSE(convert(optimal({{"z_a.1.1", "0.999999"}}), exact).ok);
    EXPECT_TRUE(convert(optimal({{"z_a.1.1", "1"}}), exact).ok);
}

TEST(Checks, LimitIsWrittenWithItsOutcome) {
    const test::Converted converted = convert(cbc("Stopped on time", {{"z_a.1.1", "1"}}));
    ASSERT_TRUE(converted.ok) << converted.message;
    EXPECT_EQ(converted.summary.header.outcome, Outcome::limit);
    EXPECT_NE(converted.document.find("outcome=\"limit\""), std::string::npos);
    EXPECT_NE(converted.document.find("solutionStatusString=\"Stopped on time\""), std::string::npos);
}

TEST(Writer, ValuesReadBackAsTheSameDouble) {
    const std::vector<std::string> texts{"0.1", "1e-300", "123456789.123", "-0", "5e-324", "1.2345679e+08",
                                         "8.99229e+006", "0.30000000000000004", "-2.50011122915339e-12", "+7"};
    std::vector<std::pair<std::string, std::string>> columns;
    for (std::size_t i = 0; i < texts.size(); ++i) columns.emplace_back("x" + std::to_string(i), texts[i]);
    const test::Converted converted = convert(optimal(columns));
    ASSERT_TRUE(converted.ok) << converted.message;
    const auto written = test::readBack(converted.document);
    ASSERT_EQ(written.size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const double source = std::strtod(texts[i].c_str(), nullptr);
        const double back = std::strtod(written[i].second.c_str(), nullptr);
        EXPECT_EQ(std::signbit(source), std::signbit(back)) << texts[i];
        EXPECT_EQ(source, back) << texts[i] << " written " << written[i].second;
    }
    EXPECT_EQ(written[2].second, "123456789.123");
    EXPECT_EQ(written[6].second, "8992290");
}

TEST(Writer, NamesEscapedAndIndexedInSourceOrder) {
    const std::string name = "a&b<c>\"d'e\tf";
    const test::Converted converted = convert("# Objective value = 1\n" + name + " 2\nz_f&g.1.2 1\nlast 3\n");
    ASSERT_TRUE(converted.ok) << converted.message;
    EXPECT_NE(converted.document.find("name=\"a&amp;b&lt;c&gt;&quot;d&apos;e&#9;f\" index=\"0\" value=\"2\""),
              std::string::npos)
        << converted.document;
    EXPECT_NE(converted.document.find("name=\"last\" index=\"2\""), std::string::npos);
    const auto written = test::readBack(converted.document);
    ASSERT_EQ(written.size(), 3u);
    EXPECT_EQ(written[0].first, name);
    EXPECT_EQ(test::decisionsOf(converted.document), rp::test::decisions({{"f&g", 1, 2}}));
}

// Inputs of each format that the real files leave out.
struct FormatCase {
    const char* what;
    std::string input;
    const char* format;
    const char* outcome;
    std::vector<std::pair<const char*, const char*>> variables;  // every one, in order
};

TEST(Readers, FormatsTheRealFilesLeaveOut) {
    const std::vector<FormatCase> cases{
        {"COPT", "# Objective value 640\nONE          1\nx_a          20\n", "copt", "unknown", {{"ONE", "1"}, {"x_a", "20"}}},
        {"Gurobi with both header lines", "# Solution for model my model\n# Objective value = 2\nz_a.1.1 1\n",
         "gurobi", "unknown", {{"z_a.1.1", "1"}}},
        {"CBC rows before columns, starred", "Optimal (within gap tolerance) - objective value 2.00000000\n"
                                             "      0 c1      1      0\n**    1 c2      3      0\n"
                                             "      0 x       1      0\n**    1 y       2      1\n",
         "cbc", "limit", {{"x", "1"}, {"y", "2"}}},  // a gap tolerance stopped it: no proven optimum
        {"CBC padded old header", "Optimal - objective value            4428412.5\n      0 x  1  0\n", "cbc", "optimal",
         {{"x", "1"}}},
        {"CBC stopped on time with a solution", "Stopped on time - objective value 3.00000000\n      0 x  1  0\n", "cbc",
         "limit", {{"x", "1"}}},
        {"lp_solve, last block", "\nValue of objective function: 3.00000000\n\nActual values of the variables:\n"
                                 "x                               1\ny                               2\n"
                                 "\nImproved solution\nValue of objective function: 2.00000000\n\n"
                                 "Actual values of the variables:\nx                               0\n"
                                 "y                               1\n\nActual values of the constraints:\nc1    1\n",
         "lp_solve", "optimal", {{"x", "0"}, {"y", "1"}}},
        {"lp_solve sub-optimal", "\nSuboptimal solution\n\nValue of objective function: 2\n\n"
                                 "Actual values of the variables:\nx   1\n",
         "lp_solve", "limit", {{"x", "1"}}},
        {"SCIP at a time limit", "solution status: time limit reached\nobjective value: 5\nz_a.1.1   1 \t(obj:1)\n",
         "scip", "limit", {{"z_a.1.1", "1"}}},
        {"HiGHS sparse", "Model status\nOptimal\n\n# Primal solution values\nFeasible\nObjective 1\n# Columns -2\n"
                         "x 1 0\nz_a.1.1 1 4\n# Rows 0\n",
         "highs", "optimal", {{"x", "1"}, {"z_a.1.1", "1"}}},
        {"HiGHS pretty", "Columns\n    Index Status        Lower        Upper       Primal         Dual  Type        Name\n"
                         "        0     BS            0          inf           40            0  Continuous  x1\n"
                         "        1     LB            0            1            1            0  Integer     z_a.1.1\n"
                         "Rows\n    Index Status        Lower        Upper       Primal         Dual  Name\n"
                         "        0     UB         -inf           20           20        -3.5  c1\n\n"
                         "Model status: Optimal\n\nObjective value: 122.5\n",
         "highs", "optimal", {{"x1", "40"}, {"z_a.1.1", "1"}}},
        {"MIPLIB", "=obj= 3\nz_a.1.2 1\nz_a.2.1 1\n", "miplib", "unknown", {{"z_a.1.2", "1"}, {"z_a.2.1", "1"}}},
        {"CPLEX pool preferring -1", "<CPLEXSolutions version=\"1.2\">\n"
                                     " <CPLEXSolution version=\"1.2\"><header solutionIndex=\"0\" solutionStatusString=\"a\"/>"
                                     "<variables><variable name=\"x\" index=\"0\" value=\"1\"/></variables></CPLEXSolution>\n"
                                     " <CPLEXSolution version=\"1.2\"><header solutionIndex=\"-1\" objectiveValue=\"4\" "
                                     "solutionStatusString=\"integer optimal solution\"/>"
                                     "<variables><variable name=\"y\" index=\"0\" value=\"2\"/></variables></CPLEXSolution>\n"
                                     "</CPLEXSolutions>\n",
         "cplex", "optimal", {{"y", "2"}}},
        {"CPLEX MIP start, first member", "<CPLEXSolutions version=\"1.2\"><CPLEXSolution version=\"1.2\">"
                                          "<header solutionIndex=\"0\"/><variables>"
                                          "<variable name=\"z_a.1.1\" index=\"0\" value=\"1\"/></variables>"
                                          "</CPLEXSolution></CPLEXSolutions>",
         "cplex", "unknown", {{"z_a.1.1", "1"}}},
        {"CPLEX optimal within the gap tolerance", cplex("solutionStatusString=\"integer optimal, tolerance\"",
                                                         "<variable name=\"x\" index=\"0\" value=\"1\"/>\n"),
         "cplex", "limit", {{"x", "1"}}},  // the allowed gap, not a proven optimum
        {"CPLEX names with references", cplex("solutionStatusString=\"optimal\"",
                                              "<variable name=\"a&amp;&#98;\" index=\"0\" value=\"&#49;\"/>\n"),
         "cplex", "optimal", {{"a&b", "1"}}},
        {"GLPK LP report", "Problem:    p\nRows:       1\nColumns:    2\nNon-zeros:  2\nStatus:     OPTIMAL\n"
                           "Objective:  obj = 1 (MINimum)\n\n"
                           "   No.   Row name   St   Activity     Lower bound   Upper bound    Marginal\n"
                           "------ ------------ -- ------------- ------------- ------------- -------------\n"
                           "     1 r            NS             1             1             =             1 \n\n"
                           "   No. Column name  St   Activity     Lower bound   Upper bound    Marginal\n"
                           "------ ------------ -- ------------- ------------- ------------- -------------\n"
                           "     1 z_fam.1.1    B              1             0             1 \n"
                           "     2 z_a_rather_long_name.1.2\n"
                           "                    NL             0             0             1         < eps\n\n"
                           "Karush-Kuhn-Tucker optimality conditions:\n",
         "glpk", "optimal", {{"z_fam.1.1", "1"}, {"z_a_rather_long_name.1.2", "0"}}},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.what);
        const test::Converted converted = convert(c.input);
        ASSERT_TRUE(converted.ok) << converted.message;
        EXPECT_EQ(formatName(converted.summary.header.format), c.format);
        EXPECT_EQ(outcomeName(converted.summary.header.outcome), c.outcome);
        const auto written = test::readBack(converted.document);
        ASSERT_EQ(written.size(), c.variables.size());
        for (std::size_t i = 0; i < written.size(); ++i) {
            EXPECT_EQ(written[i].first, c.variables[i].first);
            EXPECT_EQ(written[i].second, c.variables[i].second);
        }
    }
}

TEST(Readers, SolutionNumberOnlyForPools) {
    ConversionOptions second;
    second.member = 1;
    const test::Converted converted = convert(optimal({{"x", "1"}}), second);
    EXPECT_FALSE(converted.ok);
    EXPECT_NE(converted.message.find("--solution 1: a cbc file holds one solution"), std::string::npos)
        << converted.message;
    ConversionOptions first;
    first.member = 0;
    EXPECT_TRUE(convert(optimal({{"x", "1"}}), first).ok);
}

TEST(Readers, RecognisedByContentWithByteOrderMarkAndBlankLines) {
    const test::Converted converted = convert("\xEF\xBB\xBF\n\nsolution status: optimal solution found\n"
                                              "objective value: 1\nx 1 (obj:1)\n");
    // A leading blank line is skipped for recognition; SCIP's reader then
    // reads its first line as the status line.
    EXPECT_FALSE(converted.ok);
    const test::Converted plain = convert("\xEF\xBB\xBFsolution status: optimal solution found\nobjective value: 1\nx 1 (obj:1)\n");
    ASSERT_TRUE(plain.ok) << plain.message;
    EXPECT_EQ(plain.summary.header.format, Format::scip);
}

TEST(ZNames, CutAsResolveParalogsCutsThem) {
    const auto cut = cutZName("z_fam.12.3");
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->family, "fam");
    EXPECT_EQ(cut->from, 12u);
    EXPECT_EQ(cut->to, 3u);
    for (const char* bad : {"z", "z_", "z_a", "z_a.1", "z_a.1.", "z_a..1", "z_.1.1", "z.a.1.1", "y_a.1.1", "z_a.1.2x",
                            "z_a.1.-2", "z_a. 1.2"})
        EXPECT_FALSE(cutZName(bad)) << bad;
}

}  // namespace
}  // namespace rp::solvers

namespace rp::solvers {
namespace {

TEST(Readers, ObjectiveValuesCompleteAKeptMember) {
    const test::Converted converted = convert(
        "<CPLEXSolutions version=\"1.2\"><CPLEXSolution version=\"1.2\"><header solutionIndex=\"0\"/>"
        "<variables><variable name=\"x\" index=\"0\" value=\"1\"/></variables>"
        "<objectiveValues><objective index=\"0\" name=\"\" value=\"7.5\"/></objectiveValues>"
        "</CPLEXSolution></CPLEXSolutions>");
    ASSERT_TRUE(converted.ok) << converted.message;
    ASSERT_TRUE(converted.summary.objective);
    EXPECT_EQ(*converted.summary.objective, 7.5);
    EXPECT_NE(converted.document.find("objectiveValue=\"7.5\""), std::string::npos);
}

}  // namespace
}  // namespace rp::solvers

#include "solvers/line_source.hpp"

namespace rp::solvers {
namespace {

TEST(Lines, EveryChunkSizeGivesTheSameLines) {
    const std::string longLine(150, 'x');
    const std::string text = "a\r\n\nbb\n" + longLine + "\r\n" + std::string(63, 'y') + "\n" + std::string(64, 'z') +
                             "\nlast\r";
    const std::vector<std::string> expected{"a", "", "bb", longLine, std::string(63, 'y'), std::string(64, 'z'), "last"};
    for (std::size_t chunk : {1, 2, 3, 7, 64, 65, 200, 4096}) {
        std::istringstream in(text);
        LineSource lines(*in.rdbuf(), chunk);
        std::vector<std::string> got;
        std::string_view line;
        while (lines.next(line)) got.emplace_back(line);
        EXPECT_EQ(got, expected) << "chunk " << chunk;
        EXPECT_EQ(lines.lineNumber(), expected.size());
    }
}

}  // namespace
}  // namespace rp::solvers

#include "solvers/spool.hpp"

namespace rp::solvers {
namespace {

// Fields as splitFields finds them, by the plain definition: runs of bytes
// other than space and tab.
std::vector<std::string> plainFields(const std::string& line) {
    std::vector<std::string> fields;
    std::string current;
    for (const char c : line) {
        if (c == ' ' || c == '\t') {
            if (!current.empty()) fields.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) fields.push_back(current);
    return fields;
}

TEST(Lines, FieldsSplitAtBlanksWhereverTheyFallInAWord) {
    const std::vector<std::string> bodies{
        "      0 x1                                 0                       0",
        "** 12 name\t\t value \t 1e-5",
        "a\vb c\rd \x01\x1f e\x7f\x80\xff f",  // control and high bytes are no blanks
        "abcdefgh ijklmnopqrstuvwx                 y",
        "\t\t\t\t\t\t\t\t\t\tz",
        "one",
        "",
        "                                ",
    };
    for (const std::string& body : bodies)
        for (std::size_t shift = 0; shift < 9; ++shift)
            for (const std::string& tail : {std::string(), std::string(" "), std::string(9, ' ')}) {
                const std::string line = std::string(shift, ' ') + body + tail;
                std::string_view found[8];
                std::string_view rest;
                const std::size_t n = splitFields(line, found, 8, &rest);
                const std::vector<std::string> expected = plainFields(line);
                ASSERT_EQ(n, expected.size()) << '"' << line << '"';
                for (std::size_t i = 0; i < n; ++i) EXPECT_EQ(found[i], expected[i]) << '"' << line << '"';
                // Taking fewer leaves the rest from the end of the last one taken.
                if (n >= 2) {
                    std::string_view two[2];
                    ASSERT_EQ(splitFields(line, two, 2, &rest), 2u);
                    EXPECT_EQ(rest.data(), two[1].data() + two[1].size());
                    EXPECT_EQ(plainFields(std::string(rest)).size(), n - 2) << '"' << line << '"';
                }
            }
}

TEST(Readers, GurobiLinesCutAtTheirLastBlank) {
    // name and value around every run of blanks, values of every length
    // about a word's.
    for (std::size_t length = 1; length <= 20; ++length) {
        const std::string value = "1" + std::string(length - 1, '0');
        for (const std::string& gap : {std::string(" "), std::string("\t"), std::string(" \t  ")}) {
            const std::string input = "# Objective value = 1\n  name" + gap + "with blanks" + gap + value + " \t\n";
            const test::Converted converted = convert(input);
            ASSERT_TRUE(converted.ok) << converted.message;
            const auto written = test::readBack(converted.document);
            ASSERT_EQ(written.size(), 1u);
            EXPECT_EQ(written[0].first, "name" + gap + "with blanks");
            EXPECT_EQ(std::strtod(written[0].second.c_str(), nullptr), std::strtod(value.c_str(), nullptr));
        }
    }
    // A control byte is part of the value, which then is no number.
    const test::Converted control = convert("# Objective value = 1\nx 123456789\x0b" "123456789\n");
    EXPECT_FALSE(control.ok);
    EXPECT_NE(control.message.find("is not a number"), std::string::npos) << control.message;
    const test::Converted alone = convert("# Objective value = 1\nx\x0b" "12345678\n");
    EXPECT_FALSE(alone.ok);
    EXPECT_NE(alone.message.find("expected a name and a value"), std::string::npos) << alone.message;
}

TEST(Writer, IndicesCountedAndRepeatedValuesWrittenAsTheyRead) {
    // Texts alike in length and in the bytes a quick look would compare,
    // and many values, so that remembered texts are looked up, replaced and
    // told apart.
    std::vector<std::pair<std::string, std::string>> columns;
    std::vector<double> values;
    for (int i = 0; i < 2100; ++i) {
        std::string value;
        switch (i % 4) {
            case 0: value = "1905"; break;
            case 1: value = "1005"; break;
            case 2: value = std::to_string(i) + ".5e-3"; break;
            default:
                value = "0.1";
                value += std::to_string(i * 7919 % 1000);
                break;
        }
        std::string name = "x";
        name += std::to_string(i);
        columns.emplace_back(name, value);
        values.push_back(std::strtod(value.c_str(), nullptr));
    }
    const test::Converted converted = convert(optimal(columns));
    ASSERT_TRUE(converted.ok) << converted.message;
    const auto written = test::readBack(converted.document);
    ASSERT_EQ(written.size(), columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i) {
        std::string shortest;
        appendNumber(shortest, values[i]);
        EXPECT_EQ(written[i].second, shortest) << columns[i].second;
        const std::string expected = "name=\"x" + std::to_string(i) + "\" index=\"" + std::to_string(i) + "\" ";
        EXPECT_NE(converted.document.find(expected), std::string::npos) << expected;
    }
}

// Every variable handed over, as text.
struct Recorded : VariableSink {
    std::vector<std::string> seen;
    void header(const SolutionHeader&) override {}
    void variable(std::string_view name, std::string_view value, std::uint64_t line, bool named) override {
        seen.push_back(std::string(name) + "|" + std::string(value) + "|" + std::to_string(line) + (named ? "" : "|unnamed"));
    }
};

TEST(Spool, ReplaysInOrderFromMemoryAndFromTheFile) {
    struct Case {
        const char* what;
        std::size_t count;
        std::size_t longName;  // bytes of one name far longer than a block, 0 for none
    };
    for (const Case& c : {Case{"fits in its block", 50, 0}, Case{"reaches the file", 60000, 0},
                          Case{"one record longer than a block", 3000, std::size_t{3} << 20}}) {
        VariableSpool spool;
        std::vector<std::string> expected;
        // What clear() forgets.
        spool.add("gone", "1", 1);
        spool.clear();
        for (std::size_t i = 0; i < c.count; ++i) {
            const std::string name = i == c.count / 2 && c.longName > 0 ? std::string(c.longName, 'n')
                                                                         : "v" + std::to_string(i) + std::string(i % 37, 'p');
            const std::string value = i % 5 == 0 ? "" : std::to_string(i * 3) + ".25";
            const bool named = i % 11 != 3;
            spool.add(named ? name : "", value, i + 7, named);
            expected.push_back((named ? name : "") + "|" + value + "|" + std::to_string(i + 7) + (named ? "" : "|unnamed"));
        }
        EXPECT_EQ(spool.size(), c.count) << c.what;
        for (int round = 0; round < 2; ++round) {
            Recorded recorded;
            spool.replay(recorded);
            EXPECT_EQ(recorded.seen, expected) << c.what << ", replay " << round;
        }
        // Added to after a replay, replayed whole again.
        spool.add("after", "2", 99);
        expected.push_back("after|2|99");
        Recorded recorded;
        spool.replay(recorded);
        EXPECT_EQ(recorded.seen, expected) << c.what << ", after a replay";
    }
}

}  // namespace
}  // namespace rp::solvers

namespace rp::solvers {
namespace {

// A conversion whose output can be emptied and written again.
test::Converted convertRestartable(const std::string& input, int& restarts) {
    std::istringstream in(input);
    std::ostringstream out;
    ConversionOptions options;
    options.restartOutput = [&] {
        out.str("");
        ++restarts;
    };
    test::Converted result;
    try {
        result.summary = convertSolution(*in.rdbuf(), out, options);
        result.ok = true;
    } catch (const std::exception& e) {
        result.message = e.what();
    }
    result.document = out.str();
    return result;
}

TEST(Checks, CbcWrittenAsReadFailsAndSucceedsAsWhenKeptAside) {
    const std::string status = "Optimal - objective value 1.00000000\n";
    const auto line = [](int i, const std::string& name, const std::string& value) {
        return "      " + std::to_string(i) + " " + name + "  " + value + "  0\n";
    };
    struct Case {
        const char* what;
        std::string input;
        int restarts;
    };
    const std::vector<Case> cases{
        {"columns alone", status + line(0, "z_a.1.1", "1") + line(1, "x", "0.5"), 0},
        {"rows, then columns", status + line(0, "r1", "3") + line(1, "r2", "4") + line(0, "z_a.1.1", "1") + line(1, "x", "2"), 1},
        // Checks that would fail on the rows are not the columns' failures.
        {"rows that fail the checks", status + line(0, "z_bad", "1") + line(1, "z_a.1.1", "0.5") + line(2, "r", "nan?") +
                                          line(0, "z_a.1.1", "1"), 1},
        {"rows at 1 for one copy, as columns would not be", status + line(0, "z_a.1.1", "1") + line(1, "z_a.1.2", "1") +
                                                             line(0, "z_a.1.2", "1"), 1},
        // A failure of the first section counts only once the file ends...
        {"columns failing a check", status + line(0, "x", "1") + line(1, "y", "zz") + line(2, "w", "1"), 0},
        {"two columns failing", status + line(0, "x", "inf") + line(1, "y", "zz"), 0},
        // ...after what the rest of the file shows.
        {"a failing column, then a line that is no value line", status + line(0, "y", "zz") + "garbage\n", 0},
        {"a failing row, then a third numbering", status + line(0, "y", "zz") + line(0, "x", "1") + line(0, "w", "1"), 1},
        {"a status holding a zero byte", std::string("Stopped on time\0 - objective value 1\n", 37) + line(0, "x", "1"), 0},
        {"the same with rows", std::string("Stopped on time\0 - objective value 1\n", 37) + line(0, "r", "1") +
                                   line(0, "x", "1"), 1},
        {"no values", status, 0},
        {"rows named alike", status + line(0, "x", "1") + line(0, "x", "2"), 1},
    };
    for (const Case& c : cases) {
        const test::Converted kept = convert(c.input);
        int restarts = 0;
        const test::Converted written = convertRestartable(c.input, restarts);
        EXPECT_EQ(written.ok, kept.ok) << c.what;
        EXPECT_EQ(written.message, kept.message) << c.what;
        if (kept.ok) {
            EXPECT_EQ(written.document, kept.document) << c.what;
            EXPECT_EQ(written.summary.variables, kept.summary.variables) << c.what;
            EXPECT_EQ(written.summary.zAtOne, kept.summary.zAtOne) << c.what;
            EXPECT_EQ(written.summary.families, kept.summary.families) << c.what;
        }
        EXPECT_EQ(restarts, c.restarts) << c.what;
    }
}

}  // namespace
}  // namespace rp::solvers
