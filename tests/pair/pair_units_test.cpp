// The pieces of the road that need no solver: the genomes picked by name,
// the summary's form, the pair's default name.
#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "pair/genome_selection.hpp"
#include "pair/pair_road.hpp"
#include "pair/pair_result.hpp"

namespace rp::pair {
namespace {

std::vector<Structure> named(const std::vector<std::string>& names) {
    std::vector<Structure> genomes;
    for (const std::string& n : names) {
        Structure s;
        s.name = n;
        genomes.push_back(s);
    }
    return genomes;
}

std::string namesOf(const std::vector<Structure>& genomes) {
    std::string out;
    for (const Structure& s : genomes) out += s.name + " ";
    return out;
}

TEST(GenomeSelection, ByNameOrTheFirstTwo) {
    EXPECT_EQ(namesOf(selectGenomes(named({"x", "y", "z"}), "z", "x", "f")), "z x ");
    EXPECT_EQ(namesOf(selectGenomes(named({"x", "y", "z"}), "", "", "f")), "x y ");
    struct Case {
        std::vector<std::string> genomes;
        std::string a, b, message;
    };
    const Case refused[] = {
        {{"x", "y"}, "x", "w", "f: genome w is not in the file (genomes: x y)"},
        {{"x", "y", "x"}, "x", "y", "f: genome x is in the file more than once (genomes: x y x)"},
        {{"x"}, "", "", "f holds 1 genome, a pair needs two"},
        {{}, "", "", "f holds 0 genomes, a pair needs two"},
    };
    for (const Case& c : refused) {
        try {
            selectGenomes(named(c.genomes), c.a, c.b, "f");
            ADD_FAILURE() << c.message;
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
}

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
        "distance\tlower_bound\tnote\n";
    EXPECT_EQ(summaryHeader(), header);
    EXPECT_EQ(out.str(), header + "p\t\t\t\t\t\t\t\t\t\t\tfailed\t\t\t\t\t\t\t\t4.0\t\tone two three\n");
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
    std::ostringstream out;
    writeSummary(out, r);
    const std::string text = out.str();
    EXPECT_EQ(text.substr(text.find('\n') + 1),
              "p1\tA\tB\t7\t6\t4\t6\t1\t1\t4.5\tcbc\tlimit\tStopped on time\t3\t3\t1.235\tyes\tdcj\texemplar\t5\t2\tn\n");
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

TEST(PairRoad, BoundsInTheDistancesScale) {
    // Breakpoint: pairs - floor(bound) / 2, from the whole objective.
    struct Case {
        double bound;
        std::size_t pairs;
        double lower;
    };
    const Case breakpoint[] = {
        {127.08679, 100, 36.5}, {48, 40, 16.0}, {47.9999999, 40, 16.0}, {47.5, 40, 16.5},
        {500, 40, 0.0},  // never below 0
    };
    for (const Case& c : breakpoint) EXPECT_EQ(breakpointLowerBound(c.bound, c.pairs), c.lower) << c.bound;
    // DCJ: the distance itself, rounded up.
    EXPECT_EQ(dcjLowerBound(7.5), 8.0);
    EXPECT_EQ(dcjLowerBound(8.0000001), 8.0);
    EXPECT_EQ(dcjLowerBound(7.9999999), 8.0);
    EXPECT_EQ(dcjLowerBound(-3), 0.0);
}

TEST(PairRoad, NamesOfThePairAndOfItsOptions) {
    EXPECT_EQ(defaultPairName("results/p1"), "p1");
    EXPECT_EQ(defaultPairName("results/p1/"), "p1");
    EXPECT_EQ(defaultPairName("/a/b/../c"), "c");
    EXPECT_EQ(parseMeasure("dcj"), Measure::dcj);
    EXPECT_EQ(measureName(parseMeasure("breakpoint")), "breakpoint");
    EXPECT_THROW(parseMeasure("DCJ"), std::invalid_argument);
}

}  // namespace
}  // namespace rp::pair
