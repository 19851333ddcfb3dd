// The pieces of the road that need no solver: the genomes picked by name,
// the summary's form, the pair's default name.
#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "pair/genome_selection.hpp"
#include "pair/pair_road.hpp"
#include "pair/pair_summary.hpp"

namespace rp::pair {
namespace {

TEST(PairSummary, HeaderAndOneLineInTheColumnsOrder) {
    PairSummary s;
    const std::string pair = "p", note = "one\ttwo\nthree", distance = "4.0";
    s["pair"] = pair;
    s["note"] = note;
    s["distance"] = distance;
    std::ostringstream out;
    writeSummary(out, s);
    EXPECT_EQ(out.str(),
              "pair\ta\tb\tgenes_a\tgenes_b\tfamilies_both\tmatched\tadjacencies\ttelomeres\tbreakpoint_distance\t"
              "solver\tstatus\tsolver_status\tobjective\tscore\twall_s\tscore_equals_objective\tmeasure\tmodel\t"
              "distance\tlower_bound\tnote\n"
              "p\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t4.0\t\tone two three\n");
    EXPECT_THROW(s["nope"], std::out_of_range);
}

TEST(PairSummary, NumbersAsTheWorkflowWroteThem) {
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
