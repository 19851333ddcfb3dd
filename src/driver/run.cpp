#include "driver/run.hpp"

#include <exception>
#include <fstream>
#include <iostream>
#include <new>

#include "driver/command_line.hpp"
#include "resolve/renumber.hpp"
#include "solution/solution_reader.hpp"
#include "structs/result_writer.hpp"
#include "structs/structs_reader.hpp"

namespace rp {

int runTool(int argc, const char* const argv[]) {
    try {
        const FilePaths paths = parseCommandLine(argc, argv);
        const AssignmentMap decisions = readSolutionFile(paths.ilpPath);
        std::ifstream structsFile(paths.structsPath);
        if (!structsFile.is_open()) {
            std::cerr << "failed to open file with initial structs";
            return 1;
        }
        readFamilyTable(structsFile);  // only read to get past it
        std::vector<Structure> structures = readStructures(structsFile);
        renumberCopies(decisions, structures);
        writeResultFile(paths.outputPath, structures);
        return 0;
    } catch (const std::bad_alloc&) {
        std::cerr << "exception: bad allocation";
    } catch (const std::exception& e) {
        std::cerr << "exception: " << e.what();
    }
    return 1;
}

}  // namespace rp
