#include "model/matching.hpp"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "support/genomes.hpp"

namespace rp::model {
namespace {

using test::genome;

// Equal labels pair up in A's order; the partners index both ways.
TEST(MatchByLabels, PairsEqualLabelsAndIndexesThePartners) {
    const std::vector<Structure> s{genome("L:+a.1+b.2 C:+c.1+x.1"), genome("L:-c.1+a.1 L:+b.1+b.2")};
    const GenomePair pair = selectPair(s, 2);
    const Matching matching = matchByLabels(pair);
    ASSERT_EQ(matching.size(), 3u);
    EXPECT_EQ(matching[0].a, (GenePlace{0, 0}));
    EXPECT_EQ(matching[0].b, (GenePlace{0, 1}));
    EXPECT_EQ(matching[1].b, (GenePlace{1, 1}));
    EXPECT_EQ(matching[2].a, (GenePlace{1, 0}));
    const MatchedGenes genes = indexMatching(*pair.a, *pair.b, matching);
    EXPECT_EQ(genes.startsA, (std::vector<std::uint32_t>{0, 2, 4}));
    EXPECT_EQ(genes.partnerOfA, (std::vector<std::uint32_t>{1, 3, 0, kNoPartner}));
    EXPECT_EQ(genes.partnerOfB, (std::vector<std::uint32_t>{2, 0, kNoPartner, 1}));
    EXPECT_THROW(indexMatching(*pair.a, *pair.b, {{{0, 0}, {0, 0}}}), std::invalid_argument);  // a with c
}

TEST(MatchByLabels, RefusesALabelTwiceInOneGenomeNamingIt) {
    const auto failure = [](const char* a, const char* b) {
        const std::vector<Structure> s{genome(a, "first"), genome(b, "second")};
        try {
            matchByLabels(selectPair(s, 2));
        } catch (const std::runtime_error& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_EQ(failure("L:+a.1+a.1", "L:+a.1"), "label a.1 occurs twice in genome A (structure 1, first)");
    EXPECT_EQ(failure("L:+a.1", "L:+b.1 C:-a.1+a.1"), "label a.1 occurs twice in genome B (structure 2, second)");
    // A label in one genome only may occur twice.
    EXPECT_EQ(failure("L:+a.2+a.2+b.1", "L:+a.1+b.1"), "");
}

}  // namespace
}  // namespace rp::model
