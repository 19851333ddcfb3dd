// Pair names as the workflow's collection script gives them.
#include "collection/pair_names.hpp"

#include <gtest/gtest.h>

#include <string>

namespace rp::collection {
namespace {

TEST(PairNames, AsTheWorkflowWritesThem) {
    const struct {
        const char* a;
        const char* b;
        const char* name;
    } cases[] = {
        {"g1", "g2", "g1__g2"},
        {"E. coli K-12", "p/1", "E._coli_K-12__p_1"},
        {"_x", "y", "x__y"},
        {".-_a", "b", "a__b"},
        {"", "", "pair"},
        {"\xc3\xa9", "b", "b"},  // é: one character, one underscore, stripped
        {"a\xc3\xa9"
         "b",
         "\xe2\x82\xac", "a_b___"},  // é and €: one underscore each
        {"a\tb", "c", "a_b__c"},
    };
    for (const auto& c : cases) EXPECT_EQ(pairName(c.a, c.b), c.name) << c.a << " " << c.b;
}

// A name too long for a folder keeps a stem and the hash of the whole (the
// workflow's own naming gives the same, its test holds the same literal).
TEST(PairNames, LongNamesShortenedByTheirHash) {
    const std::string a(150, 'g'), b(150, 'h');
    const std::string name = pairName(a, b);
    EXPECT_EQ(name, a + "__" + std::string(31, 'h') + "-24367516be669d85");
    EXPECT_EQ(pairName(a, b + "x").substr(0, 183), name.substr(0, 183));
    EXPECT_NE(pairName(a, b + "x"), name);
    EXPECT_EQ(pairName(std::string(100, 'g'), std::string(98, 'h')).size(), 200u);  // at the limit: kept
    EXPECT_TRUE(isUsablePairName(name + ".2"));
}

TEST(PairNames, MadeUniqueWithNumbers) {
    PairNamer namer;
    EXPECT_EQ(namer.next("a b", "c"), "a_b__c");
    EXPECT_EQ(namer.next("a/b", "c"), "a_b__c.2");
    EXPECT_EQ(namer.next("a:b", "c"), "a_b__c.3");
    EXPECT_EQ(namer.next("x", "y"), "x__y");
    // A name that a suffix took already is passed over.
    PairNamer other;
    EXPECT_EQ(other.next("a", "b.2"), "a__b.2");
    EXPECT_EQ(other.next("a", "b"), "a__b");
    EXPECT_EQ(other.next("a", "b"), "a__b.3");
}

TEST(PairNames, UsableAsDirectories) {
    for (const char* good : {"a", "a__b.2", "-x", "..a"}) EXPECT_TRUE(isUsablePairName(good)) << good;
    for (const char* bad : {"", ".", "..", "a/b", "a b", "a\tb"}) EXPECT_FALSE(isUsablePairName(bad)) << bad;
    EXPECT_TRUE(isUsablePairName(std::string(230, 'a')));
    EXPECT_FALSE(isUsablePairName(std::string(231, 'a')));
}

}  // namespace
}  // namespace rp::collection
