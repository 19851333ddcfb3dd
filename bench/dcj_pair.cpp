// rp-bench-dcj-pair: a seeded simulated pair of genomes for the DCJ-indel
// programs, as a structures file on standard output. An ancestor of MARKERS
// genes, a share EXTRA of them further copies of its families, on
// CHROMOSOMES linear chromosomes; each of the two lineages then undergoes
// MARKERS/10 inversions and MARKERS/100 each of translocations, segmental
// duplications, deletions and insertions of 1 to 3 genes.
//   rp-bench-dcj-pair MARKERS CHROMOSOMES EXTRA SEED
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

struct Marker {
    std::uint32_t family = 0;
    bool reverse = false;
};
using Genome = std::vector<std::vector<Marker>>;

struct Simulation {
    std::mt19937_64 rng;
    std::uint32_t families = 0;

    std::size_t pick(std::size_t lo, std::size_t hi) { return std::uniform_int_distribution<std::size_t>(lo, hi)(rng); }
    std::vector<Marker>& someChromosome(Genome& g) {
        for (;;) {
            std::vector<Marker>& c = g[pick(0, g.size() - 1)];
            if (!c.empty() || g.size() == 1) return c;
        }
    }
    void invert(Genome& g) {
        std::vector<Marker>& c = someChromosome(g);
        if (c.empty()) return;
        const std::size_t from = pick(0, c.size() - 1), to = std::min(c.size(), from + pick(1, 10));
        std::reverse(c.begin() + static_cast<std::ptrdiff_t>(from), c.begin() + static_cast<std::ptrdiff_t>(to));
        for (std::size_t i = from; i < to; ++i) c[i].reverse = !c[i].reverse;
    }
    void translocate(Genome& g) {
        if (g.size() < 2) return;
        std::vector<Marker>& x = g[pick(0, g.size() - 1)];
        std::vector<Marker>& y = g[pick(0, g.size() - 1)];
        if (&x == &y) return;
        const std::size_t i = pick(0, x.size()), j = pick(0, y.size());
        std::vector<Marker> tailX(x.begin() + static_cast<std::ptrdiff_t>(i), x.end());
        x.resize(i);
        x.insert(x.end(), y.begin() + static_cast<std::ptrdiff_t>(j), y.end());
        y.resize(j);
        y.insert(y.end(), tailX.begin(), tailX.end());
    }
    void duplicate(Genome& g) {
        std::vector<Marker>& c = someChromosome(g);
        if (c.empty()) return;
        const std::size_t from = pick(0, c.size() - 1), to = std::min(c.size(), from + pick(1, 3));
        const std::vector<Marker> copy(c.begin() + static_cast<std::ptrdiff_t>(from),
                                       c.begin() + static_cast<std::ptrdiff_t>(to));
        std::vector<Marker>& target = someChromosome(g);
        target.insert(target.begin() + static_cast<std::ptrdiff_t>(pick(0, target.size())), copy.begin(), copy.end());
    }
    void remove(Genome& g) {
        std::vector<Marker>& c = someChromosome(g);
        if (c.size() < 2) return;
        const std::size_t from = pick(0, c.size() - 1), to = std::min(c.size(), from + pick(1, 3));
        c.erase(c.begin() + static_cast<std::ptrdiff_t>(from), c.begin() + static_cast<std::ptrdiff_t>(to));
    }
    void insert(Genome& g) {
        std::vector<Marker>& c = someChromosome(g);
        const std::size_t at = pick(0, c.size()), n = pick(1, 3);
        for (std::size_t k = 0; k < n; ++k) c.insert(c.begin() + static_cast<std::ptrdiff_t>(at), Marker{families++, pick(0, 1) == 1});
    }
    Genome lineage(Genome g, std::size_t markers) {
        std::vector<int> events;
        events.insert(events.end(), markers / 10, 0);
        for (int kind = 1; kind <= 4; ++kind) events.insert(events.end(), markers / 100, kind);
        std::shuffle(events.begin(), events.end(), rng);
        for (const int e : events) {
            if (e == 0) invert(g);
            else if (e == 1) translocate(g);
            else if (e == 2) duplicate(g);
            else if (e == 3) remove(g);
            else insert(g);
        }
        return g;
    }
};

void write(const Genome& a, const Genome& b) {
    std::map<std::uint32_t, int> copies[2];
    for (int s = 0; s < 2; ++s)
        for (const auto& c : s == 0 ? a : b)
            for (const Marker& m : c) ++copies[s][m.family];
    std::map<std::uint32_t, int> widest;
    for (int s = 0; s < 2; ++s)
        for (const auto& [f, n] : copies[s]) widest[f] = std::max(widest[f], n);
    std::string out = std::to_string(widest.size()) + "\n";
    for (const auto& [f, n] : widest) {
        out += 'f';
        out += std::to_string(f);
        out += ' ';
        out += std::to_string(n);
        out += '\n';
    }
    out += "2\n";
    for (int s = 0; s < 2; ++s) {
        const Genome& g = s == 0 ? a : b;
        std::size_t kept = 0;
        for (const auto& c : g) kept += c.empty() ? 0 : 1;
        out += std::string(s == 0 ? "A" : "B") + " 0 ; " + std::to_string(kept) + " ;\n";
        std::map<std::uint32_t, int> next;
        for (const auto& c : g) {
            if (c.empty()) continue;
            out += "L " + std::to_string(c.size()) + " : ";
            for (const Marker& m : c) {
                out += m.reverse ? "-f" : "+f";
                out += std::to_string(m.family);
                out += '.';
                out += std::to_string(++next[m.family]);
            }
            out += ";\n";
        }
    }
    std::cout << out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::cerr << "usage: rp-bench-dcj-pair MARKERS CHROMOSOMES EXTRA SEED\n";
        return 2;
    }
    const std::size_t markers = std::strtoul(argv[1], nullptr, 10);
    const std::size_t chromosomes = std::max<std::size_t>(1, std::strtoul(argv[2], nullptr, 10));
    const double extra = std::strtod(argv[3], nullptr);
    Simulation sim{std::mt19937_64(std::strtoull(argv[4], nullptr, 10)), 0};
    const auto distinct = std::max<std::size_t>(1, static_cast<std::size_t>(static_cast<double>(markers) * (1 - extra)));
    std::vector<Marker> genes;
    for (std::size_t i = 0; i < markers; ++i)
        genes.push_back(Marker{i < distinct ? static_cast<std::uint32_t>(i) : static_cast<std::uint32_t>(sim.pick(0, distinct - 1)),
                               sim.pick(0, 1) == 1});
    std::shuffle(genes.begin(), genes.end(), sim.rng);
    sim.families = static_cast<std::uint32_t>(distinct);
    Genome ancestor(chromosomes);
    for (std::size_t i = 0; i < markers; ++i) ancestor[i * chromosomes / markers].push_back(genes[i]);
    const Genome a = sim.lineage(ancestor, markers);
    const Genome b = sim.lineage(ancestor, markers);
    write(a, b);
    return 0;
}
