// The reduced DCJ-indel program against the distance of its definition:
// for every matching a model allows, the values the program is built around
// are a feasible point whose objective is scoreDcj's distance; CBC's optimum
// (GLPK's on a sample) is the least distance over the model's matchings, on
// random pairs under every model and on pairs built so that each reduction
// fires; CBC's z at 1 form such a matching.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "dcj/dcj_score.hpp"
#include "support/matchings.hpp"
#include "support/genomes.hpp"
#include "dcj/dcj_reduced_program.hpp"
#include "dcj/dcj_warm_start.hpp"
#include "dcj/dcj_reductions.hpp"
#include "support/solvers.hpp"
#include "genomes/genomes_reader.hpp"

namespace rp::model {
namespace {

// A model: a kind, or (custom) random bounds for families in both genomes.
MatchingModel modelFor(const std::string& name, const std::vector<Structure>& pair, std::mt19937& rng) {
    MatchingModel model;
    if (name != "custom") model.kind = parseModelKind(name);
    else model.bounds = test::randomBounds(pair[0], pair[1], rng);
    return model;
}

// Whether `matching` is one the model allows (it is among the enumerated).
bool isModelMatching(const Structure& a, const Structure& b, const MatchingModel& model, Matching matching) {
    const auto key = [](Matching m) {
        std::sort(m.begin(), m.end(), [](const MatchedPair& x, const MatchedPair& y) {
            return std::tie(x.a.chromosome, x.a.position, x.b.chromosome, x.b.position) <
                   std::tie(y.a.chromosome, y.a.position, y.b.chromosome, y.b.position);
        });
        std::string text;
        for (const MatchedPair& p : m)
            text += std::to_string(p.a.chromosome) + ":" + std::to_string(p.a.position) + "-" +
                    std::to_string(p.b.chromosome) + ":" + std::to_string(p.b.position) + " ";
        return text;
    };
    const std::string wanted = key(std::move(matching));
    bool found = false;
    test::forEachMatching(a, b, model, [&](const Matching& m) { found = found || key(m) == wanted; });
    return found;
}

std::vector<Structure> throughTheReader(const std::vector<Structure>& generated) {
    return readGenomesText(test::structuresFile(generated), "pair").structures;
}

// CBC (and GLPK when asked) on the program of `pair`: optimal, with the least
// distance, and z at 1 forming a matching of the model with that distance.
void checkWithSolvers(const std::vector<Structure>& pair, const MatchingModel& model, bool glpk,
                      const std::string& what, const DcjReducedOptions& options = {}) {
    const std::int64_t least = test::leastDcjDistance(pair[0], pair[1], model);
    const GenomePair genomes = selectPair(pair, 2);
    const DcjReducedProgram program = buildDcjReducedProgram(genomes, model, options);
    test::TempDir dir;
    {
        std::ofstream out(dir.file("model.lp"));
        lp::writeProgram(out, program.lp, {"reduced"});
    }
    const test::SolverAnswer cbc = test::runCbc(dir, "model.lp");
    ASSERT_TRUE(cbc.optimal) << what << "\n" << cbc.log;
    ASSERT_EQ(cbc.objective, static_cast<double>(least)) << what << "\n" << dir.read("model.lp");
    const Matching matching = test::matchingOfAnswer(pair[0], pair[1], model, cbc);
    EXPECT_TRUE(isModelMatching(pair[0], pair[1], model, matching)) << what;
    EXPECT_EQ(scoreDcj(pair[0], pair[1], matching).distance, least) << what;
    if (glpk) {
        const test::SolverAnswer answer = test::runGlpk(dir, "model.lp");
        ASSERT_TRUE(answer.optimal) << what << "\n" << answer.log;
        EXPECT_EQ(answer.objective, static_cast<double>(least)) << what;
    }
}

const std::vector<std::string> kModels{"maximum", "exemplar", "intermediate", "custom"};

// Completeness without a solver: every matching's own point is feasible
// and its objective is its distance; the greedy start is one of them.
TEST(DcjReducedProgram, EveryMatchingIsAFeasiblePointAtItsDistance) {
    std::size_t matchings = 0;
    for (int seed = 1; seed <= 400; ++seed) {
        std::mt19937 rng(static_cast<unsigned>(seed));
        const std::vector<Structure> pair = throughTheReader(test::randomPair(rng, {.families = 4, .maxGenes = 8, .maxChromosomes = 4, .copyIndices = 5, .dropEmptyCircles = false}));
        const MatchingModel model = modelFor(kModels[static_cast<std::size_t>(seed) % 4], pair, rng);
        SCOPED_TRACE("seed " + std::to_string(seed) + "\n" + test::structuresFile(pair));
        const GenomePair genomes = selectPair(pair, 2);
        const DcjReducedProgram program = buildDcjReducedProgram(genomes, model);
        // The matchings that keep the decided pairs; the least distance
        // over them is the least over all (the decisions are safe).
        const Matching decided = anchoredPairs(genomes, model);
        std::int64_t least = INT64_MAX, kept = INT64_MAX;
        test::forEachMatching(pair[0], pair[1], model, [&](const Matching& m) {
            const std::int64_t distance = scoreDcj(pair[0], pair[1], m).distance;
            least = std::min(least, distance);
            if (!test::containsAll(m, decided)) return;
            kept = std::min(kept, distance);
            ++matchings;
            const std::vector<std::int64_t> values = dcjStartValues(program, genomes, m);
            ASSERT_EQ(lp::firstViolation(program.lp, values), "") << "seed " << seed << "\n" << test::structuresFile(pair);
            ASSERT_EQ(lp::objectiveAt(program.lp, values), scoreDcj(pair[0], pair[1], m).distance)
                << "seed " << seed << "\n" << test::structuresFile(pair);
        });
        EXPECT_EQ(kept, least) << "seed " << seed;
        const Matching greedy = greedyDcjMatching(genomes, model);
        EXPECT_TRUE(isModelMatching(pair[0], pair[1], model, greedy)) << "seed " << seed;
        EXPECT_TRUE(test::containsAll(greedy, decided)) << "seed " << seed;
        EXPECT_NO_THROW(dcjStartValues(program, genomes, greedy)) << "seed " << seed;
    }
    EXPECT_GT(matchings, 2000U);
}

class DcjReducedEnumeration : public ::testing::TestWithParam<std::string> {};

TEST_P(DcjReducedEnumeration, CbcOptimumIsTheLeastDistance) {
    if (!test::onPath("cbc")) GTEST_SKIP() << "cbc is not on PATH (the project's setup installs coinor-cbc)";
    const bool glpk = test::onPath("glpsol");
    for (int seed = 1; seed <= 60; ++seed) {
        std::mt19937 rng(static_cast<unsigned>(7919 * seed + GetParam().size()));
        const std::vector<Structure> pair = throughTheReader(test::randomPair(rng));
        const MatchingModel model = modelFor(GetParam(), pair, rng);
        checkWithSolvers(pair, model, glpk && seed % 10 == 0,
                         GetParam() + " seed " + std::to_string(seed) + "\n" + test::structuresFile(pair));
        if (HasFatalFailure()) return;
    }
}

INSTANTIATE_TEST_SUITE_P(Models, DcjReducedEnumeration, ::testing::ValuesIn(kModels),
                         [](const auto& info) { return info.param; });

// The whole text for a tiny pair, A = a.1 b.1 b.2 | and B = a.1 b.1 |, maximum
// model. a is decided (z_a.1.1 fixed to 1, in the objective as every pair is);
// b has two copies in A for one in B: z_b.1.1 + z_b.2.1 = 1 (count_1; the
// one copy of B needs no degree row), and only A's copies of b have indel
// edges. The path from the telomeres at a's tail is decided and run-free from
// A to B: pAB = 1, so q_1 has -1 on its right. The segments: 1 A's telomere
// at b.2's head (f1 run-free path, a1/b1 the run it sees, g1 the credit of a
// run-free path to B), 2 B's telomere at b.1's head, 3 a's head with b.1's
// tail in both genomes (a cycle representative c3 when both its ends lead on
// to larger labels: cyc_1, cyc_2), 4 b.1's head and b.2's tail in A (r4: the
// parity may change in that adjacency, after a run of A). par_ rows carry
// the parity along a chosen extremity edge, lab_ and k_ the label and k
// between run-free segments, ind_ set the parity of an unmatched copy of A
// to 0, zero_ make a label 0 unless the copy's pair leads on to a run-free
// segment. CBC: 1 (b.2 deleted).
TEST(DcjReducedProgram, GoldenTextOfATinyPair) {
    const std::vector<Structure> pair =
        throughTheReader({test::genome("L:+a.1+b.1+b.2", "A"), test::genome("L:+a.1+b.1", "B")});
    // Without anchored pairs: b.1-b.1 would be decided beside a (b's copy in B is always matched).
    const DcjReducedProgram program = buildDcjReducedProgram(selectPair(pair, 2), MatchingModel{}, {.anchored = false});
    std::ostringstream text;
    lp::writeProgram(text, program.lp, {});
    EXPECT_EQ(text.str(),
        "Minimize\n"
        " obj: z_b.1.1 + z_b.2.1 + z_a.1.1 - c3 + q\n"
        "Subject To\n"
        " count_1: z_b.1.1 + z_b.2.1 = 1\n"
        " free_1: - y1 + f1 <= 0\n"
        " free_2: - z_b.2.1 + f1 <= 0\n"
        " sees_1: p1 + f1 + a1 >= 1\n"
        " sees_2: - p1 + f1 + b1 >= 0\n"
        " credit_1: - y1 + g1 <= 0\n"
        " credit_2: - f1 + g1 <= 0\n"
        " free_3: - y2 + f2 <= 0\n"
        " free_4: - z_b.1.1 - z_b.2.1 + f2 <= 0\n"
        " sees_3: p2 + f2 + a2 >= 1\n"
        " sees_4: - p2 + f2 + b2 >= 0\n"
        " chg_1: - p3 + p3e + r3 >= 0\n"
        " chg_2: p3 - p3e + r3 >= 0\n"
        " rep_1: - y3 + 3 c3 <= 0\n"
        " cyc_1: - z_b.1.1 + c3 <= 0\n"
        " cyc_2: - z_b.1.1 - z_b.2.1 + c3 <= 0\n"
        " chg_3: - p4 + p4e + r4 >= 0\n"
        " chg_4: p4 - p4e + r4 >= 0\n"
        " par_1: z_b.1.1 + p3 - p3e <= 1\n"
        " par_2: z_b.1.1 - p3 + p3e <= 1\n"
        " par_3: z_b.1.1 - p2 + p4 <= 1\n"
        " par_4: z_b.1.1 + p2 - p4 <= 1\n"
        " lab_1: 4 z_b.1.1 - y2 + y4 <= 4\n"
        " lab_2: 2 z_b.1.1 + y2 - y4 <= 2\n"
        " k_1: z_b.1.1 + k4 <= 2\n"
        " k_2: z_b.1.1 - k4 <= 0\n"
        " par_5: z_b.2.1 - p3e + p4e <= 1\n"
        " par_6: z_b.2.1 + p3e - p4e <= 1\n"
        " lab_3: 4 z_b.2.1 - y3 + y4 <= 4\n"
        " lab_4: 3 z_b.2.1 + y3 - y4 <= 3\n"
        " k_3: z_b.2.1 - k3 + k4 <= 1\n"
        " k_4: z_b.2.1 + k3 - k4 <= 1\n"
        " par_7: z_b.2.1 + p1 - p2 <= 1\n"
        " par_8: z_b.2.1 - p1 + p2 <= 1\n"
        " lab_5: z_b.2.1 + y1 - y2 <= 1\n"
        " lab_6: 2 z_b.2.1 - y1 + y2 <= 2\n"
        " k_5: z_b.2.1 + g1 <= 2\n"
        " k_6: z_b.2.1 - g1 <= 0\n"
        " ind_1: - z_b.1.1 + p3 <= 0\n"
        " zero_1: - 3 z_b.1.1 + y3 <= 0\n"
        " ind_2: - z_b.1.1 + p4 <= 0\n"
        " zero_2: - 4 z_b.1.1 + y4 <= 0\n"
        " ind_3: - z_b.2.1 + p4e <= 0\n"
        " zero_3: - 4 z_b.2.1 + y4 <= 0\n"
        " ind_4: - z_b.2.1 + p1 <= 0\n"
        " zero_4: - z_b.2.1 + y1 <= 0\n"
        " ends_1: - a1 + Pa >= 0\n"
        " ends_2: - b1 + Pb >= 0\n"
        " ends_3: - a2 + Pa >= 0\n"
        " ends_4: - b2 + Pb >= 0\n"
        " q_1: g1 - r3 - r4 - Pa - Pb + 2 q >= -1\n"
        "Bounds\n"
        " z_a.1.1 = 1\n"
        " y1 <= 1\n"
        " a1 <= 1\n"
        " b1 <= 1\n"
        " y2 <= 2\n"
        " a2 <= 1\n"
        " b2 <= 1\n"
        " y3 <= 3\n"
        " r3 <= 1\n"
        " y4 <= 4\n"
        " r4 <= 1\n"
        " 0 <= Pa <= +inf\n"
        " 0 <= Pb <= +inf\n"
        " -inf <= q <= +inf\n"
        "General\n"
        " y1 y2 y3 y4 q\n"
        "Binary\n"
        " z_b.1.1 z_b.2.1 p1 f1 g1 p2 f2 p3 p3e k3 c3 p4 p4e k4\n"
        "End\n");
    EXPECT_EQ(test::leastDcjDistance(pair[0], pair[1], MatchingModel{}), 1);
}

// Pairs built so that each reduction fires, with what the builder must have
// decided; CBC's optimum is still the least distance.
struct ReductionCase {
    const char* what;
    const char* a;
    const char* b;
    const char* model;  // a kind, or "F:lo:hi" bounds for one family on top of maximum
    std::size_t fixedPairs, freeZ, fixedCycles, fixedPaths;
    bool anchored = false;  // with the anchored conserved adjacency (the other reductions are shown alone)
};

const ReductionCase kReductions[] = {
    // One free family x amid a long conserved stretch: everything else is
    // decided, the stretch collapses into two segments and a decided path.
    {"long decided chain", "L:+a.1+b.1+c.1+d.1+e.1+x.1+x.2+f.1+g.1+h.1+i.1",
     "L:+a.1+b.1+c.1+d.1+e.1+x.1+f.1+g.1+h.1+i.1", "maximum", 9, 2, 7, 2},
    // The circle a b has no choice: two cycles counted as constants.
    {"component with no free choice", "C:+a.1+b.1 L:+x.1+c.1+x.2", "C:+a.1+b.1 L:+x.1+c.1", "maximum", 3, 2, 2, 0},
    // Circular chromosomes of genes B lacks: singletons decided, and one
    // with a gene that may stay unmatched (bounds 0 to 1) left to the solver.
    {"all-singular circular chromosomes", "L:+a.1+b.1 C:+u.1+v.1 C:+w.1 C:+y.1-u.2",
     "L:+a.1+y.1+b.1", "y:0:1", 2, 1, 2, 2},
    // Many linear chromosomes: telomeres without capping, most paths decided.
    {"many linear chromosomes",
     "L:+a.1 L:+b.1 L:+c.1 L:+d.1 L:+e.1 L:+f.1 L:+g.1 L:+x.1+h.1 L:+x.2 L:+i.1 L:+j.1 L:+k.1",
     "L:+a.1+b.1+c.1 L:+d.1 L:-e.1 L:+f.1+g.1 L:+h.1+x.1 L:+i.1+j.1+k.1", "maximum", 11, 2, 0, 15},
    // A family the bounds leave unmatched: its indel edges are decided.
    {"family forced unmatched", "L:+a.1+x.1+b.1", "L:+a.1+x.1+b.1", "x:0:0", 2, 0, 1, 2},
    // Anchored conserved adjacencies: a.1-x.1 and x.3-c.1 are conserved
    // beside decided pairs, so x.1-x.3 and x.3-x.1 are decided; x.2-x.2
    // is left to the solver as a family of one copy each.
    {"anchored copies", "L:+a.1+x.1+b.1+x.2+x.3+c.1", "L:+a.1+x.3-b.1+x.1+c.1+x.2", "maximum", 5, 1, 2, 1, true},
    // Exemplar: a 2-by-2 family with every copy free to stay unmatched.
    {"exemplar, copies may stay unmatched", "L:+a.1+x.1+b.1+x.2", "L:+x.1+a.1+x.2+b.1", "exemplar", 2, 4, 0, 0},
};

MatchingModel parseCaseModel(const std::string& text) {
    MatchingModel model;
    const auto colon = text.find(':');
    if (colon == std::string::npos) {
        model.kind = parseModelKind(text);
        return model;
    }
    const auto second = text.find(':', colon + 1);
    model.bounds.push_back(FamilyBound{text.substr(0, colon),
                                       PairRange{static_cast<std::uint32_t>(std::stoul(text.substr(colon + 1))),
                                                 static_cast<std::uint32_t>(std::stoul(text.substr(second + 1)))},
                                       1});
    return model;
}

TEST(DcjReducedProgram, EveryReductionFiresAndKeepsTheDistance) {
    const bool cbc = test::onPath("cbc");
    for (const ReductionCase& c : kReductions) {
        const std::vector<Structure> pair = throughTheReader({test::genome(c.a, "A"), test::genome(c.b, "B")});
        const MatchingModel model = parseCaseModel(c.model);
        const DcjReducedProgram program = buildDcjReducedProgram(selectPair(pair, 2), model, {.anchored = c.anchored});
        EXPECT_EQ(program.counts.fixedPairs, c.fixedPairs) << c.what;
        EXPECT_EQ(program.counts.freeZ, c.freeZ) << c.what;
        EXPECT_EQ(program.counts.fixedCycles, c.fixedCycles) << c.what;
        EXPECT_EQ(program.counts.fixedPaths, c.fixedPaths) << c.what;
        if (cbc) checkWithSolvers(pair, model, test::onPath("glpsol"), c.what, {.anchored = c.anchored});
    }
}

// The decided pairs reach resolve-paralogs: a 1:1 family whose copy indices
// differ (b.3 in A, b.5 in B) is renamed by its fixed z, and the resolved
// genomes have the solver's distance.
TEST(DcjReducedProgram, DecidedPairsTravelTheWholeRoad) {
    if (!test::onPath("cbc")) GTEST_SKIP() << "cbc is not on PATH (the project's setup installs coinor-cbc)";
    test::TempDir dir;
    dir.write("structs.txt", test::structuresFile({test::genome("L:+a.1+b.3+c.2+c.4+d.1 C:+e.7", "A"),
                                                   test::genome("L:+a.1+c.1-b.5+c.3+d.1 C:+e.2", "B")}));
    const auto run = [&](const std::string& program, const std::vector<std::string>& args) {
        const test::ProcessResult result = test::runProcess(program, args, dir.path());
        EXPECT_EQ(result.status, 0) << program << "\n" << result.err;
        return result;
    };
    run(RP_PARALOGS_PATH, {"model", "-s", "structs.txt", "-o", "model.lp", "--distance", "dcj"});
    const std::string lp = dir.read("model.lp");
    EXPECT_NE(lp.find("\n z_b.3.5 = 1\n"), std::string::npos) << lp;
    EXPECT_NE(lp.find("\n z_e.7.2 = 1\n"), std::string::npos) << lp;
    const test::SolverAnswer cbc = test::runCbc(dir, "model.lp");
    ASSERT_TRUE(cbc.optimal) << cbc.log;
    EXPECT_EQ(cbc.values.count("z_b.3.5"), 1U);
    run(RP_PARALOGS_PATH, {"solution", "-i", "cbc.sol", "-o", "solution.xml"});
    run(RP_TOOL_PATH, {"-s", "structs.txt", "-i", "solution.xml", "-o", "result.txt"});
    const test::ProcessResult score = run(RP_PARALOGS_PATH, {"score", "-s", "result.txt", "--distance", "dcj"});
    const std::string last = score.out.substr(score.out.rfind('\t') + 1);
    EXPECT_EQ(std::stod(last), cbc.objective) << score.out << dir.read("result.txt");
    // Moving b and c.1 costs DCJs, so the distance is not 0: the check bites.
    EXPECT_GT(cbc.objective, 0);
}

}  // namespace
}  // namespace rp::model
