// The anchored conserved adjacency against enumeration: on pairs built so
// that it fires (related pairs: one genome rearranged and its copies
// relabelled), the least DCJ-indel distance over the model's matchings that
// contain every decided pair equals the least over all of them; a table of
// pairs says where it must fire and where it must not.
#include <gtest/gtest.h>

#include <random>

#include "dcj/dcj_reductions.hpp"
#include "dcj/dcj_score.hpp"
#include "support/matchings.hpp"
#include "support/genomes.hpp"

namespace rp::model {
namespace {

// A pair of related genomes: A holds `singles` one-copy families and two
// families of 1 to 3 copies (the second sometimes with one copy more in B),
// on 1 or 2 chromosomes, each linear or circular; B is A with one segment
// reversed, one gene moved, and each family's copies renumbered at random.
std::vector<Structure> relatedPair(std::mt19937& rng, int singles) {
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    std::vector<Gene> genes;
    const auto add = [&](const std::string& name, int copies) {
        for (int c = 1; c <= copies; ++c) {
            Gene g;
            g.name = name;
            g.copy = c;
            g.strand = pick(0, 1) == 0 ? 1 : -1;
            genes.push_back(g);
        }
    };
    for (int s = 0; s < singles; ++s) add(std::string(1, static_cast<char>('a' + s)), 1);
    add("x", pick(1, 3));
    add("y", pick(1, 2));
    std::shuffle(genes.begin(), genes.end(), rng);
    std::vector<Gene> other = genes;
    const std::size_t n = other.size();
    const std::size_t first = static_cast<std::size_t>(pick(0, static_cast<int>(n) - 1));
    const std::size_t last = static_cast<std::size_t>(pick(static_cast<int>(first), static_cast<int>(n) - 1));
    std::reverse(other.begin() + static_cast<std::ptrdiff_t>(first), other.begin() + static_cast<std::ptrdiff_t>(last) + 1);
    for (std::size_t k = first; k <= last; ++k) other[k].strand = -other[k].strand;
    std::rotate(other.begin(), other.begin() + pick(0, static_cast<int>(n) - 1), other.end());
    std::swap(other[static_cast<std::size_t>(pick(0, static_cast<int>(n) - 1))],
              other[static_cast<std::size_t>(pick(0, static_cast<int>(n) - 1))]);
    if (pick(0, 1) == 0) {  // an unbalanced family
        Gene extra;
        extra.name = "y";
        extra.copy = 3;
        other.insert(other.begin() + pick(0, static_cast<int>(n)), extra);
    }
    for (const char* own : {"u", "v"}) {  // genes of one genome only: runs of indels
        if (pick(0, 2) != 0) continue;
        Gene g;
        g.name = own;
        g.copy = 1;
        std::vector<Gene>& list = pick(0, 1) == 0 ? genes : other;
        list.insert(list.begin() + pick(0, static_cast<int>(list.size())), g);
    }
    for (const char* family : {"x", "y"}) {
        std::vector<int> copies;
        for (const Gene& g : other)
            if (g.name == family) copies.push_back(g.copy);
        std::shuffle(copies.begin(), copies.end(), rng);
        std::size_t k = 0;
        for (Gene& g : other)
            if (g.name == family) g.copy = copies[k++];
    }
    std::vector<Structure> pair(2);
    pair[0].name = "A";
    pair[1].name = "B";
    for (std::size_t s = 0; s < 2; ++s) {
        const std::vector<Gene>& list = s == 0 ? genes : other;
        const std::size_t cut = pick(0, 1) == 0 ? list.size() : static_cast<std::size_t>(pick(1, static_cast<int>(list.size())));
        pair[s].chromosomes.resize(cut == list.size() ? 1 : 2);
        for (std::size_t k = 0; k < list.size(); ++k) pair[s].chromosomes[k < cut ? 0 : 1].genes.push_back(list[k]);
        for (Chromosome& c : pair[s].chromosomes) c.circular = pick(0, 3) == 0;
    }
    return pair;
}

// Every decided pair: the least distance over the matchings that keep them
// all is the least over all matchings.
TEST(DcjReductions, AnchoredPairsKeepTheLeastDistance) {
    std::size_t fired = 0, pairs = 0, unbalanced = 0;
    for (int seed = 1; seed <= 6000; ++seed) {
        std::mt19937 rng(static_cast<unsigned>(seed));
        const std::vector<Structure> pair = relatedPair(rng, 2 + seed % 3);
        MatchingModel model;
        if (seed % 5 == 0) model.kind = ModelKind::intermediate;
        if (seed % 5 == 1) model.kind = ModelKind::exemplar;
        const Matching balanced = anchoredPairs(selectPair(pair, 2), model, AnchorReach::balanced);
        const Matching decided = anchoredPairs(selectPair(pair, 2), model, AnchorReach::unbalanced);
        if (decided.empty()) continue;
        ++fired;
        pairs += decided.size();
        unbalanced += decided.size() > balanced.size();
        std::int64_t least = INT64_MAX, kept = INT64_MAX, keptBalanced = INT64_MAX;
        test::forEachMatching(pair[0], pair[1], model, [&](const Matching& m) {
            const std::int64_t distance = scoreDcj(pair[0], pair[1], m).distance;
            least = std::min(least, distance);
            if (test::containsAll(m, decided)) kept = std::min(kept, distance);
            if (test::containsAll(m, balanced)) keptBalanced = std::min(keptBalanced, distance);
        });
        ASSERT_EQ(kept, least) << "seed " << seed << "\n" << test::structuresFile(pair);
        ASSERT_EQ(keptBalanced, least) << "seed " << seed << "\n" << test::structuresFile(pair);
    }
    EXPECT_GT(fired, 400U);
    EXPECT_GT(pairs, fired);      // propagation: some pairs decide more than one
    EXPECT_GT(unbalanced, 300U);  // the unbalanced reach decides more
}

// The same on the generic random pairs of the other enumeration tests.
TEST(DcjReductions, AnchoredPairsKeepTheLeastDistanceOnRandomPairs) {
    std::size_t fired = 0;
    for (int seed = 1; seed <= 5000; ++seed) {
        std::mt19937 rng(static_cast<unsigned>(seed));
        const std::vector<Structure> pair = test::randomPair(rng, {.families = 4, .maxGenes = 8, .maxChromosomes = 2});
        MatchingModel model;
        model.kind = seed % 3 == 0 ? ModelKind::exemplar : seed % 3 == 1 ? ModelKind::intermediate : ModelKind::maximum;
        const Matching decided = anchoredPairs(selectPair(pair, 2), model, AnchorReach::unbalanced);
        if (decided.empty()) continue;
        ++fired;
        std::int64_t least = INT64_MAX, kept = INT64_MAX;
        test::forEachMatching(pair[0], pair[1], model, [&](const Matching& m) {
            const std::int64_t distance = scoreDcj(pair[0], pair[1], m).distance;
            least = std::min(least, distance);
            if (test::containsAll(m, decided)) kept = std::min(kept, distance);
        });
        ASSERT_EQ(kept, least) << "seed " << seed << "\n" << test::structuresFile(pair);
    }
    EXPECT_GT(fired, 40U);
}

struct AnchorCase {
    const char* what;
    const char* a;
    const char* b;
    const char* model;
    std::size_t decided;          // with the unbalanced reach
    std::size_t decidedBalanced;  // with the balanced reach only
};

const AnchorCase kAnchorCases[] = {
    {"conserved on both sides", "L:+a.1+x.1+b.1+x.2", "L:+a.1+x.2+b.1+x.1", "maximum", 2, 2},
    {"tandem copies, outward from the anchor", "L:+a.1+x.1+x.2+x.3+b.1", "L:+a.1+x.3+x.1+x.2+b.1", "maximum", 3, 3},
    {"reversed in both", "C:+a.1-x.1+b.1-x.2", "C:+x.2-b.1+x.1-a.1", "maximum", 2, 2},
    {"circular, across the joint", "C:+x.1+a.1+x.2", "C:+x.2+a.1+x.1", "maximum", 2, 2},
    {"unbalanced family: A's copies are always matched", "L:+a.1+x.1+b.1+x.2", "L:+a.1+x.2+b.1+x.1+x.3",
     "maximum", 2, 0},
    {"unbalanced, the extra copy beside the anchor", "L:+a.1+x.1+b.1+x.2", "L:+a.1+x.3+x.2+b.1+x.1", "maximum", 2, 0},
    // The unbalanced reach where the copy left unmatched lies between the
    // anchor and its alternative (b_x b_y b_v in B), in both orientations,
    // on a circle of three, with the extra copy in A, and a lone copy under
    // the exemplar model.
    {"unbalanced, the alternative right after the decided copy", "L:+a.1+x.1+b.1", "L:+a.1+x.1+x.2+b.1",
     "maximum", 1, 0},
    {"unbalanced, the alternative reversed after it", "L:+a.1+x.1+b.1", "L:+a.1+x.1-x.2+b.1", "maximum", 1, 0},
    {"unbalanced, a circle of three", "C:+a.1+x.1", "C:+a.1+x.1+x.2", "maximum", 1, 0},
    {"unbalanced, the extra copy in A", "L:+a.1+x.1+x.2+b.1", "L:+a.1+x.1+b.1", "maximum", 1, 0},
    {"exemplar, a lone copy in A", "L:+a.1+x.1+b.1", "L:+x.2+a.1+x.1+b.1", "exemplar", 1, 0},
    {"exemplar: copies may stay unmatched", "L:+a.1+x.1+b.1+x.2", "L:+a.1+x.2+b.1+x.1", "exemplar", 0, 0},
    {"intermediate: copies may stay unmatched", "L:+a.1+x.1+b.1+x.2", "L:+a.1+x.2+b.1+x.1", "intermediate", 0, 0},
    {"other extremity in B", "L:+a.1+x.1+b.1+x.2", "L:+a.1-x.2+b.1-x.1", "maximum", 0, 0},
    {"other extremity of the anchor", "L:+a.1+x.1+x.2", "L:-a.1+x.2+x.1", "maximum", 0, 0},
    {"neighbour only of undecided copies", "L:+x.1+y.1+x.2+y.2", "L:+x.2+y.2+x.1+y.1", "maximum", 0, 0},
    {"anchor at a telomere", "L:+x.1 L:+a.1+x.2", "L:+x.2 L:+x.1+a.1", "maximum", 0, 0},
};

TEST(DcjReductions, FiresWhereItMayAndNowhereElse) {
    for (const AnchorCase& c : kAnchorCases) {
        const std::vector<Structure> pair{test::genome(c.a, "A"), test::genome(c.b, "B")};
        MatchingModel model;
        model.kind = parseModelKind(c.model);
        EXPECT_EQ(anchoredPairs(selectPair(pair, 2), model, AnchorReach::balanced).size(), c.decidedBalanced) << c.what;
        const Matching decided = anchoredPairs(selectPair(pair, 2), model, AnchorReach::unbalanced);
        EXPECT_EQ(decided.size(), c.decided) << c.what;
        std::int64_t least = INT64_MAX, kept = INT64_MAX;
        test::forEachMatching(pair[0], pair[1], model, [&](const Matching& m) {
            const std::int64_t distance = scoreDcj(pair[0], pair[1], m).distance;
            least = std::min(least, distance);
            if (test::containsAll(m, decided)) kept = std::min(kept, distance);
        });
        EXPECT_EQ(kept, least) << c.what;
    }
}

}  // namespace
}  // namespace rp::model
