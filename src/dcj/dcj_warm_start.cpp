#include "dcj/dcj_warm_start.hpp"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

#include "dcj/dcj_reduced_diagram.hpp"
#include "dcj/dcj_reductions.hpp"
#include "dcj/dcj_score.hpp"
#include "lp/lp_program.hpp"

namespace rp::model {

using Diagram = DcjReducedProgram::Diagram;

namespace {

// One component of the relational diagram of a matching: its vertices in
// walk order, the other edge joining vertices 2k and 2k + 1, the adjacency
// joining 2k + 1 and 2k + 2 (and the last to the first on a cycle).
struct Component {
    std::vector<std::uint32_t> vertices;
    bool cycle = false;
};

Component walkComponent(const Diagram& d, const std::vector<std::uint32_t>& other, std::uint32_t start, bool cycle,
                        std::vector<bool>& visited) {
    Component c{{}, cycle};
    for (std::uint32_t v = start;;) {
        const std::uint32_t w = other[v];
        c.vertices.push_back(v);
        c.vertices.push_back(w);
        visited[v] = visited[w] = true;
        const std::uint32_t x = d.adjacent[w];
        if ((x & kTelomere) != 0 || x == start) return c;
        v = x;
    }
}

// The parity at each vertex of a component in the solution the program is
// built around: the genome of an indel edge at the vertex; elsewhere 1 when
// the nearest run before or after it is of B, else 0 (changes lie in the
// A-adjacency next to a run of A).
std::vector<std::uint8_t> canonicalParity(const Diagram& d, const std::vector<std::uint32_t>& other,
                                          const Component& c) {
    const std::size_t pairs = c.vertices.size() / 2;
    constexpr std::uint8_t kNoRun = 2;
    std::vector<std::uint8_t> run(pairs, kNoRun), before(pairs, kNoRun), after(pairs, kNoRun);
    for (std::size_t k = 0; k < pairs; ++k)
        if (other[c.vertices[2 * k]] == (c.vertices[2 * k] ^ 1U)) run[k] = d.genomeOf(c.vertices[2 * k]);
    const std::size_t rounds = c.cycle ? 2 : 1;
    std::uint8_t last = kNoRun;
    for (std::size_t i = 0; i < rounds * pairs; ++i) {
        const std::size_t k = i % pairs;
        before[k] = last;
        if (run[k] != kNoRun) last = run[k];
    }
    last = kNoRun;
    for (std::size_t i = rounds * pairs; i-- > 0;) {
        const std::size_t k = i % pairs;
        after[k] = last;
        if (run[k] != kNoRun) last = run[k];
    }
    std::vector<std::uint8_t> parity(c.vertices.size());
    for (std::size_t i = 0; i < c.vertices.size(); ++i) {
        const std::size_t k = i / 2;
        parity[i] = run[k] != kNoRun ? run[k] : (before[k] == kGenomeB || after[k] == kGenomeB) ? 1 : 0;
    }
    return parity;
}

std::int64_t valueOf(const Ref& ref, const std::vector<std::int64_t>& values) {
    return ref.column == kNone ? ref.constant : values[ref.column];
}

}  // namespace

namespace {

// Each gene's partner (global gene number) under `matching`, checked against
// what the program allows.
std::vector<std::uint32_t> partnersOf(const Diagram& d, const GenomePair& pair, const Matching& matching) {
    const MatchedGenes matched = indexMatching(*pair.a, *pair.b, matching);
    std::vector<std::uint32_t> partner(d.genes.size(), kNone);
    for (std::uint32_t g = 0; g < d.genesOfA; ++g)
        if (matched.partnerOfA[g] != kNoPartner) {
            partner[g] = d.genesOfA + matched.partnerOfA[g];
            partner[partner[g]] = g;
        }
    std::vector<std::uint32_t> pairs(d.families.size(), 0);
    for (std::uint32_t g = 0; g < d.genes.size(); ++g) {
        const Diagram::GeneInfo& info = d.genes[g];
        const bool ok = info.state == GeneState::fixed       ? partner[g] == info.partner
                        : info.state == GeneState::unmatched ? partner[g] == kNone
                                                             : partner[g] != kNone || info.canStayUnmatched;
        if (!ok) throw std::invalid_argument("the matching is not one of the model: gene " + std::to_string(g + 1));
        if (g < d.genesOfA && partner[g] != kNone && info.state == GeneState::free) ++pairs[info.family];
    }
    for (std::uint32_t f = 0; f < d.families.size(); ++f) {
        const Diagram::FamilyInfo& family = d.families[f];
        if (family.firstZ == kNone) continue;  // no free copy: each gene's check above is the whole check
        if (pairs[f] < family.range.lower || pairs[f] > family.range.upper)
            throw std::invalid_argument("the matching gives family " + std::string(family.name) + " " +
                                        std::to_string(pairs[f]) + " pairs, outside its range");
    }
    return partner;
}

// Labels, representatives, run-free path flags and parities from the
// components of the matching's diagram.
void valueComponents(const Diagram& d, const std::vector<std::uint32_t>& other, std::vector<std::int64_t>& values) {
    std::vector<bool> visited(d.adjacent.size(), false);
    const auto value = [&](const Component& c) {
        std::vector<std::uint32_t> segments;
        bool runFree = true;
        for (std::size_t i = 0; i < c.vertices.size(); ++i) {
            const std::uint32_t v = c.vertices[i];
            if (i % 2 == 0 && other[v] == (v ^ 1U)) runFree = false;
            if (d.isFree(v)) segments.push_back(d.segmentOf[v] / 2);
        }
        if (segments.empty()) return;  // decided: a constant
        std::uint32_t label = UINT32_MAX;
        for (const std::uint32_t s : segments) {
            runFree = runFree && d.segments[s].runs.empty();
            label = std::min(label, d.segments[s].id);
        }
        const std::vector<std::uint8_t> parity = canonicalParity(d, other, c);
        for (std::size_t i = 0; i < c.vertices.size(); ++i) {
            const std::uint32_t v = c.vertices[i];
            if (!d.isFree(v)) continue;
            const Ref& p = d.parity[v];
            if (p.column != kNone) values[p.column] = parity[i];
            else if (p.constant != parity[i]) throw std::logic_error("dcjStartValues: parity constant broken");
        }
        if (!runFree) return;
        for (const std::uint32_t s : segments) {
            const Diagram::Segment& segment = d.segments[s];
            values[segment.label.column] = label;
            if (segment.representative != kNone && c.cycle && segment.id == label) values[segment.representative] = 1;
            if (segment.runFreePath != kNone) values[segment.runFreePath] = 1;
        }
    };
    for (const std::uint32_t v : d.telomereVertex)
        if (!visited[v]) value(walkComponent(d, other, v, false, visited));
    for (std::uint32_t v = 0; v < d.adjacent.size(); ++v)
        if (!visited[v]) value(walkComponent(d, other, v, true, visited));
}

// k: equal along chosen extremity edges between run-free segments; 1 on a
// stretch that holds a telomere of B, which makes the credit of a telomere
// of A on it 1.
void valueStretches(const Diagram& d, const std::vector<std::uint32_t>& other, std::vector<std::int64_t>& values) {
    std::vector<std::uint32_t> parent(d.segments.size());
    for (std::uint32_t s = 0; s < parent.size(); ++s) parent[s] = s;
    const auto find = [&](std::uint32_t s) {
        while (parent[s] != s) s = parent[s] = parent[parent[s]];
        return s;
    };
    for (std::uint32_t v = 0; v < 2 * d.genesOfA; ++v) {
        if (!d.isFree(v) || other[v] == (v ^ 1U)) continue;
        const std::uint32_t s = d.segmentOf[v] / 2, t = d.segmentOf[other[v]] / 2;
        if (d.segments[s].runs.empty() && d.segments[t].runs.empty()) parent[find(s)] = find(t);
    }
    std::vector<bool> holdsB(d.segments.size(), false);
    for (std::uint32_t s = 0; s < d.segments.size(); ++s)
        if (d.segments[s].runs.empty() && d.segments[s].telomere() && d.telomereGenome(d.segments[s].end[0]) == kGenomeB)
            holdsB[find(s)] = true;
    for (std::uint32_t s = 0; s < d.segments.size(); ++s)
        if (d.segments[s].k.column != kNone) values[d.segments[s].k.column] = holdsB[find(s)] ? 1 : 0;
}

}  // namespace

std::vector<std::int64_t> dcjStartValues(const DcjReducedProgram& program, const GenomePair& pair,
                                         const Matching& matching) {
    const Diagram& d = *program.diagram;
    const std::vector<std::uint32_t> partner = partnersOf(d, pair, matching);
    std::vector<std::int64_t> values(program.lp.columns.size(), 0);
    for (const Diagram::FamilyInfo& f : d.families) {
        if (f.firstZ == kNone) continue;
        for (std::uint32_t i = 0; i < f.genesA.size(); ++i)
            for (std::uint32_t j = 0; j < f.genesB.size(); ++j)
                if (partner[f.genesA[i]] == f.genesB[j]) values[f.firstZ + i * f.genesB.size() + j] = 1;
    }
    for (const std::uint32_t z : d.fixedZ)
        if (z != kNone) values[z] = 1;
    std::vector<std::uint32_t> other(d.adjacent.size());
    for (std::uint32_t v = 0; v < other.size(); ++v)
        other[v] = partner[v / 2] == kNone ? v ^ 1U : 2 * partner[v / 2] + (v & 1U);
    valueComponents(d, other, values);
    valueStretches(d, other, values);

    std::int64_t sums[2][2] = {{d.reportsConst[0][0], d.reportsConst[0][1]}, {d.reportsConst[1][0], d.reportsConst[1][1]}};
    std::int64_t numerator = d.constRunChanges + d.constEnds - d.constPathsAB + 2 * program.counts.constant;
    for (const Diagram::Segment& s : d.segments) {
        if (s.change != kNone)
            values[s.change] = std::abs(valueOf(d.parity[s.end[0]], values) - valueOf(d.parity[s.end[1]], values));
        if (s.seesA != kNone) {
            const std::int64_t p = valueOf(d.parity[s.end[1]], values), f = values[s.runFreePath];
            values[s.seesA] = std::max<std::int64_t>(0, 1 - p - f);
            values[s.seesB] = std::max<std::int64_t>(0, p - f);
            sums[d.telomereGenome(s.end[0])][0] += values[s.seesA];
            sums[d.telomereGenome(s.end[0])][1] += values[s.seesB];
        }
        if (s.change != kNone) numerator += values[s.change];
        if (s.credit != kNone) numerator -= values[s.credit];
    }
    for (const auto& [column, coefficient] : d.endCosts) numerator += coefficient * values[column];
    values[d.pa] = std::max(sums[0][0], sums[1][0]);
    values[d.pb] = std::max(sums[0][1], sums[1][1]);
    numerator += values[d.pa] + values[d.pb];
    values[d.q] = numerator >= 0 ? (numerator + 1) / 2 : -((-numerator) / 2);
    for (const Diagram::Circular& c : d.singletonCandidates) {
        bool all = true;
        for (std::uint32_t g = c.firstGene; g < c.firstGene + c.genes; ++g) all = all && partner[g] == kNone;
        values[c.column] = all ? 1 : 0;
    }
    return values;
}

}  // namespace rp::model

namespace rp::model {

namespace {

// One pass over the families with two pairs or more: two pairs exchange
// their genes of B when that lowers the distance (at most kTries exchanges
// tried per family); the first `kept` pairs (decided ones) stay.
void improveBySwaps(const GenomePair& pair, Matching& matching, std::size_t kept) {
    constexpr std::size_t kTries = 64;
    std::unordered_map<std::string_view, std::vector<std::size_t>> byFamily;
    for (std::size_t k = kept; k < matching.size(); ++k)
        byFamily[pair.a->chromosomes[matching[k].a.chromosome].genes[matching[k].a.position].name].push_back(k);
    std::int64_t best = scoreDcj(*pair.a, *pair.b, matching).distance;
    for (const Chromosome& c : pair.a->chromosomes)
        for (const Gene& g : c.genes) {
            const auto found = byFamily.find(g.name);
            if (found == byFamily.end()) continue;
            const std::vector<std::size_t> pairs = std::move(found->second);
            byFamily.erase(found);  // each family once
            std::size_t tries = 0;
            for (std::size_t x = 0; x < pairs.size() && tries < kTries; ++x)
                for (std::size_t y = x + 1; y < pairs.size() && tries < kTries; ++y, ++tries) {
                    std::swap(matching[pairs[x]].b, matching[pairs[y]].b);
                    const std::int64_t distance = scoreDcj(*pair.a, *pair.b, matching).distance;
                    if (distance < best) best = distance;
                    else std::swap(matching[pairs[x]].b, matching[pairs[y]].b);
                }
        }
}

std::uint64_t placeKey(const GenePlace& place) { return std::uint64_t{place.chromosome} << 32 | place.position; }

// The greedy matching of `model` from `seeds` (the model's decided pairs,
// the first `kept`, which stay, then any others): in each family the pairs
// whose neighbours agree first, then the exchanges.
Matching greedyFrom(const GenomePair& pair, const MatchingModel& model, Matching seeds, std::size_t kept) {
    // Every gene with its place and the families of its neighbours, read
    // left to right as the gene reads (so a reversed gene swaps them).
    struct Occurrence {
        GenePlace place;
        std::string_view left, right;
    };
    const auto occurrences = [](const Structure& s) {
        std::unordered_map<std::string_view, std::vector<Occurrence>> byFamily;
        for (std::uint32_t c = 0; c < s.chromosomes.size(); ++c) {
            const std::vector<Gene>& genes = s.chromosomes[c].genes;
            const auto n = static_cast<std::uint32_t>(genes.size());
            for (std::uint32_t p = 0; p < n; ++p) {
                const bool circular = s.chromosomes[c].circular;
                std::string_view before = p > 0 ? std::string_view(genes[p - 1].name)
                                          : circular ? std::string_view(genes[n - 1].name) : std::string_view();
                std::string_view after = p + 1 < n ? std::string_view(genes[p + 1].name)
                                         : circular ? std::string_view(genes[0].name) : std::string_view();
                if (genes[p].strand == -1) std::swap(before, after);
                byFamily[genes[p].name].push_back(Occurrence{{c, p}, before, after});
            }
        }
        return byFamily;
    };
    const auto inA = occurrences(*pair.a);
    const auto inB = occurrences(*pair.b);
    Matching matching = std::move(seeds);
    std::unordered_set<std::uint64_t> decidedA, decidedB;
    for (const MatchedPair& p : matching) {
        decidedA.insert(placeKey(p.a));
        decidedB.insert(placeKey(p.b));
    }
    for (const Chromosome& c : pair.a->chromosomes)
        for (const Gene& g : c.genes) {
            const auto a = inA.find(g.name);
            const auto b = inB.find(g.name);
            if (b == inB.end()) continue;
            // Each family once: at its first gene of A.
            if (&g != &pair.a->chromosomes[a->second.front().place.chromosome].genes[a->second.front().place.position])
                continue;
            const PairRange range = familyRange(model, g.name, static_cast<std::uint32_t>(a->second.size()),
                                                static_cast<std::uint32_t>(b->second.size()));
            struct Candidate {
                int agreement;
                std::uint32_t i, j;
            };
            std::vector<Candidate> candidates;
            for (std::uint32_t i = 0; i < a->second.size(); ++i)
                for (std::uint32_t j = 0; j < b->second.size(); ++j) {
                    const Occurrence& x = a->second[i];
                    const Occurrence& y = b->second[j];
                    const int same = (x.left == y.left && !x.left.empty()) + (x.right == y.right && !x.right.empty());
                    const int reversed = (x.left == y.right && !x.left.empty()) + (x.right == y.left && !x.right.empty());
                    candidates.push_back({std::max(same, reversed), i, j});
                }
            std::stable_sort(candidates.begin(), candidates.end(),
                             [](const Candidate& x, const Candidate& y) { return x.agreement > y.agreement; });
            std::vector<bool> usedA(a->second.size(), false), usedB(b->second.size(), false);
            std::uint32_t made = 0;
            for (std::uint32_t i = 0; i < a->second.size(); ++i)
                if (decidedA.count(placeKey(a->second[i].place)) != 0) {
                    usedA[i] = true;
                    ++made;
                }
            for (std::uint32_t j = 0; j < b->second.size(); ++j)
                usedB[j] = decidedB.count(placeKey(b->second[j].place)) != 0;
            for (const Candidate& candidate : candidates) {
                if (made == range.upper) break;
                if (usedA[candidate.i] || usedB[candidate.j]) continue;
                usedA[candidate.i] = usedB[candidate.j] = true;
                matching.push_back({a->second[candidate.i].place, b->second[candidate.j].place});
                ++made;
            }
        }
    improveBySwaps(pair, matching, kept);
    return matching;
}

// Whether every family may take its most pairs, min(copies in A, in B),
// under `model` (intermediate, bounds that reach them): then every matching
// of the maximum model that holds the model's decided pairs is one of `model`.
bool takesMostPairs(const GenomePair& pair, const MatchingModel& model) {
    std::unordered_map<std::string_view, std::array<std::uint32_t, 2>> copies;
    for (const int genome : {0, 1})
        for (const Chromosome& c : (genome == 0 ? pair.a : pair.b)->chromosomes)
            for (const Gene& g : c.genes) ++copies[g.name][static_cast<std::size_t>(genome)];
    for (const auto& [family, count] : copies) {
        const std::uint32_t most = std::min(count[0], count[1]);
        if (most > 0 && familyRange(model, family, count[0], count[1]).upper < most) return false;
    }
    return true;
}

}  // namespace

Matching greedyDcjMatching(const GenomePair& pair, const MatchingModel& model) {
    const MatchingModel maximum;
    Matching decided = anchoredPairs(pair, model);
    const std::size_t kept = decided.size();
    if (model.kind == ModelKind::maximum) return greedyFrom(pair, model, std::move(decided), kept);
    Matching own = greedyFrom(pair, model, decided, kept);
    if (!takesMostPairs(pair, model)) return own;
    // The maximum model decides more pairs (every copy of the smaller side
    // is matched). Its matching where it holds the model's decided pairs,
    // and the model's greedy guided by those of its pairs that meet no
    // decided gene, are candidates beside the model's own greedy.
    const Matching decidedByMaximum = anchoredPairs(pair, maximum);
    Matching most = greedyFrom(pair, maximum, decidedByMaximum, decidedByMaximum.size());
    std::unordered_map<std::uint64_t, std::uint64_t> partner;
    for (const MatchedPair& p : most) partner.emplace(placeKey(p.a), placeKey(p.b));
    const bool mostHoldsDecided = std::all_of(decided.begin(), decided.end(), [&](const MatchedPair& p) {
        const auto found = partner.find(placeKey(p.a));
        return found != partner.end() && found->second == placeKey(p.b);
    });
    std::unordered_set<std::uint64_t> usedA, usedB;
    for (const MatchedPair& p : decided) {
        usedA.insert(placeKey(p.a));
        usedB.insert(placeKey(p.b));
    }
    for (const MatchedPair& p : decidedByMaximum)
        if (usedA.insert(placeKey(p.a)).second) {
            if (usedB.insert(placeKey(p.b)).second) decided.push_back(p);
            else usedA.erase(placeKey(p.a));
        }
    std::vector<Matching> candidates{std::move(own), greedyFrom(pair, model, std::move(decided), kept)};
    if (mostHoldsDecided) candidates.push_back(std::move(most));
    std::vector<std::int64_t> distances;
    for (const Matching& m : candidates) distances.push_back(scoreDcj(*pair.a, *pair.b, m).distance);
    return std::move(candidates[static_cast<std::size_t>(
        std::min_element(distances.begin(), distances.end()) - distances.begin())]);
}

}  // namespace rp::model

namespace rp::model {

StartValues writeDcjStart(std::ostream& out, const DcjReducedProgram& program, const GenomePair& pair,
                          const MatchingModel& model) {
    const Matching matching = greedyDcjMatching(pair, model);
    const std::vector<std::int64_t> values = dcjStartValues(program, pair, matching);
    const StartValues start{lp::objectiveAt(program.lp, values), matching.size()};
    lp::writeCbcStart(out, program.lp, values, start.distance);
    return start;
}

}  // namespace rp::model
