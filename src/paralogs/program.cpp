#include "paralogs/program.hpp"

#include <iostream>
#include <string>
#include <string_view>

#include "io/input_size.hpp"
#include "paralogs/command.hpp"
#include "paralogs/commands.hpp"

namespace rp::paralogs {

namespace {

struct Entry {
    std::string_view name;
    std::string_view purpose;
    int (*run)(int, const char* const[]);
};

// Sized by its entries: a new command is one more line here.
constexpr Entry kCommands[] = {
    {"model", "write the matching program of two genomes (CPLEX LP format)", runModel},
    {"score", "breakpoint score or DCJ-indel distance of two genomes, by labels", runScore},
    {"solution", "turn any solver's answer into the solution resolve-paralogs reads", runSolution},
    {"unimog", "convert between UniMoG and structures or result files", runUnimog},
    {"convert", "convert genomes to structures, UniMoG or GRIMM", runConvert},
    {"pair", "the whole road of one pair: genomes, program, solver, resolved genomes, summary", runPair},
    {"related", "the pairs of a collection that share families, as a sheet of pairs", runRelated},
};

void printProgramUsage(std::ostream& out) {
    out << "Usage: paralogs COMMAND [OPTIONS]\n\nCommands:\n";
    for (const Entry& e : kCommands) {
        out << "  " << e.name << std::string(10 - e.name.size(), ' ') << e.purpose << '\n';
    }
    out << "\n'paralogs COMMAND --help' shows the options of a command; '-' names standard\n"
           "input or output; compressed inputs (gzip, bzip2, xz, zstd) are read as they are,\n"
           "each up to " << io::describeInputSize(io::kDefaultMaxInputBytes)
        << " once decompressed unless --max-input-size says otherwise.\n";
}

}  // namespace

int runProgram(int argc, const char* const argv[]) {
    if (argc < 2) {
        printProgramUsage(std::cerr);
        return 2;
    }
    const std::string_view first = argv[1];
    if (first.empty()) {
        std::cerr << "paralogs: no command given (an empty name)\n";
        printProgramUsage(std::cerr);
        return 2;
    }
    if (first == "-h" || first == "--help") {
        printProgramUsage(std::cout);
        return 0;
    }
    if (first == "--version") {
        std::cout << "paralogs " << PARALOGS_VERSION << '\n';
        return 0;
    }
    for (const Entry& e : kCommands) {
        if (e.name == first) return e.run(argc - 1, argv + 1);
    }
    printMessage("paralogs: unknown command '" + std::string(first) + "'");
    printProgramUsage(std::cerr);
    return 2;
}

}  // namespace rp::paralogs
