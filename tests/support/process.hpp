// Runs a program in a given working directory and collects what it printed
// and its exit status; starts one to be killed midway; waits, up to a
// deadline, for a process to end or a file to appear.
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

// Starts `program` with `args` in `workingDirectory`, standard input and
// output from and to /dev/null, standard error to `errPath`, and returns
// its pid without waiting (the caller waits for it).
int startProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::string& workingDirectory, const std::string& errPath);

// Whether the process `pid` (not the caller's child) is gone, or a zombie
// only, by `seconds` from now; looked at in /proc every few milliseconds.
bool endsWithin(int pid, double seconds);

// Whether a file at `path` exists by `seconds` from now.
bool appearsWithin(const std::string& path, double seconds);

}  // namespace rp::test
