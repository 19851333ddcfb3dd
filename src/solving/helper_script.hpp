// Where a solver's helper script (HiGHS' highs-solve.mjs) is found: the
// file its environment variable names, else beside the running program, so
// that an installed or unpacked program finds its own copy wherever its
// prefix lies and without the tree it was built from.
#pragma once

#include <string>
#include <vector>

#include "solving/solver_table.hpp"

namespace rp::solving {

// The places to look, in order: `variable`'s value when not empty, then
// PROGRAM_DIR/../share/paralogs/SCRIPT (an installed program: PREFIX/bin
// beside PREFIX/share) and PROGRAM_DIR/share/paralogs/SCRIPT (the build
// tree, where the build links share/paralogs/highs to solvers/highs).
std::vector<std::string> helperScriptPlaces(const std::string& script, const std::string& variable,
                                            const std::string& programDir);

// The first of those places that exists; the first place when none does
// (for the message that says it is missing); empty for a solver without a
// script. Reads the descriptor's environment variable and the running
// program's directory.
std::string findHelperScript(const SolverDescriptor& solver);

// The directory of the running program (/proc/self/exe); empty when unknown.
std::string runningProgramDirectory();

}  // namespace rp::solving
