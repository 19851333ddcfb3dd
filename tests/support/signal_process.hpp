// Runs a program with its standard output and error on a pseudo-terminal, so
// that its lines arrive as it prints them, and sends it a signal as soon as a
// given text has appeared: an interruption at a known point, without sleeps.
#pragma once

#include <string>
#include <vector>

namespace rp::test {

struct SignalledRun {
    std::string output;   // standard output and error as read (line ends "\r\n")
    bool signalSent = false;
    int waitStatus = 0;   // as waitpid gives it
};

// Runs `program` with `args` in `workingDirectory`; sends `signal` once
// `text` has appeared in its output, then reads on until it has ended.
SignalledRun runAndSignalOn(const std::string& program, const std::vector<std::string>& args,
                            const std::string& workingDirectory, const std::string& text, int signal);

}  // namespace rp::test
