// The DCJ-indel distance for a fixed matching: worked examples, the minimum
// over matchings of the paralog cases, refusals and a long component.
#include "dcj/dcj_score.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <sstream>

#include "support/dcj_score_print.hpp"
#include "support/genomes.hpp"
#include "support/unimog_text.hpp"

namespace rp::model {
namespace {

using test::unimog;

struct DcjCase {
    const char* what;
    const char* a;
    const char* b;
    std::size_t n, c, pab;
    std::size_t pAa, pAb, pBa, pBb;
    std::size_t pAB, s;
    std::int64_t d;
};

// Each distance worked out by hand from the diagram and checked against an
// integer program over all cappings.
const DcjCase kCases[] = {
    {"deletion", "1 2 3 |", "1 3 |", 2, 0, 0, 0, 0, 0, 0, 2, 0, 1},
    {"deletion, circular", "1 2 3 )", "1 3 )", 2, 1, 0, 0, 0, 0, 0, 0, 0, 1},
    {"inversion", "1 2 3 4 |", "1 -3 -2 4 |", 4, 2, 0, 0, 0, 0, 0, 2, 0, 1},
    {"fusion", "1 2 | 3 4 |", "1 2 3 4 |", 4, 2, 0, 0, 0, 0, 0, 2, 0, 1},
    {"translocation", "1 2 | 3 4 |", "1 4 | 3 2 |", 4, 1, 0, 0, 0, 0, 0, 4, 0, 1},
    {"deleted circular chromosome", "1 2 3 | 4 5 )", "1 2 3 |", 3, 2, 0, 0, 0, 0, 0, 2, 1, 1},
    {"deleted linear chromosome", "1 2 3 | 4 5 |", "1 2 3 |", 3, 2, 0, 2, 0, 0, 0, 2, 0, 1},
    {"substitution", "1 x 2 |", "1 y 2 |", 2, 0, 2, 0, 0, 0, 0, 2, 0, 2},
    {"deletion at an end", "1 x |", "1 |", 1, 0, 0, 1, 0, 1, 0, 1, 0, 1},
    {"ceiling rounds", "1 x )", "1 -y |", 1, 0, 1, 0, 0, 1, 1, 0, 0, 3},
    {"two indels + transposition", "1 5 2 3 6 4 |", "1 7 3 2 8 4 |", 4, 0, 2, 0, 0, 0, 0, 2, 0, 4},
    {"nothing common", "1 )", "2 )", 0, 0, 0, 0, 0, 0, 0, 0, 2, 2},
    {"one-marker circles", "1 )", "-1 )", 1, 1, 0, 0, 0, 0, 0, 0, 0, 0},
    // Beyond the worked examples.
    {"identical", "1 2 | 3 )", "1 2 | 3 )", 3, 2, 0, 0, 0, 0, 0, 2, 0, 0},
    {"empty genomes", "", "", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {"all deleted, all inserted", "x y |", "z |", 0, 0, 0, 2, 0, 0, 2, 0, 0, 2},
    {"cyclic runs merged", "x 1 2 w )", "2 y 1 )", 2, 1, 2, 0, 0, 0, 0, 0, 0, 2},
    {"three deletions in a circle", "1 x 2 y 3 v )", "1 2 3 )", 3, 0, 0, 0, 0, 0, 0, 0, 0, 3},
    {"linearisation", "1 2 )", "1 2 |", 2, 1, 0, 0, 0, 0, 0, 0, 0, 1},
    {"whole circle inserted", "1 2 |", "1 2 | y z )", 2, 1, 0, 0, 0, 0, 0, 2, 1, 1},
};

void PrintTo(const DcjCase& k, std::ostream* out) { *out << k.what; }

class DcjTable : public ::testing::TestWithParam<DcjCase> {};

TEST_P(DcjTable, CountsTheDiagram) {
    const DcjCase& k = GetParam();
    const std::vector<Structure> structures{unimog(k.a), unimog(k.b)};
    const DcjScore score = scoreDcj(structures[0], structures[1], matchByLabels(selectPair(structures, 2)));
    EXPECT_EQ(score.matched, k.n) << k.what;
    EXPECT_EQ(score.cycles, k.c) << k.what;
    EXPECT_EQ(score.pab, k.pab) << k.what;
    EXPECT_EQ(score.pAa, k.pAa) << k.what;
    EXPECT_EQ(score.pAb, k.pAb) << k.what;
    EXPECT_EQ(score.pBa, k.pBa) << k.what;
    EXPECT_EQ(score.pBb, k.pBb) << k.what;
    EXPECT_EQ(score.pAB, k.pAB) << k.what;
    EXPECT_EQ(score.singletons, k.s) << k.what;
    EXPECT_EQ(score.distance, k.d) << k.what;
    std::size_t genesA = 0, genesB = 0;
    for (const Chromosome& c : structures[0].chromosomes) genesA += c.genes.size();
    for (const Chromosome& c : structures[1].chromosomes) genesB += c.genes.size();
    EXPECT_EQ(score.deleted, genesA - k.n) << k.what;
    EXPECT_EQ(score.inserted, genesB - k.n) << k.what;
    // With A and B swapped, deletions become insertions.
    const std::vector<Structure> swapped{structures[1], structures[0]};
    const DcjScore back = scoreDcj(swapped[0], swapped[1], matchByLabels(selectPair(swapped, 2)));
    const DcjScore expected{score.matched,    score.inserted, score.deleted, score.cycles, score.singletons,
                            score.pab,        score.pBb,      score.pBa,     score.pAb,    score.pAa,
                            score.pAB,        score.distance};
    EXPECT_EQ(back, expected) << k.what;
}

INSTANTIATE_TEST_SUITE_P(Examples, DcjTable, ::testing::ValuesIn(kCases));

enum class Model { maximal, exemplary, intermediate };

// The least distance over the matchings the model allows, every one of them
// enumerated: each gene of A stays unmatched or takes an unused gene of B of
// its family.
std::int64_t leastOverMatchings(const Structure& a, const Structure& b, Model model) {
    std::vector<GenePlace> placesA, placesB;
    std::map<std::string, std::pair<std::size_t, std::size_t>> copies;
    for (std::uint32_t c = 0; c < a.chromosomes.size(); ++c)
        for (std::uint32_t p = 0; p < a.chromosomes[c].genes.size(); ++p) {
            placesA.push_back({c, p});
            ++copies[a.chromosomes[c].genes[p].name].first;
        }
    for (std::uint32_t c = 0; c < b.chromosomes.size(); ++c)
        for (std::uint32_t p = 0; p < b.chromosomes[c].genes.size(); ++p) {
            placesB.push_back({c, p});
            ++copies[b.chromosomes[c].genes[p].name].second;
        }
    const auto nameOf = [](const Structure& s, GenePlace g) { return s.chromosomes[g.chromosome].genes[g.position].name; };
    std::int64_t least = INT64_MAX;
    Matching matching;
    std::vector<bool> usedB(placesB.size(), false);
    const std::function<void(std::size_t)> choose = [&](std::size_t i) {
        if (i == placesA.size()) {
            std::map<std::string, std::size_t> pairs;
            for (const MatchedPair& m : matching) ++pairs[nameOf(a, m.a)];
            for (const auto& [family, counts] : copies) {
                const std::size_t most = std::min(counts.first, counts.second);
                const std::size_t k = pairs[family];
                if (most == 0) continue;
                if ((model == Model::maximal && k != most) || (model == Model::exemplary && k != 1) ||
                    (model == Model::intermediate && k < 1))
                    return;
            }
            least = std::min(least, scoreDcj(a, b, matching).distance);
            return;
        }
        choose(i + 1);
        for (std::size_t j = 0; j < placesB.size(); ++j) {
            if (usedB[j] || nameOf(a, placesA[i]) != nameOf(b, placesB[j])) continue;
            usedB[j] = true;
            matching.push_back({placesA[i], placesB[j]});
            choose(i + 1);
            matching.pop_back();
            usedB[j] = false;
        }
    };
    choose(0);
    return least;
}

struct ParalogCase {
    const char* what;
    const char* a;
    const char* b;
    std::int64_t maximal, exemplary, intermediate;
};

const ParalogCase kParalogCases[] = {
    {"extra paralog", "1 2 2 3 |", "1 2 3 |", 1, 1, 1},
    {"paralog swap", "1 2 9 3 4 2 5 |", "1 2 3 4 9 2 5 |", 2, 4, 2},
    {"maximal is worse", "-a n | -a )", "-a a )", 3, 2, 2},
};

TEST(DcjScore, LeastOverTheMatchingsOfEachModel) {
    for (const ParalogCase& k : kParalogCases) {
        const Structure a = unimog(k.a);
        const Structure b = unimog(k.b);
        EXPECT_EQ(leastOverMatchings(a, b, Model::maximal), k.maximal) << k.what;
        EXPECT_EQ(leastOverMatchings(a, b, Model::exemplary), k.exemplary) << k.what;
        EXPECT_EQ(leastOverMatchings(a, b, Model::intermediate), k.intermediate) << k.what;
    }
}

TEST(DcjScore, MatchesGenesWithDifferentLabelsByPlace) {
    // The places pair a.1 with a.5: one common marker, b deleted and c
    // inserted in its stead (a substitution, 2).
    const Structure a = test::genome("L:+a.1+b.1");
    const Structure b = test::genome("L:+a.5+c.1");
    const DcjScore score = scoreDcj(a, b, {{{0, 0}, {0, 0}}});
    EXPECT_EQ(score.matched, 1u);
    EXPECT_EQ(score.distance, 2);
    // Unmatched, a.1 and a.5 are singular: delete A, insert B.
    EXPECT_EQ(scoreDcj(a, b, {}).distance, 2);
    EXPECT_EQ(scoreDcj(a, b, {}).pAa, 2u);
}

TEST(DcjScore, RefusesWhatIsNotAMatching) {
    const Structure a = test::genome("L:+a.1+a.2+b.1");
    const Structure b = test::genome("L:+a.1+b.1");
    EXPECT_THROW(scoreDcj(a, b, {{{0, 0}, {0, 0}}, {{0, 1}, {0, 0}}}), std::invalid_argument);
    EXPECT_THROW(scoreDcj(a, b, {{{0, 2}, {0, 0}}}), std::invalid_argument);
    EXPECT_THROW(scoreDcj(a, b, {{{0, 3}, {0, 0}}}), std::invalid_argument);
    EXPECT_THROW(scoreDcj(a, b, {{{1, 0}, {0, 0}}}), std::invalid_argument);
}

// Components through 200,000 genes: the walk does not recurse.
TEST(DcjScore, WalksComponentsOfManyGenes) {
    const std::size_t genes = 200000;
    Structure a, b;
    a.chromosomes.resize(1);
    b.chromosomes.resize(1);
    Matching matching;
    for (std::uint32_t i = 0; i < genes; ++i) {
        a.chromosomes[0].genes.push_back(Gene{"g", static_cast<std::int32_t>(i), 1, false});
        b.chromosomes[0].genes.push_back(Gene{"g", static_cast<std::int32_t>(i), -1, false});
        matching.push_back({{0, i}, {0, i}});
    }
    // Every gene reversed in place: two paths, from A's telomeres to A's and
    // from B's to B's, each through every gene; no cycle.
    const DcjScore score = scoreDcj(a, b, matching);
    EXPECT_EQ(score.cycles, 0u);
    EXPECT_EQ(score.pAB, 0u);
    EXPECT_EQ(score.distance, static_cast<std::int64_t>(genes));
    b.chromosomes[0].circular = true;
    b.chromosomes[0].genes.pop_back();
    matching.pop_back();
    EXPECT_EQ(scoreDcj(a, b, matching).inserted, 0u);
    EXPECT_EQ(scoreDcj(a, b, matching).deleted, 1u);
}

}  // namespace
}  // namespace rp::model
