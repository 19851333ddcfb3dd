// resolve-paralogs' streaming reader of decisions: a visitor of the walk
// (solution/solution_walk) that keeps the selected z decisions of the first
// CPLEXSolution, declining whatever the exact reader must decide.
#pragma once

#include <cstddef>
#include <istream>
#include <optional>

#include "solution/assignment.hpp"
#include "solution/solution_walk.hpp"

namespace rp {

// Reads the decisions of the solution document in `in`, from its current
// position to its end. Returns nothing (declines) for anything it does not
// fully understand and for every error, so that the caller can read the
// document again with readSolutionExact, which gives the exact outcome.
std::optional<AssignmentMap> tryReadSolutionFast(std::istream& in);

// The same with a chosen chunk size in bytes; a single piece of markup (a tag,
// a comment, a processing instruction) longer than the chunk makes it decline.
std::optional<AssignmentMap> tryReadSolutionFast(std::istream& in, std::size_t chunkBytes);

}  // namespace rp
