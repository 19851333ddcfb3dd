// Entry point of paralogs, the companion program.
#include "paralogs/program.hpp"

int main(int argc, char* argv[]) { return rp::paralogs::runProgram(argc, argv); }
