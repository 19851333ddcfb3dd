// The companion program: picks the subcommand, or answers --help and
// --version.
#pragma once

namespace rp::paralogs {

int runProgram(int argc, const char* const argv[]);

}  // namespace rp::paralogs
