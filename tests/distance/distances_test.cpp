#include "distance/distances.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "breakpoint/score.hpp"
#include "dcj/dcj_score.hpp"
#include "support/genomes.hpp"

namespace rp::distance {
namespace {

using test::genome;

TEST(Distances, EveryNameParsesToItsOwnEntry) {
    std::set<std::string_view> names;
    for (const DistanceEntry& entry : distances()) {
        EXPECT_EQ(&parseDistance(entry.name), &entryOf(entry.distance));
        EXPECT_EQ(distanceName(entry.distance), entry.name);
        EXPECT_TRUE(names.insert(entry.name).second) << entry.name;
    }
    EXPECT_EQ(distanceNames(), "breakpoint or dcj");
    EXPECT_EQ(describeDistances(),
              "breakpoint: maximise 2 x conserved adjacencies + telomeres; dcj: minimise the DCJ-indel distance");
    EXPECT_EQ(distancesWithForms(), "dcj");
    for (const char* unknown : {"DCJ", "", "break point", "dcj "}) {
        try {
            parseDistance(unknown);
            ADD_FAILURE() << unknown;
        } catch (const std::invalid_argument& e) {
            EXPECT_NE(std::string(e.what()).find("(breakpoint or dcj)"), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(parseForm("plain"), Form::plain);
    EXPECT_THROW(parseForm("capped"), std::invalid_argument);
}

TEST(Distances, BoundsInTheDistancesScale) {
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
    EXPECT_EQ(dcjLowerBound(7.5), 8);
    EXPECT_EQ(dcjLowerBound(8.0000001), 8);
    EXPECT_EQ(dcjLowerBound(7.9999999), 8);
    EXPECT_EQ(dcjLowerBound(-3), 0);
}

// The first line of a written program that is not a comment.
std::string directionLine(const BuiltProgram& program) {
    std::ostringstream out;
    program.write(out, {"a comment"});
    std::istringstream in(out.str());
    std::string line;
    while (std::getline(in, line) && line.rfind("\\", 0) == 0) {}
    return line;
}

// Single-copy genomes matched by labels: the bound each distance proves from
// the objective at that matching is the distance at that matching, computed
// by the score units directly; the program's sense is the entry's.
TEST(Distances, ScoreObjectiveBoundAndSenseAgree) {
    const std::vector<std::vector<Structure>> pairs{
        {genome("L:+a.1+b.1+c.1+d.1"), genome("L:+a.1-c.1-b.1+d.1")},
        {genome("L:+a.1+b.1 C:+c.1+d.1+e.1"), genome("L:+a.1+e.1+d.1 L:+b.1+x.1")},
        {genome("C:+a.1+b.1+c.1"), genome("C:+c.1+b.1+a.1")},
    };
    for (const std::vector<Structure>& structures : pairs) {
        const model::GenomePair pair = model::selectPair(structures, 2);
        const model::Matching matching = model::matchByLabels(pair);
        const model::Score bp = model::scoreMatching(*pair.a, *pair.b, matching);
        const model::DcjScore dcj = model::scoreDcj(*pair.a, *pair.b, matching);
        for (const DistanceEntry& entry : distances()) {
            const DistanceScore score = entry.score(pair, matching);
            const BuiltProgram program = entry.build(pair, model::MatchingModel{}, Form::reduced);
            const bool isDcj = entry.distance == Distance::dcj;
            EXPECT_EQ(score.objective, isDcj ? static_cast<double>(dcj.distance) : static_cast<double>(bp.objective()));
            EXPECT_EQ(score.distance, isDcj ? static_cast<double>(dcj.distance) : bp.distance());
            EXPECT_EQ(score.distanceDigits, isDcj ? 0 : 1);
            if (!isDcj) {
                EXPECT_EQ(program.lowerPairs, matching.size());  // every family single-copy
            }
            EXPECT_EQ(entry.lowerBound(score.objective, matching.size()), score.distance) << entry.name;
            EXPECT_EQ(directionLine(program), entry.direction == lp::Direction::minimize ? "Minimize" : "Maximize");
            EXPECT_FALSE(score.header.empty());
            EXPECT_EQ(std::count(score.header.begin(), score.header.end(), '\t'),
                      std::count(score.values.begin(), score.values.end(), '\t'));
            EXPECT_EQ(static_cast<bool>(program.writeStart), isDcj) << entry.name;
        }
    }
}

}  // namespace
}  // namespace rp::distance
