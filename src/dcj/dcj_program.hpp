// The integer program whose optimum is the DCJ-indel distance of genome A and
// genome B over the matchings a model allows: the capped program on the
// multi-relational diagram (every pair of same-family copies joined
// tail-tail and head-head, every copy with an indel edge, every telomere of A
// joined to every telomere of B), built in stages that can be read and
// tested one by one: the diagram, the columns, each group of rows, the
// objective; the writer is lp::writeProgram (lp_program.hpp).
//
// Vertices are numbered from 1: the tail and head of each gene of A in
// order, those of B, then the telomeres of A and those of B, padded with
// empty linear chromosomes so that both genomes have T = 2 max(L_A, L_B)
// telomeres. Edges are numbered from 1: the adjacencies of A, those of B,
// the two sibling edges (tail-tail, head-head) of each pair, the indel edge
// of each gene of A then B, and the T x T capping edges.
//
// Columns (all binary but y):
//   z_F.I.J  copy I of F in A matched to copy J in B: the x of both sibling
//            edges; a gene's indel edge is then 1 - the sum of its z
//   x_e      an adjacency or capping edge is in the cycle cover
//   t_e      a change between runs of A and of B is charged on edge e
//   y_v      integer 0..v: the label of v's component (0 with an indel edge)
//   w_v      v represents a cycle without indel edge (the smallest vertex)
//   r_v      the genome of the run v lies in (0 A, 1 B)
//   s_k      circular chromosome k is wholly unmatched
// Rows (e = (i, j), X_e the x expression of edge e):
//   c01_e  adjacency edges are chosen: x_e = 1
//   c02_v  a telomere keeps its adjacency and one cap (sum of x = 2); a
//          gene with two candidate partners or more is in at most one pair
//          (its indel edge 1 - sum z is 0 or 1; row named after its tail)
//   c04_e_1, c04_e_2  y_i <= y_j + i (1 - X_e) and back, edges but indels
//   c05_v  y_v <= v (1 - X_e) at both ends of each indel edge
//   c06_v  v w_v <= y_v
//   c07_v  at the ends of an indel edge of A r_v <= 1 - X_e, of B r_v >= X_e
//   c08_e_1, c08_e_2  t_e >= r_j - r_i + X_e - 1 and back, every edge
//   c09_e  an adjacency of A pays t only next to a chosen indel edge:
//          t_e <= sum of X over the indel edges at its ends (none for two telomeres)
//   c10_e  t_e = 0 on every other edge
//   c11_k  sum of X over circular chromosome k's indel edges - s_k <= genes - 1
//   c12_f  lower <= pairs of family f <= upper (one equality row when equal;
//          c12_f_lo, c12_f_hi otherwise)
// Objective (minimise): 1/2 x over extremity edges (z counts for both sibling
// edges, caps 1/2) + 1/2 t - w + s.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/genome_pair.hpp"
#include "lp/row_builder.hpp"
#include "model/matching_model.hpp"

namespace rp::model {

inline constexpr std::uint32_t kNoFamily = UINT32_MAX;

enum class DcjEdgeKind : std::uint8_t { adjacencyA, adjacencyB, sibling, indel, cap };

// An edge between vertices u and v (from 0); `ref` is the pair of a sibling
// edge and the gene of an indel edge.
struct DcjEdge {
    std::uint32_t u = 0;
    std::uint32_t v = 0;
    DcjEdgeKind kind = DcjEdgeKind::adjacencyA;
    std::uint32_t ref = 0;
};

// A gene of either genome: vertices 2k (tail) and 2k + 1 (head) for gene k.
struct DcjGene {
    bool inA = true;
    std::uint32_t family = kNoFamily;  // among the families of both genomes
    std::uint32_t rank = 0;            // among the family's genes in its genome
};

struct DcjFamily {
    std::string_view name;
    std::uint32_t inA = 0;
    std::uint32_t inB = 0;
    std::uint32_t firstPair = 0;  // pairs firstPair + rankA * inB + rankB
    PairRange range;
};

struct DcjDiagram {
    std::vector<DcjGene> genes;  // A's, then B's
    std::uint32_t genesA = 0;
    std::uint32_t telomeres = 0;  // T, per genome
    std::vector<DcjFamily> families;
    std::vector<std::string> pairNames;                            // z_F.I.J
    std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs;    // gene of A, gene of B
    std::vector<DcjEdge> edges;
    std::uint32_t adjacenciesA = 0, adjacenciesB = 0;
    std::vector<std::vector<std::uint32_t>> circles;  // genes of each circular chromosome with genes, A's then B's

    std::uint32_t vertices() const { return 2 * static_cast<std::uint32_t>(genes.size()) + 2 * telomeres; }
    std::uint32_t telomereA(std::uint32_t i) const { return 2 * static_cast<std::uint32_t>(genes.size()) + i; }
    std::uint32_t telomereB(std::uint32_t j) const { return telomereA(telomeres) + j; }
    // The pairs gene k is in when matched: one per copy of its family in the other genome.
    std::vector<std::uint32_t> pairsOf(std::uint32_t gene) const;
};

// The diagram of the pair under the model. Throws std::runtime_error as
// buildMatchingProgram does for a label of a family in both genomes found
// twice in one genome, a family name that cannot stand in an LP name or
// makes too long a z name, and for a diagram too large to build.
DcjDiagram buildDcjDiagram(const GenomePair& pair, const MatchingModel& model);

// The columns of each kind, and where they are.
struct DcjColumns {
    std::uint32_t z = 0, x = 0, t = 0, y = 0, w = 0, r = 0, s = 0;  // first column of each kind
    std::vector<std::uint32_t> xOfEdge;  // kNoFamily for an edge without x column
    std::uint32_t count(char kind, const lp::HalvesProgram& program) const;
};

// The program under construction: its columns and its rows group by group.
struct DcjProgram {
    DcjDiagram diagram;
    DcjColumns columns;
    lp::HalvesProgram lp;
    std::vector<std::pair<std::string, std::size_t>> groupRows;  // "c01", rows
    std::size_t lowerPairs = 0, upperPairs = 0;                   // pairs every matching has, at least and at most
};

// The stages: columns, then each row group, then the objective.
void addDcjColumns(DcjProgram& program);
void addDcjRows(DcjProgram& program, std::string_view group);  // "c01" ... "c12" but "c03"
void addDcjObjective(DcjProgram& program);

// The row groups in order.
inline constexpr std::string_view kDcjGroups[] = {"c01", "c02", "c04", "c05", "c06", "c07",
                                                  "c08", "c09", "c10", "c11", "c12"};

// All stages.
DcjProgram buildDcjProgram(const GenomePair& pair, const MatchingModel& model);

// "N variables (P z, X x, T t, Y y, W w, R r, S s), M constraints".
std::string describeDcjCounts(const DcjProgram& program);

}  // namespace rp::model
