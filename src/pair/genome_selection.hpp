// The genomes of a pair's file, of any form paralogs reads (UniMoG, a
// structures file, a result file; compressed or not; "-" for standard input).
#pragma once

#include <string>
#include <vector>

#include "io/input_file.hpp"
#include "structs/structure.hpp"

namespace rp::pair {

// Every genome of the file at `path`, its format recognised by content, read
// within the bound of `options`. Throws std::runtime_error naming the input
// and where it fails.
std::vector<Structure> readAnyGenomes(const std::string& path, const io::InputOptions& options);

// The pair is chosen from them by model::selectPair (model/genome_pair.hpp).

}  // namespace rp::pair
