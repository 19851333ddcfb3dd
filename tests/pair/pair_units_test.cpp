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
              "distance\tlower_bound\tnote\tindex_limit\n"
              "p\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t4.0\t\tone two three\t\n");
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
    EXPECT_EQ(parseMeasure("dcj"), Measure::dcj);
    EXPECT_EQ(measureName(parseMeasure("breakpoint")), "breakpoint");
    EXPECT_THROW(parseMeasure("DCJ"), std::invalid_argument);
}

}  // namespace
}  // namespace rp::pair
