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

#include "support/dcj_enumeration.hpp"
#include "support/genomes.hpp"
#include "dcj/dcj_program.hpp"
#include "dcj/dcj_score.hpp"
#include "support/solvers.hpp"
#include "genomes/genomes_reader.hpp"

namespace rp::model {
namespace {

// A random pair: up to 5 families of 0 to 3 copies per genome (so some in one
// genome only), copy indices from 1 to 4, at most 8 genes per genome, random
// strands, 1 to 3 chromosomes per genome, each linear or circular (so some
// wholly singular circles, and empty linear ones).
std::vector<Structure> randomPair(std::mt19937& rng) {
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const int familyCount = pick(1, 5);
    std::vector<Structure> pair(2);
    pair[0].name = "A";
    pair[1].name = "B";
    for (Structure& s : pair) {
        std::vector<Gene> genes;
        for (int f = 0; f < familyCount; ++f) {
            std::vector<int> indices{1, 2, 3, 4};
            std::shuffle(indices.begin(), indices.end(), rng);
            const int copies = pick(0, 3);
            for (int c = 0; c < copies && genes.size() < 8; ++c)
                genes.push_back(Gene{std::string(1, static_cast<char>('a' + f)), indices[static_cast<std::size_t>(c)],
                                     pick(0, 1) == 0 ? 1 : -1, false});
        }
        std::shuffle(genes.begin(), genes.end(), rng);
        const int chromosomes = pick(1, 3);
        s.chromosomes.resize(static_cast<std::size_t>(chromosomes));
        for (Chromosome& c : s.chromosomes) c.circular = pick(0, 9) < 4;
        std::vector<int> cuts;
        for (int k = 1; k < chromosomes; ++k) cuts.push_back(pick(0, static_cast<int>(genes.size())));
        std::sort(cuts.begin(), cuts.end());
        cuts.push_back(static_cast<int>(genes.size()));
        std::size_t next = 0;
        for (std::size_t k = 0; k < cuts.size(); ++k)
            for (; next < static_cast<std::size_t>(cuts[k]); ++next) s.chromosomes[k].genes.push_back(genes[next]);
        // An empty circular chromosome is no chromosome.
        std::erase_if(s.chromosomes, [](const Chromosome& c) { return c.circular && c.genes.empty(); });
    }
    return pair;
}

using Places = std::pair<std::vector<GenePlace>, std::vector<GenePlace>>;

std::map<std::string, Places> familyPlaces(const Structure& a, const Structure& b) {
    std::map<std::string, Places> families;
    for (std::uint32_t c = 0; c < a.chromosomes.size(); ++c)
        for (std::uint32_t p = 0; p < a.chromosomes[c].genes.size(); ++p)
            families[a.chromosomes[c].genes[p].name].first.push_back({c, p});
    for (std::uint32_t c = 0; c < b.chromosomes.size(); ++c)
        for (std::uint32_t p = 0; p < b.chromosomes[c].genes.size(); ++p)
            families[b.chromosomes[c].genes[p].name].second.push_back({c, p});
    return families;
}

// The matching the z variables at 1 say, checked to be one of the model.
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
    std::map<std::string, std::uint32_t> pairs;
    for (const auto& [name, value] : answer.values) {
        if (name[0] != 'z' || value < 0.5) continue;
        EXPECT_GT(value, 0.999) << name;
        const auto first = name.find('.');
        const auto second = name.find('.', first + 1);
        const std::string family = name.substr(2, first - 2);
        matching.push_back({placeOf(a, family, std::stoi(name.substr(first + 1, second - first - 1))),
                            placeOf(b, family, std::stoi(name.substr(second + 1)))});
        ++pairs[family];
    }
    for (const auto& [family, places] : familyPlaces(a, b)) {
        const PairRange range = familyRange(model, family, static_cast<std::uint32_t>(places.first.size()),
                                            static_cast<std::uint32_t>(places.second.size()));
        EXPECT_GE(pairs[family], range.lower) << family;
        EXPECT_LE(pairs[family], range.upper) << family;
    }
    return matching;
}

// Random bounds for some of the families in both genomes.
std::vector<FamilyBound> randomBounds(const Structure& a, const Structure& b, std::mt19937& rng) {
    std::vector<FamilyBound> bounds;
    for (const auto& [name, places] : familyPlaces(a, b)) {
        const auto m = static_cast<std::uint32_t>(std::min(places.first.size(), places.second.size()));
        if (m == 0 || rng() % 3 == 0) continue;
        const std::uint32_t upper = std::uniform_int_distribution<std::uint32_t>(0, m)(rng);
        const std::uint32_t lower = std::uniform_int_distribution<std::uint32_t>(0, upper)(rng);
        bounds.push_back(FamilyBound{name, {lower, upper}, bounds.size() + 1});
    }
    return bounds;
}

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
            readGenomesText(test::structuresFile(randomPair(rng)), "pair").structures;
        const Structure& a = structures[0];
        const Structure& b = structures[1];
        MatchingModel model{run.kind, {}, ""};
        if (run.bounds) {
            model.bounds = randomBounds(a, b, rng);
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
        const DcjScore score = scoreDcj(a, b, matchingOfAnswer(a, b, model, cbc));
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
        const std::vector<Structure> structures = randomPair(rng);
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
