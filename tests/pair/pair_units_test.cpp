// The pieces of the road that need no solver: the genomes picked by name,
// the summary's form, the pair's default name.
#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "pair/pair_road.hpp"
#include "pair/pair_result.hpp"

namespace rp::pair {
namespace {

TEST(PairResult, HeaderAndOneLineInTheColumnsOrder) {
    PairResult r;
    r.pair = "p";
    r.note = "one\ttwo\nthree";
    r.distance = 4;
    std::ostringstream out;
    writeSummary(out, r);
    const std::string header =
        "pair\ta\tb\tgenes_a\tgenes_b\tfamilies_both\tmatched\tadjacencies\ttelomeres\tbreakpoint_distance\t"
        "solver\tstatus\tsolver_status\tobjective\tscore\twall_s\tscore_equals_objective\tmeasure\tmodel\t"
        "distance\tlower_bound\tnote\tindex_limit\n";
    EXPECT_EQ(summaryHeader(), header);
    EXPECT_EQ(out.str(), header + "p\t\t\t\t\t\t\t\t\t\t\tfailed\t\t\t\t\t\t\t\t4.0\t\tone two three\t\n");
}

// Every field of the result reaches its column as text, and a number as a
// number (counts whole, distances with their digits, seconds to the
// millisecond); an unknown value is an empty column.
TEST(PairResult, EachValueInItsColumn) {
    PairResult r;
    r.pair = "p1";
    r.a = "A";
    r.b = "B";
    r.genesA = 7;
    r.genesB = 6;
    r.familiesBoth = 4;
    r.matched = 6;
    r.adjacencies = 1;
    r.telomeres = 1;
    r.breakpointDistance = 4.5;
    r.solver = "cbc";
    r.status = PairStatus::limit;
    r.solverStatus = "Stopped on time";
    r.objective = 3;
    r.score = 3;
    r.wallSeconds = 1.23456;
    r.scoreEqualsObjective = ScoreCheck::yes;
    r.measure = "dcj";
    r.model = "exemplar";
    r.distance = 5;
    r.lowerBound = 2;
    r.distanceDigits = 0;
    r.note = "n";
    r.indexLimit = "x,y";
    std::ostringstream out;
    writeSummary(out, r);
    const std::string text = out.str();
    EXPECT_EQ(text.substr(text.find('\n') + 1),
              "p1\tA\tB\t7\t6\t4\t6\t1\t1\t4.5\tcbc\tlimit\tStopped on time\t3\t3\t1.235\tyes\tdcj\texemplar\t5\t2\tn\t"
              "x,y\n");
    // One text per column, as many as the header names.
    std::size_t tabs = 0;
    for (char c : text) tabs += c == '\t';
    EXPECT_EQ(tabs, 2 * (summaryColumns().size() - 1));
}

TEST(PairResult, NamesOfStatusesAndChecks) {
    const std::pair<PairStatus, const char*> names[] = {{PairStatus::optimal, "optimal"},
                                                        {PairStatus::limit, "limit"},
                                                        {PairStatus::unknown, "unknown"},
                                                        {PairStatus::failed, "failed"}};
    for (const auto& [status, name] : names) EXPECT_EQ(statusName(status), name);
    const std::pair<ScoreCheck, const char*> checks[] = {
        {ScoreCheck::notChecked, ""}, {ScoreCheck::yes, "yes"}, {ScoreCheck::no, "no"}, {ScoreCheck::unknown, "unknown"}};
    const std::size_t column = 16;
    ASSERT_EQ(summaryColumns()[column].name, "score_equals_objective");
    for (const auto& [check, name] : checks) {
        PairResult r;
        r.scoreEqualsObjective = check;
        EXPECT_EQ(summaryColumns()[column].text(r), name);
    }
}

TEST(PairResult, NumbersAsTheWorkflowWroteThem) {
    EXPECT_EQ(formatFixed(16.5, 1), "16.5");
    EXPECT_EQ(formatFixed(3, 0), "3");
    EXPECT_EQ(formatFixed(0.0005, 3), "0.001");
    // Python's "{:g}".
    EXPECT_EQ(formatG(4), "4");
    EXPECT_EQ(formatG(127.5), "127.5");
    EXPECT_EQ(formatG(1234567), "1.23457e+06");
    EXPECT_EQ(formatG(-0.0), "-0");
}

TEST(PairRoad, NamesOfThePairAndOfItsOptions) {
    EXPECT_EQ(defaultPairName("results/p1"), "p1");
    EXPECT_EQ(defaultPairName("results/p1/"), "p1");
    EXPECT_EQ(defaultPairName("/a/b/../c"), "c");
}

}  // namespace
}  // namespace rp::pair
