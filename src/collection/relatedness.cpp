#include "collection/relatedness.hpp"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string_view>
#include <unordered_map>

#include "collection/pair_names.hpp"

namespace rp::collection {

FamilySets familySets(const std::vector<Structure>& genomes) {
    FamilySets sets;
    std::unordered_map<std::string_view, std::uint32_t> number;
    sets.ofGenome.resize(genomes.size());
    for (std::size_t g = 0; g < genomes.size(); ++g) {
        std::vector<std::uint32_t>& own = sets.ofGenome[g];
        for (const Chromosome& chromosome : genomes[g].chromosomes)
            for (const Gene& gene : chromosome.genes) {
                const auto [at, added] = number.emplace(gene.name, static_cast<std::uint32_t>(number.size()));
                own.push_back(at->second);
            }
        std::sort(own.begin(), own.end());
        own.erase(std::unique(own.begin(), own.end()), own.end());
    }
    sets.families = number.size();
    return sets;
}

std::size_t dropCommonFamilies(FamilySets& sets, double maxShare) {
    std::vector<std::size_t> holders(sets.families, 0);
    for (const auto& own : sets.ofGenome)
        for (const std::uint32_t f : own) ++holders[f];
    const double most = maxShare * static_cast<double>(sets.ofGenome.size());
    std::vector<bool> common(sets.families, false);
    std::size_t dropped = 0;
    for (std::size_t f = 0; f < sets.families; ++f) {
        common[f] = static_cast<double>(holders[f]) > most;
        dropped += common[f] ? 1 : 0;
    }
    if (dropped == 0) return 0;
    for (auto& own : sets.ofGenome)
        own.erase(std::remove_if(own.begin(), own.end(), [&](std::uint32_t f) { return common[f]; }), own.end());
    return dropped;
}

double containmentOf(std::size_t shared, std::size_t inA, std::size_t inB) {
    const std::size_t fewer = std::min(inA, inB);
    return fewer == 0 ? 0.0 : static_cast<double>(shared) / static_cast<double>(fewer);
}

double jaccardOf(std::size_t shared, std::size_t inA, std::size_t inB) {
    const std::size_t either = inA + inB - shared;
    return either == 0 ? 0.0 : static_cast<double>(shared) / static_cast<double>(either);
}

namespace {

// The genomes of each family, in increasing order.
std::vector<std::vector<std::uint32_t>> invertedIndex(const FamilySets& sets) {
    std::vector<std::uint32_t> sizes(sets.families, 0);
    for (const auto& own : sets.ofGenome)
        for (const std::uint32_t f : own) ++sizes[f];
    std::vector<std::vector<std::uint32_t>> genomesOf(sets.families);
    for (std::size_t f = 0; f < sets.families; ++f) genomesOf[f].reserve(sizes[f]);
    for (std::size_t g = 0; g < sets.ofGenome.size(); ++g)
        for (const std::uint32_t f : sets.ofGenome[g]) genomesOf[f].push_back(static_cast<std::uint32_t>(g));
    return genomesOf;
}

}  // namespace

Relatedness relatedPairs(const FamilySets& sets, double minContainment, const RelatednessProgress& progress) {
    const std::vector<std::vector<std::uint32_t>> genomesOf = invertedIndex(sets);
    const std::size_t total = sets.ofGenome.size();
    std::vector<std::uint32_t> shared(total, 0);
    std::vector<std::uint32_t> touched;
    Relatedness result;
    std::vector<RelatedPair>& kept = result.kept;
    for (std::uint32_t a = 0; a < total; ++a) {
        // Count, for every later genome, the families it shares with a.
        for (const std::uint32_t f : sets.ofGenome[a]) {
            const std::vector<std::uint32_t>& holders = genomesOf[f];
            auto from = std::upper_bound(holders.begin(), holders.end(), a);
            for (; from != holders.end(); ++from) {
                if (shared[*from]++ == 0) touched.push_back(*from);
            }
        }
        std::sort(touched.begin(), touched.end());
        const std::size_t inA = sets.ofGenome[a].size();
        for (const std::uint32_t b : touched) {
            const std::size_t inB = sets.ofGenome[b].size();
            const double containment = containmentOf(shared[b], inA, inB);
            if (containment >= minContainment)
                kept.push_back({a, b, shared[b], containment, jaccardOf(shared[b], inA, inB)});
            shared[b] = 0;
        }
        result.sharing += touched.size();
        touched.clear();
        if (progress && ((a + 1) % 1000 == 0 || a + 1 == total)) progress(a + 1, total, kept.size());
    }
    return result;
}

namespace {

void checkSheetName(const std::string& name) {
    const bool blankEnd = !name.empty() && (name.front() == ' ' || name.back() == ' ');
    if (blankEnd || name.find_first_of("\t\n\r") != std::string::npos)
        throw std::runtime_error("genome name \"" + name +
                                 "\" holds a tab, a line break or a blank at an end; a sheet cannot carry it");
}

}  // namespace

void writeRelatedSheet(std::ostream& out, const GenomeCollection& collection,
                       const std::vector<std::string>& genomesColumn, const std::vector<RelatedPair>& pairs) {
    for (const Structure& genome : collection.genomes) checkSheetName(genome.name);
    out << "pair\tgenomes\ta\tb\tcontainment\tjaccard\n";
    PairNamer namer;
    char numbers[64];
    for (const RelatedPair& p : pairs) {
        const std::string& a = collection.genomes[p.a].name;
        const std::string& b = collection.genomes[p.b].name;
        const std::size_t fileA = collection.fileOf[p.a];
        const std::string& genomes = fileA == collection.fileOf[p.b] ? genomesColumn[fileA] : std::string();
        std::snprintf(numbers, sizeof numbers, "%.6f\t%.6f", p.containment, p.jaccard);
        out << namer.next(a, b) << '\t' << genomes << '\t' << a << '\t' << b << '\t' << numbers << '\n';
    }
}

}  // namespace rp::collection
