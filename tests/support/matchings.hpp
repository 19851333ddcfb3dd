// Small random pairs of genomes, random bounds, and every matching a model
// allows by enumeration: the independent road the programs of every
// distance are checked against (the best breakpoint score and the least
// DCJ-indel distance over the model's matchings), and the matching a
// solver's z variables at 1 say.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "breakpoint/score.hpp"
#include "model/matching_model.hpp"
#include "structs/structure.hpp"
#include "support/solvers.hpp"

namespace rp::test {

// The shape of a random pair: 1 to `families` families of 0 to 3 copies per
// genome (so some in one genome only), copy indices drawn from 1 to
// `copyIndices`, at most `maxGenes` genes per genome, random strands, 1 to
// `maxChromosomes` chromosomes each linear or circular (some left empty;
// empty circular ones dropped when `dropEmptyCircles`).
struct PairShape {
    int families = 4;
    std::size_t maxGenes = 8;
    int maxChromosomes = 3;
    int copyIndices = 5;
    bool dropEmptyCircles = false;
};

// Genomes "A" and "B" of that shape.
std::vector<Structure> randomPair(std::mt19937& rng, const PairShape& shape = {});

// Random bounds for some of the families in both genomes: LOWER <= UPPER <=
// min(a, b); the others keep the kind's range.
std::vector<model::FamilyBound> randomBounds(const Structure& a, const Structure& b, std::mt19937& rng);

// The pairs a model gives a family with `inA` and `inB` copies, from the
// models' definition: a bound names the family, else maximum min(a, b),
// exemplar 1, intermediate 1 to min(a, b); none for a family in one genome.
std::pair<std::size_t, std::size_t> pairsOf(const model::MatchingModel& model, const std::string& family,
                                            std::size_t inA, std::size_t inB);

// Calls `visit` with every matching of `a` and `b` that `model` allows.
void forEachMatching(const Structure& a, const Structure& b, const model::MatchingModel& model,
                     const std::function<void(const model::Matching&)>& visit);

// The best breakpoint objective (2 x adjacencies + telomeres) over the
// model's matchings (0 when it allows none).
std::size_t bestBreakpointScore(const Structure& a, const Structure& b, const model::MatchingModel& model);

// The least DCJ-indel distance over the model's matchings (INT64_MAX when it
// allows none).
std::int64_t leastDcjDistance(const Structure& a, const Structure& b, const model::MatchingModel& model);

// The matching that a solver's z variables at 1 say, checked (as test
// failures) to be one the model allows.
model::Matching matchingOfAnswer(const Structure& a, const Structure& b, const model::MatchingModel& model,
                                 const SolverAnswer& answer);

// Whether `matching` holds every pair of `decided`.
bool containsAll(const model::Matching& matching, const model::Matching& decided);

}  // namespace rp::test
