// The run sequence: solution, structures, renumbering, result, with every
// failure reported in one place.
#pragma once

namespace rp {

// Runs the whole job once for the given command line. Returns the process
// exit status: 0 on success (and help), 1 on every reported failure.
int runTool(int argc, const char* const argv[]);

}  // namespace rp
