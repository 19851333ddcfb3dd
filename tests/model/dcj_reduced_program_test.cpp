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

#include "dcj_enumeration.hpp"
#include "genome_text.hpp"
#include "model/dcj_reduced_program.hpp"
#include "solvers.hpp"
#include "structs/genomes_reader.hpp"

namespace rp::model {
namespace {

// A model: a kind, or (custom) random bounds for every family in both genomes.
MatchingModel modelFor(const std::string& name, const std::vector<Structure>& pair, std::mt19937& rng) {
    MatchingModel model;
    if (name != "custom") {
        model.kind = parseModelKind(name);
        return model;
    }
    std::map<std::string, std::pair<std::uint32_t, std::uint32_t>> counts;
    for (std::size_t s = 0; s < 2; ++s)
        for (const Chromosome& c : pair[s].chromosomes)
            for (const Gene& g : c.genes) ++(s == 0 ? counts[g.name].first : counts[g.name].second);
    for (const auto& [family, n] : counts) {
        const std::uint32_t m = std::min(n.first, n.second);
        if (m == 0) continue;
        std::uint32_t lo = std::uniform_int_distribution<std::uint32_t>(0, m)(rng);
        std::uint32_t hi = std::uniform_int_distribution<std::uint32_t>(0, m)(rng);
        if (lo > hi) std::swap(lo, hi);
        model.bounds.push_back(FamilyBound{family, PairRange{lo, hi}, 0});
    }
    return model;
}

// The matching named by the z variables at 1 of a solver's answer.
Matching matchingOfAnswer(const Structure& a, const Structure& b, const test::SolverAnswer& answer) {
    const auto placeOf = [](const Structure& s, const std::string& family, int copy) {
        for (std::uint32_t c = 0; c < s.chromosomes.size(); ++c)
            for (std::uint32_t p = 0; p < s.chromosomes[c].genes.size(); ++p)
                if (s.chromosomes[c].genes[p].name == family && s.chromosomes[c].genes[p].copy == copy)
                    return GenePlace{c, p};
        ADD_FAILURE() << "no gene " << family << "." << copy;
        return GenePlace{};
    };
    Matching matching;
    for (const auto& [name, value] : answer.values) {
        if (name[0] != 'z' || value < 0.5) continue;
        EXPECT_GT(value, 0.999) << name;
        const auto first = name.find('.');
        const auto second = name.find('.', first + 1);
        const std::string family = name.substr(2, first - 2);
        matching.push_back({placeOf(a, family, std::stoi(name.substr(first + 1, second - first - 1))),
                            placeOf(b, family, std::stoi(name.substr(second + 1)))});
    }
    return matching;
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
                      const std::string& what) {
    const std::int64_t least = test::leastDcjDistance(pair[0], pair[1], model);
    const GenomePair genomes = selectPair(pair, 2);
    const DcjReducedProgram program = buildDcjReducedProgram(genomes, model);
    test::TempDir dir;
    {
        std::ofstream out(dir.file("model.lp"));
        writeLpProgram(out, program.lp, {"reduced"});
    }
    const test::SolverAnswer cbc = test::runCbc(dir, "model.lp");
    ASSERT_TRUE(cbc.optimal) << what << "\n" << cbc.log;
    ASSERT_EQ(cbc.objective, static_cast<double>(least)) << what << "\n" << dir.read("model.lp");
    const Matching matching = matchingOfAnswer(pair[0], pair[1], cbc);
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
        const std::vector<Structure> pair = throughTheReader(test::randomDcjPair(rng, 4, 8, 4));
        const MatchingModel model = modelFor(kModels[static_cast<std::size_t>(seed) % 4], pair, rng);
        const GenomePair genomes = selectPair(pair, 2);
        const DcjReducedProgram program = buildDcjReducedProgram(genomes, model);
        test::forEachMatching(pair[0], pair[1], model, [&](const Matching& m) {
            ++matchings;
            const std::vector<std::int64_t> values = dcjStartValues(program, genomes, m);
            ASSERT_EQ(firstViolation(program.lp, values), "") << "seed " << seed << "\n" << test::structuresFile(pair);
            ASSERT_EQ(objectiveAt(program.lp, values), scoreDcj(pair[0], pair[1], m).distance)
                << "seed " << seed << "\n" << test::structuresFile(pair);
        });
        const Matching greedy = greedyDcjMatching(genomes, model);
        EXPECT_TRUE(isModelMatching(pair[0], pair[1], model, greedy)) << "seed " << seed;
    }
    EXPECT_GT(matchings, 2000U);
}

class DcjReducedEnumeration : public ::testing::TestWithParam<std::string> {};

TEST_P(DcjReducedEnumeration, CbcOptimumIsTheLeastDistance) {
    if (!test::onPath("cbc")) GTEST_SKIP() << "cbc is not on PATH (the project's setup installs coinor-cbc)";
    const bool glpk = test::onPath("glpsol");
    for (int seed = 1; seed <= 60; ++seed) {
        std::mt19937 rng(static_cast<unsigned>(7919 * seed + GetParam().size()));
        const std::vector<Structure> pair = throughTheReader(test::randomDcjPair(rng, 4, 8, 3));
        const MatchingModel model = modelFor(GetParam(), pair, rng);
        checkWithSolvers(pair, model, glpk && seed % 10 == 0,
                         GetParam() + " seed " + std::to_string(seed) + "\n" + test::structuresFile(pair));
        if (HasFatalFailure()) return;
    }
}

INSTANTIATE_TEST_SUITE_P(Models, DcjReducedEnumeration, ::testing::ValuesIn(kModels),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace rp::model
