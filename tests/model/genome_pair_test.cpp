#include "model/genome_pair.hpp"

#include <gtest/gtest.h>

#include <cstdint>

#include <stdexcept>
#include <string>
#include <vector>

#include "support/genomes.hpp"

namespace rp::model {
namespace {

using test::genome;

std::vector<Structure> named(const std::vector<std::string>& names) {
    std::vector<Structure> genomes;
    for (const std::string& n : names) {
        Structure s;
        s.name = n;
        genomes.push_back(s);
    }
    return genomes;
}

std::string namesOf(const GenomePair& pair) { return pair.a->name + " " + pair.b->name + " "; }

PairChoice byName(const std::string& a, const std::string& b) {
    return PairChoice{.byName = true, .a = a, .b = b, .source = "f"};
}

TEST(SelectPair, ByNameOrTheFirstTwo) {
    const std::vector<Structure> xyz = named({"x", "y", "z"});
    EXPECT_EQ(selectPair(xyz, byName("y", "z")).second, 3u);
    EXPECT_EQ(namesOf(selectPair(xyz, byName("z", "x"))), "z x ");
    EXPECT_EQ(namesOf(selectPair(xyz, byName("", ""))), "x y ");
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
            selectPair(named(c.genomes), byName(c.a, c.b));
            ADD_FAILURE() << c.message;
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
}

// By number: structure 1 and structure N, the messages of paralogs model.
TEST(SelectPair, ByNumber) {
    const std::vector<Structure> xyz = named({"x", "y", "z"});
    EXPECT_EQ(namesOf(selectPair(xyz, 3)), "x z ");
    EXPECT_EQ(namesOf(selectPair(xyz, PairChoice{.second = 2, .byName = false, .a = {}, .b = {}, .source = {}})), "x y ");
    try {
        selectPair(xyz, 4);
        ADD_FAILURE();
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "the file holds 3 structures, genome B is structure 4");
    }
    EXPECT_THROW(selectPair(xyz, 1), std::runtime_error);
}

TEST(SelectPair, RefusesAMissingGenomeB) {
    const std::vector<Structure> two{genome("L:+a.1"), genome("L:+a.1")};
    EXPECT_THROW(selectPair(two, 1), std::runtime_error);
    EXPECT_THROW(selectPair(two, 3), std::runtime_error);
    EXPECT_EQ(selectPair(two, 2).b, &two[1]);
}

// The commands check --second before they read the file, with the message
// of selectPair.
TEST(SelectPair, ChecksTheSecondOfACommandLineAsItDoes) {
    const auto message = [](auto check) -> std::string {
        try {
            check();
        } catch (const std::runtime_error& e) {
            return e.what();
        }
        return "";
    };
    const std::vector<Structure> two{genome("L:+a.1"), genome("L:+a.1")};
    EXPECT_EQ(message([] { checkedSecond(-1); }), "genome B must be structure 2 or later, not -1");
    EXPECT_EQ(message([] { checkedSecond(0); }), "genome B must be structure 2 or later, not 0");
    EXPECT_EQ(message([&] { selectPair(two, 1); }), "genome B must be structure 2 or later, not 1");
    EXPECT_EQ(checkedSecond(2), 2u);
    EXPECT_EQ(checkedSecond(std::int64_t{1} << 40), std::size_t{1} << 40);
}

}  // namespace
}  // namespace rp::model
