// The two genomes of a pair, picked by name from a genomes file of any form
// paralogs reads (UniMoG, a structures file, a result file; compressed or
// not; "-" for standard input).
#pragma once

#include <string>
#include <vector>

#include "structs/model.hpp"

namespace rp::pair {

// Every genome of the file at `path`, its format recognised by content.
// Throws std::runtime_error naming the input and where it fails.
std::vector<Structure> readAnyGenomes(const std::string& path);

// Genomes A and B, in that order: those named `a` and `b`, or the first two
// when both names are empty. Throws std::runtime_error "SOURCE: genome X is
// not in the file (genomes: ...)", "... is in the file more than once", or
// "SOURCE holds N genome(s), a pair needs two".
std::vector<Structure> selectGenomes(std::vector<Structure> genomes, const std::string& a, const std::string& b,
                                     const std::string& source);

}  // namespace rp::pair
