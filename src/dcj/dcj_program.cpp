#include "dcj/dcj_program.hpp"

#include <algorithm>
#include <charconv>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

namespace rp::model {
namespace {

// Beyond this many pairs or capping edges the program would take gigabytes.
constexpr std::uint64_t kMaxItems = 50'000'000;

using lp::RowBuilder;
using lp::Sense;
using Domain = lp::Type;

std::string numbered(std::string_view prefix, std::uint64_t value, std::string_view suffix = {}) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    std::string name(prefix);
    name.append(digits, end);
    name.append(suffix);
    return name;
}

// Families by name, in order of first appearance in A, then B; the ones in
// both genomes get their range and are numbered.
struct FamilyCount {
    std::uint32_t inA = 0, inB = 0;
    std::int32_t maxCopyA = 0, maxCopyB = 0;
    std::uint32_t index = kNoFamily;
};

void checkFamily(std::string_view name, const FamilyCount& count) {
    checkLpFamilyName(name, count.maxCopyA, count.maxCopyB);
}

// Adds the genes and adjacency edges of one genome; returns its linear chromosomes.
// An edge to a telomere is added with kNoFamily for the telomere and, in
// `ref`, the telomere's number in its genome; placeTelomeres sets the vertex.
std::uint32_t addGenome(DcjDiagram& d, const Structure& s, bool isA,
                        const std::unordered_map<std::string_view, FamilyCount>& counts,
                        std::vector<std::uint32_t>& rank) {
    std::uint32_t linear = 0;
    for (const Chromosome& c : s.chromosomes) {
        const auto first = static_cast<std::uint32_t>(d.genes.size());
        for (const Gene& g : c.genes) {
            const FamilyCount& count = counts.at(g.name);
            const std::uint32_t family = count.inA > 0 && count.inB > 0 ? count.index : kNoFamily;
            d.genes.push_back(DcjGene{isA, family, family == kNoFamily ? 0 : rank[family]++});
        }
        const auto last = static_cast<std::uint32_t>(d.genes.size());
        // Extremities met reading left to right: tail then head for +.
        const auto left = [&](std::uint32_t k) { return c.genes[k - first].strand == -1 ? 2 * k + 1 : 2 * k; };
        const auto right = [&](std::uint32_t k) { return left(k) ^ 1u; };
        const DcjEdgeKind kind = isA ? DcjEdgeKind::adjacencyA : DcjEdgeKind::adjacencyB;
        for (std::uint32_t k = first; k + 1 < last; ++k) d.edges.push_back(DcjEdge{right(k), left(k + 1), kind, 0});
        if (c.circular) {
            if (first == last) continue;
            d.edges.push_back(DcjEdge{right(last - 1), left(first), kind, 0});
            std::vector<std::uint32_t> circle(last - first);
            for (std::uint32_t k = first; k < last; ++k) circle[k - first] = k;
            d.circles.push_back(std::move(circle));
            continue;
        }
        const std::uint32_t telomere = 2 * linear++;  // its left end; telomere + 1 its right end
        if (first == last) {
            d.edges.push_back(DcjEdge{kNoFamily, kNoFamily, kind, telomere});
        } else {
            d.edges.push_back(DcjEdge{kNoFamily, left(first), kind, telomere});
            d.edges.push_back(DcjEdge{right(last - 1), kNoFamily, kind, telomere + 1});
        }
    }
    return linear;
}

// Sets the telomere vertices of genome A's (B's) adjacency edges from begin
// to end, and adds a padding chromosome (one edge between two telomeres) per
// missing pair of telomeres after them. Returns the padding edges added.
std::uint32_t placeTelomeres(DcjDiagram& d, std::uint32_t begin, std::uint32_t end, bool isA, std::uint32_t linear) {
    const auto vertexOf = [&](std::uint32_t telomere) { return isA ? d.telomereA(telomere) : d.telomereB(telomere); };
    for (std::uint32_t e = begin; e < end; ++e) {
        DcjEdge& edge = d.edges[e];
        if (edge.u == kNoFamily && edge.v == kNoFamily) {
            edge.u = vertexOf(edge.ref);
            edge.v = vertexOf(edge.ref + 1);
        } else if (edge.u == kNoFamily) {
            edge.u = vertexOf(edge.ref);
        } else if (edge.v == kNoFamily) {
            edge.v = vertexOf(edge.ref);
        }
        edge.ref = 0;
    }
    const DcjEdgeKind kind = isA ? DcjEdgeKind::adjacencyA : DcjEdgeKind::adjacencyB;
    std::vector<DcjEdge> padding;
    for (std::uint32_t k = 2 * linear; k < d.telomeres; k += 2)
        padding.push_back(DcjEdge{vertexOf(k), vertexOf(k + 1), kind, 0});
    d.edges.insert(d.edges.begin() + end, padding.begin(), padding.end());
    return static_cast<std::uint32_t>(padding.size());
}

// The pairs of each family, A's copies by B's, with their z names (each label
// of a family in both genomes once per genome) and their sibling edges.
void addPairs(DcjDiagram& d, const GenomePair& pair) {
    std::vector<std::vector<std::int32_t>> copiesA(d.families.size()), copiesB(d.families.size());
    std::vector<std::vector<std::uint32_t>> genesOfA(d.families.size()), genesOfB(d.families.size());
    std::uint32_t k = 0;
    for (const Structure* s : {pair.a, pair.b})
        for (const Chromosome& c : s->chromosomes)
            for (const Gene& g : c.genes) {
                const DcjGene& gene = d.genes[k];
                if (gene.family != kNoFamily) {
                    (gene.inA ? copiesA : copiesB)[gene.family].push_back(g.copy);
                    (gene.inA ? genesOfA : genesOfB)[gene.family].push_back(k);
                }
                ++k;
            }
    for (std::size_t f = 0; f < d.families.size(); ++f)
        for (const bool isA : {true, false}) {
            std::unordered_set<std::int32_t> seen;
            for (const std::int32_t copy : (isA ? copiesA : copiesB)[f])
                if (!seen.insert(copy).second)
                    throw std::runtime_error("label " + std::string(d.families[f].name) + "." + std::to_string(copy) +
                                             " occurs twice in " + describeGenome(pair, isA));
        }
    for (std::size_t f = 0; f < d.families.size(); ++f)
        for (std::size_t i = 0; i < genesOfA[f].size(); ++i)
            for (std::size_t j = 0; j < genesOfB[f].size(); ++j) {
                std::string name = "z_";
                name.append(d.families[f].name);
                name.push_back('.');
                name.append(std::to_string(copiesA[f][i]));
                name.push_back('.');
                name.append(std::to_string(copiesB[f][j]));
                d.pairNames.push_back(std::move(name));
                d.pairs.emplace_back(genesOfA[f][i], genesOfB[f][j]);
            }
    for (std::uint32_t p = 0; p < d.pairs.size(); ++p) {
        const auto [a, b] = d.pairs[p];
        d.edges.push_back(DcjEdge{2 * a, 2 * b, DcjEdgeKind::sibling, p});
        d.edges.push_back(DcjEdge{2 * a + 1, 2 * b + 1, DcjEdgeKind::sibling, p});
    }
}

}  // namespace

std::vector<std::uint32_t> DcjDiagram::pairsOf(std::uint32_t gene) const {
    const DcjGene& g = genes[gene];
    if (g.family == kNoFamily) return {};
    const DcjFamily& f = families[g.family];
    std::vector<std::uint32_t> result;
    if (g.inA) {
        for (std::uint32_t j = 0; j < f.inB; ++j) result.push_back(f.firstPair + g.rank * f.inB + j);
    } else {
        for (std::uint32_t i = 0; i < f.inA; ++i) result.push_back(f.firstPair + i * f.inB + g.rank);
    }
    return result;
}

DcjDiagram buildDcjDiagram(const GenomePair& pair, const MatchingModel& model) {
    std::unordered_map<std::string_view, FamilyCount> counts;
    std::vector<std::string_view> order;
    for (const Structure* s : {pair.a, pair.b})
        for (const Chromosome& c : s->chromosomes)
            for (const Gene& g : c.genes) {
                auto [it, added] = counts.try_emplace(g.name);
                if (added) order.push_back(g.name);
                FamilyCount& count = it->second;
                if (s == pair.a) {
                    ++count.inA;
                    count.maxCopyA = std::max(count.maxCopyA, g.copy);
                } else {
                    ++count.inB;
                    count.maxCopyB = std::max(count.maxCopyB, g.copy);
                }
            }
    std::unordered_map<std::string_view, PairRange> bounds;
    for (const FamilyBound& b : model.bounds) bounds.emplace(b.family, b.range);

    DcjDiagram d;
    std::uint64_t pairTotal = 0;
    for (const std::string_view name : order) {
        FamilyCount& count = counts.at(name);
        if (count.inA == 0 || count.inB == 0) continue;
        checkFamily(name, count);
        count.index = static_cast<std::uint32_t>(d.families.size());
        const auto bound = bounds.find(name);
        const PairRange range = bound != bounds.end() ? bound->second : kindRange(model.kind, count.inA, count.inB);
        d.families.push_back(DcjFamily{name, count.inA, count.inB, static_cast<std::uint32_t>(pairTotal), range});
        pairTotal += std::uint64_t{count.inA} * count.inB;
        if (pairTotal > kMaxItems)
            throw std::runtime_error("the program would be too large: more than " + std::to_string(kMaxItems) +
                                     " candidate pairs; families with very many copies?");
    }

    std::vector<std::uint32_t> rank(d.families.size(), 0);
    const std::uint32_t linearA = addGenome(d, *pair.a, true, counts, rank);
    d.genesA = static_cast<std::uint32_t>(d.genes.size());
    d.adjacenciesA = static_cast<std::uint32_t>(d.edges.size());
    std::fill(rank.begin(), rank.end(), 0);
    const std::uint32_t linearB = addGenome(d, *pair.b, false, counts, rank);
    d.adjacenciesB = static_cast<std::uint32_t>(d.edges.size()) - d.adjacenciesA;
    const std::uint64_t telomeres = 2 * std::uint64_t{std::max(linearA, linearB)};
    if (telomeres * telomeres > kMaxItems)
        throw std::runtime_error("the program would be too large: " + std::to_string(telomeres) +
                                 " telomeres per genome give " + std::to_string(telomeres * telomeres) +
                                 " capping edges (at most " + std::to_string(kMaxItems) + ")");
    d.telomeres = static_cast<std::uint32_t>(telomeres);
    d.adjacenciesA += placeTelomeres(d, 0, d.adjacenciesA, true, linearA);
    d.adjacenciesB += placeTelomeres(d, d.adjacenciesA, d.adjacenciesA + d.adjacenciesB, false, linearB);
    d.pairs.reserve(pairTotal);
    d.pairNames.reserve(pairTotal);
    addPairs(d, pair);
    for (std::uint32_t k = 0; k < d.genes.size(); ++k) d.edges.push_back(DcjEdge{2 * k, 2 * k + 1, DcjEdgeKind::indel, k});
    for (std::uint32_t i = 0; i < d.telomeres; ++i)
        for (std::uint32_t j = 0; j < d.telomeres; ++j)
            d.edges.push_back(DcjEdge{d.telomereA(i), d.telomereB(j), DcjEdgeKind::cap, 0});
    return d;
}

std::uint32_t DcjColumns::count(char kind, const lp::HalvesProgram& program) const {
    const std::uint32_t starts[] = {z, x, t, y, w, r, s, static_cast<std::uint32_t>(program.columns.size())};
    const std::string_view kinds = "zxtywrs";
    const std::size_t k = kinds.find(kind);
    return k == std::string_view::npos ? 0 : starts[k + 1] - starts[k];
}

namespace {

std::string edgeName(std::string_view prefix, std::size_t edge) { return numbered(prefix, edge + 1); }

// Adds coefficient x X_e to the current row: the edge's x column, its pair's
// z, or 1 - the sum of its gene's z for an indel edge.
void addX(RowBuilder& rows, const DcjProgram& p, std::size_t edge, double coefficient) {
    const DcjEdge& e = p.diagram.edges[edge];
    switch (e.kind) {
        case DcjEdgeKind::sibling: rows.add(p.columns.z + e.ref, coefficient); return;
        case DcjEdgeKind::indel:
            rows.addConstant(coefficient);
            for (const std::uint32_t pair : p.diagram.pairsOf(e.ref)) rows.add(p.columns.z + pair, -coefficient);
            return;
        default: rows.add(p.columns.xOfEdge[edge], coefficient); return;
    }
}

std::uint32_t id(std::uint32_t vertex) { return vertex + 1; }

void addAdjacencyRows(RowBuilder& rows, DcjProgram& p) {  // c01
    const DcjDiagram& d = p.diagram;
    for (std::size_t e = 0; e < std::size_t{d.adjacenciesA} + d.adjacenciesB; ++e) {
        rows.begin(edgeName("c01_", e));
        addX(rows, p, e, 1);
        rows.end(Sense::equal, 1);
    }
}

void addDegreeRows(RowBuilder& rows, DcjProgram& p) {  // c02
    const DcjDiagram& d = p.diagram;
    for (std::uint32_t k = 0; k < d.genes.size(); ++k) {
        const std::vector<std::uint32_t> pairs = d.pairsOf(k);
        if (pairs.size() < 2) continue;
        rows.begin(numbered("c02_", id(2 * k)));
        for (const std::uint32_t pair : pairs) rows.add(p.columns.z + pair, 1);
        rows.end(Sense::lessEqual, 1);
    }
    // A telomere: its adjacency edge and its caps.
    std::vector<std::vector<std::uint32_t>> incident(2 * std::size_t{d.telomeres});
    const std::uint32_t firstTelomere = d.telomereA(0);
    for (std::uint32_t e = 0; e < d.edges.size(); ++e) {
        const DcjEdge& edge = d.edges[e];
        if (edge.kind == DcjEdgeKind::indel || edge.kind == DcjEdgeKind::sibling) continue;
        for (const std::uint32_t v : {edge.u, edge.v})
            if (v >= firstTelomere) incident[v - firstTelomere].push_back(e);
    }
    for (std::uint32_t t = 0; t < incident.size(); ++t) {
        rows.begin(numbered("c02_", id(firstTelomere + t)));
        for (const std::uint32_t e : incident[t]) addX(rows, p, e, 1);
        rows.end(Sense::equal, 2);
    }
}

void addLabelRows(RowBuilder& rows, DcjProgram& p) {  // c04
    const DcjDiagram& d = p.diagram;
    for (std::size_t e = 0; e < d.edges.size(); ++e) {
        const DcjEdge& edge = d.edges[e];
        if (edge.kind == DcjEdgeKind::indel) continue;
        for (const auto& [i, j, suffix] : {std::tuple{edge.u, edge.v, "_1"}, std::tuple{edge.v, edge.u, "_2"}}) {
            rows.begin(numbered("c04_", e + 1, suffix));
            rows.add(p.columns.y + i, 1);
            rows.add(p.columns.y + j, -1);
            addX(rows, p, e, id(i));
            rows.end(Sense::lessEqual, id(i));
        }
    }
}

void addIndelLabelRows(RowBuilder& rows, DcjProgram& p) {  // c05
    const DcjDiagram& d = p.diagram;
    for (std::size_t e = 0; e < d.edges.size(); ++e) {
        const DcjEdge& edge = d.edges[e];
        if (edge.kind != DcjEdgeKind::indel) continue;
        for (const std::uint32_t v : {edge.u, edge.v}) {
            rows.begin(numbered("c05_", id(v)));
            rows.add(p.columns.y + v, 1);
            addX(rows, p, e, id(v));
            rows.end(Sense::lessEqual, id(v));
        }
    }
}

void addRepresentativeRows(RowBuilder& rows, DcjProgram& p) {  // c06
    for (std::uint32_t v = 0; v < p.diagram.vertices(); ++v) {
        rows.begin(numbered("c06_", id(v)));
        rows.add(p.columns.w + v, id(v));
        rows.add(p.columns.y + v, -1);
        rows.end(Sense::lessEqual, 0);
    }
}

void addRunRows(RowBuilder& rows, DcjProgram& p) {  // c07
    const DcjDiagram& d = p.diagram;
    for (std::size_t e = 0; e < d.edges.size(); ++e) {
        const DcjEdge& edge = d.edges[e];
        if (edge.kind != DcjEdgeKind::indel) continue;
        const bool inA = d.genes[edge.ref].inA;
        for (const std::uint32_t v : {edge.u, edge.v}) {
            rows.begin(numbered("c07_", id(v)));
            rows.add(p.columns.r + v, 1);
            addX(rows, p, e, inA ? 1 : -1);
            if (inA) {
                rows.end(Sense::lessEqual, 1);
            } else {
                rows.end(Sense::greaterEqual, 0);
            }
        }
    }
}

void addChangeRows(RowBuilder& rows, DcjProgram& p) {  // c08
    const DcjDiagram& d = p.diagram;
    for (std::size_t e = 0; e < d.edges.size(); ++e) {
        const DcjEdge& edge = d.edges[e];
        for (const auto& [i, j, suffix] : {std::tuple{edge.u, edge.v, "_1"}, std::tuple{edge.v, edge.u, "_2"}}) {
            rows.begin(numbered("c08_", e + 1, suffix));
            rows.add(p.columns.t + static_cast<std::uint32_t>(e), 1);
            rows.add(p.columns.r + j, -1);
            rows.add(p.columns.r + i, 1);
            addX(rows, p, e, -1);
            rows.end(Sense::greaterEqual, -1);
        }
    }
}

// The indel edges at the ends of an edge: gene k's is edge indelBase + k.
void addChargeRows(RowBuilder& rows, DcjProgram& p) {  // c09
    const DcjDiagram& d = p.diagram;
    const std::size_t indelBase = std::size_t{d.adjacenciesA} + d.adjacenciesB + 2 * d.pairs.size();
    const std::uint32_t genes2 = 2 * static_cast<std::uint32_t>(d.genes.size());
    for (std::size_t e = 0; e < d.adjacenciesA; ++e) {
        const DcjEdge& edge = d.edges[e];
        if (edge.u >= genes2 && edge.v >= genes2) continue;  // two telomeres: no indel edge
        rows.begin(numbered("c09_", e + 1));
        rows.add(p.columns.t + static_cast<std::uint32_t>(e), 1);
        std::uint32_t genes[2] = {kNoFamily, kNoFamily};
        if (edge.u < genes2) genes[0] = edge.u / 2;
        if (edge.v < genes2 && edge.v / 2 != genes[0]) genes[1] = edge.v / 2;  // one edge, counted once
        for (const std::uint32_t k : genes)
            if (k != kNoFamily) addX(rows, p, indelBase + k, -1);
        rows.end(Sense::lessEqual, 0);
    }
}

void addZeroChargeRows(RowBuilder& rows, DcjProgram& p) {  // c10
    for (std::size_t e = p.diagram.adjacenciesA; e < p.diagram.edges.size(); ++e) {
        rows.begin(numbered("c10_", e + 1));
        rows.add(p.columns.t + static_cast<std::uint32_t>(e), 1);
        rows.end(Sense::equal, 0);
    }
}

void addSingletonRows(RowBuilder& rows, DcjProgram& p) {  // c11
    const DcjDiagram& d = p.diagram;
    const std::size_t indelBase = std::size_t{d.adjacenciesA} + d.adjacenciesB + 2 * d.pairs.size();
    for (std::uint32_t k = 0; k < d.circles.size(); ++k) {
        rows.begin(numbered("c11_", k + 1));
        for (const std::uint32_t gene : d.circles[k]) addX(rows, p, indelBase + gene, 1);
        rows.add(p.columns.s + k, -1);
        rows.end(Sense::lessEqual, static_cast<double>(d.circles[k].size()) - 1);
    }
}

void addCountRows(RowBuilder& rows, DcjProgram& p) {  // c12
    const DcjDiagram& d = p.diagram;
    for (std::uint32_t f = 0; f < d.families.size(); ++f) {
        const DcjFamily& family = d.families[f];
        const auto addPairs = [&] {
            for (std::uint32_t k = 0; k < family.inA * family.inB; ++k) rows.add(p.columns.z + family.firstPair + k, 1);
        };
        if (family.range.lower == family.range.upper) {
            rows.begin(numbered("c12_", f + 1));
            addPairs();
            rows.end(Sense::equal, family.range.lower);
            continue;
        }
        rows.begin(numbered("c12_", f + 1, "_lo"));
        addPairs();
        rows.end(Sense::greaterEqual, family.range.lower);
        rows.begin(numbered("c12_", f + 1, "_hi"));
        addPairs();
        rows.end(Sense::lessEqual, family.range.upper);
    }
}

}  // namespace

void addDcjColumns(DcjProgram& p) {
    const DcjDiagram& d = p.diagram;
    RowBuilder columns(p.lp);
    p.lp.layout = lp::Layout{.zeroLowerWritten = true, .binaryAlways = true};
    p.lp.columns.reserve(d.pairs.size() + 2 * d.edges.size() + 3 * std::size_t{d.vertices()} + d.circles.size());
    p.columns.z = 0;
    for (const std::string& name : d.pairNames) columns.addVariable(name, Domain::binary);
    p.columns.x = static_cast<std::uint32_t>(p.lp.columns.size());
    p.columns.xOfEdge.assign(d.edges.size(), kNoFamily);
    for (std::size_t e = 0; e < d.edges.size(); ++e) {
        const DcjEdgeKind kind = d.edges[e].kind;
        if (kind == DcjEdgeKind::sibling || kind == DcjEdgeKind::indel) continue;
        p.columns.xOfEdge[e] = columns.addVariable(edgeName("x_", e), Domain::binary);
    }
    p.columns.t = static_cast<std::uint32_t>(p.lp.columns.size());
    for (std::size_t e = 0; e < d.edges.size(); ++e) columns.addVariable(edgeName("t_", e), Domain::binary);
    p.columns.y = static_cast<std::uint32_t>(p.lp.columns.size());
    for (std::uint32_t v = 0; v < d.vertices(); ++v) columns.addVariable(numbered("y_", id(v)), Domain::integer, id(v));
    p.columns.w = static_cast<std::uint32_t>(p.lp.columns.size());
    for (std::uint32_t v = 0; v < d.vertices(); ++v) columns.addVariable(numbered("w_", id(v)), Domain::binary);
    p.columns.r = static_cast<std::uint32_t>(p.lp.columns.size());
    for (std::uint32_t v = 0; v < d.vertices(); ++v) columns.addVariable(numbered("r_", id(v)), Domain::binary);
    p.columns.s = static_cast<std::uint32_t>(p.lp.columns.size());
    for (std::uint32_t k = 0; k < d.circles.size(); ++k) columns.addVariable(numbered("s_", k + 1), Domain::binary);
}

void addDcjRows(DcjProgram& p, std::string_view group) {
    using Stage = void (*)(RowBuilder&, DcjProgram&);
    static constexpr std::pair<std::string_view, Stage> kStages[] = {
        {"c01", addAdjacencyRows}, {"c02", addDegreeRows},         {"c04", addLabelRows},
        {"c05", addIndelLabelRows}, {"c06", addRepresentativeRows}, {"c07", addRunRows},
        {"c08", addChangeRows},     {"c09", addChargeRows},         {"c10", addZeroChargeRows},
        {"c11", addSingletonRows},  {"c12", addCountRows},
    };
    for (const auto& [name, stage] : kStages)
        if (name == group) {
            const std::size_t before = p.lp.rows.size();
            RowBuilder rows(p.lp);
            stage(rows, p);
            p.groupRows.emplace_back(std::string(group), p.lp.rows.size() - before);
            return;
        }
    throw std::invalid_argument("no row group " + std::string(group));
}

void addDcjObjective(DcjProgram& p) {
    const DcjDiagram& d = p.diagram;
    RowBuilder objective(p.lp);
    p.lp.direction = lp::Direction::minimize;
    for (std::size_t e = 0; e < d.edges.size(); ++e) {
        const DcjEdge& edge = d.edges[e];
        if (edge.kind == DcjEdgeKind::sibling) objective.addObjective(p.columns.z + edge.ref, 0.5);
        if (edge.kind == DcjEdgeKind::cap) objective.addObjective(p.columns.xOfEdge[e], 0.5);
    }
    for (std::size_t e = 0; e < d.edges.size(); ++e) objective.addObjective(p.columns.t + static_cast<std::uint32_t>(e), 0.5);
    for (std::uint32_t v = 0; v < d.vertices(); ++v) objective.addObjective(p.columns.w + v, -1);
    for (std::uint32_t k = 0; k < d.circles.size(); ++k) objective.addObjective(p.columns.s + k, 1);
}

DcjProgram buildDcjProgram(const GenomePair& pair, const MatchingModel& model) {
    DcjProgram p;
    p.diagram = buildDcjDiagram(pair, model);
    for (const DcjFamily& f : p.diagram.families) {
        p.lowerPairs += f.range.lower;
        p.upperPairs += f.range.upper;
    }
    addDcjColumns(p);
    for (const std::string_view group : kDcjGroups) addDcjRows(p, group);
    addDcjObjective(p);
    return p;
}

std::string describeDcjCounts(const DcjProgram& p) {
    std::string text = std::to_string(p.lp.columns.size()) + " variables (";
    const std::string_view kinds = "zxtywrs";
    for (std::size_t k = 0; k < kinds.size(); ++k) {
        if (k != 0) text += ", ";
        text += std::to_string(p.columns.count(kinds[k], p.lp)) + " " + kinds[k];
    }
    return text + "), " + std::to_string(p.lp.rows.size()) + " constraints";
}

}  // namespace rp::model
