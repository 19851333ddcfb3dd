// The --distance option of the commands that take one (model, score): its
// entry in the table of distances, an unknown name a usage error.
#pragma once

#include "distance/distances.hpp"
#include "paralogs/command.hpp"

namespace rp::paralogs {

// The entry named by --distance; throws UsageError "unknown distance "X"
// (breakpoint or dcj)".
const distance::DistanceEntry& distanceOption(const po::variables_map& values);

}  // namespace rp::paralogs
