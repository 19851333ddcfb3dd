#include "breakpoint/matching_program.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <sstream>

#include "lp/lp_text.hpp"
#include "support/genomes.hpp"
#include "support/model_of.hpp"
#include "breakpoint/score.hpp"
#include "support/solvers.hpp"

namespace rp::model {
namespace {

using test::genome;
using test::modelOf;

std::string refusalOf(const std::vector<Structure>& structures, ModelKind kind = ModelKind::maximum) {
    try {
        buildMatchingProgram(selectPair(structures, 2), modelOf(kind));
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}

Structure withFamily(const std::string& family, int copies, const char* name) {
    Structure s;
    s.name = name;
    s.chromosomes.resize(1);
    for (int c = 1; c <= copies; ++c) s.chromosomes[0].genes.push_back(Gene{family, c, 1, false});
    return s;
}

TEST(MatchingProgram, RefusesALabelTwiceInOneGenomeNamingTheGenome) {
    EXPECT_EQ(refusalOf({genome("L:+a.1-a.1+b.1", "g1"), genome("L:+a.1+b.1", "g2")}),
              "label a.1 occurs twice in genome A (structure 1, g1)");
    EXPECT_EQ(refusalOf({genome("L:+a.1+b.1", "g1"), genome("L:+b.1 C:+b.1", "g2")}),
              "label b.1 occurs twice in genome B (structure 2, g2)");
    // Families in one genome only get no variables: their labels may repeat.
    EXPECT_EQ(refusalOf({genome("L:+x.1+x.1+b.1", "g1"), genome("L:+b.1+y.2+y.2", "g2")}), "");
}

TEST(MatchingProgram, RefusesFamilyNamesThatCannotStandInAnLpName) {
    for (const char* bad : {"a/b", "a.b", "a:b", "a b", "caf\xc3\xa9", "a|b", "a;b", "a[1]", "a<b", "a*b"}) {
        const std::string message =
            refusalOf({withFamily(bad, 1, "g1"), withFamily(bad, 1, "g2")});
        EXPECT_NE(message.find(std::string("family \"") + bad + "\" cannot stand in an LP name"), std::string::npos)
            << bad << ": " << message;
    }
    // Every byte the names may hold, and a bad name in one genome only.
    const std::string good = "aZ09!\"#$%&(),?@_`'{}~";
    EXPECT_EQ(refusalOf({withFamily(good, 1, "g1"), withFamily(good, 1, "g2")}), "");
    EXPECT_EQ(refusalOf({genome("L:+a.1"), withFamily("a/b", 1, "g2")}), "");
}

TEST(MatchingProgram, RefusesAFamilyWhoseZNamesWouldPassOneHundredCharacters) {
    // z_ NAME . 1 . 1: 94 bytes of name give exactly 100.
    const std::string fits(94, 'f');
    EXPECT_EQ(refusalOf({withFamily(fits, 1, "g1"), withFamily(fits, 1, "g2")}), "");
    const std::string tooLong(95, 'f');
    EXPECT_NE(refusalOf({withFamily(tooLong, 1, "g1"), withFamily(tooLong, 1, "g2")}).find("too long"),
              std::string::npos);
    // Copy indices count: 10 copies need two digits.
    const std::string name(93, 'f');
    EXPECT_EQ(refusalOf({withFamily(name, 9, "g1"), withFamily(name, 10, "g2")}), "");
    EXPECT_NE(refusalOf({withFamily(name, 10, "g1"), withFamily(name, 10, "g2")}).find("too long"), std::string::npos);
}

TEST(MatchingProgram, CountsPairsAndFamilies) {
    const std::vector<Structure> s{genome("L:+a.1+a.2+a.3+b.1 C:+x.1"), genome("L:+a.1+b.1+b.2 C:+a.4")};
    const MatchingProgram maximum = buildMatchingProgram(selectPair(s, 2), modelOf(ModelKind::maximum));
    EXPECT_EQ(maximum.families, 2u);
    EXPECT_EQ(maximum.pairs, 3u);  // a: min(3, 2), b: min(1, 2)
    EXPECT_EQ(maximum.zCount, 3u * 2 + 1 * 2);
    EXPECT_EQ(maximum.columns.front().name, "z_a.1.1");
    EXPECT_EQ(maximum.columns[maximum.zCount - 1].name, "z_b.1.2");
    EXPECT_EQ(maximum.columns.size(), maximum.zCount + maximum.adjacencyCandidates + maximum.telomereCandidates);
    EXPECT_EQ(buildMatchingProgram(selectPair(s, 2), modelOf(ModelKind::exemplar)).pairs, 2u);
}

TEST(FamiliesPastIndexLimit, NamesFamiliesLeftUnmatchedWithEveryIndexInUse) {
    Structure a = withFamily("a", 19, "g1");
    a.chromosomes[0].genes.push_back(Gene{"b", 1, 1, false});
    a.chromosomes[0].genes.push_back(Gene{"b", 2, 1, false});
    const Structure b = genome("L:+a.1+b.1");
    EXPECT_EQ(familiesPastIndexLimit({a, b}, selectPair(std::vector<Structure>{a, b}, 2), modelOf(ModelKind::maximum)),
              std::vector<std::string>{"a"});
    // Indices used in any structure count; an unused one leaves no warning.
    Structure fewer = withFamily("a", 18, "g1");
    const std::vector<Structure> free{fewer, b};
    EXPECT_TRUE(familiesPastIndexLimit(free, selectPair(free, 2), modelOf(ModelKind::maximum)).empty());
    const std::vector<Structure> third{fewer, b, genome("L:+a.19")};
    EXPECT_EQ(familiesPastIndexLimit(third, selectPair(third, 2), modelOf(ModelKind::maximum)),
              std::vector<std::string>{"a"});
    // All matched: nothing to move.
    const std::vector<Structure> all{withFamily("a", 19, "g1"), withFamily("a", 19, "g2")};
    EXPECT_TRUE(familiesPastIndexLimit(all, selectPair(all, 2), modelOf(ModelKind::maximum)).empty());
    EXPECT_EQ(familiesPastIndexLimit(all, selectPair(all, 2), modelOf(ModelKind::exemplar)),
              std::vector<std::string>{"a"});
}

TEST(FamiliesPastIndexLimit, FollowsTheLowerBoundOfEachFamilysRange) {
    // a: 19 copies in A, 19 in B: matched whole under maximum only.
    const std::vector<Structure> s{withFamily("a", 19, "g1"), withFamily("a", 19, "g2")};
    const GenomePair pair = selectPair(s, 2);
    EXPECT_EQ(familiesPastIndexLimit(s, pair, modelOf(ModelKind::intermediate)), std::vector<std::string>{"a"});
    EXPECT_EQ(familiesPastIndexLimit(s, pair, modelOf(ModelKind::maximum, {FamilyBound{"a", PairRange{18, 19}, 1}})),
              std::vector<std::string>{"a"});
    const MatchingModel whole = modelOf(ModelKind::exemplar, {FamilyBound{"a", PairRange{19, 19}, 1}});
    EXPECT_TRUE(familiesPastIndexLimit(s, pair, whole).empty());
}

TEST(MatchingProgram, CountsTheLeastAndTheMostPairs) {
    const std::vector<Structure> s{genome("L:+a.1+a.2+a.3+b.1 C:+x.1"), genome("L:+a.1+b.1+b.2 C:+a.4")};
    const MatchingProgram intermediate = buildMatchingProgram(selectPair(s, 2), modelOf(ModelKind::intermediate));
    EXPECT_EQ(intermediate.pairs, 2u);
    EXPECT_EQ(intermediate.upperPairs, 3u);
    const MatchingProgram bounded =
        buildMatchingProgram(selectPair(s, 2), modelOf(ModelKind::maximum, {FamilyBound{"a", PairRange{0, 1}, 1}}));
    EXPECT_EQ(bounded.pairs, 1u);
    EXPECT_EQ(bounded.upperPairs, 2u);
}

TEST(MatchingProgram, RefusesBoundsThatDoNotFitThePair) {
    const std::vector<Structure> s{genome("L:+a.1+a.2+b.1"), genome("L:+a.1+b.1+c.1")};
    const auto refusal = [&](const FamilyBound& bound) {
        try {
            buildMatchingProgram(selectPair(s, 2), modelOf(ModelKind::maximum, {bound}));
        } catch (const std::runtime_error& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    // a: 2 copies in A, 1 in B; c in B only.
    EXPECT_EQ(refusal(FamilyBound{"a", PairRange{0, 2}, 3}).rfind("bounds.tsv line 3: family a", 0), 0u);
    EXPECT_EQ(refusal(FamilyBound{"c", PairRange{0, 0}, 1}).rfind("bounds.tsv line 1: family c", 0), 0u);
    EXPECT_EQ(refusal(FamilyBound{"a", PairRange{0, 1}, 1}), "");
}

// A pair with long family names, every byte names may hold, and large
// families standing in tandem.
std::vector<Structure> largePair() {
    const std::string longName = std::string(60, 'L') + "!\"#$%&(),?@_`'{}~";
    std::vector<Structure> s(2);
    s[0].name = "A";
    s[1].name = "B";
    s[0].chromosomes.resize(2);
    s[1].chromosomes.resize(2);
    s[0].chromosomes[1].circular = true;
    for (int c = 1; c <= 9; ++c) {
        s[0].chromosomes[0].genes.push_back(Gene{longName, c, c % 3 == 0 ? -1 : 1, false});
        s[0].chromosomes[1].genes.push_back(Gene{"big", c, 1, false});
    }
    for (int c = 1; c <= 12; ++c) {
        s[1].chromosomes[0].genes.push_back(Gene{longName, c, c % 4 == 0 ? -1 : 1, false});
        s[1].chromosomes[1].genes.push_back(Gene{"big", c + 80, c % 2 == 0 ? -1 : 1, false});
    }
    s[1].chromosomes[0].genes.push_back(Gene{"big", 99, 1, false});
    return s;
}

TEST(WriteLp, KeepsLinesAndNamesWithinTheSolversLimits) {
    const std::vector<Structure> structures = largePair();
    const MatchingProgram program = buildMatchingProgram(selectPair(structures, 2), modelOf(ModelKind::maximum));
    std::ostringstream out;
    lp::writeProgram(out, program, {"paralogs model " + std::string(300, 'x'), "second line"});
    const std::string text = out.str();
    std::istringstream lines(text);
    std::string line;
    std::vector<std::string> sections;
    std::size_t longest = 0;
    while (std::getline(lines, line)) {
        longest = std::max(longest, line.size());
        EXPECT_LE(line.size(), lp::kMaxLpLineBytes) << line.substr(0, 80);
        if (!line.empty() && line[0] != ' ' && line[0] != '\\') sections.push_back(line);
        if (line.empty() || line[0] != ' ') continue;
        std::istringstream words(line);
        std::string word;
        while (words >> word) {
            if (word.back() == ':') word.pop_back();
            EXPECT_LE(word.size(), kMaxLpName) << word;
        }
    }
    EXPECT_GT(longest, 150u);  // rows did wrap
    EXPECT_EQ(sections, (std::vector<std::string>{"Maximize", "Subject To", "Binary", "End"}));
    EXPECT_EQ(text.rfind("\\ paralogs model ", 0), 0u);
    // Every constraint has a name.
    const std::string rows = text.substr(text.find("Subject To\n") + 11, text.find("Binary\n") - text.find("Subject To\n") - 11);
    std::istringstream rowLines(rows);
    while (std::getline(rowLines, line))
        if (line.rfind("  ", 0) != 0) {
            // " NAME_NUMBER:", the name in letters.
            const std::size_t underscore = line.find('_');
            const std::size_t colon = line.find(':');
            ASSERT_TRUE(line[0] == ' ' && underscore != std::string::npos && colon != std::string::npos &&
                        underscore > 1 && colon > underscore + 1)
                << line;
            for (std::size_t i = 1; i < underscore; ++i) EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(line[i]))) << line;
            for (std::size_t i = underscore + 1; i < colon; ++i) EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(line[i]))) << line;
        }
}

TEST(WriteLp, CbcAndGlpkReadTheLargePairWithItsNames) {
    if (!test::onPath("cbc")) GTEST_SKIP() << "cbc is not on PATH (the project's setup installs coinor-cbc)";
    const std::vector<Structure> structures = largePair();
    const GenomePair pair = selectPair(structures, 2);
    const MatchingProgram program = buildMatchingProgram(pair, modelOf(ModelKind::maximum));
    test::TempDir dir;
    std::ostringstream out;
    lp::writeProgram(out, program, {"large pair"});
    dir.write("large.lp", out.str());
    const test::SolverAnswer cbc = test::runCbc(dir, "large.lp");
    ASSERT_TRUE(cbc.optimal) << cbc.log;
    // CBC kept the names: the answer holds z variables, one per pair.
    std::size_t zAtOne = 0;
    Matching matching;
    for (const auto& [name, value] : cbc.values) {
        if (value < 0.5) continue;
        const auto named = [&](const lp::Column& c) { return c.name == name; };
        ASSERT_TRUE(std::find_if(program.columns.begin(), program.columns.begin() + program.zCount, named) !=
                        program.columns.begin() + program.zCount ||
                    name[0] != 'z')
            << name;
        if (name[0] == 'z') ++zAtOne;
    }
    EXPECT_EQ(zAtOne, program.pairs);
    if (test::onPath("glpsol")) {
        const test::SolverAnswer glpk = test::runGlpk(dir, "large.lp");
        ASSERT_TRUE(glpk.optimal) << glpk.log;
        EXPECT_EQ(glpk.objective, cbc.objective);
    }
}

TEST(WriteLp, AnEmptyProgramStillReads) {
    const std::vector<Structure> structures{genome("L:+a.1"), genome("L:+b.1")};
    const MatchingProgram program = buildMatchingProgram(selectPair(structures, 2), modelOf(ModelKind::maximum));
    EXPECT_EQ(program.variables(), 0u);
    if (!test::onPath("cbc")) GTEST_SKIP() << "cbc is not on PATH";
    test::TempDir dir;
    std::ostringstream out;
    lp::writeProgram(out, program, {});
    dir.write("empty.lp", out.str());
    const test::SolverAnswer cbc = test::runCbc(dir, "empty.lp");
    EXPECT_TRUE(cbc.optimal) << cbc.log << out.str();
    EXPECT_EQ(cbc.objective, 0);
}

}  // namespace
}  // namespace rp::model

namespace rp::model {
namespace {

TEST(MatchingProgram, RefusesAProgramTooLargeToBuild) {
    // 8,000 copies on each side: 64 million z variables.
    const std::string message = refusalOf({withFamily("a", 8000, "g1"), withFamily("a", 8000, "g2")});
    EXPECT_EQ(message.rfind("the program would be too large: 64000000 z variables", 0), 0u) << message;
}

}  // namespace
}  // namespace rp::model
