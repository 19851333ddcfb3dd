// The genomes of a pair's file, of any form paralogs reads (UniMoG, a
// structures file, a result file; compressed or not; "-" for standard input).
#pragma once

#include <string>
#include <vector>

#include "structs/structure.hpp"

namespace rp::pair {

// Every genome of the file at `path`, its format recognised by content.
// Throws std::runtime_error naming the input and where it fails.
std::vector<Structure> readAnyGenomes(const std::string& path);

// The pair is chosen from them by model::selectPair (model/genome_pair.hpp).

}  // namespace rp::pair
