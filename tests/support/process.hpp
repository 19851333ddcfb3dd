// Runs a program in a given working directory and collects what it printed
// and its exit status.
#pragma once

#include <string>
#include <vector>

namespace rp::test {

struct ProcessResult {
    std::string out;
    std::string err;
    int status = -1;  // exit status, or -1 when the process did not exit normally
    int signal = 0;   // the signal that ended the process, or 0
};

// In a forked child: changes to `workingDirectory` and replaces the process
// with `program` and `args` (argv[0] is `program`); ends with status 127 when
// either fails. Standard streams are the caller's to set up before.
[[noreturn]] void execInDirectory(const std::string& program, const std::vector<std::string>& args,
                                  const std::string& workingDirectory);

// Runs `program` with `args` (argv[0] is `program`) in `workingDirectory`,
// standard input from /dev/null, and waits for it.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& workingDirectory);

}  // namespace rp::test
