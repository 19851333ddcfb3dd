// The subcommands of the companion program, each run with its own argv
// (argv[0] is the command's name), returning the exit status.
#pragma once

namespace rp::paralogs {

int runModel(int argc, const char* const argv[]);
int runPair(int argc, const char* const argv[]);
int runRelated(int argc, const char* const argv[]);
int runScore(int argc, const char* const argv[]);
int runSolution(int argc, const char* const argv[]);
int runUnimog(int argc, const char* const argv[]);
int runConvert(int argc, const char* const argv[]);

}  // namespace rp::paralogs
