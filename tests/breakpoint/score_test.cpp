#include "breakpoint/score.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

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
    EXPECT_EQ(score.distance(), std::stod(c.distance)) << c.what;
    // The score does not depend on which genome is A.
    const std::vector<Structure> swapped{structures[1], structures[0]};
    const GenomePair other = selectPair(swapped, 2);
    EXPECT_EQ(scoreMatching(*other.a, *other.b, matchByLabels(other)), score) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Pairs, ScoreTable, ::testing::ValuesIn(kCases));

// A genome of the genes 1, 2, 3 (families a, b, c), a gene negative for
// strand -, in chromosomes linear or circular.
struct SmallChromosome {
    bool circular;
    std::vector<int> genes;
};
using SmallGenome = std::vector<SmallChromosome>;

std::string notation(const SmallGenome& genome) {
    std::string text;
    for (const SmallChromosome& c : genome) {
        text += text.empty() ? "" : " ";
        text += c.circular ? "C:" : "L:";
        for (const int g : c.genes) text += std::string(g < 0 ? "-" : "+") + static_cast<char>('a' + std::abs(g) - 1) + ".1";
    }
    return text;
}

// Extremities as 2 x gene + 1 for the head; a gene of strand + is entered
// at its tail and left at its head, one of strand - the other way round.
int entered(int g) { return 2 * std::abs(g) + (g < 0 ? 1 : 0); }
int left(int g) { return 2 * std::abs(g) + (g < 0 ? 0 : 1); }

struct Ends {
    std::set<std::pair<int, int>> adjacencies;
    std::set<int> telomeres;
};

Ends endsOf(const SmallGenome& genome) {
    Ends ends;
    const auto join = [&](int x, int y) { ends.adjacencies.insert({std::min(x, y), std::max(x, y)}); };
    for (const SmallChromosome& c : genome) {
        for (std::size_t i = 0; i + 1 < c.genes.size(); ++i) join(left(c.genes[i]), entered(c.genes[i + 1]));
        if (c.circular) {
            join(left(c.genes.back()), entered(c.genes.front()));
        } else {
            ends.telomeres.insert(entered(c.genes.front()));
            ends.telomeres.insert(left(c.genes.back()));
        }
    }
    return ends;
}

// The breakpoints of A, with every gene matched: each adjacency of A that B
// lacks counts 1, each telomere of A that B lacks counts 1/2.
double breakpointsOf(const SmallGenome& a, const SmallGenome& b) {
    const Ends ea = endsOf(a);
    const Ends eb = endsOf(b);
    double broken = 0;
    for (const auto& adjacency : ea.adjacencies) broken += eb.adjacencies.count(adjacency) == 0 ? 1.0 : 0.0;
    for (const int telomere : ea.telomeres) broken += eb.telomeres.count(telomere) == 0 ? 0.5 : 0.0;
    return broken;
}

// Every genome of the three genes: each order and strands, cut into one,
// two or three chromosomes, each linear or circular.
std::vector<SmallGenome> everyGenome() {
    std::vector<SmallGenome> genomes;
    std::vector<int> order{1, 2, 3};
    do {
        for (int signs = 0; signs < 8; ++signs) {
            std::vector<int> genes = order;
            for (int i = 0; i < 3; ++i)
                if ((signs >> i) & 1) genes[static_cast<std::size_t>(i)] = -genes[static_cast<std::size_t>(i)];
            for (int cuts = 0; cuts < 4; ++cuts) {  // bit i: a cut after position i
                std::vector<std::vector<int>> pieces{{genes[0]}};
                for (int i = 1; i < 3; ++i) {
                    if ((cuts >> (i - 1)) & 1) pieces.emplace_back();
                    pieces.back().push_back(genes[static_cast<std::size_t>(i)]);
                }
                for (int types = 0; types < (1 << pieces.size()); ++types) {
                    SmallGenome genome;
                    for (std::size_t p = 0; p < pieces.size(); ++p) genome.push_back({((types >> p) & 1) != 0, pieces[p]});
                    genomes.push_back(genome);
                }
            }
        }
    } while (std::next_permutation(order.begin(), order.end()));
    return genomes;
}

// The distance against the count of breakpoints, on every genome B of the
// three genes against each genome A whose genes stand in the order +a +b +c
// (any other A is one of these with genes renamed and strands turned, which
// changes no count), both ways round.
TEST(Score, TheDistanceIsTheBreakpointsCountedOnEveryPairOfThreeGenes) {
    const std::vector<SmallGenome> genomes = everyGenome();
    ASSERT_EQ(genomes.size(), 6u * 8u * 18u);
    std::size_t pairs = 0;
    for (const SmallGenome& a : genomes) {
        std::vector<int> genesOfA;
        for (const SmallChromosome& c : a) genesOfA.insert(genesOfA.end(), c.genes.begin(), c.genes.end());
        if (genesOfA != std::vector<int>{1, 2, 3}) continue;
        for (const SmallGenome& b : genomes)
            for (const auto& [x, y] : {std::pair{&a, &b}, std::pair{&b, &a}}) {
                const std::vector<Structure> structures{genome(notation(*x), "A"), genome(notation(*y), "B")};
                const GenomePair pair = selectPair(structures, 2);
                const double distance = scoreMatching(*pair.a, *pair.b, matchByLabels(pair)).distance();
                ASSERT_EQ(distance, breakpointsOf(*x, *y)) << notation(*x) << " against " << notation(*y);
                ++pairs;
            }
    }
    EXPECT_EQ(pairs, 2u * 18u * genomes.size());
}

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
