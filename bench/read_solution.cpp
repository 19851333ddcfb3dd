// rp-bench-read-solution: reads a solution file as the tool does
// (rp::readSolutionFile, with its streaming path) and nothing else. Prints
// the reader's progress line, then the number of decisions.
//
//   rp-bench-read-solution SOLUTION
#include <exception>
#include <iostream>

#include "solution/solution_reader.hpp"

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::cerr << "usage: rp-bench-read-solution SOLUTION\n";
        return 2;
    }
    try {
        const rp::AssignmentMap decisions = rp::readSolutionFile(argv[1]);
        std::cout << decisions.size() << "\n";
    } catch (const std::exception& e) {
        std::cerr << "rp-bench-read-solution: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
