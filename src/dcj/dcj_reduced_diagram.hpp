// The contracted relational diagram behind the reduced DCJ-indel program,
// shared by its builder (dcj_reduced_program.cpp) and its warm start
// (dcj_warm_start.cpp): gene states, the ends of segments, the columns that
// stand for its parts. Not for use outside src/dcj.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "dcj/dcj_reduced_program.hpp"

namespace rp::model {

namespace reduced {

inline constexpr std::uint32_t kNone = UINT32_MAX;
inline constexpr std::uint32_t kTelomere = 0x80000000U;  // an end that is telomere number (end & ~kTelomere)
inline constexpr std::uint8_t kGenomeA = 0;
inline constexpr std::uint8_t kGenomeB = 1;

enum class GeneState : std::uint8_t {
    unmatched,  // singular, or of a family the model gives no pair: its indel edge is decided
    fixed,      // one copy in each genome, matched by the model: its extremity edges are decided
    free,       // the solver decides
};

// A value in a row: a column, or a constant when the column is kNone.
struct Ref {
    std::uint32_t column = kNone;
    std::int64_t constant = 0;
    static Ref of(std::uint32_t column) { return Ref{column, 0}; }
    static Ref fixed(std::int64_t value) { return Ref{kNone, value}; }
};

}  // namespace reduced

using namespace reduced;

// The contracted relational diagram, with the columns that stand for its parts.
struct DcjReducedProgram::Diagram {
    struct GeneInfo {
        std::uint32_t family = 0;
        GeneState state = GeneState::unmatched;
        bool canStayUnmatched = true;   // free genes: the model allows it without a partner
        std::uint32_t partner = kNone;  // fixed genes: the partner gene
        std::int32_t copy = 0;
        std::int32_t strand = 1;
    };
    struct FamilyInfo {
        std::string_view name;
        std::vector<std::uint32_t> genesA, genesB;  // gene numbers, in genome order
        PairRange range;
        std::uint32_t firstZ = kNone;  // free families: z of genesA[i] and genesB[j] is firstZ + i * |B| + j
    };
    // A maximal walk of decided edges between two ends: free extremities or telomeres.
    struct Segment {
        std::uint32_t end[2] = {kNone, kNone};
        std::vector<std::uint8_t> runs;  // genomes of its indel runs, from end[0] to end[1]
        std::uint32_t id = 0;            // label bound (run-free segments), from 1
        Ref label = Ref::fixed(0), k = Ref::fixed(0);
        std::uint32_t representative = kNone, change = kNone;
        // Telomere segments: report columns of the telomere.
        std::uint32_t runFreePath = kNone, credit = kNone, seesA = kNone, seesB = kNone;
        bool telomere() const { return (end[0] & kTelomere) != 0 || (end[1] & kTelomere) != 0; }
    };

    std::uint32_t genesOfA = 0;
    std::uint32_t telomeresOfA = 0;
    std::vector<GeneInfo> genes;
    std::vector<FamilyInfo> families;
    std::vector<std::uint32_t> adjacent;        // per vertex: vertex or kTelomere | telomere
    std::vector<std::uint32_t> telomereVertex;  // per telomere
    std::vector<Segment> segments;
    std::vector<std::uint32_t> segmentOf;  // per free vertex: 2 x segment + end
    std::vector<Ref> parity;               // per free vertex
    std::vector<std::uint32_t> fixedZ;     // per fixed gene of A: its z column
    struct Circular {
        std::uint32_t firstGene = 0, genes = 0;
        std::uint32_t column = kNone;
    };
    std::vector<Circular> singletonCandidates;
    std::uint32_t pa = kNone, pb = kNone, q = kNone;
    // Constants of the decided parts.
    std::int64_t constPathsAB = 0, constRunChanges = 0, reportsConst[2][2] = {{0, 0}, {0, 0}};  // [telomere genome][run genome]
    // The changes at segment ends with runs: constEnds + sum of coefficient x parity.
    std::int64_t constEnds = 0;
    std::vector<std::pair<std::uint32_t, std::int64_t>> endCosts;

    bool inA(std::uint32_t vertex) const { return vertex / 2 < genesOfA; }
    std::uint8_t genomeOf(std::uint32_t vertex) const { return inA(vertex) ? kGenomeA : kGenomeB; }
    const GeneInfo& geneOf(std::uint32_t vertex) const { return genes[vertex / 2]; }
    bool isFree(std::uint32_t vertex) const { return geneOf(vertex).state == GeneState::free; }
    std::uint8_t telomereGenome(std::uint32_t end) const {
        return (end & ~kTelomere) < telomeresOfA ? kGenomeA : kGenomeB;
    }
};

}  // namespace rp::model
