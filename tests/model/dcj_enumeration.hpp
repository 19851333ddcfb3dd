// Small random pairs of genomes and the DCJ-indel distance minimised over
// every matching a model allows, by enumeration with scoreDcj: the
// independent road the DCJ programs are checked against.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <tuple>
#include <string>
#include <vector>

#include "model/dcj_score.hpp"
#include "model/matching_model.hpp"
#include "structs/structure.hpp"

namespace rp::test {

// A random pair: up to `families` families of 0 to 3 copies per genome (so
// some in one genome only), copy indices from 1 to 5, at most `maxGenes`
// genes per genome, random strands, 1 to `maxChromosomes` chromosomes each
// linear or circular (some left empty).
inline std::vector<Structure> randomDcjPair(std::mt19937& rng, int families = 4, std::size_t maxGenes = 8,
                                            int maxChromosomes = 3) {
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const int familyCount = pick(1, families);
    std::vector<Structure> pair(2);
    pair[0].name = "A";
    pair[1].name = "B";
    for (Structure& s : pair) {
        std::vector<Gene> genes;
        for (int f = 0; f < familyCount; ++f) {
            std::vector<int> indices{1, 2, 3, 4, 5};
            std::shuffle(indices.begin(), indices.end(), rng);
            const int copies = pick(0, 3);
            for (int c = 0; c < copies && genes.size() < maxGenes; ++c) {
                Gene g;
                g.name = std::string(1, static_cast<char>('a' + f));
                g.copy = indices[static_cast<std::size_t>(c)];
                g.strand = pick(0, 1) == 0 ? 1 : -1;
                genes.push_back(g);
            }
        }
        std::shuffle(genes.begin(), genes.end(), rng);
        const int chromosomes = pick(1, maxChromosomes);
        s.chromosomes.resize(static_cast<std::size_t>(chromosomes));
        for (Chromosome& c : s.chromosomes) c.circular = pick(0, 9) < 4;
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

// Calls `visit` with every matching of `a` and `b` that `model` allows.
inline void forEachMatching(const Structure& a, const Structure& b, const model::MatchingModel& model,
                            const std::function<void(const model::Matching&)>& visit) {
    using model::GenePlace;
    std::map<std::string, std::pair<std::vector<GenePlace>, std::vector<GenePlace>>> families;
    for (std::uint32_t c = 0; c < a.chromosomes.size(); ++c)
        for (std::uint32_t p = 0; p < a.chromosomes[c].genes.size(); ++p)
            families[a.chromosomes[c].genes[p].name].first.push_back({c, p});
    for (std::uint32_t c = 0; c < b.chromosomes.size(); ++c)
        for (std::uint32_t p = 0; p < b.chromosomes[c].genes.size(); ++p)
            families[b.chromosomes[c].genes[p].name].second.push_back({c, p});
    struct Shared {
        std::vector<GenePlace> a, b;
        model::PairRange range;
    };
    std::vector<Shared> shared;
    for (const auto& [name, genes] : families)
        if (!genes.first.empty() && !genes.second.empty())
            shared.push_back({genes.first, genes.second,
                              model::familyRange(model, name, static_cast<std::uint32_t>(genes.first.size()),
                                                 static_cast<std::uint32_t>(genes.second.size()))});
    model::Matching matching;
    std::vector<std::vector<bool>> used(shared.size());
    // Family f, its gene i of A: unmatched, or matched to an unused gene of B.
    const auto recurse = [&](auto&& self, std::size_t f, std::size_t i, std::uint32_t made) -> void {
        if (f == shared.size()) {
            visit(matching);
            return;
        }
        const Shared& s = shared[f];
        if (used[f].empty()) used[f].assign(s.b.size(), false);
        if (i == s.a.size()) {
            if (made >= s.range.lower && made <= s.range.upper) self(self, f + 1, 0, 0);
            return;
        }
        self(self, f, i + 1, made);
        if (made == s.range.upper) return;
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

// The least distance over the model's matchings (INT64_MAX when it allows none).
inline std::int64_t leastDcjDistance(const Structure& a, const Structure& b, const model::MatchingModel& model) {
    std::int64_t best = INT64_MAX;
    forEachMatching(a, b, model, [&](const model::Matching& m) {
        best = std::min(best, model::scoreDcj(a, b, m).distance);
    });
    return best;
}

// Whether `matching` holds every pair of `decided`.
inline bool containsAll(const model::Matching& matching, const model::Matching& decided) {
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
