#include "breakpoint/matching_program.hpp"
#include "text/quoting.hpp"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <unordered_map>

#include "lp/lp_text.hpp"
#include "breakpoint/program_stages.hpp"

namespace rp::model {

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
    program.zNames = nameZVariables(pf.families);
    const std::vector<Span> spansA = enumerateSpans(pf.a, pf.families, true);
    const std::vector<Span> spansB = enumerateSpans(pf.b, pf.families, false);
    const Candidates candidates =
        findCandidates(pf, spansA, spansB, static_cast<std::uint32_t>(program.zNames.size()));
    const std::uint64_t variables =
        program.zNames.size() + candidates.adjacencies.size() + candidates.telomeres.size();
    if (variables > kMaxProgramItems) tooLarge(std::to_string(variables) + " variables");
    program.adjacencyCandidates = candidates.adjacencies.size();
    program.telomereCandidates = candidates.telomeres.size();

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

void writeLp(std::ostream& out, const MatchingProgram& program, const std::vector<std::string>& comment) {
    static_assert(3 + 12 + kMaxLpName + 200 <= kMaxLpLine + 60);
    LpText lp(out);
    lp.comments(comment);
    const std::size_t zCount = program.zNames.size();
    using stages::appendNumber;
    std::string scratch;
    const auto nameOf = [&](std::uint32_t variable) -> std::string_view {
        if (variable < zCount) return program.zNames[variable];
        const std::size_t k = variable - zCount;
        scratch.clear();
        scratch.push_back(k < program.adjacencyCandidates ? 'a' : 't');
        appendNumber(scratch, (k < program.adjacencyCandidates ? k : k - program.adjacencyCandidates) + 1);
        return scratch;
    };
    const bool empty = program.variables() == 0;
    lp.line("Maximize");
    lp.begin("obj");
    if (program.adjacencyCandidates + program.telomereCandidates == 0) {
        lp.term(0, empty ? std::string_view("none") : std::string_view(program.zNames[0]), true);
    } else {
        for (std::size_t k = 0; k < program.adjacencyCandidates + program.telomereCandidates; ++k) {
            const auto variable = static_cast<std::uint32_t>(zCount + k);
            lp.term(k < program.adjacencyCandidates ? 2 : 1, nameOf(variable), k == 0);
        }
    }
    lp.end("");
    lp.line("Subject To");
    for (std::size_t r = 0; r < program.rows.size(); ++r) {
        const MatchingProgram::Row& row = program.rows[r];
        lp.begin(row.name);
        const std::size_t terms = program.termsOf(r);
        for (std::size_t i = 0; i < terms; ++i)
            lp.term(program.termCoefficients[row.firstTerm + i], nameOf(program.termVariables[row.firstTerm + i]),
                    i == 0);
        std::string tail = row.sense == MatchingProgram::Sense::equal          ? " = "
                           : row.sense == MatchingProgram::Sense::greaterEqual ? " >= "
                                                                               : " <= ";
        appendNumber(tail, static_cast<std::uint64_t>(row.rhs));
        lp.end(tail);
    }
    // No pair at all: one empty variable keeps the program readable.
    if (empty) lp.line(" none: none <= 0");
    lp.line("Binary");
    for (std::uint32_t v = 0; v < program.variables(); ++v) lp.word(nameOf(v));
    if (empty) lp.word("none");
    lp.newline();
    lp.line("End");
}

}  // namespace rp::model
