// The warm start of the reduced DCJ-indel program: the greedy matching is one
// of the model's and never worse than matching by labels where labels make
// a matching of the model; the start file is the point of that matching,
// whose objective is its distance by scoreDcj; CBC reads it and keeps the
// optimum.
#include "dcj/dcj_warm_start.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "dcj/dcj_reductions.hpp"
#include "dcj/dcj_score.hpp"
#include "genomes/genomes_reader.hpp"
#include "support/genomes.hpp"
#include "support/matchings.hpp"
#include "support/process.hpp"
#include "support/solvers.hpp"
#include "support/temp_dir.hpp"

namespace rp::model {
namespace {

std::vector<Structure> throughTheReader(const std::vector<Structure>& generated) {
    return readGenomesText(test::structuresFile(generated), "pair").structures;
}

// The start file against an independent reading: one "index name value 0"
// line per column not at 0, the header's objective the greedy matching's
// distance by scoreDcj, and every z named in it a pair of that matching.
TEST(DcjWarmStart, TheStartFileIsTheGreedyMatchingsPoint) {
    for (int seed = 1; seed <= 60; ++seed) {
        std::mt19937 rng(static_cast<unsigned>(seed));
        const std::vector<Structure> pair = throughTheReader(test::randomPair(rng));
        const GenomePair genomes = selectPair(pair, 2);
        const DcjReducedProgram program = buildDcjReducedProgram(genomes, MatchingModel{});
        std::ostringstream out;
        const StartValues start = writeDcjStart(out, program, genomes, MatchingModel{});
        const Matching greedy = greedyDcjMatching(genomes, MatchingModel{});
        EXPECT_EQ(start.pairs, greedy.size());
        EXPECT_EQ(start.distance, scoreDcj(pair[0], pair[1], greedy).distance) << seed;
        EXPECT_GE(start.distance, test::leastDcjDistance(pair[0], pair[1], MatchingModel{})) << seed;
        std::istringstream in(out.str());
        std::string line;
        std::getline(in, line);
        EXPECT_EQ(line, "Feasible - objective value " + std::to_string(start.distance) + ".00000000");
        std::size_t zAtOne = 0;
        while (std::getline(in, line)) {
            std::istringstream fields(line);
            std::size_t index = 0;
            std::string name;
            long long value = 0, cost = 1;
            ASSERT_TRUE(fields >> index >> name >> value >> cost) << line;
            ASSERT_LT(index, program.lp.columns.size());
            EXPECT_EQ(program.lp.columns[index].name, name);
            EXPECT_NE(value, 0);
            EXPECT_EQ(cost, 0);
            if (name.rfind("z_", 0) == 0) ++zAtOne;
        }
        EXPECT_EQ(zAtOne, greedy.size()) << seed;
    }
}

// Under the intermediate model every matching of the maximum model with the
// model's decided pairs is one of the model's: its greedy is never worse
// than the maximum model's, and stays a matching of the model.
TEST(DcjWarmStart, AnIntermediateGreedyKeepsItsDecidedPairsAndIsNoLongerThanTheMaximumOnes) {
    MatchingModel intermediate;
    intermediate.kind = ModelKind::intermediate;
    std::size_t compared = 0;
    for (int seed = 1; seed <= 300; ++seed) {
        std::mt19937 rng(static_cast<unsigned>(104729 * seed));
        const std::vector<Structure> pair =
            throughTheReader(test::randomPair(rng, {.families = 12, .maxGenes = 30, .maxChromosomes = 2}));
        const GenomePair genomes = selectPair(pair, 2);
        const Matching greedy = greedyDcjMatching(genomes, intermediate);
        EXPECT_TRUE(test::containsAll(greedy, anchoredPairs(genomes, intermediate))) << seed;
        EXPECT_NO_THROW(dcjStartValues(buildDcjReducedProgram(genomes, intermediate), genomes, greedy)) << seed;
        const Matching most = greedyDcjMatching(genomes, MatchingModel{});
        if (!test::containsAll(most, anchoredPairs(genomes, intermediate))) continue;
        ++compared;
        EXPECT_LE(scoreDcj(pair[0], pair[1], greedy).distance, scoreDcj(pair[0], pair[1], most).distance)
            << seed << "\n" << test::structuresFile(pair);
    }
    EXPECT_GT(compared, 200U);
}

// On human/mouse the intermediate model's own greedy gives 2202; guided by
// the pairs the maximum model decides it gives 2191, and the start is the
// shorter. The maximum model's own greedy (2183) leaves out pairs that the
// intermediate model decides, so it is no candidate here.
TEST(DcjWarmStart, HumanAndMouseUnderIntermediateTakeTheGuidedGreedy) {
    std::ifstream in(RP_SHARED_DIR "/genomes/human-mouse.txt", std::ios::binary);
    if (!in) GTEST_SKIP() << "no human/mouse genomes (the shared data beside the repository)";
    const std::vector<Structure> pair = readGenomes(in, "human-mouse").structures;
    const GenomePair genomes = selectPair(pair, 2);
    MatchingModel intermediate;
    intermediate.kind = ModelKind::intermediate;
    const Matching greedy = greedyDcjMatching(genomes, intermediate);
    EXPECT_TRUE(test::containsAll(greedy, anchoredPairs(genomes, intermediate)));
    EXPECT_LE(scoreDcj(pair[0], pair[1], greedy).distance, 2191);
}

// The start: the greedy matching's values, which CBC reads and takes as its
// first solution; it may or may not be optimal, the optimum is unchanged.
// (x has a copy more in B: the anchors beside b and e decide two of its
// pairs, and x.2 of A is left to CBC.)
TEST(DcjWarmStart, CbcTakesTheStart) {
    if (!test::onPath("cbc")) GTEST_SKIP() << "cbc is not on PATH (the project's setup installs coinor-cbc)";
    test::TempDir dir;
    const std::vector<Structure> pair = throughTheReader(
        {test::genome("L:+a.1+b.1+x.1+c.1+x.2+d.1 L:+e.1+x.3+f.1", "A"),
         test::genome("L:+a.1+b.1+x.2+c.1+d.1 L:+e.1+x.1+f.1 C:+x.3+g.1+x.4", "B")});
    dir.write("structs.txt", test::structuresFile(pair));
    const test::ProcessResult model = test::runProcess(
        RP_PARALOGS_PATH, {"model", "-s", "structs.txt", "-o", "model.lp", "--distance", "dcj", "--start", "start.sol"},
        dir.path());
    ASSERT_EQ(model.status, 0) << model.err;
    const Matching greedy = greedyDcjMatching(selectPair(pair, 2), MatchingModel{});
    const std::int64_t distance = scoreDcj(pair[0], pair[1], greedy).distance;
    EXPECT_NE(model.err.find("a start of distance " + std::to_string(distance) + " ("), std::string::npos) << model.err;
    const test::ProcessResult cbc =
        test::runProcess(test::pathOf("cbc"), {"model.lp", "mipstart", "start.sol", "solve", "solu", "cbc.sol"}, dir.path());
    ASSERT_EQ(cbc.status, 0) << cbc.err;
    EXPECT_NE(cbc.out.find("MIPStart values read for "), std::string::npos) << cbc.out;
    // CBC's own line for an accepted start (the cost it prints beside
    // "MIPStart provided solution" is not the objective).
    EXPECT_NE(cbc.out.find("Integer solution of " + std::to_string(distance) + " found by Reduced search"),
              std::string::npos)
        << cbc.out;
    EXPECT_NE(dir.read("cbc.sol").find("Optimal - objective value " +
                                       std::to_string(test::leastDcjDistance(pair[0], pair[1], MatchingModel{})) + "."),
              std::string::npos);
}

}  // namespace
}  // namespace rp::model
