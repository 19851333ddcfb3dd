// The extremities of genes numbered across a pair of genomes: gene g has
// its tail at vertex 2g and its head at 2g + 1. A gene is entered at its
// tail and left at its head as its chromosome reads, the other way round
// when it is reversed; a chromosome's adjacencies join each gene's exit to
// the next one's entry (and the last to the first on a circular one).
#pragma once

#include <cstdint>

#include "structs/structure.hpp"

namespace rp::model {

// The vertex by which the chromosome's gene at `position` is entered, and
// the one by which it is left, when its first gene is gene number `first`.
inline std::uint32_t entryVertex(const Chromosome& c, std::uint32_t first, std::uint32_t position) {
    return 2 * (first + position) + (c.genes[position].strand == -1 ? 1 : 0);
}
inline std::uint32_t exitVertex(const Chromosome& c, std::uint32_t first, std::uint32_t position) {
    return 2 * (first + position) + (c.genes[position].strand == -1 ? 0 : 1);
}

// Calls link(x, y) for every adjacency of the chromosome.
template <class Link>
void linkChromosome(const Chromosome& c, std::uint32_t first, Link link) {
    const auto n = static_cast<std::uint32_t>(c.genes.size());
    if (n == 0) return;
    for (std::uint32_t p = 0; p + 1 < n; ++p) link(exitVertex(c, first, p), entryVertex(c, first, p + 1));
    if (c.circular) link(exitVertex(c, first, n - 1), entryVertex(c, first, 0));
}

}  // namespace rp::model
