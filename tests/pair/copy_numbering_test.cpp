// The numbering of copies of `paralogs pair`, checked by what resolve-paralogs
// makes of it: random families (copies from 1 to 60 in each genome, indices
// below and above 19), random matchings within the model, resolve-paralogs'
// own renumbering, and then the labels of the resolved A.
#include "pair/copy_numbering.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <random>
#include <set>

#include "resolve/renumber.hpp"
#include "support/genomes.hpp"

namespace rp::pair {
namespace {

std::size_t pick(std::mt19937& random, std::size_t count) { return random() % count; }

// `count` distinct indices: from 1 up, or scattered over 0 to 70.
std::vector<std::int32_t> randomIndices(std::mt19937& random, std::size_t count) {
    std::vector<std::int32_t> indices(count);
    std::iota(indices.begin(), indices.end(), 1);
    if (pick(random, 2) == 0) return indices;
    std::vector<std::int32_t> pool(71);
    std::iota(pool.begin(), pool.end(), 0);
    std::shuffle(pool.begin(), pool.end(), random);
    pool.resize(count);  // count <= 71
    return pool;
}

// One linear chromosome of family x's copies between single genes.
Structure genomeOf(const std::vector<std::int32_t>& copies, std::mt19937& random, const std::string& name) {
    Structure s;
    s.name = name;
    Chromosome c;
    for (std::size_t i = 0; i < copies.size(); ++i) {
        c.genes.push_back({"x", copies[i], pick(random, 2) == 0 ? 1 : -1});
        std::string single = "g";
        single += std::to_string(i);
        c.genes.push_back({single, 1, 1});
    }
    s.chromosomes.push_back(c);
    return s;
}

std::vector<std::int32_t> copiesOf(const Structure& genome, const std::string& family) {
    std::vector<std::int32_t> copies;
    for (const Gene& g : genome.chromosomes.front().genes)
        if (g.name == family) copies.push_back(g.copy);
    return copies;
}

// A random matching of `pairs` pairs of x's copies, as decisions.
AssignmentMap randomMatching(const Structure& a, const Structure& b, std::size_t pairs, std::mt19937& random) {
    std::vector<std::int32_t> fromA = copiesOf(a, "x"), toB = copiesOf(b, "x");
    std::shuffle(fromA.begin(), fromA.end(), random);
    std::shuffle(toB.begin(), toB.end(), random);
    AssignmentMap decisions;
    for (std::size_t i = 0; i < pairs; ++i) {
        CopyAssignment decision;
        decision.family = "x";
        decision.fromCopy = fromA[i];
        decision.toCopy = toB[i];
        addAssignment(decisions, decision);
    }
    return decisions;
}

struct Resolved {
    bool distinct = true;       // no label twice in A
    std::size_t shared = 0;     // labels of x in both A and B
    std::vector<std::string> past;
};

Resolved resolve(const Structure& a, const Structure& b, const AssignmentMap& decisions) {
    std::vector<Structure> pair{a, b};
    renumberCopies(decisions, pair);
    const std::vector<std::int32_t> inA = copiesOf(pair[0], "x");
    const std::set<std::int32_t> labelsA(inA.begin(), inA.end());
    const std::vector<std::int32_t> inB = copiesOf(pair[1], "x");
    Resolved r;
    r.distinct = labelsA.size() == inA.size();
    for (const std::int32_t copy : inB) r.shared += labelsA.count(copy);
    r.past = familiesWithUnmovedCopies(pair[0], decisions);
    return r;
}

TEST(CopyNumbering, EveryMatchingOfTheModelResolvesToDistinctLabels) {
    std::mt19937 random(23);
    model::MatchingModel models[3];
    models[1].kind = model::ModelKind::exemplar;
    models[2].kind = model::ModelKind::intermediate;
    std::size_t renumbered = 0, flagged = 0, kept = 0;
    for (int round = 0; round < 600; ++round) {
        const model::MatchingModel& model = models[pick(random, 3)];
        const std::size_t countA = 1 + pick(random, 50), countB = 1 + pick(random, 50);
        Structure a = genomeOf(randomIndices(random, countA), random, "A");
        Structure b = genomeOf(randomIndices(random, countB), random, "B");
        const std::vector<std::string> family = familiesShortOfFreeIndices(a, b, model);
        numberCopiesAbove(a, b, family);
        (family.empty() ? kept : renumbered) += 1;
        const model::PairRange range = model::familyRange(model, "x", countA, countB);
        for (int matching = 0; matching < 4; ++matching) {
            const std::size_t pairs = range.lower + pick(random, range.upper - range.lower + 1);
            const Resolved r = resolve(a, b, randomMatching(a, b, pairs, random));
            const std::size_t unmatched = countA - pairs;
            EXPECT_TRUE(r.distinct) << countA << " against " << countB << ", " << pairs << " pairs";
            EXPECT_EQ(r.shared, pairs) << countA << " against " << countB;
            EXPECT_EQ(r.past, unmatched > 19 ? std::vector<std::string>{"x"} : std::vector<std::string>{})
                << countA << " against " << countB << ", " << pairs << " pairs";
            flagged += !r.past.empty();
        }
    }
    // The rounds reach every case.
    EXPECT_GT(renumbered, 50u);
    EXPECT_GT(kept, 50u);
    EXPECT_GT(flagged, 20u);
}

TEST(CopyNumbering, OnlyFamiliesShortOfFreeIndicesAndBInFrontOfA) {
    model::MatchingModel maximum, exemplar;
    exemplar.kind = model::ModelKind::exemplar;
    struct Case {
        const model::MatchingModel& model;
        std::string a, b;
        std::vector<std::string> short_;
        std::string renumberedA, renumberedB;
    };
    const std::vector<Case> cases = {
        // Few copies: nothing changes.
        {maximum, "L:+x.1+x.2+y.1", "L:+x.1+y.1", {}, "L:+x.1+x.2+y.1", "L:+x.1+y.1"},
        // Every copy of A is matched: none needs a free index.
        {maximum, "L:+y.1+y.2+x.1", "L:+y.1+y.2+y.3+y.4+y.5+y.6+y.7+y.8+y.9+y.10+y.11+y.12+y.13+y.14+y.15+y.16+y.17+y.18+"
                           "y.19+x.1",
         {},
         "L:+y.1+y.2+x.1", ""},
        // Three of y's copies of A stay unmatched with 1 to 19 all in B.
        {exemplar, "L:+y.3+y.1+y.2+y.40+x.1",
         "L:+y.1+y.2+y.3+y.4+y.5+y.6+y.7+y.8+y.9+y.10+y.11+y.12+y.13+y.14+y.15+y.16+y.17+y.18+y.19+x.1",
         {"y"},
         "L:+y.41+y.39+y.40+y.42+x.1",
         "L:+y.20+y.21+y.22+y.23+y.24+y.25+y.26+y.27+y.28+y.29+y.30+y.31+y.32+y.33+y.34+y.35+y.36+y.37+y.38+x.1"},
        // A label twice: left for the program to refuse.
        {exemplar, "L:+y.1+y.1+y.2+y.40", "L:+y.1+y.2+y.3+y.4+y.5+y.6+y.7+y.8+y.9+y.10+y.11+y.12+y.13+y.14+y.15+y.16+y.17+y.18+y.19",
         {}, "L:+y.1+y.1+y.2+y.40", ""},
    };
    for (const Case& c : cases) {
        Structure a = test::genome(c.a, "A"), b = test::genome(c.b, "B");
        const std::vector<std::string> short_ = familiesShortOfFreeIndices(a, b, c.model);
        EXPECT_EQ(short_, c.short_) << c.a;
        numberCopiesAbove(a, b, short_);
        EXPECT_EQ(test::describe({a}), test::describe({test::genome(c.renumberedA, "A")})) << c.a;
        if (!c.renumberedB.empty()) {
            EXPECT_EQ(test::describe({b}), test::describe({test::genome(c.renumberedB, "B")})) << c.b;
        }
    }
}

}  // namespace
}  // namespace rp::pair
