// Pairs without a free choice of matching: which they are, under every
// model, and their answer without a solver against CBC on the same program.
#include "pair/forced_answer.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "model/genome_pair.hpp"
#include "solution/solution_reader.hpp"
#include "support/genomes.hpp"
#include "support/process.hpp"
#include "support/solvers.hpp"
#include "support/temp_dir.hpp"

namespace rp::pair {
namespace {

using test::genome;

std::optional<model::Matching> forcedOf(const char* a, const char* b, model::ModelKind kind,
                                        std::vector<model::FamilyBound> bounds = {}) {
    const std::vector<Structure> genomes{genome(a, "A"), genome(b, "B")};
    model::MatchingModel matching{kind, std::move(bounds), "bounds"};
    return forcedMatching(model::selectPair(genomes, 2), matching);
}

TEST(ForcedAnswer, PairsWithoutChoice) {
    using model::ModelKind;
    const struct {
        const char* a;
        const char* b;
        ModelKind kind;
        std::vector<model::FamilyBound> bounds;
        int pairs;  // -1: a free choice
    } cases[] = {
        {"L:+a.1+b.1-c.1", "L:+c.1+a.1+b.1", ModelKind::maximum, {}, 3},
        {"L:+a.1+b.1-c.1", "L:+c.1+a.1+b.1", ModelKind::exemplar, {}, 3},
        {"L:+a.1+b.1-c.1", "L:+c.1+a.1+b.1", ModelKind::intermediate, {}, 3},
        {"L:+a.1+x.1 C:+b.1", "L:+b.1+y.1+a.1", ModelKind::maximum, {}, 2},  // x and y in one genome only
        {"L:+a.1+a.2+b.1", "L:+a.1+b.1", ModelKind::maximum, {}, -1},        // which copy of a
        {"L:+a.1+a.2+b.1", "L:+a.1+a.2+b.1", ModelKind::exemplar, {}, -1},
        {"L:+a.1+b.1", "L:+a.1+b.1", ModelKind::maximum, {{"a", {0, 1}, 1}}, -1},  // a matched or not
        {"L:+a.1+b.1", "L:+a.1+b.1", ModelKind::maximum, {{"a", {0, 0}, 1}}, 1},   // a never matched
        {"L:+a.1", "L:+b.1", ModelKind::maximum, {}, 0},
    };
    for (const auto& c : cases) {
        const std::optional<model::Matching> forced = forcedOf(c.a, c.b, c.kind, c.bounds);
        EXPECT_EQ(forced ? static_cast<int>(forced->size()) : -1, c.pairs) << c.a << " / " << c.b;
    }
}

TEST(ForcedAnswer, WrittenAsASolutionResolveParalogsReads) {
    const std::vector<Structure> genomes{genome("L:+a.3+b.1", "A"), genome("L:-b.2+a.5", "B")};
    const model::GenomePair pair = model::selectPair(genomes, 2);
    const std::optional<model::Matching> forced = forcedMatching(pair, {});
    ASSERT_TRUE(forced);
    std::ostringstream out;
    writeForcedAnswer(out, pair, *forced, 7);
    std::istringstream in(out.str());
    const AssignmentMap decisions = readSolution(in);
    EXPECT_EQ(decisions.size(), 2u);
    EXPECT_NE(out.str().find("z_a.3.5"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("z_b.1.2"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("objectiveValue=\"7\""), std::string::npos) << out.str();
}

// Through the binary: the answer without a solver has CBC's optimum on the
// same program, for both distances.
TEST(ForcedAnswer, EqualsCbcOnTheProgram) {
    if (!test::onPath("cbc")) GTEST_SKIP() << "cbc is not installed";
    test::TempDir dir;
    dir.write("g.unimog", ">x\na b -c d e f |\n>y\na -b c f e d )\n");
    for (const char* distance : {"breakpoint", "dcj"}) {
        const test::ProcessResult pair = test::runProcess(
            RP_PARALOGS_PATH, {"pair", "-s", "g.unimog", "-d", distance, "--distance", distance}, dir.path());
        ASSERT_EQ(pair.status, 0) << pair.err;
        EXPECT_NE(pair.err.find("no solver started"), std::string::npos) << pair.err;
        EXPECT_FALSE(dir.exists(std::string(distance) + "/solver.log"));
        const test::SolverAnswer cbc = test::runCbc(dir, std::string(distance) + "/model.lp");
        ASSERT_TRUE(cbc.optimal) << cbc.log;
        const std::string summary = dir.read(std::string(distance) + "/summary.tsv");
        std::ostringstream objective;
        objective << cbc.objective;
        EXPECT_NE(summary.find("\tnone\toptimal\t" + std::string(kForcedStatus) + "\t" + objective.str() + "\t"),
                  std::string::npos)
            << summary;
        EXPECT_NE(summary.find("\tyes\t"), std::string::npos) << summary;
    }
}

}  // namespace
}  // namespace rp::pair
