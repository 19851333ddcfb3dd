#include "model/matching_model.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "genome_text.hpp"

namespace rp::model {
namespace {

using test::genome;

TEST(MatchingModel, NamesAndParsesEveryKindAndRefusesOthers) {
    for (const ModelKind kind : {ModelKind::maximum, ModelKind::exemplar, ModelKind::intermediate})
        EXPECT_EQ(parseModelKind(modelName(kind)), kind);
    EXPECT_EQ(modelName(ModelKind::intermediate), "intermediate");
    try {
        parseModelKind("maximal");
        FAIL() << "maximal accepted";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "unknown model \"maximal\" (maximum, exemplar or intermediate)");
    }
}

TEST(MatchingModel, KindRangeByKindAndCopies) {
    struct Case {
        ModelKind kind;
        std::uint32_t inA, inB;
        PairRange range;
    };
    const Case cases[] = {
        {ModelKind::maximum, 3, 2, {2, 2}},      {ModelKind::maximum, 1, 4, {1, 1}},
        {ModelKind::maximum, 0, 4, {0, 0}},      {ModelKind::exemplar, 3, 2, {1, 1}},
        {ModelKind::exemplar, 2, 0, {0, 0}},     {ModelKind::intermediate, 3, 2, {1, 2}},
        {ModelKind::intermediate, 1, 1, {1, 1}}, {ModelKind::intermediate, 0, 0, {0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kindRange(c.kind, c.inA, c.inB), c.range)
            << modelName(c.kind) << " " << c.inA << " " << c.inB;
}

// A bounds file and what reading it and checking it against A = a a a b c x,
// B = a a b c c y gives: the ranges read, or the message.
struct BoundsCase {
    const char* text;
    std::vector<std::pair<std::string, PairRange>> ranges;
    std::string refusal;  // empty: accepted
};

TEST(MatchingModel, ReadsAndChecksBoundsFiles) {
    const std::vector<Structure> structures{genome("L:+a.1+a.2+b.1 C:+a.3+c.1+x.1"),
                                            genome("L:+a.1+b.1+c.1 L:+c.2+a.2+y.1")};
    const GenomePair pair = selectPair(structures, 2);
    const BoundsCase cases[] = {
        {"a\t1\t2\n", {{"a", {1, 2}}}, ""},
        {"# family lower upper\n\na\t0\t0\r\n  \t\nb\t1\t1\nc\t1\t1", {{"a", {0, 0}}, {"b", {1, 1}}, {"c", {1, 1}}}, ""},
        {"", {}, ""},
        {"a\t1\n", {}, "b.tsv line 1: 2 fields, not 3 (FAMILY<TAB>LOWER<TAB>UPPER)"},
        {"a 1 2\n", {}, "b.tsv line 1: 1 field, not 3 (FAMILY<TAB>LOWER<TAB>UPPER)"},
        {"a\t1\t2\t\n", {}, "b.tsv line 1: 4 fields, not 3 (FAMILY<TAB>LOWER<TAB>UPPER)"},
        {"#\nb\t-1\t1\n", {}, "b.tsv line 2: lower bound \"-1\" is negative"},
        {"b\t0\t-3\n", {}, "b.tsv line 1: upper bound \"-3\" is negative"},
        {"b\tone\t1\n", {}, "b.tsv line 1: lower bound \"one\" is not a number"},
        {"b\t1\t1.5\n", {}, "b.tsv line 1: upper bound \"1.5\" is not a number"},
        {"b\t\t1\n", {}, "b.tsv line 1: lower bound \"\" is not a number"},
        {"b\t+1\t1\n", {}, "b.tsv line 1: lower bound \"+1\" is not a number"},
        {"b\t1\t99999999999\n", {}, "b.tsv line 1: upper bound \"99999999999\" is too large"},
        {"\t1\t1\n", {}, "b.tsv line 1: empty family name"},
        {"a\t2\t1\n", {}, "b.tsv line 1: family a: lower bound 2 is above upper bound 1"},
        {"a\t1\t1\nb\t1\t1\n\na\t0\t1\n", {}, "b.tsv line 4: family a named twice (first on line 1)"},
        // Checked against the pair.
        {"a\t1\t3\n", {}, "b.tsv line 1: family a: upper bound 3 is above min(a, b) = 2 (3 in genome A, 2 in genome B)"},
        {"b\t0\t1\nx\t0\t0\n", {}, "b.tsv line 2: family x is not in both genomes (1 in genome A, 0 in genome B)"},
        {"y\t0\t0\n", {}, "b.tsv line 1: family y is not in both genomes (0 in genome A, 1 in genome B)"},
        {"q\t0\t0\n", {}, "b.tsv line 1: family q is not in both genomes (0 in genome A, 0 in genome B)"},
    };
    for (const BoundsCase& c : cases) {
        std::istringstream in(c.text);
        std::string refusal;
        MatchingModel model{ModelKind::exemplar, {}, "b.tsv"};
        try {
            model.bounds = readFamilyBounds(in, "b.tsv");
            checkBounds(model, pair);
        } catch (const std::runtime_error& e) {
            refusal = e.what();
        }
        EXPECT_EQ(refusal, c.refusal) << c.text;
        if (!c.refusal.empty()) continue;
        ASSERT_EQ(model.bounds.size(), c.ranges.size()) << c.text;
        for (std::size_t i = 0; i < c.ranges.size(); ++i) {
            EXPECT_EQ(model.bounds[i].family, c.ranges[i].first);
            EXPECT_EQ(familyRange(model, c.ranges[i].first, 3, 2), c.ranges[i].second) << c.text;
        }
        // A family the bounds leave out keeps its kind's range.
        if (c.ranges.size() == 1) {
            EXPECT_EQ(familyRange(model, "c", 1, 2), (PairRange{1, 1}));
        }
    }
    // Line numbers count skipped lines too.
    std::istringstream in("# x\n\na\t0\t2\n");
    EXPECT_EQ(readFamilyBounds(in, "f").at(0).line, 3u);
}

}  // namespace
}  // namespace rp::model
