#include "support/matchings.hpp"

#include <set>
#include <tuple>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "dcj/dcj_score.hpp"

namespace rp::test {

namespace {

using model::GenePlace;
using Places = std::pair<std::vector<GenePlace>, std::vector<GenePlace>>;

// Each family's genes in A and in B, by place.
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

// `genes` cut at random into 1 to maxChromosomes chromosomes.
void cutIntoChromosomes(Structure& s, const std::vector<Gene>& genes, const PairShape& shape, std::mt19937& rng) {
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const int chromosomes = pick(1, shape.maxChromosomes);
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
    if (shape.dropEmptyCircles)
        std::erase_if(s.chromosomes, [](const Chromosome& c) { return c.circular && c.genes.empty(); });
}

}  // namespace

std::vector<Structure> randomPair(std::mt19937& rng, const PairShape& shape) {
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const int familyCount = pick(1, shape.families);
    std::vector<Structure> pair(2);
    pair[0].name = std::string(1, 'A');
    pair[1].name = std::string(1, 'B');
    for (Structure& s : pair) {
        std::vector<Gene> genes;
        for (int f = 0; f < familyCount; ++f) {
            std::vector<int> indices;
            for (int i = 1; i <= shape.copyIndices; ++i) indices.push_back(i);
            std::shuffle(indices.begin(), indices.end(), rng);
            const int copies = pick(0, 3);
            for (int c = 0; c < copies && genes.size() < shape.maxGenes; ++c) {
                Gene g;
                g.name = std::string(1, static_cast<char>('a' + f));
                g.copy = indices[static_cast<std::size_t>(c)];
                g.strand = pick(0, 1) == 0 ? 1 : -1;
                genes.push_back(g);
            }
        }
        std::shuffle(genes.begin(), genes.end(), rng);
        cutIntoChromosomes(s, genes, shape, rng);
    }
    return pair;
}

std::vector<model::FamilyBound> randomBounds(const Structure& a, const Structure& b, std::mt19937& rng) {
    std::vector<model::FamilyBound> bounds;
    for (const auto& [name, places] : familyPlaces(a, b)) {
        const auto m = static_cast<std::uint32_t>(std::min(places.first.size(), places.second.size()));
        if (m == 0 || rng() % 3 == 0) continue;
        const std::uint32_t upper = std::uniform_int_distribution<std::uint32_t>(0, m)(rng);
        const std::uint32_t lower = std::uniform_int_distribution<std::uint32_t>(0, upper)(rng);
        bounds.push_back(model::FamilyBound{name, {lower, upper}, bounds.size() + 1});
    }
    return bounds;
}

std::pair<std::size_t, std::size_t> pairsOf(const model::MatchingModel& model, const std::string& family,
                                            std::size_t inA, std::size_t inB) {
    if (inA == 0 || inB == 0) return {0, 0};
    for (const model::FamilyBound& bound : model.bounds)
        if (bound.family == family) return {bound.range.lower, bound.range.upper};
    const std::size_t m = std::min(inA, inB);
    switch (model.kind) {
        case model::ModelKind::maximum: return {m, m};
        case model::ModelKind::exemplar: return {1, 1};
        case model::ModelKind::intermediate: return {1, m};
    }
    return {m, m};
}

void forEachMatching(const Structure& a, const Structure& b, const model::MatchingModel& model,
                     const std::function<void(const model::Matching&)>& visit) {
    struct Shared {
        std::vector<GenePlace> a, b;
        std::pair<std::size_t, std::size_t> range;
    };
    std::vector<Shared> shared;
    for (const auto& [name, genes] : familyPlaces(a, b))
        if (!genes.first.empty() && !genes.second.empty())
            shared.push_back({genes.first, genes.second, pairsOf(model, name, genes.first.size(), genes.second.size())});
    model::Matching matching;
    std::vector<std::vector<bool>> used(shared.size());
    // Family f, its gene i of A: unmatched, or matched to an unused gene of B.
    const auto recurse = [&](auto&& self, std::size_t f, std::size_t i, std::size_t made) -> void {
        if (f == shared.size()) {
            visit(matching);
            return;
        }
        const Shared& s = shared[f];
        if (used[f].empty()) used[f].assign(s.b.size(), false);
        if (i == s.a.size()) {
            if (made >= s.range.first && made <= s.range.second) self(self, f + 1, 0, 0);
            return;
        }
        self(self, f, i + 1, made);
        if (made == s.range.second) return;
        for (std::size_t j = 0; j < s.b.size(); ++j) {
            if (used[f][j]) continue;
            used[f][j] = true;
            matching.push_back({s.a[i], s.b[j]});
            self(self, f, i + 1, made + 1);
            matching.pop_back();
            used[f][j] = false;
        }
    };
    recurse(recurse, 0, 0, 0);
}

std::size_t bestBreakpointScore(const Structure& a, const Structure& b, const model::MatchingModel& model) {
    std::size_t best = 0;
    forEachMatching(a, b, model, [&](const model::Matching& m) {
        best = std::max(best, model::scoreMatching(a, b, m).objective());
    });
    return best;
}

std::int64_t leastDcjDistance(const Structure& a, const Structure& b, const model::MatchingModel& model) {
    std::int64_t best = INT64_MAX;
    forEachMatching(a, b, model, [&](const model::Matching& m) {
        best = std::min(best, model::scoreDcj(a, b, m).distance);
    });
    return best;
}

model::Matching matchingOfAnswer(const Structure& a, const Structure& b, const model::MatchingModel& model,
                                 const SolverAnswer& answer) {
    const auto placeOf = [](const Structure& s, const std::string& family, int copy) {
        for (std::uint32_t c = 0; c < s.chromosomes.size(); ++c)
            for (std::uint32_t p = 0; p < s.chromosomes[c].genes.size(); ++p)
                if (s.chromosomes[c].genes[p].name == family && s.chromosomes[c].genes[p].copy == copy)
                    return GenePlace{c, p};
        ADD_FAILURE() << "no gene " << family << "." << copy;
        return GenePlace{};
    };
    model::Matching matching;
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
    for (const auto& [family, places] : familyPlaces(a, b)) {
        const auto [least, most] = pairsOf(model, family, places.first.size(), places.second.size());
        EXPECT_GE(pairs[family], least) << "pairs of family " << family;
        EXPECT_LE(pairs[family], most) << "pairs of family " << family;
    }
    return matching;
}

bool containsAll(const model::Matching& matching, const model::Matching& decided) {
    const auto key = [](const model::MatchedPair& p) {
        return std::tuple(p.a.chromosome, p.a.position, p.b.chromosome, p.b.position);
    };
    std::set<decltype(key(decided.front()))> keys;
    for (const model::MatchedPair& p : matching) keys.insert(key(p));
    for (const model::MatchedPair& p : decided)
        if (keys.count(key(p)) == 0) return false;
    return true;
}

}  // namespace rp::test
