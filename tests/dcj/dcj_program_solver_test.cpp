// The DCJ-indel program against enumeration: on seeded random small pairs of
// genomes, CBC's optimum equals the least scoreDcj over every matching the
// model (or a bounds file) allows, and the z variables at 1 form such a
// matching with that distance; every tenth pair GLPK's optimum too.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <limits>
#include <map>
#include <random>

#include "support/matchings.hpp"
#include "support/genomes.hpp"
#include "dcj/dcj_program.hpp"
#include "dcj/dcj_score.hpp"
#include "support/solvers.hpp"
#include "genomes/genomes_reader.hpp"

namespace rp::model {
namespace {

// Up to 5 families, copy indices 1 to 4, empty circular chromosomes dropped.
const test::PairShape kShape{.families = 5, .maxGenes = 8, .maxChromosomes = 3, .copyIndices = 4, .dropEmptyCircles = true};

struct ModelRun {
    const char* name;
    ModelKind kind;
    bool bounds;
};

void PrintTo(const ModelRun& run, std::ostream* out) { *out << run.name; }

class DcjProgramSolved : public ::testing::TestWithParam<ModelRun> {};

TEST_P(DcjProgramSolved, CbcOptimumIsTheLeastDistanceOverTheModelsMatchings) {
    if (!test::onPath("cbc")) GTEST_SKIP() << "cbc is not on PATH (the project's setup installs coinor-cbc)";
    const ModelRun run = GetParam();
    const bool glpk = test::onPath("glpsol");
    constexpr int kPairs = 100;
    int withIndels = 0, circular = 0;
    for (int seed = 1; seed <= kPairs; ++seed) {
        std::mt19937 rng(static_cast<unsigned>(seed * 7 + static_cast<int>(run.kind) + (run.bounds ? 3 : 0)));
        const std::vector<Structure> structures =
            readGenomesText(test::structuresFile(test::randomPair(rng, kShape)), "pair").structures;
        const Structure& a = structures[0];
        const Structure& b = structures[1];
        MatchingModel model{run.kind, {}, ""};
        if (run.bounds) {
            model.bounds = test::randomBounds(a, b, rng);
            model.boundsSource = "bounds";
        }
        const std::int64_t least = test::leastDcjDistance(a, b, model);
        const DcjProgram program = buildDcjProgram(selectPair(structures, 2), model);
        test::TempDir dir;
        {
            std::ofstream out(dir.file("model.lp"));
            lp::writeProgram(out, program.lp, {"brute force"});
        }
        const std::string context = "seed " + std::to_string(seed) + "\n" + test::structuresFile(structures);
        // Without cuts CBC proves these small optima three times faster.
        const test::SolverAnswer cbc = test::runCbc(dir, "model.lp", {"-cuts", "off"});
        ASSERT_TRUE(cbc.optimal) << context << cbc.log;
        ASSERT_EQ(cbc.objective, static_cast<double>(least)) << context << dir.read("model.lp");
        const DcjScore score = scoreDcj(a, b, test::matchingOfAnswer(a, b, model, cbc));
        ASSERT_EQ(score.distance, least) << context;
        withIndels += score.deleted + score.inserted > 0;
        circular += score.singletons > 0;
        if (glpk && seed % 10 == 0) {
            const test::SolverAnswer answer = test::runGlpk(dir, "model.lp");
            ASSERT_TRUE(answer.optimal) << context << answer.log;
            EXPECT_EQ(answer.objective, static_cast<double>(least)) << context;
        }
    }
    // The pairs exercise indels and circular singletons.
    EXPECT_GT(withIndels, kPairs / 2);
    EXPECT_GT(circular, kPairs / 20);
}

INSTANTIATE_TEST_SUITE_P(Models, DcjProgramSolved,
                         ::testing::Values(ModelRun{"maximum", ModelKind::maximum, false},
                                           ModelRun{"exemplar", ModelKind::exemplar, false},
                                           ModelRun{"intermediate", ModelKind::intermediate, false},
                                           ModelRun{"bounds", ModelKind::maximum, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// The pipeline checks itself: resolve-paralogs applies CBC's optimum of the
// DCJ program (given as a CPLEX solution document), and paralogs score
// --distance dcj of its result, matching genes by label, gives the optimum.
TEST(DcjPipeline, DistanceOfTheResolvedGenomesIsTheOptimum) {
    if (!test::onPath("cbc")) GTEST_SKIP() << "cbc is not on PATH (the project's setup installs coinor-cbc)";
    for (int seed = 1; seed <= 20; ++seed) {
        std::mt19937 rng(static_cast<unsigned>(5000 + seed));
        const std::vector<Structure> structures = test::randomPair(rng, kShape);
        test::TempDir dir;
        dir.write("structs.txt", test::structuresFile(structures));
        const auto model = test::runProcess(
            RP_PARALOGS_PATH, {"model", "-s", "structs.txt", "-o", "model.lp", "--distance", "dcj", "--model",
                               seed % 2 == 0 ? "maximum" : "intermediate"},
            dir.path());
        ASSERT_EQ(model.status, 0) << model.err;
        const test::SolverAnswer cbc = test::runCbc(dir, "model.lp", {"-cuts", "off"});
        ASSERT_TRUE(cbc.optimal) << cbc.log;
        std::string xml = "<?xml version=\"1.0\"?>\n<CPLEXSolution version=\"1.2\">\n <variables>\n";
        int index = 0;
        for (const auto& [name, value] : cbc.values)
            xml += "  <variable name=\"" + name + "\" index=\"" + std::to_string(index++) + "\" value=\"" +
                   std::to_string(static_cast<long long>(value + 0.5)) + "\"/>\n";
        xml += " </variables>\n</CPLEXSolution>\n";
        dir.write("solution.xml", xml);
        const auto resolve = test::runProcess(RP_TOOL_PATH, {"-s", "structs.txt", "-i", "solution.xml", "-o", "result.txt"},
                                              dir.path());
        ASSERT_EQ(resolve.status, 0) << resolve.err;
        const auto score = test::runProcess(RP_PARALOGS_PATH, {"score", "-s", "result.txt", "--distance", "dcj"}, dir.path());
        ASSERT_EQ(score.status, 0) << score.err;
        const std::string last = score.out.substr(score.out.find_last_of('\t', score.out.size() - 2) + 1);
        EXPECT_EQ(std::stod(last), cbc.objective)
            << "seed " << seed << "\n" << dir.read("structs.txt") << dir.read("result.txt") << score.out;
    }
}

}  // namespace
}  // namespace rp::model
