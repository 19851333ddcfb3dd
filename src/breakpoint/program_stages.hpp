// The stages that build a matching program, each usable and testable alone:
// the families with their counts and the genomes reduced to them; the z
// variables; the stretches of each genome and the candidates they give; the
// count, degree, link and gap rows. buildMatchingProgram runs them in that
// order (matching_program.hpp describes the program).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/genome_pair.hpp"
#include "model/matching_model.hpp"
#include "breakpoint/matching_program.hpp"

namespace rp::model::stages {

inline constexpr std::uint32_t kNone = UINT32_MAX;

// Beyond this many variables, candidates or gap terms the program would take
// gigabytes to build and hours to solve: families with very many copies side
// by side in both genomes.
inline constexpr std::uint64_t kMaxProgramItems = 50'000'000;

// Throws std::runtime_error "the program would be too large: WHAT ...".
[[noreturn]] void tooLarge(const std::string& what);

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

// A genome reduced to such genes; `genes` counts them.
struct ProgramGenome {
    std::vector<ProgramChromosome> chromosomes;
    std::uint32_t genes = 0;
};

struct Family {
    std::string_view name;
    std::uint32_t inA = 0;
    std::uint32_t inB = 0;
    // The pairs a matching gives it, from lower to upper (0 in one genome only).
    std::uint32_t lower = 0;
    std::uint32_t upper = 0;
    std::uint32_t spareA = 0;  // genes of A the model can leave unmatched: inA - lower
    std::uint32_t spareB = 0;
    std::int32_t maxCopyA = 0;
    std::int32_t maxCopyB = 0;
    std::vector<std::int32_t> copiesA;  // by rank
    std::vector<std::int32_t> copiesB;
    std::uint32_t zBase = 0;  // its first z variable: z of ranks (i, j) is zBase + i * inB + j

    bool inBoth() const { return inA != 0 && inB != 0; }
    std::uint32_t zOf(std::uint32_t rankA, std::uint32_t rankB) const { return zBase + rankA * inB + rankB; }
    // The possible partners of a gene of A (isA) or of B, and the z
    // variable of gene `rank` with its r-th partner.
    std::uint32_t partners(bool isA) const { return isA ? inB : inA; }
    std::uint32_t zOfPartner(bool isA, std::uint32_t rank, std::uint32_t r) const {
        return isA ? zOf(rank, r) : zOf(r, rank);
    }
};

// Stage 1: every family of the pair in the order of first appearance in A,
// then B, with its counts and the range of pairs the model gives it
// (familyRange), and the genomes reduced to the families in both. Throws std::runtime_error as
// buildMatchingProgram for a family name or a label it refuses.
struct ProgramFamilies {
    std::vector<Family> families;
    ProgramGenome a;
    ProgramGenome b;
};
ProgramFamilies collectFamilies(const GenomePair& pair, const MatchingModel& model);

// Stage 2: names the z variables, family by family, A's copies by B's
// ("z_F.I.J"), and sets each family's zBase.
std::vector<std::string> nameZVariables(std::vector<Family>& families);

enum class SpanKind : std::uint8_t { adjacency, leftTelomere, rightTelomere };

// A stretch of one chromosome: from gene u to gene v going right (round the
// end of a circular one; u == v is the whole circle), or from a chromosome's
// end to gene u (u == v). The gap is the genes strictly within, from
// gapStart (round a circle).
struct Span {
    std::uint32_t chromosome = 0;
    std::uint32_t u = 0;
    std::uint32_t v = 0;
    std::uint32_t gapStart = 0;
    std::uint32_t gapLength = 0;
    SpanKind kind = SpanKind::adjacency;
    friend bool operator==(const Span&, const Span&) = default;
};

// Stage 3: every stretch of the genome whose gap the model can leave
// unmatched: only genes of families with copies to spare, no more of one
// family than it spares. By chromosome: adjacencies from each gene, then
// left telomeres, then right ones.
std::vector<Span> enumerateSpans(const ProgramGenome& genome, const std::vector<Family>& families, bool isA);

// A candidate: a stretch of A with one of B. A side of a gene of A is 0 left
// (where it is entered from, reading left to right), 1 right.
struct Candidate {
    std::uint32_t spanA = 0;
    std::uint32_t spanB = 0;
    // The pair of the stretch's left gene (its right side is used), kNone
    // for a left telomere; the pair of the right gene (its left side), kNone
    // for a right telomere.
    std::uint32_t zLeftGene = 0;
    std::uint32_t zRightGene = 0;
    friend bool operator==(const Candidate&, const Candidate&) = default;
};

// The candidates; their variables follow the z variables: adjacency k is
// variable zCount + k, telomere k zCount + adjacencies + k.
struct Candidates {
    std::vector<Candidate> adjacencies;
    std::vector<Candidate> telomeres;
    std::uint32_t zCount = 0;

    std::uint32_t adjacencyVariable(std::size_t k) const { return zCount + static_cast<std::uint32_t>(k); }
    std::uint32_t telomereVariable(std::size_t k) const {
        return zCount + static_cast<std::uint32_t>(adjacencies.size() + k);
    }
};

// Stage 4: the candidates of the stretches, by stretch of A: same ends and
// strands, or (adjacencies) a stretch of B read the other way with opposite
// strands.
Candidates findCandidates(const ProgramFamilies& families, const std::vector<Span>& spansA,
                          const std::vector<Span>& spansB, std::uint32_t zCount);

// Stage 5, the rows, appended to `program` in this order:
// count_<f>: the family's pairs = lower when lower == upper, else
// countLow_<f> >= lower and countHigh_<f> <= upper.
void addCountRows(MatchingProgram& program, const std::vector<Family>& families);
// degA_<g> (degB_<g>): each gene with more than one possible partner in at
// most one pair.
void addDegreeRows(MatchingProgram& program, const ProgramGenome& genome, const std::vector<Family>& families,
                   bool isA);
// left_<p>, right_<p>: the candidates using that side of pair p <= z of p.
void addLinkRows(MatchingProgram& program, const Candidates& candidates);
// gapA_<g> (gapB_<g>): the candidates whose stretch holds gene g, plus g's
// pairs, <= 1.
void addGapRows(MatchingProgram& program, const ProgramGenome& genome, const std::vector<Span>& spans,
                const Candidates& candidates, const std::vector<Family>& families, bool isA);

// Appends the decimal digits of `value`.
void appendNumber(std::string& s, std::uint64_t value);

}  // namespace rp::model::stages
