#include "resolve/renumber.hpp"

#include <set>
#include <string_view>
#include <unordered_map>

namespace rp {
namespace {

bool recordable(std::int32_t copy) { return copy >= 0 && copy < kCopySlots; }

}  // namespace

UsedCopyTable buildUsedCopyTable(const std::vector<Structure>& structures) {
    // Rows are gathered by hash over the genes' own names (millions of genes,
    // thousands of families), then ordered once per family.
    std::unordered_map<std::string_view, UsedCopyTable::mapped_type> rows;
    for (const Structure& structure : structures)
        for (const Chromosome& chromosome : structure.chromosomes)
            for (const Gene& gene : chromosome.genes) {
                auto& row = rows[gene.name];  // a new row starts all clear
                if (recordable(gene.copy)) row[static_cast<std::size_t>(gene.copy)] = true;
            }
    UsedCopyTable table;
    for (const auto& [family, row] : rows) table.emplace(std::string(family), row);
    return table;
}

void renumberCopies(const AssignmentMap& decisions, std::vector<Structure>& structures) {
    if (structures.empty()) return;
    Structure& first = structures.front();

    CopyKey key;
    for (Chromosome& chromosome : first.chromosomes)
        for (Gene& gene : chromosome.genes) {
            key.family = gene.name;
            key.copy = gene.copy;
            const auto found = decisions.find(key);
            if (found == decisions.end()) continue;
            gene.copy = found->second.toCopy;
            gene.resolved = true;
        }

    std::set<std::string, std::less<>> assignedFamilies;
    for (const auto& entry : decisions) assignedFamilies.insert(entry.first.family);

    UsedCopyTable used = buildUsedCopyTable(structures);
    for (Chromosome& chromosome : first.chromosomes)
        for (Gene& gene : chromosome.genes) {
            if (gene.resolved || !assignedFamilies.contains(gene.name)) continue;
            auto& row = used[gene.name];
            for (std::size_t copy = 1; copy < kCopySlots; ++copy)
                if (!row[copy]) {
                    row[copy] = true;
                    gene.copy = static_cast<std::int32_t>(copy);
                    break;
                }
        }
}

}  // namespace rp
