// The written program against the definition: on seeded random small pairs
// of genomes, CBC's optimum of the program equals the best score over every
// matching of the model, and CBC's z variables at 1 form such a matching;
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
#include "model/matching_program.hpp"
#include "model/score.hpp"
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

// The best score over every matching of the model, by enumeration.
std::size_t bestScore(const Structure& a, const Structure& b, ModelKind kind) {
    std::map<std::string, std::pair<std::vector<GenePlace>, std::vector<GenePlace>>> families;
    for (std::uint32_t c = 0; c < a.chromosomes.size(); ++c)
        for (std::uint32_t p = 0; p < a.chromosomes[c].genes.size(); ++p)
            families[a.chromosomes[c].genes[p].name].first.push_back({c, p});
    for (std::uint32_t c = 0; c < b.chromosomes.size(); ++c)
        for (std::uint32_t p = 0; p < b.chromosomes[c].genes.size(); ++p)
            families[b.chromosomes[c].genes[p].name].second.push_back({c, p});
    std::vector<std::pair<std::vector<GenePlace>, std::vector<GenePlace>>> shared;
    for (const auto& [name, genes] : families)
        if (!genes.first.empty() && !genes.second.empty()) shared.push_back(genes);
    std::size_t best = 0;
    Matching matching;
    // Family f, A's gene i of it: unmatched or matched to an unused B gene,
    // until the family has its pairs.
    std::vector<bool> usedB;
    const auto recurse = [&](auto&& self, std::size_t f, std::size_t i, std::size_t made,
                             std::vector<bool>& used) -> void {
        if (f == shared.size()) {
            best = std::max(best, scoreMatching(a, b, matching).objective());
            return;
        }
        const auto& [genesA, genesB] = shared[f];
        const std::size_t wanted = kind == ModelKind::maximum ? std::min(genesA.size(), genesB.size()) : 1;
        if (made == wanted) {
            std::vector<bool> fresh;
            self(self, f + 1, 0, 0, fresh);
            return;
        }
        if (i == genesA.size()) return;
        if (used.empty()) used.assign(genesB.size(), false);
        if (genesA.size() - i > wanted - made) self(self, f, i + 1, made, used);  // i unmatched
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
Matching matchingOfAnswer(const Structure& a, const Structure& b, ModelKind kind, const test::SolverAnswer& answer) {
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
        const std::size_t wanted =
            n.first == 0 || n.second == 0 ? 0 : (kind == ModelKind::maximum ? std::min(n.first, n.second) : 1);
        EXPECT_EQ(pairs[family], wanted) << "pairs of family " << family;
    }
    return matching;
}

std::string describe(const std::vector<Structure>& pair) { return test::structuresFile(pair); }

void writeProgram(const test::TempDir& dir, const std::vector<Structure>& structures, ModelKind kind) {
    const MatchingProgram program = buildMatchingProgram(selectPair(structures, 2), kind);
    std::ofstream out(dir.file("model.lp"));
    writeLp(out, program, {"brute force"});
}

class BruteForce : public ::testing::TestWithParam<ModelKind> {};

TEST_P(BruteForce, CbcOptimumIsTheBestScoreOfTheDefinition) {
    if (!test::onPath("cbc")) GTEST_SKIP() << "cbc is not on PATH (the project's setup installs coinor-cbc)";
    const ModelKind kind = GetParam();
    const bool glpk = test::onPath("glpsol");
    constexpr int kPairs = 220;
    int nontrivial = 0;
    for (int seed = 1; seed <= kPairs; ++seed) {
        std::mt19937 rng(static_cast<unsigned>(seed * 2 + (kind == ModelKind::exemplar ? 1 : 0)));
        const std::vector<Structure> generated = randomPair(rng);
        // Through the file format and the strict reader, as the command reads it.
        const std::vector<Structure> structures =
            readGenomesText(test::structuresFile(generated), "pair").structures;
        const std::size_t best = bestScore(structures[0], structures[1], kind);
        if (best > 0) ++nontrivial;
        test::TempDir dir;
        writeProgram(dir, structures, kind);
        const test::SolverAnswer cbc = test::runCbc(dir, "model.lp");
        ASSERT_TRUE(cbc.optimal) << "seed " << seed << "\n" << describe(structures) << cbc.log;
        ASSERT_EQ(cbc.objective, static_cast<double>(best))
            << "seed " << seed << "\n" << describe(structures) << dir.read("model.lp");
        const Matching matching = matchingOfAnswer(structures[0], structures[1], kind, cbc);
        ASSERT_EQ(scoreMatching(structures[0], structures[1], matching).objective(), best)
            << "seed " << seed << "\n" << describe(structures) << dir.read("model.lp");
        if (glpk && seed % 10 == 0) {
            const test::SolverAnswer answer = test::runGlpk(dir, "model.lp");
            ASSERT_TRUE(answer.optimal) << "seed " << seed << "\n" << answer.log;
            EXPECT_EQ(answer.objective, static_cast<double>(best)) << "seed " << seed;
        }
    }
    // The pairs must exercise the program, not only give 0.
    EXPECT_GT(nontrivial, kPairs / 2);
}

INSTANTIATE_TEST_SUITE_P(Models, BruteForce, ::testing::Values(ModelKind::maximum, ModelKind::exemplar),
                         [](const auto& info) { return std::string(modelName(info.param)); });

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
