// Entry point of resolve-paralogs.
#include "driver/run.hpp"

int main(int argc, char* argv[]) { return rp::runTool(argc, argv); }
