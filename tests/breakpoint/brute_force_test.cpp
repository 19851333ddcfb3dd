// The written program against the definition: on seeded random small pairs
// of genomes, CBC's optimum of the program equals the best score over every
// matching of the model (maximum, exemplar, intermediate, and random bounds
// per family), and CBC's z variables at 1 form such a matching;
// GLPK, and the whole pipeline through resolve-paralogs and paralogs score,
// agree on a sample.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "support/genomes.hpp"
#include "support/matchings.hpp"
#include "support/model_of.hpp"
#include "breakpoint/matching_program.hpp"
#include "breakpoint/score.hpp"
#include "support/solvers.hpp"
#include "genomes/genomes_reader.hpp"

namespace rp::model {
namespace {

std::string describe(const std::vector<Structure>& pair) { return test::structuresFile(pair); }

// One random pair (seeded), its program solved by CBC (and GLPK on a
// sample) against the enumeration; true when its best score is not 0.
bool checkAgainstEnumeration(int seed, unsigned rngSeed, ModelKind kind, bool withBounds, bool glpk) {
    std::mt19937 rng(rngSeed);
    const std::vector<Structure> generated = test::randomPair(rng);
    // Through the file format and the strict reader, as the command reads it.
    const std::vector<Structure> structures = readGenomesText(test::structuresFile(generated), "pair").structures;
    const MatchingModel model =
        test::modelOf(kind, withBounds ? test::randomBounds(structures[0], structures[1], rng) : std::vector<FamilyBound>{});
    std::string bounds;
    for (const FamilyBound& b : model.bounds)
        bounds += b.family + "\t" + std::to_string(b.range.lower) + "\t" + std::to_string(b.range.upper) + "\n";
    const std::string where = "seed " + std::to_string(seed) + ", model " + std::string(modelName(kind)) +
                              (bounds.empty() ? "" : ", bounds\n" + bounds) + "\n" + describe(structures);
    const std::size_t best = test::bestBreakpointScore(structures[0], structures[1], model);
    test::TempDir dir;
    {
        std::ofstream out(dir.file("model.lp"));
        lp::writeProgram(out, buildMatchingProgram(selectPair(structures, 2), model), {"brute force"});
    }
    const test::SolverAnswer cbc = test::runCbc(dir, "model.lp");
    EXPECT_TRUE(cbc.optimal) << where << cbc.log;
    EXPECT_EQ(cbc.objective, static_cast<double>(best)) << where << dir.read("model.lp");
    const Matching matching = test::matchingOfAnswer(structures[0], structures[1], model, cbc);
    EXPECT_EQ(scoreMatching(structures[0], structures[1], matching).objective(), best) << where << dir.read("model.lp");
    if (glpk && seed % 10 == 0) {
        const test::SolverAnswer answer = test::runGlpk(dir, "model.lp");
        EXPECT_TRUE(answer.optimal) << where << answer.log;
        EXPECT_EQ(answer.objective, static_cast<double>(best)) << where;
    }
    return best > 0;
}

class BruteForce : public ::testing::TestWithParam<ModelKind> {};

TEST_P(BruteForce, CbcOptimumIsTheBestScoreOfTheDefinition) {
    if (!test::onPath("cbc")) GTEST_SKIP() << "cbc is not on PATH (the project's setup installs coinor-cbc)";
    const ModelKind kind = GetParam();
    const bool glpk = test::onPath("glpsol");
    constexpr int kPairs = 220;
    // The seeds of maximum and exemplar are those they always had.
    const int offset = kind == ModelKind::maximum ? 0 : kind == ModelKind::exemplar ? 1 : 100'001;
    int nontrivial = 0;
    for (int seed = 1; seed <= kPairs && !HasFailure(); ++seed)
        if (checkAgainstEnumeration(seed, static_cast<unsigned>(seed * 2 + offset), kind, false, glpk)) ++nontrivial;
    // The pairs must exercise the program, not only give 0.
    EXPECT_GT(nontrivial, kPairs / 2);
}

INSTANTIATE_TEST_SUITE_P(Models, BruteForce,
                         ::testing::Values(ModelKind::maximum, ModelKind::exemplar, ModelKind::intermediate),
                         [](const auto& info) { return std::string(modelName(info.param)); });

TEST(BruteForceBounds, CbcOptimumIsTheBestScoreUnderRandomBoundsPerFamily) {
    if (!test::onPath("cbc")) GTEST_SKIP() << "cbc is not on PATH (the project's setup installs coinor-cbc)";
    const bool glpk = test::onPath("glpsol");
    constexpr int kPairs = 200;
    const ModelKind kinds[] = {ModelKind::maximum, ModelKind::exemplar, ModelKind::intermediate};
    int nontrivial = 0;
    for (int seed = 1; seed <= kPairs && !HasFailure(); ++seed)
        if (checkAgainstEnumeration(seed, static_cast<unsigned>(50'000 + seed), kinds[seed % 3], true, glpk))
            ++nontrivial;
    EXPECT_GT(nontrivial, kPairs / 2);
}

// The pipeline checks itself: resolve-paralogs applies CBC's optimum (given
// as a CPLEX solution document), and paralogs score of its result gives the
// same objective.
TEST(Pipeline, ScoreOfTheResolvedGenomesIsTheOptimum) {
    if (!test::onPath("cbc")) GTEST_SKIP() << "cbc is not on PATH (the project's setup installs coinor-cbc)";
    for (int seed = 1; seed <= 30; ++seed) {
        std::mt19937 rng(static_cast<unsigned>(1000 + seed));
        const std::vector<Structure> structures = test::randomPair(rng);
        test::TempDir dir;
        dir.write("structs.txt", test::structuresFile(structures));
        const auto model = test::runProcess(RP_PARALOGS_PATH, {"model", "-s", "structs.txt", "-o", "model.lp"},
                                            dir.path());
        ASSERT_EQ(model.status, 0) << model.err;
        const test::SolverAnswer cbc = test::runCbc(dir, "model.lp");
        ASSERT_TRUE(cbc.optimal) << cbc.log;
        std::string xml = "<?xml version=\"1.0\"?>\n<CPLEXSolution version=\"1.2\">\n <variables>\n";
        int index = 0;
        for (const auto& [name, value] : cbc.values)
            xml += "  <variable name=\"" + name + "\" index=\"" + std::to_string(index++) + "\" value=\"" +
                   (value > 0.5 ? "1" : "0") + "\"/>\n";
        xml += " </variables>\n</CPLEXSolution>\n";
        dir.write("solution.xml", xml);
        const auto resolve = test::runProcess(RP_TOOL_PATH, {"-s", "structs.txt", "-i", "solution.xml", "-o", "result.txt"},
                                              dir.path());
        ASSERT_EQ(resolve.status, 0) << resolve.err;
        const auto score = test::runProcess(RP_PARALOGS_PATH, {"score", "-s", "result.txt"}, dir.path());
        ASSERT_EQ(score.status, 0) << score.err;
        std::istringstream lines(score.out);
        std::string header, values;
        std::getline(lines, header);
        std::getline(lines, values);
        std::istringstream fields(values);
        std::size_t matched = 0, adjacencies = 0, telomeres = 0, objective = 0;
        fields >> matched >> adjacencies >> telomeres >> objective;
        EXPECT_EQ(static_cast<double>(objective), cbc.objective)
            << "seed " << seed << "\n" << dir.read("structs.txt") << dir.read("result.txt");
    }
}

}  // namespace
}  // namespace rp::model
