#include "dcj/dcj_score.hpp"

#include <algorithm>
#include <vector>

namespace rp::model {
namespace {

// The relational diagram of two genomes. Vertices are gene extremities,
// 2 x gene + 1 for the head, genes of A first and then those of B. Every
// vertex has an adjacency edge (or ends at a telomere) and one other edge:
// to the same extremity of its partner, or, for a singular gene, to its own
// other extremity (an indel edge).
struct Diagram {
    std::uint32_t genesOfA = 0;
    std::vector<std::uint32_t> adjacent;  // kNoPartner at a telomere
    std::vector<std::uint32_t> other;
    bool inA(std::uint32_t v) const { return v / 2 < genesOfA; }
    bool indel(std::uint32_t v) const { return other[v] == (v ^ 1U); }
};

void addAdjacencies(const Structure& s, std::uint32_t firstGene, std::vector<std::uint32_t>& adjacent) {
    const auto exitOf = [](std::uint32_t gene, const Gene& g) { return 2 * gene + (g.strand == -1 ? 0 : 1); };
    const auto entryOf = [](std::uint32_t gene, const Gene& g) { return 2 * gene + (g.strand == -1 ? 1 : 0); };
    std::uint32_t gene = firstGene;
    for (const Chromosome& c : s.chromosomes) {
        const auto size = static_cast<std::uint32_t>(c.genes.size());
        for (std::uint32_t p = 0; p + 1 < size; ++p) {
            const std::uint32_t x = exitOf(gene + p, c.genes[p]);
            const std::uint32_t y = entryOf(gene + p + 1, c.genes[p + 1]);
            adjacent[x] = y;
            adjacent[y] = x;
        }
        if (c.circular && size > 0) {
            const std::uint32_t x = exitOf(gene + size - 1, c.genes[size - 1]);
            const std::uint32_t y = entryOf(gene, c.genes[0]);
            adjacent[x] = y;
            adjacent[y] = x;
        }
        gene += size;
    }
}

Diagram diagramOf(const Structure& a, const Structure& b, const MatchedGenes& genes) {
    Diagram d;
    d.genesOfA = genes.startsA.back();
    const std::uint32_t total = d.genesOfA + genes.startsB.back();
    d.adjacent.assign(2 * std::size_t{total}, kNoPartner);
    addAdjacencies(a, 0, d.adjacent);
    addAdjacencies(b, d.genesOfA, d.adjacent);
    d.other.resize(d.adjacent.size());
    for (std::uint32_t v = 0; v < d.other.size(); ++v) {
        const std::uint32_t gene = v / 2;
        const std::uint32_t partner = gene < d.genesOfA ? genes.partnerOfA[gene]
                                                        : genes.partnerOfB[gene - d.genesOfA];
        if (partner == kNoPartner)
            d.other[v] = v ^ 1U;
        else
            d.other[v] = 2 * (gene < d.genesOfA ? partner + d.genesOfA : partner) + v % 2;
    }
    return d;
}

// The runs of indel edges met along a component: how many, the genome of the
// first and of the last (true for A).
struct Runs {
    std::size_t count = 0;
    bool firstInA = false;
    bool lastInA = false;
    void add(bool inA) {
        if (count > 0 && lastInA == inA) return;
        if (count++ == 0) firstInA = inA;
        lastInA = inA;
    }
};

// Walks from `start` along its other edge, then the adjacency edge, and so on,
// until a telomere or back at `start`; returns the vertex where it stopped
// (its adjacency is kNoPartner at a telomere).
std::uint32_t walk(const Diagram& d, std::uint32_t start, std::vector<bool>& visited, Runs& runs) {
    std::uint32_t v = start;
    for (;;) {
        const std::uint32_t w = d.other[v];
        visited[v] = visited[w] = true;
        if (d.indel(v)) runs.add(d.inA(v));
        const std::uint32_t next = d.adjacent[w];
        if (next == kNoPartner || next == start) return w;
        v = next;
    }
}

// A piece from a telomere to the nearest run.
void countEnd(bool telomereInA, bool runInA, DcjScore& score) {
    std::size_t& piece = telomereInA ? (runInA ? score.pAa : score.pAb) : (runInA ? score.pBa : score.pBb);
    ++piece;
}

void countPath(bool startInA, bool endInA, const Runs& runs, DcjScore& score) {
    if (runs.count == 0) {
        score.pAB += startInA != endInA;
        return;
    }
    score.pab += runs.count - 1;
    countEnd(startInA, runs.firstInA, score);
    countEnd(endInA, runs.lastInA, score);
}

void countCycle(const Runs& runs, DcjScore& score) {
    std::size_t count = runs.count;
    // The last run goes on into the first.
    if (count > 1 && runs.firstInA == runs.lastInA) --count;
    if (count == 0) ++score.cycles;
    if (count > 1) score.pab += count;
}

std::size_t circularSingletons(const Structure& s, const std::vector<std::uint32_t>& partners) {
    std::size_t count = 0;
    std::size_t gene = 0;
    for (const Chromosome& c : s.chromosomes) {
        const auto end = partners.begin() + static_cast<std::ptrdiff_t>(gene + c.genes.size());
        count += c.circular && !c.genes.empty() &&
                 std::all_of(partners.begin() + static_cast<std::ptrdiff_t>(gene), end,
                             [](std::uint32_t p) { return p == kNoPartner; });
        gene += c.genes.size();
    }
    return count;
}

// ceil(x / 2), negative x included.
std::int64_t halfUp(std::int64_t x) { return x >= 0 ? (x + 1) / 2 : -(-x / 2); }

}  // namespace

DcjScore scoreDcj(const Structure& a, const Structure& b, const Matching& matching) {
    const MatchedGenes genes = indexMatching(a, b, matching);
    const Diagram d = diagramOf(a, b, genes);
    DcjScore score;
    score.matched = matching.size();
    score.deleted = genes.startsA.back() - score.matched;
    score.inserted = genes.startsB.back() - score.matched;
    std::vector<bool> visited(d.adjacent.size(), false);
    for (std::uint32_t v = 0; v < d.adjacent.size(); ++v) {
        if (visited[v] || d.adjacent[v] != kNoPartner) continue;
        Runs runs;
        const std::uint32_t end = walk(d, v, visited, runs);
        countPath(d.inA(v), d.inA(end), runs, score);
    }
    for (std::uint32_t v = 0; v < d.adjacent.size(); ++v) {
        if (visited[v]) continue;
        Runs runs;
        walk(d, v, visited, runs);
        countCycle(runs, score);
    }
    score.singletons = circularSingletons(a, genes.partnerOfA) + circularSingletons(b, genes.partnerOfB);
    const auto signedOf = [](std::size_t x) { return static_cast<std::int64_t>(x); };
    const std::int64_t ends = signedOf(score.pab) + signedOf(std::max(score.pAa, score.pBa)) +
                              signedOf(std::max(score.pAb, score.pBb)) - signedOf(score.pAB);
    score.distance = signedOf(score.matched) - signedOf(score.cycles) + halfUp(ends) + signedOf(score.singletons);
    return score;
}

}  // namespace rp::model
