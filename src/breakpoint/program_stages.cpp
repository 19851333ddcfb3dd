#include "breakpoint/program_stages.hpp"

#include <algorithm>
#include <charconv>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace rp::model::stages {

void tooLarge(const std::string& what) {
    throw std::runtime_error("the program would be too large: " + what + " (at most " +
                             std::to_string(kMaxProgramItems) +
                             "); families with very many copies standing side by side?");
}

void appendNumber(std::string& s, std::uint64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    s.append(digits, end);
}

namespace {

using FamilyIndex = std::unordered_map<std::string_view, std::uint32_t>;

// Counts the genes of each family in one genome, adding families on first
// sight.
void countGenes(const Structure& s, bool isA, FamilyIndex& index, std::vector<Family>& families) {
    for (const Chromosome& c : s.chromosomes)
        for (const Gene& g : c.genes) {
            const auto [it, added] = index.try_emplace(g.name, static_cast<std::uint32_t>(families.size()));
            if (added) {
                families.emplace_back();
                families.back().name = g.name;
            }
            Family& f = families[it->second];
            if (isA) {
                ++f.inA;
                f.maxCopyA = std::max(f.maxCopyA, g.copy);
            } else {
                ++f.inB;
                f.maxCopyB = std::max(f.maxCopyB, g.copy);
            }
        }
}

// A family in both genomes must give LP names the solvers read.
void checkName(const Family& f) { checkLpFamilyName(f.name, f.maxCopyA, f.maxCopyB); }

ProgramGenome reduceGenome(const Structure& s, const FamilyIndex& index, std::vector<Family>& families, bool isA) {
    ProgramGenome genome;
    for (const Chromosome& c : s.chromosomes) {
        ProgramChromosome chromosome;
        chromosome.circular = c.circular;
        for (const Gene& g : c.genes) {
            const auto found = index.find(g.name);
            if (found == index.end()) continue;
            Family& f = families[found->second];
            if (!f.inBoth()) continue;
            auto& copies = isA ? f.copiesA : f.copiesB;
            chromosome.genes.push_back(ProgramGene{found->second, static_cast<std::uint32_t>(copies.size()),
                                                   genome.genes++, g.strand == -1 ? -1 : 1});
            copies.push_back(g.copy);
        }
        if (!chromosome.genes.empty()) genome.chromosomes.push_back(std::move(chromosome));
    }
    return genome;
}

// A label twice in one genome would give two variables one name.
void checkLabels(const std::vector<std::int32_t>& copies, const Family& f, const GenomePair& pair, bool isA) {
    std::unordered_set<std::int32_t> seen;
    for (const std::int32_t copy : copies)
        if (!seen.insert(copy).second)
            throw std::runtime_error("label " + std::string(f.name) + "." + std::to_string(copy) + " occurs twice in " +
                                     describeGenome(pair, isA));
}

}  // namespace

ProgramFamilies collectFamilies(const GenomePair& pair, const MatchingModel& model) {
    // familyRange with the bounds looked up by name.
    std::unordered_map<std::string_view, PairRange> bounds;
    for (const FamilyBound& b : model.bounds) bounds.emplace(b.family, b.range);
    FamilyIndex index;
    ProgramFamilies result;
    std::vector<Family>& families = result.families;
    countGenes(*pair.a, true, index, families);
    countGenes(*pair.b, false, index, families);
    for (Family& f : families) {
        if (!f.inBoth()) continue;
        checkName(f);
        const auto bound = bounds.find(f.name);
        const PairRange range = bound != bounds.end() ? bound->second : kindRange(model.kind, f.inA, f.inB);
        f.lower = range.lower;
        f.upper = range.upper;
        f.spareA = f.inA - f.lower;
        f.spareB = f.inB - f.lower;
    }
    result.a = reduceGenome(*pair.a, index, families, true);
    result.b = reduceGenome(*pair.b, index, families, false);
    for (const Family& f : families) {
        if (!f.inBoth()) continue;
        checkLabels(f.copiesA, f, pair, true);
        checkLabels(f.copiesB, f, pair, false);
    }
    return result;
}

std::vector<std::string> nameZVariables(std::vector<Family>& families) {
    std::uint64_t zTotal = 0;
    for (const Family& f : families) zTotal += std::uint64_t{f.inA} * f.inB;
    if (zTotal > kMaxProgramItems) tooLarge(std::to_string(zTotal) + " z variables");
    std::vector<std::string> names;
    names.reserve(zTotal);
    for (Family& f : families) {
        if (!f.inBoth()) continue;
        f.zBase = static_cast<std::uint32_t>(names.size());
        for (const std::int32_t i : f.copiesA)
            for (const std::int32_t j : f.copiesB) {
                std::string name = "z_";
                name.append(f.name);
                name.push_back('.');
                appendNumber(name, static_cast<std::uint64_t>(i));
                name.push_back('.');
                appendNumber(name, static_cast<std::uint64_t>(j));
                names.push_back(std::move(name));
            }
    }
    return names;
}

namespace {

// The genes a gap takes, by family, each within what its family spares.
class GapBudget {
public:
    GapBudget(const std::vector<Family>& families, bool isA)
        : families_(families), isA_(isA), used_(families.size(), 0) {}

    // Takes g into the gap; false when the gap cannot hold it.
    bool take(const ProgramGene& g) {
        const Family& f = families_[g.family];
        if (used_[g.family] >= (isA_ ? f.spareA : f.spareB)) return false;
        if (used_[g.family]++ == 0) touched_.push_back(g.family);
        return true;
    }
    void reset() {
        for (const std::uint32_t f : touched_) used_[f] = 0;
        touched_.clear();
    }

private:
    const std::vector<Family>& families_;
    bool isA_;
    std::vector<std::uint32_t> used_;
    std::vector<std::uint32_t> touched_;
};

void addSpan(std::vector<Span>& spans, const Span& span) {
    if (spans.size() == kMaxProgramItems) tooLarge("more than " + std::to_string(kMaxProgramItems) + " stretches");
    spans.push_back(span);
}

}  // namespace

std::vector<Span> enumerateSpans(const ProgramGenome& genome, const std::vector<Family>& families, bool isA) {
    GapBudget gap(families, isA);
    std::vector<Span> spans;
    for (std::uint32_t c = 0; c < genome.chromosomes.size(); ++c) {
        const ProgramChromosome& chromosome = genome.chromosomes[c];
        const auto n = static_cast<std::uint32_t>(chromosome.genes.size());
        for (std::uint32_t p = 0; p < n; ++p) {
            const std::uint32_t reach = chromosome.circular ? n : n - 1 - p;
            for (std::uint32_t k = 1; k <= reach; ++k) {
                const std::uint32_t q = (p + k) % n;
                addSpan(spans, Span{c, p, q, (p + 1) % n, k - 1, SpanKind::adjacency});
                if (k == reach || !gap.take(chromosome.genes[q])) break;
            }
            gap.reset();
        }
        if (chromosome.circular) continue;
        for (std::uint32_t p = 0; p < n; ++p) {
            addSpan(spans, Span{c, p, p, 0, p, SpanKind::leftTelomere});
            if (!gap.take(chromosome.genes[p])) break;
        }
        gap.reset();
        for (std::uint32_t p = n; p-- > 0;) {
            addSpan(spans, Span{c, p, p, p + 1, n - 1 - p, SpanKind::rightTelomere});
            if (!gap.take(chromosome.genes[p])) break;
        }
        gap.reset();
    }
    return spans;
}

namespace {

// B's stretches by the families of their ends.
struct SpansOfB {
    const ProgramGenome& genome;
    const std::vector<Span>& spans;
    std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> adjacencies;  // by key(u's family, v's family)
    std::vector<std::vector<std::uint32_t>> telomeres;                          // by family

    static std::uint64_t key(std::uint32_t x, std::uint32_t y) { return (std::uint64_t{x} << 32) | y; }
    const std::vector<std::uint32_t>* adjacenciesOf(std::uint32_t x, std::uint32_t y) const {
        const auto found = adjacencies.find(key(x, y));
        return found == adjacencies.end() ? nullptr : &found->second;
    }
};

const ProgramGene& geneOf(const ProgramGenome& genome, const Span& s, std::uint32_t position) {
    return genome.chromosomes[s.chromosome].genes[position];
}

SpansOfB indexSpansOfB(const ProgramGenome& genome, const std::vector<Span>& spans, std::size_t familyCount) {
    SpansOfB index{genome, spans, {}, std::vector<std::vector<std::uint32_t>>(familyCount)};
    for (std::uint32_t k = 0; k < spans.size(); ++k) {
        const Span& s = spans[k];
        if (s.kind == SpanKind::adjacency)
            index.adjacencies[SpansOfB::key(geneOf(genome, s, s.u).family, geneOf(genome, s, s.v).family)].push_back(k);
        else
            index.telomeres[geneOf(genome, s, s.u).family].push_back(k);
    }
    return index;
}

// The candidates of telomere stretch k of A: same ends with same strands,
// opposite ends with opposite strands.
void addTelomereCandidates(const ProgramFamilies& pf, const Span& s, std::uint32_t k, const SpansOfB& b,
                           std::vector<Candidate>& telomeres) {
    const ProgramGene& u = geneOf(pf.a, s, s.u);
    const Family& f = pf.families[u.family];
    for (const std::uint32_t t : b.telomeres[u.family]) {
        const Span& sb = b.spans[t];
        const ProgramGene& ub = geneOf(b.genome, sb, sb.u);
        if ((s.kind == sb.kind) != (u.strand == ub.strand)) continue;
        const std::uint32_t z = f.zOf(u.rank, ub.rank);
        telomeres.push_back(s.kind == SpanKind::leftTelomere ? Candidate{k, t, kNone, z} : Candidate{k, t, z, kNone});
    }
}

// The candidates of adjacency stretch k of A, from gene u to gene v.
void addAdjacencyCandidates(const ProgramFamilies& pf, const Span& s, std::uint32_t k, const SpansOfB& b,
                            std::vector<Candidate>& adjacencies) {
    const ProgramGene& u = geneOf(pf.a, s, s.u);
    const ProgramGene& v = geneOf(pf.a, s, s.v);
    const Family& fu = pf.families[u.family];
    const Family& fv = pf.families[v.family];
    const bool circle = s.u == s.v;
    // B stretches read the same way: u to p, v to q, same strands.
    if (const auto* same = b.adjacenciesOf(u.family, v.family))
        for (const std::uint32_t t : *same) {
            const Span& sb = b.spans[t];
            if ((sb.u == sb.v) != circle) continue;
            const ProgramGene& p = geneOf(b.genome, sb, sb.u);
            const ProgramGene& q = geneOf(b.genome, sb, sb.v);
            if (!circle && (p.strand != u.strand || q.strand != v.strand)) continue;
            adjacencies.push_back(Candidate{k, t, fu.zOf(u.rank, p.rank), fv.zOf(v.rank, q.rank)});
        }
    if (circle) return;
    // B stretches read the other way (a reversed block): u to q, v to p,
    // opposite strands.
    if (const auto* reversed = b.adjacenciesOf(v.family, u.family))
        for (const std::uint32_t t : *reversed) {
            const Span& sb = b.spans[t];
            if (sb.u == sb.v) continue;
            const ProgramGene& p = geneOf(b.genome, sb, sb.u);
            const ProgramGene& q = geneOf(b.genome, sb, sb.v);
            if (p.strand != -v.strand || q.strand != -u.strand) continue;
            adjacencies.push_back(Candidate{k, t, fu.zOf(u.rank, q.rank), fv.zOf(v.rank, p.rank)});
        }
}

}  // namespace

Candidates findCandidates(const ProgramFamilies& families, const std::vector<Span>& spansA,
                          const std::vector<Span>& spansB, std::uint32_t zCount) {
    const SpansOfB b = indexSpansOfB(families.b, spansB, families.families.size());
    Candidates candidates;
    candidates.zCount = zCount;
    for (std::uint32_t k = 0; k < spansA.size(); ++k) {
        if (candidates.adjacencies.size() + candidates.telomeres.size() > kMaxProgramItems)
            tooLarge("more than " + std::to_string(kMaxProgramItems) + " candidates");
        const Span& s = spansA[k];
        if (s.kind == SpanKind::adjacency)
            addAdjacencyCandidates(families, s, k, b, candidates.adjacencies);
        else
            addTelomereCandidates(families, s, k, b, candidates.telomeres);
    }
    return candidates;
}

namespace {

void addRow(MatchingProgram& program, std::string name, MatchingProgram::Sense sense, std::uint32_t rhs) {
    program.beginRow(std::move(name), sense, rhs);
}

void addTerm(MatchingProgram& program, std::uint32_t variable, std::int8_t coefficient) {
    program.addTerm(variable, coefficient);
}

// Items grouped by key, keys 0 to keys - 1 (a compressed index), each group
// in the order of `pairs`.
struct Groups {
    std::vector<std::uint32_t> start;
    std::vector<std::uint32_t> items;

    Groups(std::size_t keys, const std::vector<std::pair<std::uint32_t, std::uint32_t>>& pairs)
        : start(keys + 1, 0), items(pairs.size()) {
        for (const auto& [key, item] : pairs) ++start[key + 1];
        for (std::size_t k = 0; k < keys; ++k) start[k + 1] += start[k];
        std::vector<std::uint32_t> next(start.begin(), start.end() - 1);
        for (const auto& [key, item] : pairs) items[next[key]++] = item;
    }
    std::size_t size(std::size_t key) const { return start[key + 1] - start[key]; }
};

void addFamilyTerms(MatchingProgram& program, const Family& f) {
    for (std::uint32_t z = f.zBase; z < f.zBase + f.inA * f.inB; ++z) addTerm(program, z, 1);
}

}  // namespace

void addCountRows(MatchingProgram& program, const std::vector<Family>& families) {
    std::uint32_t number = 0;
    for (const Family& f : families) {
        if (!f.inBoth()) continue;
        const std::string suffix = std::to_string(++number);
        if (f.lower == f.upper) {
            addRow(program, "count_" + suffix, MatchingProgram::Sense::equal, f.lower);
            addFamilyTerms(program, f);
            continue;
        }
        addRow(program, "countLow_" + suffix, MatchingProgram::Sense::greaterEqual, f.lower);
        addFamilyTerms(program, f);
        addRow(program, "countHigh_" + suffix, MatchingProgram::Sense::lessEqual, f.upper);
        addFamilyTerms(program, f);
    }
}

void addDegreeRows(MatchingProgram& program, const ProgramGenome& genome, const std::vector<Family>& families,
                   bool isA) {
    for (const ProgramChromosome& c : genome.chromosomes)
        for (const ProgramGene& g : c.genes) {
            const Family& f = families[g.family];
            // A gene with one possible partner needs no row.
            if (f.partners(isA) < 2) continue;
            addRow(program, std::string(isA ? "degA_" : "degB_") + std::to_string(g.id + 1),
                   MatchingProgram::Sense::lessEqual, 1);
            for (std::uint32_t r = 0; r < f.partners(isA); ++r) addTerm(program, f.zOfPartner(isA, g.rank, r), 1);
        }
}

void addLinkRows(MatchingProgram& program, const Candidates& candidates) {
    // Key 2 z + side: the left (0) or right (1) side of pair z's gene of A.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> uses;
    uses.reserve(2 * candidates.adjacencies.size() + candidates.telomeres.size());
    for (std::size_t k = 0; k < candidates.adjacencies.size(); ++k) {
        const Candidate& c = candidates.adjacencies[k];
        uses.emplace_back(2 * c.zLeftGene + 1, candidates.adjacencyVariable(k));
        uses.emplace_back(2 * c.zRightGene, candidates.adjacencyVariable(k));
    }
    for (std::size_t k = 0; k < candidates.telomeres.size(); ++k) {
        const Candidate& c = candidates.telomeres[k];
        uses.emplace_back(c.zLeftGene != kNone ? 2 * c.zLeftGene + 1 : 2 * c.zRightGene,
                          candidates.telomereVariable(k));
    }
    const std::uint32_t keys = 2 * candidates.zCount;
    const Groups groups(keys, uses);
    for (std::uint32_t key = 0; key < keys; ++key) {
        if (groups.size(key) == 0) continue;
        addRow(program, std::string(key % 2 == 0 ? "left_" : "right_") + std::to_string(key / 2 + 1),
               MatchingProgram::Sense::lessEqual, 0);
        // A one-gene circle uses both sides of its gene: one term each.
        for (std::uint32_t i = groups.start[key]; i < groups.start[key + 1]; ++i) addTerm(program, groups.items[i], 1);
        addTerm(program, key / 2, -1);
    }
}

void addGapRows(MatchingProgram& program, const ProgramGenome& genome, const std::vector<Span>& spans,
                const Candidates& candidates, const std::vector<Family>& families, bool isA) {
    // (gene id, variable of a candidate whose stretch holds it)
    std::vector<std::pair<std::uint32_t, std::uint32_t>> within;
    const auto addWithin = [&](const Candidate& c, std::uint32_t variable) {
        const Span& s = spans[isA ? c.spanA : c.spanB];
        const ProgramChromosome& chromosome = genome.chromosomes[s.chromosome];
        const auto n = static_cast<std::uint32_t>(chromosome.genes.size());
        for (std::uint32_t i = 0; i < s.gapLength; ++i)
            within.emplace_back(chromosome.genes[(s.gapStart + i) % n].id, variable);
        if (within.size() > kMaxProgramItems) tooLarge("more than " + std::to_string(kMaxProgramItems) + " gap terms");
    };
    for (std::size_t k = 0; k < candidates.adjacencies.size(); ++k)
        addWithin(candidates.adjacencies[k], candidates.adjacencyVariable(k));
    for (std::size_t k = 0; k < candidates.telomeres.size(); ++k)
        addWithin(candidates.telomeres[k], candidates.telomereVariable(k));
    const Groups groups(genome.genes, within);
    std::vector<const ProgramGene*> byId(genome.genes);
    for (const ProgramChromosome& c : genome.chromosomes)
        for (const ProgramGene& g : c.genes) byId[g.id] = &g;
    for (std::uint32_t id = 0; id < genome.genes; ++id) {
        if (groups.size(id) == 0) continue;
        addRow(program, std::string(isA ? "gapA_" : "gapB_") + std::to_string(id + 1),
               MatchingProgram::Sense::lessEqual, 1);
        for (std::uint32_t i = groups.start[id]; i < groups.start[id + 1]; ++i) addTerm(program, groups.items[i], 1);
        const ProgramGene& g = *byId[id];
        const Family& f = families[g.family];
        for (std::uint32_t r = 0; r < f.partners(isA); ++r) addTerm(program, f.zOfPartner(isA, g.rank, r), 1);
    }
}

}  // namespace rp::model::stages
