#include "model/matching_program.hpp"
#include "text/quoting.hpp"

#include <algorithm>
#include <charconv>
#include <stdexcept>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace rp::model {
namespace {

constexpr std::uint32_t kNone = UINT32_MAX;

// Beyond this many variables, candidates or gap terms the program would take
// gigabytes to build and hours to solve: families with very many copies side
// by side in both genomes.
constexpr std::uint64_t kMaxProgramItems = 50'000'000;

[[noreturn]] void tooLarge(const std::string& what) {
    throw std::runtime_error("the program would be too large: " + what + " (at most " +
                             std::to_string(kMaxProgramItems) +
                             "); families with very many copies standing side by side?");
}

// A gene of a family with genes in both genomes, as the program sees it.
struct ProgramGene {
    std::uint32_t family = 0;
    std::uint32_t rank = 0;  // its place among the family's genes in its genome
    std::uint32_t id = 0;    // its number among such genes of its genome
    std::int32_t strand = 1;
};

// A chromosome reduced to such genes (never empty).
struct ProgramChromosome {
    bool circular = false;
    std::vector<ProgramGene> genes;
};

struct Family {
    std::string_view name;
    std::uint32_t inA = 0;
    std::uint32_t inB = 0;
    std::uint32_t zBase = 0;
    std::uint32_t spareA = 0;  // genes of A the model leaves unmatched
    std::uint32_t spareB = 0;
    std::int32_t maxCopyA = 0;
    std::int32_t maxCopyB = 0;
    std::vector<std::int32_t> copiesA;  // by rank
    std::vector<std::int32_t> copiesB;
};

enum class SpanKind : std::uint8_t { adjacency, leftTelomere, rightTelomere };

// A stretch of one chromosome: from gene u to gene v going right (round the
// end of a circular one; u == v is the whole circle), or from a chromosome's
// end to gene u (u == v). The gap is the genes strictly within.
struct Span {
    std::uint32_t chromosome = 0;
    std::uint32_t u = 0;
    std::uint32_t v = 0;
    std::uint32_t gapStart = 0;
    std::uint32_t gapLength = 0;
    SpanKind kind = SpanKind::adjacency;
};

struct Genome {
    std::vector<ProgramChromosome> chromosomes;
    std::uint32_t genes = 0;
};

Genome reduceGenome(const Structure& s, const std::unordered_map<std::string_view, std::uint32_t>& index,
                    std::vector<Family>& families, bool isA) {
    Genome genome;
    for (const Chromosome& c : s.chromosomes) {
        ProgramChromosome chromosome;
        chromosome.circular = c.circular;
        for (const Gene& g : c.genes) {
            const auto found = index.find(g.name);
            if (found == index.end()) continue;
            Family& f = families[found->second];
            if (f.inA == 0 || f.inB == 0) continue;
            auto& copies = isA ? f.copiesA : f.copiesB;
            chromosome.genes.push_back(ProgramGene{found->second, static_cast<std::uint32_t>(copies.size()),
                                                   genome.genes++, g.strand == -1 ? -1 : 1});
            copies.push_back(g.copy);
        }
        if (!chromosome.genes.empty()) genome.chromosomes.push_back(std::move(chromosome));
    }
    return genome;
}

// Every stretch whose gap the model can leave unmatched: only genes of
// families with copies to spare, no more of one family than it spares.
std::vector<Span> enumerateSpans(const Genome& genome, const std::vector<Family>& families, bool isA) {
    const auto spare = [&](const ProgramGene& g) {
        return isA ? families[g.family].spareA : families[g.family].spareB;
    };
    std::vector<std::uint32_t> used(families.size(), 0);
    std::vector<std::uint32_t> touched;
    const auto reset = [&] {
        for (const std::uint32_t f : touched) used[f] = 0;
        touched.clear();
    };
    // Takes g into a gap; false when the gap cannot hold it.
    const auto take = [&](const ProgramGene& g) {
        if (used[g.family] >= spare(g)) return false;
        if (used[g.family]++ == 0) touched.push_back(g.family);
        return true;
    };
    std::vector<Span> spans;
    const auto add = [&](const Span& span) {
        if (spans.size() == kMaxProgramItems) tooLarge("more than " + std::to_string(kMaxProgramItems) + " stretches");
        spans.push_back(span);
    };
    for (std::uint32_t c = 0; c < genome.chromosomes.size(); ++c) {
        const ProgramChromosome& chromosome = genome.chromosomes[c];
        const auto n = static_cast<std::uint32_t>(chromosome.genes.size());
        for (std::uint32_t p = 0; p < n; ++p) {
            const std::uint32_t reach = chromosome.circular ? n : n - 1 - p;
            for (std::uint32_t k = 1; k <= reach; ++k) {
                const std::uint32_t q = (p + k) % n;
                add(Span{c, p, q, (p + 1) % n, k - 1, SpanKind::adjacency});
                if (k == reach || !take(chromosome.genes[q])) break;
            }
            reset();
        }
        if (chromosome.circular) continue;
        for (std::uint32_t p = 0; p < n; ++p) {
            add(Span{c, p, p, 0, p, SpanKind::leftTelomere});
            if (!take(chromosome.genes[p])) break;
        }
        reset();
        for (std::uint32_t p = n; p-- > 0;) {
            add(Span{c, p, p, p + 1, n - 1 - p, SpanKind::rightTelomere});
            if (!take(chromosome.genes[p])) break;
        }
        reset();
    }
    return spans;
}

// Items grouped by key, keys 0 to keys - 1 (a compressed index).
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

void appendNumber(std::string& s, std::uint64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    s.append(digits, end);
}

std::size_t decimalWidth(std::int64_t value) {
    char digits[24];
    return static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr - digits);
}

}  // namespace

MatchingProgram buildMatchingProgram(const GenomePair& pair, ModelKind kind) {
    // Families by name, in the order of first appearance in A, then B.
    std::unordered_map<std::string_view, std::uint32_t> index;
    std::vector<Family> families;
    const auto count = [&](const Structure& s, bool isA) {
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
    };
    count(*pair.a, true);
    count(*pair.b, false);

    MatchingProgram program;
    program.kind = kind;
    for (Family& f : families) {
        if (f.inA == 0 || f.inB == 0) continue;
        if (!isUsableFamilyName(f.name))
            throw std::runtime_error("family " + quoteInput(f.name) +
                                     " cannot stand in an LP name (letters, digits and "
                                     "!\"#$%&(),?@_`'{}~ only)");
        const std::size_t longest = 2 + f.name.size() + 1 + decimalWidth(f.maxCopyA) + 1 + decimalWidth(f.maxCopyB);
        if (longest > kMaxLpName)
            throw std::runtime_error("family " + quoteInput(f.name) + " is too long: its z names would pass " +
                                     std::to_string(kMaxLpName) + " characters");
        const std::uint32_t matched = kind == ModelKind::maximum ? std::min(f.inA, f.inB) : 1;
        f.spareA = f.inA - matched;
        f.spareB = f.inB - matched;
        ++program.families;
        program.pairs += matched;
    }
    const Genome genomeA = reduceGenome(*pair.a, index, families, true);
    const Genome genomeB = reduceGenome(*pair.b, index, families, false);
    program.genesA = genomeA.genes;
    program.genesB = genomeB.genes;

    // A label twice in one genome would give two variables one name.
    const auto checkLabels = [&](const std::vector<std::int32_t>& copies, const Family& f, bool isA) {
        std::unordered_set<std::int32_t> seen;
        for (const std::int32_t copy : copies)
            if (!seen.insert(copy).second)
                throw std::runtime_error("label " + std::string(f.name) + "." + std::to_string(copy) +
                                         " occurs twice in " + describeGenome(pair, isA));
    };
    for (const Family& f : families) {
        if (f.inA == 0 || f.inB == 0) continue;
        checkLabels(f.copiesA, f, true);
        checkLabels(f.copiesB, f, false);
    }

    // z variables, family by family, A's copies by B's.
    std::uint64_t zTotal = 0;
    for (const Family& f : families) zTotal += std::uint64_t{f.inA} * f.inB;
    if (zTotal > kMaxProgramItems) tooLarge(std::to_string(zTotal) + " z variables");
    for (Family& f : families) {
        if (f.inA == 0 || f.inB == 0) continue;
        f.zBase = static_cast<std::uint32_t>(program.zNames.size());
        for (const std::int32_t i : f.copiesA)
            for (const std::int32_t j : f.copiesB) {
                std::string name = "z_";
                name.append(f.name);
                name.push_back('.');
                appendNumber(name, static_cast<std::uint64_t>(i));
                name.push_back('.');
                appendNumber(name, static_cast<std::uint64_t>(j));
                program.zNames.push_back(std::move(name));
            }
    }
    const auto zOf = [&](const ProgramGene& a, const ProgramGene& b) {
        return families[a.family].zBase + a.rank * families[a.family].inB + b.rank;
    };

    const std::vector<Span> spansA = enumerateSpans(genomeA, families, true);
    const std::vector<Span> spansB = enumerateSpans(genomeB, families, false);
    // B's stretches by the families of their ends.
    std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> adjacenciesB;
    std::vector<std::vector<std::uint32_t>> telomeresB(families.size());
    const auto geneOf = [](const Genome& g, const Span& s, std::uint32_t position) -> const ProgramGene& {
        return g.chromosomes[s.chromosome].genes[position];
    };
    const auto familyKey = [](std::uint32_t x, std::uint32_t y) { return (std::uint64_t{x} << 32) | y; };
    for (std::uint32_t k = 0; k < spansB.size(); ++k) {
        const Span& s = spansB[k];
        if (s.kind == SpanKind::adjacency)
            adjacenciesB[familyKey(geneOf(genomeB, s, s.u).family, geneOf(genomeB, s, s.v).family)].push_back(k);
        else
            telomeresB[geneOf(genomeB, s, s.u).family].push_back(k);
    }

    // The candidates. A side of a gene of A: 0 left (where it is entered
    // from, reading left to right), 1 right.
    struct Candidate {
        std::uint32_t spanA;
        std::uint32_t spanB;
        std::uint32_t zLeftGene;   // the pair of the stretch's left gene (its right side is used)
        std::uint32_t zRightGene;  // the pair of the right gene (its left side), kNone for a telomere
        bool telomere;
    };
    std::vector<Candidate> adjacencies;
    std::vector<Candidate> telomeres;
    for (std::uint32_t k = 0; k < spansA.size(); ++k) {
        if (adjacencies.size() + telomeres.size() > kMaxProgramItems)
            tooLarge("more than " + std::to_string(kMaxProgramItems) + " candidates");
        const Span& s = spansA[k];
        const ProgramGene& u = geneOf(genomeA, s, s.u);
        if (s.kind != SpanKind::adjacency) {
            for (const std::uint32_t t : telomeresB[u.family]) {
                const Span& sb = spansB[t];
                const ProgramGene& ub = geneOf(genomeB, sb, sb.u);
                // Same ends: same strands; opposite ends: opposite strands.
                if ((s.kind == sb.kind) != (u.strand == ub.strand)) continue;
                const std::uint32_t z = zOf(u, ub);
                telomeres.push_back(s.kind == SpanKind::leftTelomere ? Candidate{k, t, kNone, z, true}
                                                                     : Candidate{k, t, z, kNone, true});
            }
            continue;
        }
        const ProgramGene& v = geneOf(genomeA, s, s.v);
        const bool circle = s.u == s.v;
        // B stretches read the same way: u to u', v to v', same strands.
        if (const auto found = adjacenciesB.find(familyKey(u.family, v.family)); found != adjacenciesB.end())
            for (const std::uint32_t t : found->second) {
                const Span& sb = spansB[t];
                if ((sb.u == sb.v) != circle) continue;
                const ProgramGene& p = geneOf(genomeB, sb, sb.u);
                const ProgramGene& q = geneOf(genomeB, sb, sb.v);
                if (!circle && (p.strand != u.strand || q.strand != v.strand)) continue;
                adjacencies.push_back(Candidate{k, t, zOf(u, p), zOf(v, q), false});
            }
        if (circle) continue;
        // B stretches read the other way (a reversed block): u to q', v to
        // p', opposite strands.
        if (const auto found = adjacenciesB.find(familyKey(v.family, u.family)); found != adjacenciesB.end())
            for (const std::uint32_t t : found->second) {
                const Span& sb = spansB[t];
                if (sb.u == sb.v) continue;
                const ProgramGene& p = geneOf(genomeB, sb, sb.u);
                const ProgramGene& q = geneOf(genomeB, sb, sb.v);
                if (p.strand != -v.strand || q.strand != -u.strand) continue;
                adjacencies.push_back(Candidate{k, t, zOf(u, q), zOf(v, p), false});
            }
    }
    if (zTotal + adjacencies.size() + telomeres.size() > kMaxProgramItems)
        tooLarge(std::to_string(zTotal + adjacencies.size() + telomeres.size()) + " variables");
    program.adjacencyCandidates = adjacencies.size();
    program.telomereCandidates = telomeres.size();
    const auto zCount = static_cast<std::uint32_t>(program.zNames.size());
    const auto adjacencyVariable = [&](std::size_t k) { return zCount + static_cast<std::uint32_t>(k); };
    const auto telomereVariable = [&](std::size_t k) {
        return zCount + static_cast<std::uint32_t>(adjacencies.size() + k);
    };

    // Rows.
    const auto addRow = [&](std::string name, MatchingProgram::Sense sense, std::int32_t rhs) {
        program.rows.push_back(MatchingProgram::Row{std::move(name),
                                                    static_cast<std::uint32_t>(program.termVariables.size()),
                                                    sense, rhs});
    };
    const auto addTerm = [&](std::uint32_t variable, std::int8_t coefficient) {
        program.termVariables.push_back(variable);
        program.termCoefficients.push_back(coefficient);
    };
    std::uint32_t familyNumber = 0;
    for (const Family& f : families) {
        if (f.inA == 0 || f.inB == 0) continue;
        const std::uint32_t matched = kind == ModelKind::maximum ? std::min(f.inA, f.inB) : 1;
        addRow("count_" + std::to_string(++familyNumber), MatchingProgram::Sense::equal,
               static_cast<std::int32_t>(matched));
        for (std::uint32_t z = f.zBase; z < f.zBase + f.inA * f.inB; ++z) addTerm(z, 1);
    }
    // Degrees: a gene with one possible partner needs no row.
    const auto degreeRows = [&](const Genome& genome, bool isA) {
        for (const ProgramChromosome& c : genome.chromosomes)
            for (const ProgramGene& g : c.genes) {
                const Family& f = families[g.family];
                const std::uint32_t partners = isA ? f.inB : f.inA;
                if (partners < 2) continue;
                addRow(std::string(isA ? "degA_" : "degB_") + std::to_string(g.id + 1),
                       MatchingProgram::Sense::lessEqual, 1);
                for (std::uint32_t r = 0; r < partners; ++r)
                    addTerm(isA ? f.zBase + g.rank * f.inB + r : f.zBase + r * f.inB + g.rank, 1);
            }
    };
    degreeRows(genomeA, true);
    degreeRows(genomeB, false);

    // Links: per pair and side, the candidates using it <= the pair.
    {
        std::vector<std::pair<std::uint32_t, std::uint32_t>> uses;
        for (std::size_t k = 0; k < adjacencies.size(); ++k) {
            uses.emplace_back(2 * adjacencies[k].zLeftGene + 1, adjacencyVariable(k));
            uses.emplace_back(2 * adjacencies[k].zRightGene, adjacencyVariable(k));
        }
        for (std::size_t k = 0; k < telomeres.size(); ++k) {
            const Candidate& c = telomeres[k];
            uses.emplace_back(c.zLeftGene != kNone ? 2 * c.zLeftGene + 1 : 2 * c.zRightGene, telomereVariable(k));
        }
        const Groups groups(2 * std::size_t{zCount}, uses);
        for (std::uint32_t key = 0; key < 2 * zCount; ++key) {
            if (groups.size(key) == 0) continue;
            addRow(std::string(key % 2 == 0 ? "left_" : "right_") + std::to_string(key / 2 + 1),
                   MatchingProgram::Sense::lessEqual, 0);
            for (std::uint32_t i = groups.start[key]; i < groups.start[key + 1]; ++i) {
                // A one-gene circle uses both sides of its gene: one term each.
                addTerm(groups.items[i], 1);
            }
            addTerm(key / 2, -1);
        }
    }

    // Gaps: per gene, the candidates whose stretch holds it, plus its pairs.
    const auto gapRows = [&](const Genome& genome, const std::vector<Span>& spans, bool isA) {
        std::vector<std::pair<std::uint32_t, std::uint32_t>> within;
        const auto addWithin = [&](const Candidate& c, std::uint32_t variable) {
            const Span& s = spans[isA ? c.spanA : c.spanB];
            const ProgramChromosome& chromosome = genome.chromosomes[s.chromosome];
            const auto n = static_cast<std::uint32_t>(chromosome.genes.size());
            for (std::uint32_t i = 0; i < s.gapLength; ++i)
                within.emplace_back(chromosome.genes[(s.gapStart + i) % n].id, variable);
            if (within.size() > kMaxProgramItems) tooLarge("more than " + std::to_string(kMaxProgramItems) + " gap terms");
        };
        for (std::size_t k = 0; k < adjacencies.size(); ++k) addWithin(adjacencies[k], adjacencyVariable(k));
        for (std::size_t k = 0; k < telomeres.size(); ++k) addWithin(telomeres[k], telomereVariable(k));
        const Groups groups(genome.genes, within);
        std::vector<const ProgramGene*> byId(genome.genes);
        for (const ProgramChromosome& c : genome.chromosomes)
            for (const ProgramGene& g : c.genes) byId[g.id] = &g;
        for (std::uint32_t id = 0; id < genome.genes; ++id) {
            if (groups.size(id) == 0) continue;
            addRow(std::string(isA ? "gapA_" : "gapB_") + std::to_string(id + 1), MatchingProgram::Sense::lessEqual,
                   1);
            for (std::uint32_t i = groups.start[id]; i < groups.start[id + 1]; ++i) addTerm(groups.items[i], 1);
            const ProgramGene& g = *byId[id];
            const Family& f = families[g.family];
            const std::uint32_t partners = isA ? f.inB : f.inA;
            for (std::uint32_t r = 0; r < partners; ++r)
                addTerm(isA ? f.zBase + g.rank * f.inB + r : f.zBase + r * f.inB + g.rank, 1);
        }
    };
    gapRows(genomeA, spansA, true);
    gapRows(genomeB, spansB, false);
    return program;
}

std::vector<std::string> familiesPastIndexLimit(const std::vector<Structure>& structures, const GenomePair& pair,
                                                ModelKind kind) {
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
        const std::uint32_t matched = b == 0 ? 0 : (kind == ModelKind::maximum ? std::min(a, b) : 1);
        if (b != 0 && a > matched) usedIndices.emplace(name, 0);
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

namespace {

// Writes LP text, wrapping a long row before a term would pass the width.
class LpText {
public:
    explicit LpText(std::ostream& out) : out_(out) { text_.reserve(kBlock + 512); }
    ~LpText() { flush(); }

    void line(std::string_view s) {
        text_.append(s);
        newline();
    }
    void begin(std::string_view name) {
        text_.push_back(' ');
        text_.append(name);
        text_.push_back(':');
        column_ = name.size() + 2;
    }
    void term(std::int64_t coefficient, std::string_view name, bool first) {
        char number[24];
        const std::uint64_t magnitude = static_cast<std::uint64_t>(coefficient < 0 ? -coefficient : coefficient);
        const std::size_t digits =
            magnitude == 1 ? 0
                           : static_cast<std::size_t>(std::to_chars(number, number + sizeof number, magnitude).ptr - number);
        const std::size_t width = 3 + (digits == 0 ? 0 : digits + 1) + name.size();
        if (column_ + width > kWrap) {
            newline();
            text_.push_back(' ');
            column_ = 1;
        }
        text_.push_back(' ');
        if (!first || coefficient < 0) {
            text_.push_back(coefficient < 0 ? '-' : '+');
            text_.push_back(' ');
        }
        if (digits != 0) {
            text_.append(number, digits);
            text_.push_back(' ');
        }
        text_.append(name);
        column_ += width;
    }
    void end(std::string_view tail) {
        text_.append(tail);
        newline();
    }
    void word(std::string_view name) {
        if (column_ + 1 + name.size() > kWrap) newline();
        text_.push_back(' ');
        text_.append(name);
        column_ += 1 + name.size();
    }
    void newline() {
        text_.push_back('\n');
        column_ = 0;
        if (text_.size() >= kBlock) flush();
    }
    void flush() {
        out_.write(text_.data(), static_cast<std::streamsize>(text_.size()));
        text_.clear();
    }

private:
    // Every term is at most 3 + 12 + kMaxLpName bytes, the tail of a row 16.
    static constexpr std::size_t kWrap = 200;
    static constexpr std::size_t kBlock = std::size_t{1} << 20;
    std::ostream& out_;
    std::string text_;
    std::size_t column_ = 0;
};

}  // namespace

void writeLp(std::ostream& out, const MatchingProgram& program, const std::vector<std::string>& comment) {
    static_assert(3 + 12 + kMaxLpName + 200 <= kMaxLpLine + 60);
    LpText lp(out);
    for (const std::string& c : comment) {
        std::string text = "\\ " + c;
        // A comment runs to the end of its line: cut, never wrap.
        if (text.size() > kMaxLpLine) text.resize(kMaxLpLine);
        for (char& ch : text)
            if (ch == '\n' || ch == '\r') ch = ' ';
        lp.line(text);
    }
    const std::size_t zCount = program.zNames.size();
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
        std::string tail = row.sense == MatchingProgram::Sense::equal ? " = " : " <= ";
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
