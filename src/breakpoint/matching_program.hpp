// The integer program whose optimum is the best matching of two genomes
// under a model, and its writer in the CPLEX LP format (read by CPLEX,
// Gurobi, CBC, GLPK, SCIP, HiGHS).
//
// Variables: z_<family>.<i>.<j> (copy i of A matched to copy j of B) for
// every family with genes in both genomes; a<k> for each candidate conserved
// adjacency and t<k> for each candidate conserved telomere. A candidate is a
// stretch of A between two genes (or a gene and a chromosome end) and one of
// B with the same families, whose extremities map as the definition of the
// score requires under the genes' strands; it can be 1 only when both pairs
// are matched (link rows) and every gene strictly within either stretch is
// left unmatched (gap rows). Within a stretch stand only genes the model can
// leave unmatched, no more of a family than it has to spare: its copies in
// that genome less its range's lower bound.
//
// Rows, one per gene or pair where it has more than one term:
//   count_<f>:  the family's pairs = its range's lower bound when that is
//     also the upper; else countLow_<f> (>= lower) and countHigh_<f>
//     (<= upper). Maximum: min(a_f, b_f); exemplar 1; intermediate 1 to
//     min(a_f, b_f); a bounds file sets a family's range.
//   degA_<g>, degB_<g>: each gene in at most one pair
//   left_<p>, right_<p>: the candidates that use the left (right) side of
//     A's gene of pair p with that partner <= z of p (at most one of them
//     holds in any matching, so one row bounds them all)
//   gapA_<g>, gapB_<g>: the candidates whose stretch holds gene g, plus
//     g's pairs, <= 1 (g lies within at most one stretch of the reduced
//     genome)
// The objective is 2 x the adjacency candidates + the telomere candidates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "model/genome_pair.hpp"
#include "lp/lp_program.hpp"
#include "model/matching_model.hpp"

namespace rp::model {

// The program, built in memory: columns z_F.I.J first, then a1 ... aN, then
// t1 ... tM; one byte per coefficient.
struct MatchingProgram : lp::BasicProgram<std::int8_t> {
    std::size_t families = 0;      // families with genes in both genomes
    std::size_t pairs = 0;         // the matched pairs every solution has (the lower bounds)
    std::size_t upperPairs = 0;    // the most pairs a solution has
    std::size_t zCount = 0;
    std::size_t adjacencyCandidates = 0;
    std::size_t telomereCandidates = 0;

    std::size_t variables() const { return columns.size(); }
};

// Builds the program for genome A and genome B under the model: each family
// in both genomes gets from familyRange's lower to its upper pairs. Throws
// std::runtime_error for a pair it refuses: a model's bounds that checkBounds
// refuses, a label of a family in both
// genomes that occurs twice in one ("label F.K occurs twice in genome A
// (structure 1, NAME)"), a family name that cannot stand in an LP name, one
// so long that a z name would pass kMaxLpName characters.
MatchingProgram buildMatchingProgram(const GenomePair& pair, const MatchingModel& model);

// The families of which the model can leave copies of A unmatched (more
// copies in A than the range's lower bound) while every
// copy index from 1 to 19 is in use in `structures` (resolve-paralogs then
// has no free index to move them to), in the order of A.
std::vector<std::string> familiesPastIndexLimit(const std::vector<Structure>& structures,
                                                const GenomePair& pair, const MatchingModel& model);

// The program is written by lp::writeProgram (lp/lp_program.hpp).

}  // namespace rp::model
