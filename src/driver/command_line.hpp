// The command line: three file options below the working directory, or help.
#pragma once

#include <string>
#include <string_view>

namespace rp {

// The three files of a run, each the working directory, "/" and the value
// given on the command line.
struct FilePaths {
    std::string structsPath;
    std::string ilpPath;
    std::string outputPath;
};

// The program's name as the usage line shows it: what follows the last
// backslash of argv[0], or, with none, its last slash; else all of it.
std::string invocationName(std::string_view argv0);

// Prints "Parsing commandline...", then parses the options. With help asked
// for, prints the usage line and the option table on standard error and ends
// the process with status 0. Throws the command-line library's exceptions for
// a rejected command line, and its bad-cast exception for an absent option.
FilePaths parseCommandLine(int argc, const char* const argv[]);

}  // namespace rp
