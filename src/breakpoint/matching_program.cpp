#include "breakpoint/matching_program.hpp"
#include "text/quoting.hpp"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <unordered_map>

#include "breakpoint/program_stages.hpp"

namespace rp::model {

namespace {

// a1 ... aN (objective 2 each) and t1 ... tM (objective 1 each).
void addCandidateColumns(MatchingProgram& program) {
    program.columns.reserve(program.zCount + program.adjacencyCandidates + program.telomereCandidates);
    for (std::size_t k = 0; k < program.adjacencyCandidates + program.telomereCandidates; ++k) {
        const bool adjacency = k < program.adjacencyCandidates;
        std::string name(1, adjacency ? 'a' : 't');
        stages::appendNumber(name, (adjacency ? k : k - program.adjacencyCandidates) + 1);
        program.objective.emplace_back(program.addColumn(std::move(name), lp::Type::binary, 0, 1),
                                       static_cast<std::int8_t>(adjacency ? 2 : 1));
    }
}

}  // namespace

MatchingProgram buildMatchingProgram(const GenomePair& pair, const MatchingModel& model) {
    using namespace stages;
    checkBounds(model, pair);
    ProgramFamilies pf = collectFamilies(pair, model);
    MatchingProgram program;
    for (const Family& f : pf.families) {
        if (!f.inBoth()) continue;
        ++program.families;
        program.pairs += f.lower;
        program.upperPairs += f.upper;
    }
    program.direction = lp::Direction::maximize;
    program.layout.binaryAlways = true;
    std::vector<std::string> zNames = nameZVariables(pf.families);
    program.zCount = zNames.size();
    program.columns.reserve(zNames.size());
    for (std::string& name : zNames) program.addColumn(std::move(name), lp::Type::binary, 0, 1);
    const std::vector<Span> spansA = enumerateSpans(pf.a, pf.families, true);
    const std::vector<Span> spansB = enumerateSpans(pf.b, pf.families, false);
    const Candidates candidates =
        findCandidates(pf, spansA, spansB, static_cast<std::uint32_t>(program.zCount));
    const std::uint64_t variables =
        program.zCount + candidates.adjacencies.size() + candidates.telomeres.size();
    if (variables > kMaxProgramItems) tooLarge(std::to_string(variables) + " variables");
    program.adjacencyCandidates = candidates.adjacencies.size();
    program.telomereCandidates = candidates.telomeres.size();
    addCandidateColumns(program);

    addCountRows(program, pf.families);
    addDegreeRows(program, pf.a, pf.families, true);
    addDegreeRows(program, pf.b, pf.families, false);
    addLinkRows(program, candidates);
    addGapRows(program, pf.a, spansA, candidates, pf.families, true);
    addGapRows(program, pf.b, spansB, candidates, pf.families, false);
    return program;
}

std::vector<std::string> familiesPastIndexLimit(const std::vector<Structure>& structures, const GenomePair& pair,
                                                const MatchingModel& model) {
    std::unordered_map<std::string_view, std::pair<std::uint32_t, std::uint32_t>> counts;
    std::vector<std::string_view> order;
    for (const Chromosome& c : pair.a->chromosomes)
        for (const Gene& g : c.genes) {
            auto [it, added] = counts.try_emplace(g.name, 0, 0);
            if (added) order.push_back(g.name);
            ++it->second.first;
        }
    for (const Chromosome& c : pair.b->chromosomes)
        for (const Gene& g : c.genes)
            if (const auto it = counts.find(g.name); it != counts.end()) ++it->second.second;
    std::unordered_map<std::string_view, std::uint32_t> usedIndices;  // bit i: index i in use
    for (const std::string_view name : order) {
        const auto [a, b] = counts[name];
        if (b != 0 && a > familyRange(model, name, a, b).lower) usedIndices.emplace(name, 0);
    }
    if (usedIndices.empty()) return {};
    for (const Structure& s : structures)
        for (const Chromosome& c : s.chromosomes)
            for (const Gene& g : c.genes)
                if (g.copy >= 1 && g.copy <= 19)
                    if (const auto it = usedIndices.find(g.name); it != usedIndices.end())
                        it->second |= std::uint32_t{1} << g.copy;
    std::vector<std::string> past;
    constexpr std::uint32_t kAll = ((std::uint32_t{1} << 20) - 1) & ~std::uint32_t{1};
    for (const std::string_view name : order)
        if (const auto it = usedIndices.find(name); it != usedIndices.end() && it->second == kAll)
            past.emplace_back(name);
    return past;
}

}  // namespace rp::model
