// Relatedness through the inverted index against a brute force over all
// pairs of random collections, and the sheet it writes.
#include "collection/relatedness.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace rp::collection {
namespace {

Structure genomeOf(const std::string& name, const std::vector<std::string>& families) {
    Structure genome;
    genome.name = name;
    genome.chromosomes.push_back({});
    for (const std::string& f : families) genome.chromosomes.back().genes.push_back({f, 1, 1, false});
    return genome;
}

// Genomes of 0 to `most` genes over `families` families, with repeats; a
// few families ("mobile") in most genomes.
std::vector<Structure> randomCollection(std::mt19937& random, std::size_t count, std::size_t families, int most) {
    std::vector<Structure> genomes;
    std::uniform_int_distribution<int> size(0, most);
    std::uniform_int_distribution<std::size_t> family(0, families - 1);
    std::bernoulli_distribution mobile(0.7);
    for (std::size_t g = 0; g < count; ++g) {
        std::vector<std::string> genes;
        for (int k = size(random); k > 0; --k) genes.push_back(std::string("f").append(std::to_string(family(random))));
        if (mobile(random)) genes.push_back("mobile");
        genomes.push_back(genomeOf(std::string("g").append(std::to_string(g)), genes));
    }
    return genomes;
}

std::set<std::string> distinctFamilies(const Structure& genome) {
    std::set<std::string> families;
    for (const Gene& gene : genome.chromosomes.front().genes) families.insert(gene.name);
    return families;
}

// The families of each genome held by at most `maxShare` of the genomes,
// counted over all genomes, as sets of names.
std::vector<std::set<std::string>> bruteFamilies(const std::vector<Structure>& genomes, double maxShare) {
    std::vector<std::set<std::string>> sets;
    std::map<std::string, std::size_t> holders;
    for (const Structure& genome : genomes) {
        sets.push_back(distinctFamilies(genome));
        for (const std::string& f : sets.back()) ++holders[f];
    }
    for (auto& set : sets)
        std::erase_if(set,
                      [&](const std::string& f) { return double(holders[f]) > maxShare * double(genomes.size()); });
    return sets;
}

TEST(Relatedness, EqualsTheBruteForceOverAllPairs) {
    std::mt19937 random(25);
    for (int round = 0; round < 30; ++round) {
        const std::vector<Structure> genomes = randomCollection(random, 2 + round % 40, 3 + round, 8);
        for (const double share : {1.0, 0.6, 0.2}) {
            FamilySets sets = familySets(genomes);
            dropCommonFamilies(sets, share);
            const std::vector<std::set<std::string>> families = bruteFamilies(genomes, share);
            for (const double minimum : {0.0, 0.25, 0.5, 2.0 / 3.0, 1.0}) {
                std::vector<RelatedPair> expected;
                std::size_t sharing = 0;
                for (std::uint32_t a = 0; a < genomes.size(); ++a)
                    for (std::uint32_t b = a + 1; b < genomes.size(); ++b) {
                        const auto &inA = families[a], &inB = families[b];
                        std::vector<std::string> both;
                        std::set_intersection(inA.begin(), inA.end(), inB.begin(), inB.end(), std::back_inserter(both));
                        if (both.empty()) continue;
                        ++sharing;
                        const double containment = double(both.size()) / double(std::min(inA.size(), inB.size()));
                        const double jaccard = double(both.size()) / double(inA.size() + inB.size() - both.size());
                        if (containment >= minimum)
                            expected.push_back({a, b, std::uint32_t(both.size()), containment, jaccard});
                    }
                const Relatedness found = relatedPairs(sets, minimum);
                EXPECT_EQ(found.sharing, sharing);
                ASSERT_EQ(found.kept.size(), expected.size())
                    << "round " << round << ", share " << share << ", at least " << minimum;
                for (std::size_t k = 0; k < expected.size(); ++k) {
                    EXPECT_EQ(found.kept[k].a, expected[k].a);
                    EXPECT_EQ(found.kept[k].b, expected[k].b);
                    EXPECT_EQ(found.kept[k].shared, expected[k].shared);
                    EXPECT_DOUBLE_EQ(found.kept[k].containment, expected[k].containment);
                    EXPECT_DOUBLE_EQ(found.kept[k].jaccard, expected[k].jaccard);
                }
            }
        }
    }
}

TEST(Relatedness, CommonFamiliesLeftOut) {
    // "m" in all four genomes, "x" in three, the others in one or two.
    const std::vector<Structure> genomes{genomeOf("a", {"m", "x", "p"}), genomeOf("b", {"m", "x", "p", "m"}),
                                         genomeOf("c", {"m", "x", "q"}), genomeOf("d", {"m"})};
    const struct {
        double share;
        std::size_t dropped;
    } cases[] = {{1.0, 0}, {0.99, 1}, {0.75, 1}, {0.74, 2}, {0.5, 2}, {0.49, 3}, {0.2, 4}};
    for (const auto& c : cases) {
        FamilySets sets = familySets(genomes);
        EXPECT_EQ(dropCommonFamilies(sets, c.share), c.dropped) << c.share;
    }
}

TEST(Relatedness, ProgressReachesEveryGenome) {
    std::mt19937 random(7);
    const std::vector<Structure> genomes = randomCollection(random, 2500, 50, 5);
    std::size_t last = 0, calls = 0, kept = 0;
    const Relatedness found =
        relatedPairs(familySets(genomes), 0.5, [&](std::size_t done, std::size_t total, std::size_t k) {
            EXPECT_EQ(total, genomes.size());
            EXPECT_GT(done, last);
            last = done;
            kept = k;
            ++calls;
        });
    EXPECT_EQ(last, genomes.size());
    EXPECT_EQ(calls, 3u);
    EXPECT_EQ(kept, found.kept.size());
}

TEST(Relatedness, SheetNamesPairsAndFiles) {
    GenomeCollection collection;
    addGenomes(collection, "one.unimog", {genomeOf("a b", {"x", "y"}), genomeOf("a/b", {"x"})});
    addGenomes(collection, "two.unimog", {genomeOf("c", {"x", "y", "z"})});
    const Relatedness related = relatedPairs(familySets(collection.genomes), 0.0);
    std::ostringstream out;
    writeRelatedSheet(out, collection, {"dir/one.unimog", "two.unimog"}, related.kept);
    EXPECT_EQ(out.str(),
              "pair\tgenomes\ta\tb\tcontainment\tjaccard\n"
              "a_b__a_b\tdir/one.unimog\ta b\ta/b\t1.000000\t0.500000\n"
              "a_b__c\t\ta b\tc\t1.000000\t0.666667\n"
              "a_b__c.2\t\ta/b\tc\t1.000000\t0.333333\n");
}

TEST(Relatedness, RefusesNamesASheetCannotCarry) {
    for (const char* name : {"a\tb", "a\nb", " a", "a "}) {
        GenomeCollection collection;
        addGenomes(collection, "f", {genomeOf(name, {"x"}), genomeOf("b", {"x"})});
        std::ostringstream out;
        EXPECT_THROW(writeRelatedSheet(out, collection, {"f"}, relatedPairs(familySets(collection.genomes), 0).kept),
                     std::runtime_error)
            << name;
    }
}

TEST(Collection, NamesMustBeUniqueAcrossFiles) {
    GenomeCollection collection;
    addGenomes(collection, "one", {genomeOf("a", {}), genomeOf("b", {})});
    try {
        addGenomes(collection, "two", {genomeOf("c", {}), genomeOf("a", {})});
        FAIL() << "a name twice was taken";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "genome a is in both one and two; genome names must be unique across the collection");
    }
    GenomeCollection single;
    EXPECT_THROW(addGenomes(single, "-", {genomeOf("a", {}), genomeOf("a", {})}), std::runtime_error);
    EXPECT_EQ(collection.find("b"), std::optional<std::size_t>(1));
    EXPECT_EQ(collection.find("z"), std::nullopt);
}

}  // namespace
}  // namespace rp::collection
