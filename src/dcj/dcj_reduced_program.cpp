#include "dcj/dcj_reduced_program.hpp"
#include "dcj/dcj_reduced_diagram.hpp"
#include "dcj/dcj_reductions.hpp"
#include "dcj/extremities.hpp"

#include "dcj/dcj_score.hpp"

#include <algorithm>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

namespace rp::model {

namespace {

using Diagram = DcjReducedProgram::Diagram;
using Type = LpProgram::Type;
using Sense = LpProgram::Sense;

std::string zName(std::string_view family, std::int32_t i, std::int32_t j) {
    return "z_" + std::string(family) + "." + std::to_string(i) + "." + std::to_string(j);
}

// Stage 1: genes and families, checked; each gene's state under the model.
void indexGenes(Diagram& d, const GenomePair& pair, const MatchingModel& model) {
    std::unordered_map<std::string_view, std::uint32_t> index;
    const auto add = [&](const Structure& s, bool isA) {
        for (const Chromosome& c : s.chromosomes)
            for (const Gene& g : c.genes) {
                const auto [it, added] = index.try_emplace(g.name, static_cast<std::uint32_t>(d.families.size()));
                if (added) d.families.emplace_back().name = g.name;
                Diagram::FamilyInfo& f = d.families[it->second];
                (isA ? f.genesA : f.genesB).push_back(static_cast<std::uint32_t>(d.genes.size()));
                d.genes.push_back(Diagram::GeneInfo{it->second, GeneState::unmatched, true, kNone, g.copy,
                                                    g.strand == -1 ? -1 : 1});
            }
    };
    add(*pair.a, true);
    d.genesOfA = static_cast<std::uint32_t>(d.genes.size());
    add(*pair.b, false);
    for (Diagram::FamilyInfo& f : d.families) {
        if (f.genesA.empty() || f.genesB.empty()) continue;
        if (!isUsableFamilyName(f.name))
            throw std::runtime_error("family \"" + std::string(f.name) +
                                     "\" cannot stand in an LP name (letters, digits and "
                                     "!\"#$%&(),?@_`'{}~ only)");
        std::int32_t widest[2] = {0, 0};
        for (const bool isA : {true, false}) {
            std::unordered_set<std::int32_t> seen;
            for (const std::uint32_t g : isA ? f.genesA : f.genesB) {
                if (!seen.insert(d.genes[g].copy).second)
                    throw std::runtime_error("label " + std::string(f.name) + "." + std::to_string(d.genes[g].copy) +
                                             " occurs twice in " + describeGenome(pair, isA));
                widest[isA ? 0 : 1] = std::max(widest[isA ? 0 : 1], d.genes[g].copy);
            }
        }
        if (zName(f.name, widest[0], widest[1]).size() > kMaxLpName)
            throw std::runtime_error("family \"" + std::string(f.name) + "\" is too long: its z names would pass " +
                                     std::to_string(kMaxLpName) + " characters");
        f.range = familyRange(model, f.name, static_cast<std::uint32_t>(f.genesA.size()),
                              static_cast<std::uint32_t>(f.genesB.size()));
        if (f.range.upper == 0) continue;
        if (f.genesA.size() == 1 && f.genesB.size() == 1 && f.range.lower >= 1) {
            d.genes[f.genesA[0]].state = d.genes[f.genesB[0]].state = GeneState::fixed;
            d.genes[f.genesA[0]].partner = f.genesB[0];
            d.genes[f.genesB[0]].partner = f.genesA[0];
            continue;
        }
        for (const bool isA : {true, false})
            for (const std::uint32_t g : isA ? f.genesA : f.genesB) {
                d.genes[g].state = GeneState::free;
                d.genes[g].canStayUnmatched = (isA ? f.genesA : f.genesB).size() > f.range.lower;
            }
    }
}

// Stage 1b: the pairs the anchored conserved adjacency decides
// (dcj_reductions): fixed like a 1:1 family's pair, and taken out of their
// family's free copies and its range of pairs.
void decideAnchoredPairs(Diagram& d, const GenomePair& pair, const MatchingModel& model, AnchorReach reach,
                         DcjReducedCounts& counts) {
    std::vector<std::uint32_t> first[2];  // per genome, per chromosome: the number of its first gene
    std::uint32_t next = 0;
    for (int s = 0; s < 2; ++s)
        for (const Chromosome& c : (s == 0 ? pair.a : pair.b)->chromosomes) {
            first[s].push_back(next);
            next += static_cast<std::uint32_t>(c.genes.size());
        }
    std::vector<std::uint32_t> touched;
    for (const MatchedPair& p : anchoredPairs(pair, model, reach)) {
        const std::uint32_t a = first[0][p.a.chromosome] + p.a.position, b = first[1][p.b.chromosome] + p.b.position;
        d.genes[a].state = d.genes[b].state = GeneState::fixed;
        d.genes[a].partner = b;
        d.genes[b].partner = a;
        touched.push_back(d.genes[a].family);
        ++counts.anchoredPairs;
    }
    const auto decided = [&](std::uint32_t g) { return d.genes[g].state != GeneState::free; };
    for (const std::uint32_t f : touched) {
        Diagram::FamilyInfo& family = d.families[f];
        const auto gone = static_cast<std::uint32_t>(std::erase_if(family.genesA, decided));
        std::erase_if(family.genesB, decided);
        family.range.lower -= gone;
        family.range.upper -= gone;
        if (gone == 0 || (!family.genesA.empty() && !family.genesB.empty())) continue;
        ++counts.families;  // still a family in both genomes
        for (const std::uint32_t g : family.genesA.empty() ? family.genesB : family.genesA)
            d.genes[g].state = GeneState::unmatched;  // no copy left to pair with
        family.genesA.clear();
        family.genesB.clear();
    }
}

// Stage 2: adjacency edges; a linear chromosome's ends are telomeres (A's first).
void linkAdjacencies(Diagram& d, const GenomePair& pair) {
    d.adjacent.assign(2 * d.genes.size(), kNone);
    std::uint32_t gene = 0;
    for (const Structure* s : {pair.a, pair.b}) {
        for (const Chromosome& c : s->chromosomes) {
            const auto n = static_cast<std::uint32_t>(c.genes.size());
            if (n == 0) continue;
            linkChromosome(c, gene, [&](std::uint32_t x, std::uint32_t y) {
                d.adjacent[x] = y;
                d.adjacent[y] = x;
            });
            if (!c.circular) {
                for (const std::uint32_t v : {entryVertex(c, gene, 0), exitVertex(c, gene, n - 1)}) {
                    d.adjacent[v] = kTelomere | static_cast<std::uint32_t>(d.telomereVertex.size());
                    d.telomereVertex.push_back(v);
                }
            }
            gene += n;
        }
        if (s == pair.a) d.telomeresOfA = static_cast<std::uint32_t>(d.telomereVertex.size());
    }
}

// The decided other edge of a vertex that has no choice.
std::uint32_t decidedOther(const Diagram& d, std::uint32_t v) {
    const Diagram::GeneInfo& g = d.geneOf(v);
    return g.state == GeneState::fixed ? 2 * g.partner + (v & 1U) : v ^ 1U;
}

void pushRun(std::vector<std::uint8_t>& runs, std::uint8_t genome) {
    if (runs.empty() || runs.back() != genome) runs.push_back(genome);
}

// Follows decided edges from vertex v, crossing its adjacency first (or its
// other edge first), to the first free vertex or telomere; marks what it passes.
std::uint32_t walkDecided(const Diagram& d, std::uint32_t v, bool otherFirst, std::vector<std::uint8_t>& runs,
                          std::vector<bool>& visited) {
    visited[v] = true;
    if (otherFirst) {
        if (d.isFree(v)) return v;
        const std::uint32_t w = decidedOther(d, v);
        if (w == (v ^ 1U)) pushRun(runs, d.genomeOf(v));
        v = w;
        visited[v] = true;
    }
    for (;;) {
        const std::uint32_t w = d.adjacent[v];
        if ((w & kTelomere) != 0) return w;
        visited[w] = true;
        if (d.isFree(w)) return w;
        const std::uint32_t x = decidedOther(d, w);
        if (x == (w ^ 1U)) pushRun(runs, d.genomeOf(w));
        v = x;
        visited[v] = true;
    }
}

// The constants of a path made only of decided edges.
void countDecidedPath(Diagram& d, std::uint32_t end0, std::uint32_t end1, const std::vector<std::uint8_t>& runs) {
    const std::uint8_t g0 = d.telomereGenome(end0), g1 = d.telomereGenome(end1);
    if (runs.empty()) {
        if (g0 != g1) ++d.constPathsAB;
        return;
    }
    d.constRunChanges += static_cast<std::int64_t>(runs.size()) - 1;
    ++d.reportsConst[g0][runs.front()];
    ++d.reportsConst[g1][runs.back()];
}

// Stage 3: segments from every free vertex and telomere; what is left are
// cycles made only of decided edges, counted as constants.
void walkSegments(Diagram& d, DcjReducedCounts& counts) {
    std::vector<bool> visited(d.adjacent.size(), false);
    d.segmentOf.assign(d.adjacent.size(), kNone);
    const auto addSegment = [&](std::uint32_t end0, std::uint32_t end1, std::vector<std::uint8_t> runs) {
        if ((end0 & kTelomere) != 0 && (end1 & kTelomere) != 0) {
            countDecidedPath(d, end0, end1, runs);
            ++counts.fixedPaths;
            return;
        }
        // A telomere segment keeps its telomere as end 0.
        if ((end1 & kTelomere) != 0) {
            std::swap(end0, end1);
            std::reverse(runs.begin(), runs.end());
        }
        const auto s = static_cast<std::uint32_t>(d.segments.size());
        Diagram::Segment& segment = d.segments.emplace_back();
        segment.end[0] = end0;
        segment.end[1] = end1;
        segment.runs = std::move(runs);
        for (int e = 0; e < 2; ++e)
            if ((segment.end[e] & kTelomere) == 0) d.segmentOf[segment.end[e]] = 2 * s + static_cast<std::uint32_t>(e);
    };
    for (std::uint32_t t = 0; t < d.telomereVertex.size(); ++t) {
        const std::uint32_t v = d.telomereVertex[t];
        if (visited[v]) continue;
        std::vector<std::uint8_t> runs;
        const std::uint32_t end = walkDecided(d, v, true, runs, visited);
        addSegment(kTelomere | t, end, std::move(runs));
    }
    for (std::uint32_t v = 0; v < d.adjacent.size(); ++v) {
        if (visited[v] || !d.isFree(v)) continue;
        std::vector<std::uint8_t> runs;
        const std::uint32_t end = walkDecided(d, v, false, runs, visited);
        addSegment(v, end, std::move(runs));
    }
    for (std::uint32_t v = 0; v < d.adjacent.size(); ++v) {
        if (visited[v]) continue;
        std::vector<std::uint8_t> runs;
        for (std::uint32_t u = v;;) {
            visited[u] = true;
            const std::uint32_t w = d.adjacent[u];
            visited[w] = true;
            const std::uint32_t x = decidedOther(d, w);
            if (x == (w ^ 1U)) pushRun(runs, d.genomeOf(w));
            if (x == v) break;
            u = x;
        }
        if (runs.size() > 1 && runs.front() == runs.back()) runs.pop_back();
        ++counts.fixedCycles;
        if (runs.empty()) --counts.constant;
        else if (runs.size() > 1) d.constRunChanges += static_cast<std::int64_t>(runs.size());
    }
    counts.segments = d.segments.size();
}

}  // namespace

namespace {

// Rows with a name per kind and a counter.
struct RowWriter {
    LpProgram& lp;
    std::unordered_map<std::string, std::uint32_t> numbers;

    // sum of terms (Refs with coefficients) sense rhs; constants move to the right.
    void add(const std::string& kind, const std::vector<std::pair<Ref, std::int64_t>>& terms, Sense sense,
             std::int64_t rhs) {
        std::vector<LpProgram::Term> columns;
        for (const auto& [ref, coefficient] : terms) {
            if (ref.column == kNone) rhs -= coefficient * ref.constant;
            else columns.emplace_back(ref.column, coefficient);
        }
        lp.addRow(kind + std::to_string(++numbers[kind]), std::move(columns), sense, rhs);
    }
};

// Stage 4: z columns (free pairs as binaries, decided pairs fixed to 1) and
// the family and degree rows.
void addMatching(Diagram& d, LpProgram& lp, RowWriter& rows, DcjReducedCounts& counts) {
    // Beyond this many candidate pairs the program would take gigabytes:
    // families with very many copies in both genomes.
    constexpr std::uint64_t kMaxPairs = 20'000'000;
    std::uint64_t candidates = 0;
    for (const Diagram::FamilyInfo& f : d.families)
        if (!f.genesA.empty() && d.genes[f.genesA[0]].state == GeneState::free)
            candidates += std::uint64_t{f.genesA.size()} * f.genesB.size();
    if (candidates > kMaxPairs)
        throw std::runtime_error("the program would be too large: " + std::to_string(candidates) +
                                 " candidate pairs (at most " + std::to_string(kMaxPairs) +
                                 "); families with very many copies in both genomes?");
    for (Diagram::FamilyInfo& f : d.families) {
        if (f.genesA.empty() || f.genesB.empty()) continue;
        ++counts.families;
        if (d.genes[f.genesA[0]].state != GeneState::free) continue;
        f.firstZ = static_cast<std::uint32_t>(lp.columns.size());
        for (const std::uint32_t i : f.genesA)
            for (const std::uint32_t j : f.genesB) {
                lp.addColumn(zName(f.name, d.genes[i].copy, d.genes[j].copy), Type::binary, 0, 1);
                lp.objective.emplace_back(static_cast<std::uint32_t>(lp.columns.size() - 1), 1);
                ++counts.freeZ;
            }
        std::vector<std::pair<Ref, std::int64_t>> all;
        for (std::uint32_t z = f.firstZ; z < lp.columns.size(); ++z) all.emplace_back(Ref::of(z), 1);
        if (f.range.lower == f.range.upper) {
            rows.add("count_", all, Sense::equal, f.range.lower);
        } else {
            rows.add("count_", all, Sense::greaterEqual, f.range.lower);
            rows.add("count_", all, Sense::lessEqual, f.range.upper);
        }
    }
    // Degrees: a gene in at most one pair, in exactly one when it cannot stay
    // unmatched; the family's row says it of a family's only copy in a genome.
    for (const Diagram::FamilyInfo& f : d.families) {
        if (f.firstZ == kNone) continue;
        const auto nb = static_cast<std::uint32_t>(f.genesB.size());
        for (std::uint32_t i = 0; i < f.genesA.size(); ++i) {
            std::vector<std::pair<Ref, std::int64_t>> terms;
            for (std::uint32_t j = 0; j < nb; ++j) terms.emplace_back(Ref::of(f.firstZ + i * nb + j), 1);
            const bool must = !d.genes[f.genesA[i]].canStayUnmatched;
            if (f.genesA.size() > 1 && (nb > 1 || must)) rows.add("deg_", terms, must ? Sense::equal : Sense::lessEqual, 1);
        }
        for (std::uint32_t j = 0; j < nb; ++j) {
            std::vector<std::pair<Ref, std::int64_t>> terms;
            for (std::uint32_t i = 0; i < f.genesA.size(); ++i) terms.emplace_back(Ref::of(f.firstZ + i * nb + j), 1);
            const bool must = !d.genes[f.genesB[j]].canStayUnmatched;
            if (nb > 1 && (f.genesA.size() > 1 || must)) rows.add("deg_", terms, must ? Sense::equal : Sense::lessEqual, 1);
        }
    }
    // Decided pairs: columns fixed to 1 that no row holds, so that the answer names them.
    d.fixedZ.assign(d.genesOfA, kNone);
    for (std::uint32_t g = 0; g < d.genesOfA; ++g) {
        if (d.genes[g].state != GeneState::fixed) continue;
        const Diagram::GeneInfo& partner = d.genes[d.genes[g].partner];
        d.fixedZ[g] = lp.addColumn(zName(d.families[d.genes[g].family].name, d.genes[g].copy, partner.copy),
                                   Type::continuous, 1, 1);
        lp.objective.emplace_back(d.fixedZ[g], 1);  // n counts every pair
        ++counts.fixedPairs;
    }
}

// The z columns of a free vertex's candidate extremity edges, with the vertex at the other end.
std::vector<std::pair<std::uint32_t, std::uint32_t>> candidateEdges(const Diagram& d, std::uint32_t v) {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> edges;
    const Diagram::FamilyInfo& f = d.families[d.geneOf(v).family];
    const auto nb = static_cast<std::uint32_t>(f.genesB.size());
    const std::uint32_t side = v & 1U;
    if (d.inA(v)) {
        const auto i = static_cast<std::uint32_t>(std::find(f.genesA.begin(), f.genesA.end(), v / 2) - f.genesA.begin());
        for (std::uint32_t j = 0; j < nb; ++j) edges.emplace_back(f.firstZ + i * nb + j, 2 * f.genesB[j] + side);
    } else {
        const auto j = static_cast<std::uint32_t>(std::find(f.genesB.begin(), f.genesB.end(), v / 2) - f.genesB.begin());
        for (std::uint32_t i = 0; i < f.genesA.size(); ++i) edges.emplace_back(f.firstZ + i * nb + j, 2 * f.genesA[i] + side);
    }
    return edges;
}

bool canBeIndel(const Diagram& d, std::uint32_t v) { return d.isFree(v) && d.geneOf(v).canStayUnmatched; }

// The z (coefficient -1) of the candidate edges at free vertex v of segment
// `segment` that lead to a run-free segment labelled above `above`, or to
// the segment itself.
std::vector<std::pair<Ref, std::int64_t>> onward(const Diagram& d, std::uint32_t segment, std::uint32_t v,
                                                 std::uint32_t above) {
    std::vector<std::pair<Ref, std::int64_t>> terms;
    for (const auto& [z, w] : candidateEdges(d, v)) {
        const std::uint32_t t = d.segmentOf[w] / 2;
        if (d.segments[t].runs.empty() && (t == segment || d.segments[t].id > above)) terms.emplace_back(Ref::of(z), -1);
    }
    return terms;
}
std::vector<std::pair<Ref, std::int64_t>> onward(const Diagram& d, std::uint32_t segment, std::uint32_t v) {
    return onward(d, segment, v, d.segments[segment].id);
}

// Whether a candidate edge at v leads to another run-free segment.
bool linksRunFree(const Diagram& d, std::uint32_t segment, std::uint32_t v) {
    for (const auto& [z, w] : candidateEdges(d, v)) {
        const std::uint32_t t = d.segmentOf[w] / 2;
        if (t != segment && d.segments[t].runs.empty()) return true;
    }
    return false;
}

// Stage 5: the columns of each segment: its label, its run-free path flags,
// the parity at its free ends (a constant where no change can pay off), the
// change inside it; a segment with runs has label 0 and parities from its runs.
void addSegmentColumns(Diagram& d, LpProgram& lp, RowWriter& rows) {
    // Labels: run-free telomere segments of A, then of B, then the others.
    std::uint32_t nextId = 1;
    for (const int rank : {0, 1, 2})
        for (Diagram::Segment& s : d.segments) {
            if (!s.runs.empty()) continue;
            const int mine = !s.telomere() ? 2 : d.telomereGenome(s.end[0]) == kGenomeA ? 0 : 1;
            if (mine == rank) s.id = nextId++;
        }
    d.parity.assign(d.adjacent.size(), Ref::fixed(0));
    for (std::uint32_t n = 0; n < d.segments.size(); ++n) {
        Diagram::Segment& s = d.segments[n];
        const std::string number = std::to_string(n + 1);
        if (s.runs.empty()) {
            s.label = Ref::of(lp.addColumn("y" + number, Type::integer, 0, s.id));
            // A change of parity inside: after a run of A that an end's indel edge may start.
            const auto startsRunOfA = [&](std::uint32_t end) { return d.inA(end) && canBeIndel(d, end); };
            const bool changes = !s.telomere() && (startsRunOfA(s.end[0]) || startsRunOfA(s.end[1]));
            const Ref p0 = Ref::of(lp.addColumn("p" + number, Type::binary, 0, 1));
            const Ref p1 = changes ? Ref::of(lp.addColumn("p" + number + "e", Type::binary, 0, 1)) : p0;
            if (!s.telomere()) d.parity[s.end[0]] = p0;
            d.parity[s.end[1]] = p1;
            if (changes) {
                s.change = lp.addColumn("r" + number, Type::continuous, 0, 1);
                rows.add("chg_", {{Ref::of(s.change), 1}, {p0, -1}, {p1, 1}}, Sense::greaterEqual, 0);
                rows.add("chg_", {{Ref::of(s.change), 1}, {p0, 1}, {p1, -1}}, Sense::greaterEqual, 0);
            }
            if (!s.telomere()) {
                if (linksRunFree(d, n, s.end[0]) || linksRunFree(d, n, s.end[1]))
                    s.k = Ref::of(lp.addColumn("k" + number, Type::binary, 0, 1));
                // The representative of a cycle has the smallest label on it:
                // both its ends lead on to larger labels (or back to itself).
                const auto onward0 = onward(d, n, s.end[0]), onward1 = onward(d, n, s.end[1]);
                if (onward0.empty() || onward1.empty()) continue;
                s.representative = lp.addColumn("c" + number, Type::binary, 0, 1);
                lp.objective.emplace_back(s.representative, -1);
                const Ref c = Ref::of(s.representative);
                rows.add("rep_", {{c, s.id}, {s.label, -1}}, Sense::lessEqual, 0);
                for (const auto* terms : {&onward0, &onward1}) {
                    auto row = *terms;
                    row.emplace_back(c, 1);
                    rows.add("cyc_", row, Sense::lessEqual, 0);
                }
                continue;
            }
            // A telomere: its path is run-free (label at least 1), or it sees
            // the run its parity says; the telomere of A of a run-free path
            // to B has the smallest label of its path and takes the credit.
            const bool ofA = d.telomereGenome(s.end[0]) == kGenomeA;
            s.runFreePath = lp.addColumn("f" + number, Type::binary, 0, 1);
            rows.add("free_", {{Ref::of(s.runFreePath), 1}, {s.label, -1}}, Sense::lessEqual, 0);
            auto next = onward(d, n, s.end[1], 0);
            next.emplace_back(Ref::of(s.runFreePath), 1);
            rows.add("free_", next, Sense::lessEqual, 0);
            s.seesA = lp.addColumn("a" + number, Type::continuous, 0, 1);
            s.seesB = lp.addColumn("b" + number, Type::continuous, 0, 1);
            rows.add("sees_", {{Ref::of(s.seesA), 1}, {p0, 1}, {Ref::of(s.runFreePath), 1}}, Sense::greaterEqual, 1);
            rows.add("sees_", {{Ref::of(s.seesB), 1}, {p0, -1}, {Ref::of(s.runFreePath), 1}}, Sense::greaterEqual, 0);
            if (ofA) {
                s.credit = lp.addColumn("g" + number, Type::binary, 0, 1);
                rows.add("credit_", {{Ref::of(s.credit), s.id}, {s.label, -1}}, Sense::lessEqual, 0);
                rows.add("credit_", {{Ref::of(s.credit), 1}, {Ref::of(s.runFreePath), -1}}, Sense::lessEqual, 0);
                s.k = Ref::of(s.credit);
            } else {
                s.k = Ref::fixed(1);
            }
            continue;
        }
        // A segment with runs: the change after a run of A toward an end may
        // lie inside it (cost: the parity); toward a run of B the end is B's
        // unless the end is an extremity of A whose indel edge may start a run of A.
        d.constRunChanges += static_cast<std::int64_t>(s.runs.size()) - 1;
        for (int e = 0; e < 2; ++e) {
            const std::uint32_t end = s.end[e];
            const std::uint8_t nearest = e == 0 ? s.runs.front() : s.runs.back();
            if ((end & kTelomere) != 0) {
                ++d.reportsConst[d.telomereGenome(end)][nearest];
                continue;
            }
            if (nearest == kGenomeA || (d.inA(end) && canBeIndel(d, end))) {
                const std::uint32_t p = lp.addColumn("p" + number + (e == 0 ? "" : "e"), Type::binary, 0, 1);
                d.parity[end] = Ref::of(p);
                if (nearest == kGenomeA) {
                    d.endCosts.emplace_back(p, 1);
                } else {
                    ++d.constEnds;
                    d.endCosts.emplace_back(p, -1);  // cost 1 - p
                }
            } else {
                d.parity[end] = Ref::fixed(1);
            }
        }
    }
}

}  // namespace

namespace {

// Stage 6: the rows of the choices. On every candidate extremity edge, a
// chosen edge carries the parity, and between run-free segments the label
// and k; a free extremity's segment has label 0 unless its chosen edge leads
// to a run-free segment; a chosen indel edge sets the parity to its genome.
void addChoiceRows(const Diagram& d, RowWriter& rows) {
    for (std::uint32_t v = 0; v < 2 * d.genesOfA; ++v) {
        if (!d.isFree(v)) continue;
        const Diagram::Segment& s = d.segments[d.segmentOf[v] / 2];
        for (const auto& [z, w] : candidateEdges(d, v)) {
            const Ref zr = Ref::of(z);
            rows.add("par_", {{d.parity[v], 1}, {d.parity[w], -1}, {zr, 1}}, Sense::lessEqual, 1);
            rows.add("par_", {{d.parity[w], 1}, {d.parity[v], -1}, {zr, 1}}, Sense::lessEqual, 1);
            const Diagram::Segment& t = d.segments[d.segmentOf[w] / 2];
            if (!s.runs.empty() || !t.runs.empty() || &s == &t) continue;
            rows.add("lab_", {{s.label, 1}, {t.label, -1}, {zr, s.id}}, Sense::lessEqual, s.id);
            rows.add("lab_", {{t.label, 1}, {s.label, -1}, {zr, t.id}}, Sense::lessEqual, t.id);
            rows.add("k_", {{s.k, 1}, {t.k, -1}, {zr, 1}}, Sense::lessEqual, 1);
            rows.add("k_", {{t.k, 1}, {s.k, -1}, {zr, 1}}, Sense::lessEqual, 1);
        }
    }
    for (std::uint32_t v = 0; v < d.adjacent.size(); ++v) {
        if (!d.isFree(v)) continue;
        const Diagram::Segment& s = d.segments[d.segmentOf[v] / 2];
        const bool indel = canBeIndel(d, v);
        std::vector<std::pair<Ref, std::int64_t>> matched;  // the gene's pairs
        for (const auto& [z, w] : candidateEdges(d, v)) matched.emplace_back(Ref::of(z), 1);
        if (indel) {
            // Unmatched: parity 0 on A, 1 on B.
            auto terms = matched;
            if (d.inA(v)) {
                for (auto& term : terms) term.second = -1;
                terms.emplace_back(d.parity[v], 1);
                rows.add("ind_", terms, Sense::lessEqual, 0);
            } else if (d.parity[v].column != kNone) {
                terms.emplace_back(d.parity[v], 1);
                rows.add("ind_", terms, Sense::greaterEqual, 1);
            }
        }
        if (!s.runs.empty()) continue;
        std::vector<std::pair<Ref, std::int64_t>> terms{{s.label, 1}};
        bool allRunFree = true;
        for (const auto& [z, w] : candidateEdges(d, v)) {
            if (d.segments[d.segmentOf[w] / 2].runs.empty()) terms.emplace_back(Ref::of(z), -static_cast<std::int64_t>(s.id));
            else allRunFree = false;
        }
        if (indel || !allRunFree) rows.add("zero_", terms, Sense::lessEqual, 0);
    }
}

// Stage 7: circular chromosomes whose genes may all stay unmatched (a
// constant when none has a choice); the counts: pAa ... as sums of the
// telomere reports and the constants; 2q >= pab + max(pAa, pBa) +
// max(pAb, pBb) - pAB + 2 x constant; the objective.
void addSingletons(Diagram& d, LpProgram& lp, RowWriter& rows, DcjReducedCounts& counts, const GenomePair& pair) {
    std::uint32_t gene = 0;
    for (const Structure* genome : {pair.a, pair.b})
        for (const Chromosome& c : genome->chromosomes) {
            const auto n = static_cast<std::uint32_t>(c.genes.size());
            gene += n;
            if (!c.circular || n == 0) continue;
            bool allMay = true, anyFree = false;
            for (std::uint32_t g = gene - n; g < gene; ++g) {
                const Diagram::GeneInfo& info = d.genes[g];
                allMay = allMay && (info.state == GeneState::unmatched ||
                                    (info.state == GeneState::free && info.canStayUnmatched));
                anyFree = anyFree || info.state == GeneState::free;
            }
            if (!allMay) continue;
            if (!anyFree) {
                ++counts.constant;
                continue;
            }
            std::string name(1, 's');
            name += std::to_string(d.singletonCandidates.size() + 1);
            // Binary (not just 0..1) so that every integer point has a whole objective.
            const std::uint32_t column = lp.addColumn(std::move(name), Type::binary, 0, 1);
            d.singletonCandidates.push_back({gene - n, n, column});
            lp.objective.emplace_back(column, 1);
            std::vector<std::pair<Ref, std::int64_t>> row{{Ref::of(column), 1}};
            for (std::uint32_t g = gene - n; g < gene; ++g)
                if (d.genes[g].state == GeneState::free)
                    for (const auto& [z, w] : candidateEdges(d, 2 * g)) row.emplace_back(Ref::of(z), 1);
            rows.add("sing_", row, Sense::greaterEqual, 1);
        }
}

void addCounts(Diagram& d, LpProgram& lp, RowWriter& rows, const DcjReducedCounts& counts) {
    d.pa = lp.addColumn("Pa", Type::continuous, 0, LpProgram::kInfinity);
    d.pb = lp.addColumn("Pb", Type::continuous, 0, LpProgram::kInfinity);
    d.q = lp.addColumn("q", Type::integer, -LpProgram::kInfinity, LpProgram::kInfinity);
    lp.objective.emplace_back(d.q, 1);
    for (const std::uint8_t telomere : {kGenomeA, kGenomeB})
        for (const std::uint8_t run : {kGenomeA, kGenomeB}) {
            std::vector<std::pair<Ref, std::int64_t>> terms{{Ref::of(run == kGenomeA ? d.pa : d.pb), 1}};
            for (const Diagram::Segment& s : d.segments)
                if (s.seesA != kNone && d.telomereGenome(s.end[0]) == telomere)
                    terms.emplace_back(Ref::of(run == kGenomeA ? s.seesA : s.seesB), -1);
            rows.add("ends_", terms, Sense::greaterEqual, d.reportsConst[telomere][run]);
        }
    std::vector<std::pair<Ref, std::int64_t>> terms{{Ref::of(d.q), 2}, {Ref::of(d.pa), -1}, {Ref::of(d.pb), -1}};
    for (const Diagram::Segment& s : d.segments) {
        if (s.change != kNone) terms.emplace_back(Ref::of(s.change), -1);
        if (s.credit != kNone) terms.emplace_back(Ref::of(s.credit), 1);
    }
    for (const auto& [column, coefficient] : d.endCosts) terms.emplace_back(Ref::of(column), -coefficient);
    rows.add("q_", terms, Sense::greaterEqual, d.constRunChanges + d.constEnds - d.constPathsAB + 2 * counts.constant);
}

}  // namespace

DcjReducedProgram buildDcjReducedProgram(const GenomePair& pair, const MatchingModel& model,
                                         const DcjReducedOptions& options) {
    auto d = std::make_shared<Diagram>();
    DcjReducedProgram program;
    indexGenes(*d, pair, model);
    if (options.anchored)
        decideAnchoredPairs(*d, pair, model, options.reach, program.counts);
    linkAdjacencies(*d, pair);
    walkSegments(*d, program.counts);
    RowWriter rows{program.lp, {}};
    addMatching(*d, program.lp, rows, program.counts);
    addSegmentColumns(*d, program.lp, rows);
    addChoiceRows(*d, rows);
    addSingletons(*d, program.lp, rows, program.counts, pair);
    addCounts(*d, program.lp, rows, program.counts);
    program.diagram = std::move(d);
    return program;
}

}  // namespace rp::model
