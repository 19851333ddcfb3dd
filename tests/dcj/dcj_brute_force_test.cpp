// The DCJ-indel distance by breadth-first search over genomes, against the
// formula of scoreDcj on seeded random pairs of a few genes.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "support/dcj_score_print.hpp"
#include "dcj/dcj_score.hpp"

namespace rp::model {
namespace {

// A genome as the partner of every extremity (marker m: tail 2m, head
// 2m + 1): another extremity (an adjacency), kTelomere, or kAbsent for a
// marker not in the genome.
using State = std::string;
constexpr char kTelomere = 100;
constexpr char kAbsent = 101;

// Markers 0..common-1 are in both genomes, then those of A only, then those
// of B only. Searching from B back to A, the markers of B only are deleted
// and those of A only inserted: `backward` swaps the roles.
struct Universe {
    int common = 0, onlyA = 0, onlyB = 0;
    bool backward = false;
    int markers() const { return common + onlyA + onlyB; }
    bool inAOnly(int m) const { return m >= common && m < common + onlyA; }
    bool inBOnly(int m) const { return m >= common + onlyA; }
    bool deletable(int m) const { return backward ? inBOnly(m) : inAOnly(m); }
    bool insertable(int m) const { return backward ? inAOnly(m) : inBOnly(m); }
};

void join(State& s, int x, int y) {
    s[x] = static_cast<char>(y);
    s[y] = static_cast<char>(x);
}

// Every DCJ: fissions, fusions and circularisations, and both rejoinings of
// an adjacency with a telomere or another adjacency.
template <class Emit>
void forEachDcj(const State& s, Emit&& emit) {
    const int size = static_cast<int>(s.size());
    std::vector<std::pair<int, int>> ends;  // adjacencies, and telomeres as (x, -1)
    for (int x = 0; x < size; ++x)
        if (s[x] == kTelomere)
            ends.push_back({x, -1});
        else if (s[x] != kAbsent && x < s[x])
            ends.push_back({x, s[x]});
    for (std::size_t i = 0; i < ends.size(); ++i) {
        const auto [p, q] = ends[i];
        if (q >= 0) {
            State t = s;
            t[p] = t[q] = kTelomere;
            emit(t);
        }
        for (std::size_t j = i + 1; j < ends.size(); ++j) {
            const auto [r, u] = ends[j];
            if (q < 0 && u < 0) {
                State t = s;
                join(t, p, r);
                emit(t);
            } else if (q >= 0 && u >= 0) {
                State t = s;
                join(t, p, r);
                join(t, q, u);
                emit(t);
                join(t, p, u);
                join(t, q, r);
                emit(t);
            } else {
                const int a1 = q >= 0 ? p : r, a2 = q >= 0 ? q : u, tel = q >= 0 ? r : p;
                State t = s;
                join(t, a1, tel);
                t[a2] = kTelomere;
                emit(t);
                t = s;
                join(t, a2, tel);
                t[a1] = kTelomere;
                emit(t);
            }
        }
    }
}

// Every deletion of a contiguous stretch of A-only markers, entered at
// extremity `entry`, a whole chromosome of them included.
template <class Emit>
void forEachDeletion(const State& s, const Universe& u, Emit&& emit) {
    for (int entry = 0; entry < static_cast<int>(s.size()); ++entry) {
        if (!u.deletable(entry / 2) || s[entry] == kAbsent) continue;
        std::vector<int> stretch;
        for (int at = entry;;) {
            stretch.push_back(at / 2);
            const int exit = at ^ 1;
            State t = s;
            for (const int m : stretch) t[2 * m] = t[2 * m + 1] = kAbsent;
            const int left = s[entry], right = s[exit];
            if (left != exit) {  // otherwise the stretch was a whole circle
                if (left != kTelomere && right != kTelomere)
                    join(t, left, right);
                else if (left != kTelomere)
                    t[left] = kTelomere;
                else if (right != kTelomere)
                    t[right] = kTelomere;
            }
            emit(t);
            if (right == kTelomere || right == entry || !u.deletable(right / 2)) break;
            at = right;
        }
    }
}

// Every insertion of a signed sequence of B-only markers still absent: as a
// linear or circular chromosome, into an adjacency, or at a telomere.
template <class Emit>
void forEachInsertion(const State& s, const Universe& u, Emit&& emit) {
    std::vector<int> absent;
    for (int m = 0; m < u.markers(); ++m)
        if (u.insertable(m) && s[2 * m] == kAbsent) absent.push_back(m);
    const int count = static_cast<int>(absent.size());
    for (int subset = 1; subset < (1 << count); ++subset) {
        std::vector<int> chosen;
        for (int i = 0; i < count; ++i)
            if (subset & (1 << i)) chosen.push_back(absent[i]);
        do {
            const int k = static_cast<int>(chosen.size());
            for (int signs = 0; signs < (1 << k); ++signs) {
                State t = s;
                const auto entryOf = [&](int i) { return 2 * chosen[i] + ((signs >> i) & 1); };
                const auto exitOf = [&](int i) { return entryOf(i) ^ 1; };
                for (int i = 0; i + 1 < k; ++i) join(t, exitOf(i), entryOf(i + 1));
                const int first = entryOf(0), last = exitOf(k - 1);
                State linear = t;
                linear[first] = linear[last] = kTelomere;
                emit(linear);
                State circular = t;
                join(circular, first, last);
                emit(circular);
                for (int x = 0; x < static_cast<int>(s.size()); ++x) {
                    if (s[x] == kAbsent || (s[x] != kTelomere && s[x] < x)) continue;
                    State into = t;
                    if (s[x] == kTelomere) {
                        into[last] = kTelomere;
                    } else {
                        join(into, last, s[x]);
                    }
                    join(into, x, first);
                    emit(into);
                }
            }
        } while (std::next_permutation(chosen.begin(), chosen.end()));
    }
}

using Seen = std::unordered_map<State, int>;

// Every genome one operation away from the last layer of `seen`, added with
// the next depth; returns the least total depth of one met in `other`, or -1.
int expandLayer(std::vector<State>& layer, Seen& seen, const Seen& other, const Universe& u) {
    std::vector<State> next;
    int met = -1;
    for (const State& s : layer) {
        const int depth = seen.at(s);
        const auto visit = [&](const State& t) {
            if (!seen.emplace(t, depth + 1).second) return;
            next.push_back(t);
            const auto there = other.find(t);
            if (there != other.end() && (met < 0 || depth + 1 + there->second < met)) met = depth + 1 + there->second;
        };
        forEachDcj(s, visit);
        forEachDeletion(s, u, visit);
        forEachInsertion(s, u, visit);
    }
    layer = std::move(next);
    return met;
}

// The least number of operations from `from` to `to` by a breadth-first
// search from both ends, a whole layer at a time (operations are undone by
// operations: a DCJ by a DCJ, a deletion by an insertion); -1 beyond `limit`.
int leastOperations(const State& from, const State& to, const Universe& u, int limit) {
    if (from == to) return 0;
    Universe back = u;
    back.backward = true;
    Seen seenFrom{{from, 0}}, seenTo{{to, 0}};
    std::vector<State> layerFrom{from}, layerTo{to};
    for (int depth = 1; depth <= limit && !layerFrom.empty() && !layerTo.empty(); ++depth) {
        const bool forward = layerFrom.size() <= layerTo.size();
        const int met = forward ? expandLayer(layerFrom, seenFrom, seenTo, u)
                                : expandLayer(layerTo, seenTo, seenFrom, back);
        if (met >= 0) return met;
    }
    return -1;
}

// A random genome of `markers`: shuffled, random strands, cut into one to
// three chromosomes, each linear or circular.
struct RandomGenome {
    State state;
    Structure structure;
};

RandomGenome randomGenome(std::vector<int> markers, const Universe& u, std::mt19937& random) {
    const auto nameOf = [&](int m) {
        std::string name(m < u.common ? "c" : u.inAOnly(m) ? "x" : "y");
        return name + std::to_string(m);
    };
    std::shuffle(markers.begin(), markers.end(), random);
    RandomGenome g{State(2 * static_cast<std::size_t>(u.markers()), kAbsent), {}};
    std::size_t at = 0;
    while (at < markers.size()) {
        const std::size_t left = markers.size() - at;
        const std::size_t size = std::uniform_int_distribution<std::size_t>(1, left)(random);
        Chromosome c;
        c.circular = random() % 3 == 0;
        std::vector<int> entries, exits;
        for (std::size_t i = at; i < at + size; ++i) {
            const bool reverse = random() % 2 == 0;
            c.genes.push_back(Gene{nameOf(markers[i]), 1, reverse ? -1 : 1, false});
            entries.push_back(2 * markers[i] + (reverse ? 1 : 0));
            exits.push_back(2 * markers[i] + (reverse ? 0 : 1));
        }
        for (std::size_t i = 0; i + 1 < size; ++i) join(g.state, exits[i], entries[i + 1]);
        if (c.circular) {
            join(g.state, exits.back(), entries.front());
        } else {
            g.state[entries.front()] = kTelomere;
            g.state[exits.back()] = kTelomere;
        }
        g.structure.chromosomes.push_back(std::move(c));
        at += size;
    }
    return g;
}

// The same genome written otherwise: the chromosomes in another order, every
// circular one turned by `turn` genes, and every chromosome read from its
// other end when `turn` is odd.
Structure rewritten(Structure s, std::size_t turn) {
    if (!s.chromosomes.empty())
        std::rotate(s.chromosomes.begin(),
                    s.chromosomes.begin() + static_cast<std::ptrdiff_t>(turn % s.chromosomes.size()),
                    s.chromosomes.end());
    for (Chromosome& c : s.chromosomes) {
        if (c.circular)
            std::rotate(c.genes.begin(), c.genes.begin() + static_cast<std::ptrdiff_t>(turn % c.genes.size()),
                        c.genes.end());
        if (turn % 2 == 0) continue;
        std::reverse(c.genes.begin(), c.genes.end());
        for (Gene& g : c.genes) g.strand = -g.strand;
    }
    return s;
}

// The counts belong to the diagram, not to where the walks start.
void expectTheSameWhereverTheWalksStart(const Structure& a, const Structure& b, const DcjScore& score, int pair) {
    for (std::size_t turn = 1; turn < 6; ++turn) {
        std::vector<Structure> structures{rewritten(a, turn), rewritten(b, turn + 1)};
        EXPECT_EQ(scoreDcj(structures[0], structures[1], matchByLabels(selectPair(structures, 2))), score)
            << "pair " << pair << ", turned by " << turn;
    }
}

TEST(DcjBruteForce, TheFormulaEqualsTheLeastNumberOfOperations) {
    std::mt19937 random(20261209);
    const int pairs = 400;
    int withIndels = 0, withSingletons = 0, withRunChanges = 0, rounded = 0, maxDecides = 0, far = 0;
    for (int i = 0; i < pairs; ++i) {
        Universe u;
        u.common = static_cast<int>(random() % 5);
        u.onlyA = static_cast<int>(random() % 3);
        u.onlyB = static_cast<int>(random() % 3);
        if (i % 4 == 0) {  // runs of two or more indel edges in cycles of both kinds of runs
            u.common = 1 + static_cast<int>(random() % 2);
            u.onlyA = 2;
            u.onlyB = 1 + static_cast<int>(random() % 2);
        }
        while (u.markers() > 6) --(u.onlyA > u.onlyB ? u.onlyA : u.onlyB);
        std::vector<int> inA, inB;
        for (int m = 0; m < u.markers(); ++m) {
            if (!u.inBOnly(m)) inA.push_back(m);
            if (!u.inAOnly(m)) inB.push_back(m);
        }
        const RandomGenome a = randomGenome(inA, u, random);
        const RandomGenome b = randomGenome(inB, u, random);
        std::vector<Structure> structures{a.structure, b.structure};
        const DcjScore score = scoreDcj(a.structure, b.structure, matchByLabels(selectPair(structures, 2)));
        ASSERT_EQ(score.matched, static_cast<std::size_t>(u.common));
        const int least = leastOperations(a.state, b.state, u, static_cast<int>(score.distance) + 1);
        ASSERT_EQ(least, score.distance) << "pair " << i << ": " << u.common << " common, " << u.onlyA
                                         << " in A only, " << u.onlyB << " in B only";
        expectTheSameWhereverTheWalksStart(a.structure, b.structure, score, i);
        withIndels += u.onlyA + u.onlyB > 0;
        withSingletons += score.singletons > 0;
        withRunChanges += score.pab > 0;
        const std::size_t ends = score.pab + std::max(score.pAa, score.pBa) + std::max(score.pAb, score.pBb);
        rounded += (ends + score.pAB) % 2 == 1;
        maxDecides += std::min(score.pAa, score.pBa) + std::min(score.pAb, score.pBb) > 0;
        far += least >= 4;
    }
    // The pairs reach the terms that need care.
    EXPECT_GT(withIndels, pairs / 2);
    EXPECT_GT(withSingletons, 10);
    EXPECT_GT(withRunChanges, 10);
    EXPECT_GT(rounded, 10);
    EXPECT_GT(maxDecides, 10);
    EXPECT_GT(far, pairs / 10);
}

}  // namespace
}  // namespace rp::model
