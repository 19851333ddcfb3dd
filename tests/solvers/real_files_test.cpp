// Every real solution file kept in the shared folder: the format found, the
// status, the number of variables and a few values, or the refusal.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "io/input_file.hpp"
#include "solvers/solution_writer.hpp"
#include "support/temp_dir.hpp"
#include "conversion_support.hpp"

namespace rp::solvers {
namespace {

struct Expected {
    const char* file;  // below solver-solutions/
    const char* format;
    const char* status;     // for a refusal: a piece of the message
    const char* outcome;    // "" for a refusal
    std::uint64_t variables;
    std::vector<std::pair<const char*, const char*>> values;  // name, value written
};

const std::vector<Expected>& cases() {
    static const std::vector<Expected> table{
        {"01-pyomo-lp-basic-v1.1.xml", "cplex", "optimal", "optimal", 9, {}},
        {"02-rulegen-mip-dotted-names.xml", "cplex", "integer optimal solution", "optimal", 13, {}},
        {"03-diet-unnamed-objectivevalues.xml", "", "variable 0 has no name: the model had no names", "", 0, {}},
        {"04-qr1qap-writelevel3-float-noise.xml", "cplex", "integer feasible solution", "limit", 219, {}},
        {"05-starrouting-writelevel3-objectivevalues.xml", "cplex", "integer optimal solution", "optimal", 56, {}},
        {"06-pcdcn-solution-pool-3sols.xml", "cplex", "integer optimal solution", "optimal", 409, {}},
        {"07-tcc-defo200-timelimit-2488vars.xml", "cplex", "time limit exceeded", "limit", 2488, {}},
        {"08-toysolver-integer-unbounded.xml", "", "unbounded (the solver's status is \"integer unbounded\")", "", 0, {}},
        {"other/cbc-01-2.9.9-all.sol", "cbc", "Optimal", "optimal", 361,
         {{"x10", "0"}, {"x379", "3"}, {"ONE_VAR_CONSTANT", "1"}}},
        {"other/cbc-02-stopped-no-integer.sol", "",
         "no solution in the file: the solver's status is \"Stopped on time (no integer solution - continuous used)\"", "", 0, {}},
        {"other/cbc-03-2.3-g-header.sol", "cbc", "Optimal", "optimal", 2, {{"x1", "0"}, {"x2", "1"}}},
        {"other/cbc-04-1.01-no-header.sol", "cbc", "", "unknown", 9, {{"X11", "1"}, {"X33", "0"}}},
        {"other/cbc-05-optimal.sol", "cbc", "Optimal", "optimal", 4, {{"x2", "10.5"}, {"x4", "3"}}},
        {"other/cbc-06-integer-infeasible.sol", "", "the solver's status is \"Integer infeasible\"", "", 0, {}},
        {"other/cbc-07-unbounded-starred.sol", "", "unbounded (the solver's status is \"Unbounded\")", "", 0, {}},
        {"other/cbc-08-nonzeros-long-names.sol", "cbc", "Optimal", "optimal", 47,
         {{"TotalDiscountedCost(BB,2016)", "46.431257"}, {"RateOfDemand(BB,x,electricity,2016)", "2.1101"}}},
        {"other/cplex-01-haskellmip.sol", "cplex", "integer optimal solution", "optimal", 4, {{"x3", "19.5"}}},
        {"other/cplex-02-mip-start.mst", "", "variable 0 has no name", "", 0, {}},
        {"other/cplex-03-intsolfileprefix.sol", "", "z variable \"z_0_0_1\" is at 1 but resolve-paralogs cannot cut", "", 0, {}},
        {"other/cplex-04-v1.1-mip.sol", "cplex", "integer optimal solution", "optimal", 2, {{"x2", "1"}}},
        {"other/glpk-01-mip-optimal.txt", "glpk", "INTEGER OPTIMAL", "optimal", 4, {{"x2", "10.5"}, {"x4", "3"}}},
        {"other/glpk-02-long-name-wrapped.txt", "glpk", "INTEGER OPTIMAL", "optimal", 4,
         {{"x1AAAAAAAAAAAAAAAAAAAAAAAAAAAA", "40"}, {"x3", "19.5"}}},
        {"other/glpk-03-integer-empty.txt", "", "the solver's status is \"INTEGER EMPTY\"", "", 0, {}},
        {"other/glpk-04-integer-undefined.txt", "", "the solver's status is \"INTEGER UNDEFINED\"", "", 0, {}},
        {"other/glpk-05-non-optimal-crlf.txt", "glpk", "INTEGER NON-OPTIMAL", "limit", 104, {}},
        {"other/gurobi-01-haskellmip.sol", "gurobi", "", "unknown", 4, {{"x3", "19.500000000000018"}}},
        {"other/gurobi-02-short-header.sol", "gurobi", "", "unknown", 5, {{"12dhchol_e", "430"}}},
        {"other/gurobi-03-17-digits.sol", "gurobi", "", "unknown", 10,
         {{"Buy[veggieburger]", "0.5552631578947371"}, {"Buy[milk]", "6.8"}}},
        {"other/gurobi-04-mip-sudoku.sol", "gurobi", "", "unknown", 730, {{"Y[1,1,8]", "1"}, {"Y[1,1,9]", "0"}}},
        {"other/highs-01-optimal.sol", "highs", "Optimal", "optimal", 4, {{"x1", "40"}}},
        {"other/highs-02-infeasible.sol", "", "the solver's status is \"Infeasible\"", "", 0, {}},
        {"other/highs-03-unbounded.sol", "", "unbounded (the solver's status is \"Primal infeasible or unbounded\")", "", 0, {}},
        {"other/highs-04-truncated.sol", "highs", "Optimal", "optimal", 18, {{"STM6", "75"}, {"UE6", "0"}}},
        {"other/highs-05-duals-basis-renamed.sol", "highs", "Optimal", "optimal", 4, {{"c_ekk2", "120"}}},
        {"other/miplib-01.sol", "miplib", "", "unknown", 4, {{"x2", "10.5"}}},
        {"other/miplib-02-infeasible.sol", "", "the solver's status is \"=infeas=\"", "", 0, {}},
        {"other/mosek-01-older.sol", "mosek", "OPTIMAL", "optimal", 8, {{"x2", "0.940919647"}}},
        {"other/mosek-02-integer.sol", "mosek", "INTEGER_OPTIMAL", "optimal", 26,
         {{"transport_0_1", "14"}, {"open_2", "0"}}},
        {"other/scip-01-optimal.sol", "scip", "optimal solution found", "optimal", 4, {{"x4", "3"}, {"x1", "40"}}},
    };
    return table;
}

TEST(RealSolverFiles, FormatStatusVariablesAndValues) {
    const std::filesystem::path dir = std::filesystem::path(RP_SHARED_DIR) / "solver-solutions";
    if (!std::filesystem::is_directory(dir)) GTEST_SKIP() << "no shared solutions at " << dir;
    std::size_t seen = 0;
    for (const Expected& c : cases()) {
        SCOPED_TRACE(c.file);
        const std::string path = (dir / c.file).string();
        ASSERT_TRUE(std::filesystem::exists(path));
        ++seen;
        const test::Converted converted = test::convert(rp::io::readWholeInput(path, {}));
        if (*c.outcome == '\0') {
            EXPECT_FALSE(converted.ok);
            EXPECT_NE(converted.message.find(c.status), std::string::npos) << converted.message;
            continue;
        }
        ASSERT_TRUE(converted.ok) << converted.message;
        EXPECT_EQ(formatName(converted.summary.header.format), c.format);
        EXPECT_EQ(converted.summary.header.status, c.status);
        EXPECT_EQ(outcomeName(converted.summary.header.outcome), c.outcome);
        EXPECT_EQ(converted.summary.variables, c.variables);
        const auto written = test::readBack(converted.document);
        EXPECT_EQ(written.size(), c.variables);
        for (const auto& [name, value] : c.values) EXPECT_EQ(test::valueOf(converted.document, name), value) << name;
        EXPECT_NE(converted.document.find(std::string("sourceFormat=\"") + c.format + '"'), std::string::npos);
        EXPECT_NE(converted.document.find(std::string("outcome=\"") + c.outcome + '"'), std::string::npos);
        // resolve-paralogs reads every written document; none holds a decision.
        EXPECT_TRUE(test::decisionsOf(converted.document).empty());
    }
    // Every real file of the folder is in the table.
    std::size_t files = 0;
    for (const char* sub : {"", "other"})
        for (const auto& entry : std::filesystem::directory_iterator(dir / sub))
            if (entry.is_regular_file() && entry.path().filename() != "SOURCES.md") ++files;
    EXPECT_EQ(seen, files);
}

TEST(RealSolverFiles, PoolMembersByNumber) {
    const std::filesystem::path pool = std::filesystem::path(RP_SHARED_DIR) / "solver-solutions" /
                                       "06-pcdcn-solution-pool-3sols.xml";
    if (!std::filesystem::exists(pool)) GTEST_SKIP() << "no shared solutions";
    const std::string text = rp::io::readWholeInput(pool.string(), {});
    for (std::size_t k = 0; k < 3; ++k) {
        ConversionOptions options;
        options.member = k;
        const test::Converted converted = test::convert(text, options);
        ASSERT_TRUE(converted.ok) << converted.message;
        EXPECT_EQ(converted.summary.variables, 409u);
    }
    ConversionOptions options;
    options.member = 3;
    const test::Converted beyond = test::convert(text, options);
    EXPECT_FALSE(beyond.ok);
    EXPECT_NE(beyond.message.find("--solution 3: the file holds 3 solutions"), std::string::npos) << beyond.message;
}

}  // namespace
}  // namespace rp::solvers
