#include "breakpoint/score.hpp"

#include <gtest/gtest.h>

#include "support/genomes.hpp"

namespace rp::model {
namespace {

using test::genome;

struct ScoreCase {
    const char* what;
    const char* a;
    const char* b;
    std::size_t matched, adjacencies, telomeres;
    const char* distance;
};

// Worked out by hand from the definition (extremity by extremity).
const ScoreCase kCases[] = {
    {"identical linear", "L:+a.1+b.1+c.1", "L:+a.1+b.1+c.1", 3, 2, 2, "0.0"},
    {"whole chromosome reversed", "L:+a.1+b.1+c.1", "L:-c.1-b.1-a.1", 3, 2, 2, "0.0"},
    {"inner block reversed", "L:+a.1+b.1+c.1+d.1", "L:+a.1-c.1-b.1+d.1", 4, 1, 2, "2.0"},
    {"block moved without reversal", "L:+a.1+b.1+c.1+d.1", "L:+a.1+c.1+b.1+d.1", 4, 0, 2, "3.0"},
    {"one sign flipped", "L:+a.1+b.1", "L:+a.1-b.1", 2, 0, 1, "1.5"},
    {"first sign flipped", "L:+a.1+b.1", "L:-a.1+b.1", 2, 0, 1, "1.5"},
    {"telomeres at the other ends", "L:+a.1+b.1", "L:-b.1-a.1", 2, 1, 2, "0.0"},
    {"one-gene linear, same strand", "L:+a.1", "L:+a.1", 1, 0, 2, "0.0"},
    {"one-gene linear, other strand", "L:+a.1", "L:-a.1", 1, 0, 2, "0.0"},
    {"one-gene circular, other strand", "C:+a.1", "C:-a.1", 1, 1, 0, "0.0"},
    {"one-gene circular against linear", "C:+a.1", "L:+a.1", 1, 0, 0, "1.0"},
    {"one-gene linear against circular", "L:+a.1", "C:+a.1", 1, 0, 0, "1.0"},
    {"one-gene circle inside a longer circle", "C:+a.1 L:+b.1", "C:+a.1+b.1", 2, 0, 0, "2.0"},
    {"longer circle reduced to one gene", "C:+a.1", "C:+a.1+b.1", 1, 1, 0, "0.0"},
    {"two-gene circle, rotated", "C:+a.1+b.1", "C:+b.1+a.1", 2, 2, 0, "0.0"},
    {"two-gene circle, reversed", "C:+a.1+b.1", "C:-a.1-b.1", 2, 2, 0, "0.0"},
    {"two-gene circle, one sign flipped", "C:+a.1+b.1", "C:+a.1-b.1", 2, 0, 0, "2.0"},
    {"two-gene circle against linear", "C:+a.1+b.1", "L:+b.1+a.1", 2, 1, 0, "1.0"},
    {"linear against two-gene circle", "L:+a.1+b.1", "C:+a.1+b.1", 2, 1, 0, "1.0"},
    {"circle rotated", "C:+a.1+b.1+c.1", "C:+b.1+c.1+a.1", 3, 3, 0, "0.0"},
    {"circle read the other way", "C:+a.1+b.1+c.1", "C:-a.1-c.1-b.1", 3, 3, 0, "0.0"},
    {"wrap-round adjacency only", "C:+a.1+b.1+c.1", "L:+c.1+a.1-b.1", 3, 1, 0, "2.0"},
    {"chromosomes split", "L:+a.1+b.1+c.1", "L:+a.1 L:+b.1+c.1", 3, 1, 2, "1.0"},
    {"families in one genome only", "L:+a.1+x.1+b.1", "L:+a.1+b.1+y.1", 2, 1, 2, "0.0"},
    {"unmatched copies standing between", "L:+a.1+c.2+b.1 C:+c.3", "L:+c.1+a.1+b.1", 2, 1, 2, "0.0"},
    {"unmatched genes at the ends", "L:+c.2+a.1+b.1+c.3", "L:+c.1+a.1+b.1", 2, 1, 2, "0.0"},
    {"chromosome left without genes disappears", "L:+x.1 L:+a.1", "L:+a.1 C:+y.1", 1, 0, 2, "0.0"},
    {"copies swapped", "L:+a.1+a.2", "L:+a.2+a.1", 2, 0, 0, "2.0"},
    {"copies swapped and reversed", "L:+a.1+a.2", "L:-a.2-a.1", 2, 1, 2, "0.0"},
    {"nothing matched", "L:+a.1", "L:+a.2", 0, 0, 0, "0.0"},
    {"empty genomes", "", "", 0, 0, 0, "0.0"},
};

class ScoreTable : public ::testing::TestWithParam<ScoreCase> {};

TEST_P(ScoreTable, CountsAsDefined) {
    const ScoreCase& c = GetParam();
    const std::vector<Structure> structures{genome(c.a, "A"), genome(c.b, "B")};
    const GenomePair pair = selectPair(structures, 2);
    const Score score = scoreMatching(*pair.a, *pair.b, matchByLabels(pair));
    EXPECT_EQ(score.matched, c.matched) << c.what;
    EXPECT_EQ(score.adjacencies, c.adjacencies) << c.what;
    EXPECT_EQ(score.telomeres, c.telomeres) << c.what;
    EXPECT_EQ(score.objective(), 2 * c.adjacencies + c.telomeres) << c.what;
    EXPECT_EQ(formatDistance(score), c.distance) << c.what;
    // The score does not depend on which genome is A.
    const std::vector<Structure> swapped{structures[1], structures[0]};
    const GenomePair other = selectPair(swapped, 2);
    EXPECT_EQ(scoreMatching(*other.a, *other.b, matchByLabels(other)), score) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Pairs, ScoreTable, ::testing::ValuesIn(kCases));

TEST(Score, AMatchingMayPairCopiesWithDifferentIndices) {
    const Structure a = genome("L:+a.1+b.7");
    const Structure b = genome("L:+a.5+b.2");
    const Score score = scoreMatching(a, b, {{{0, 0}, {0, 0}}, {{0, 1}, {0, 1}}});
    EXPECT_EQ(score, (Score{2, 1, 2}));
}

TEST(Score, RefusesWhatIsNotAMatching) {
    const Structure a = genome("L:+a.1+a.2+b.1");
    const Structure b = genome("L:+a.1+b.1");
    EXPECT_THROW(scoreMatching(a, b, {{{0, 0}, {0, 0}}, {{0, 1}, {0, 0}}}), std::invalid_argument);
    EXPECT_THROW(scoreMatching(a, b, {{{0, 2}, {0, 0}}}), std::invalid_argument);
    EXPECT_THROW(scoreMatching(a, b, {{{0, 3}, {0, 0}}}), std::invalid_argument);
    EXPECT_THROW(scoreMatching(a, b, {{{1, 0}, {0, 0}}}), std::invalid_argument);
}

}  // namespace
}  // namespace rp::model
