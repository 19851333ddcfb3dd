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
#include "support/model_of.hpp"
#include "breakpoint/matching_program.hpp"
#include "breakpoint/score.hpp"
#include "support/solvers.hpp"
#include "genomes/genomes_reader.hpp"

namespace rp::model {
namespace {

// A random pair: up to 4 families of 0 to 3 copies per genome (so some in
// one genome only), copy indices drawn from 1 to 5, at most 8 genes per
// genome, random strands, 1 to 3 chromosomes each linear or circular.
std::vector<Structure> randomPair(std::mt19937& rng) {
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const int familyCount = pick(1, 4);
    std::vector<Structure> pair(2);
    pair[0].name = "A";
    pair[1].name = "B";
    for (Structure& s : pair) {
        std::vector<Gene> genes;
        for (int f = 0; f < familyCount; ++f) {
            std::vector<int> indices{1, 2, 3, 4, 5};
            std::shuffle(indices.begin(), indices.end(), rng);
            const int copies = pick(0, 3);
            for (int c = 0; c < copies && genes.size() < 8; ++c) {
                Gene g;
                g.name = std::string(1, static_cast<char>('a' + f));
                g.copy = indices[static_cast<std::size_t>(c)];
                g.strand = pick(0, 1) == 0 ? 1 : -1;
                genes.push_back(g);
            }
        }
        std::shuffle(genes.begin(), genes.end(), rng);
        const int chromosomes = pick(1, 3);
        s.chromosomes.resize(static_cast<std::size_t>(chromosomes));
        for (Chromosome& c : s.chromosomes) c.circular = pick(0, 9) < 4;
        // Cut points: chromosome k takes the genes up to its cut.
        std::vector<int> cuts;
        for (int k = 1; k < chromosomes; ++k) cuts.push_back(pick(0, static_cast<int>(genes.size())));
        std::sort(cuts.begin(), cuts.end());
        cuts.push_back(static_cast<int>(genes.size()));
        std::size_t next = 0;
        for (std::size_t k = 0; k < cuts.size(); ++k)
            for (; next < static_cast<std::size_t>(cuts[k]); ++next) s.chromosomes[k].genes.push_back(genes[next]);
    }
    return pair;
}

// The pairs a model gives a family with `inA` and `inB` copies, from its
// definition: a bound names the family, else maximum min(a, b), exemplar 1,
// intermediate 1 to min(a, b); none for a family in one genome only.
std::pair<std::size_t, std::size_t> pairsOf(const MatchingModel& model, const std::string& family, std::size_t inA,
                                            std::size_t inB) {
    if (inA == 0 || inB == 0) return {0, 0};
    for (const FamilyBound& bound : model.bounds)
        if (bound.family == family) return {bound.range.lower, bound.range.upper};
    const std::size_t m = std::min(inA, inB);
    switch (model.kind) {
        case ModelKind::maximum: return {m, m};
        case ModelKind::exemplar: return {1, 1};
        case ModelKind::intermediate: return {1, m};
    }
    return {m, m};
}

// The best score over every matching of the model, by enumeration.
std::size_t bestScore(const Structure& a, const Structure& b, const MatchingModel& model) {
    std::map<std::string, std::pair<std::vector<GenePlace>, std::vector<GenePlace>>> families;
    for (std::uint32_t c = 0; c < a.chromosomes.size(); ++c)
        for (std::uint32_t p = 0; p < a.chromosomes[c].genes.size(); ++p)
            families[a.chromosomes[c].genes[p].name].first.push_back({c, p});
    for (std::uint32_t c = 0; c < b.chromosomes.size(); ++c)
        for (std::uint32_t p = 0; p < b.chromosomes[c].genes.size(); ++p)
            families[b.chromosomes[c].genes[p].name].second.push_back({c, p});
    std::vector<std::pair<std::vector<GenePlace>, std::vector<GenePlace>>> shared;
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    for (const auto& [name, genes] : families)
        if (!genes.first.empty() && !genes.second.empty()) {
            shared.push_back(genes);
            ranges.push_back(pairsOf(model, name, genes.first.size(), genes.second.size()));
        }
    std::size_t best = 0;
    Matching matching;
    // Family f, A's gene i of it: unmatched (while the rest can still make
    // the least pairs) or matched to an unused B gene (below the most); the
    // family is done when its pairs reach the most or its genes run out.
    std::vector<bool> usedB;
    const auto recurse = [&](auto&& self, std::size_t f, std::size_t i, std::size_t made,
                             std::vector<bool>& used) -> void {
        if (f == shared.size()) {
            best = std::max(best, scoreMatching(a, b, matching).objective());
            return;
        }
        const auto& [genesA, genesB] = shared[f];
        const auto [least, most] = ranges[f];
        if (made == most || i == genesA.size()) {
            if (made < least) return;
            std::vector<bool> fresh;
            self(self, f + 1, 0, 0, fresh);
            return;
        }
        if (used.empty()) used.assign(genesB.size(), false);
        if (genesA.size() - i - 1 + made >= least) self(self, f, i + 1, made, used);  // i unmatched
        for (std::size_t j = 0; j < genesB.size(); ++j) {
            if (used[j]) continue;
            used[j] = true;
            matching.push_back({genesA[i], genesB[j]});
            self(self, f, i + 1, made + 1, used);
            matching.pop_back();
            used[j] = false;
        }
    };
    recurse(recurse, 0, 0, 0, usedB);
    return best;
}

// The matching that z variables at 1 say, checked to be one of the model.
Matching matchingOfAnswer(const Structure& a, const Structure& b, const MatchingModel& model,
                          const test::SolverAnswer& answer) {
    const auto placeOf = [](const Structure& s, const std::string& family, int copy) {
        for (std::uint32_t c = 0; c < s.chromosomes.size(); ++c)
            for (std::uint32_t p = 0; p < s.chromosomes[c].genes.size(); ++p)
                if (s.chromosomes[c].genes[p].name == family && s.chromosomes[c].genes[p].copy == copy)
                    return GenePlace{c, p};
        ADD_FAILURE() << "no gene " << family << "." << copy;
        return GenePlace{};
    };
    Matching matching;
    std::map<std::string, std::size_t> pairs;
    for (const auto& [name, value] : answer.values) {
        if (name[0] != 'z' || value < 0.5) continue;
        EXPECT_GT(value, 0.999) << name;
        // z_F.I.J, F without "."
        const auto first = name.find('.');
        const auto second = name.find('.', first + 1);
        const std::string family = name.substr(2, first - 2);
        matching.push_back({placeOf(a, family, std::stoi(name.substr(first + 1, second - first - 1))),
                            placeOf(b, family, std::stoi(name.substr(second + 1)))});
        ++pairs[family];
    }
    std::map<std::string, std::pair<std::size_t, std::size_t>> counts;
    for (const Chromosome& c : a.chromosomes)
        for (const Gene& g : c.genes) ++counts[g.name].first;
    for (const Chromosome& c : b.chromosomes)
        for (const Gene& g : c.genes) ++counts[g.name].second;
    for (const auto& [family, n] : counts) {
        const auto [least, most] = pairsOf(model, family, n.first, n.second);
        EXPECT_GE(pairs[family], least) << "pairs of family " << family;
        EXPECT_LE(pairs[family], most) << "pairs of family " << family;
    }
    return matching;
}

std::string describe(const std::vector<Structure>& pair) { return test::structuresFile(pair); }

// Random bounds for some of the families in both genomes: LOWER <= UPPER <=
// min(a, b), LOWER often 0; the others keep the kind's range.
std::vector<FamilyBound> randomBounds(const std::vector<Structure>& structures, std::mt19937& rng) {
    std::map<std::string, std::pair<std::uint32_t, std::uint32_t>> counts;
    for (std::size_t s = 0; s < 2; ++s)
        for (const Chromosome& c : structures[s].chromosomes)
            for (const Gene& g : c.genes) ++(s == 0 ? counts[g.name].first : counts[g.name].second);
    std::vector<FamilyBound> bounds;
    for (const auto& [family, n] : counts) {
        if (n.first == 0 || n.second == 0 || std::uniform_int_distribution<int>(0, 3)(rng) == 0) continue;
        const std::uint32_t m = std::min(n.first, n.second);
        std::uint32_t lower = std::uniform_int_distribution<std::uint32_t>(0, m)(rng);
        std::uint32_t upper = std::uniform_int_distribution<std::uint32_t>(0, m)(rng);
        if (lower > upper) std::swap(lower, upper);
        bounds.push_back(FamilyBound{family, PairRange{lower, upper}, bounds.size() + 1});
    }
    return bounds;
}

// One random pair (seeded), its program solved by CBC (and GLPK on a
// sample) against the enumeration; true when its best score is not 0.
bool checkAgainstEnumeration(int seed, unsigned rngSeed, ModelKind kind, bool withBounds, bool glpk) {
    std::mt19937 rng(rngSeed);
    const std::vector<Structure> generated = randomPair(rng);
    // Through the file format and the strict reader, as the command reads it.
    const std::vector<Structure> structures = readGenomesText(test::structuresFile(generated), "pair").structures;
    const MatchingModel model =
        test::modelOf(kind, withBounds ? randomBounds(structures, rng) : std::vector<FamilyBound>{});
    std::string bounds;
    for (const FamilyBound& b : model.bounds)
        bounds += b.family + "\t" + std::to_string(b.range.lower) + "\t" + std::to_string(b.range.upper) + "\n";
    const std::string where = "seed " + std::to_string(seed) + ", model " + std::string(modelName(kind)) +
                              (bounds.empty() ? "" : ", bounds\n" + bounds) + "\n" + describe(structures);
    const std::size_t best = bestScore(structures[0], structures[1], model);
    test::TempDir dir;
    {
        std::ofstream out(dir.file("model.lp"));
        lp::writeProgram(out, buildMatchingProgram(selectPair(structures, 2), model), {"brute force"});
    }
    const test::SolverAnswer cbc = test::runCbc(dir, "model.lp");
    EXPECT_TRUE(cbc.optimal) << where << cbc.log;
    EXPECT_EQ(cbc.objective, static_cast<double>(best)) << where << dir.read("model.lp");
    const Matching matching = matchingOfAnswer(structures[0], structures[1], model, cbc);
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
        const std::vector<Structure> structures = randomPair(rng);
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
