// Running a solver as a child process: its standard output and error go to a
// log file, it runs in a process group of its own, and it is ended (SIGTERM
// to the group, then SIGKILL) when it runs past its deadline. A signal that
// ends this process meanwhile (SIGINT, SIGTERM, SIGHUP) ends the child's
// group first; should this process end in a way it cannot see (SIGKILL), a
// watcher process in the child's group ends the group (SIGTERM, SIGKILL
// after the grace).
#pragma once

#include <string>
#include <vector>

namespace rp::solving {

struct ChildLimits {
    double killAfterSeconds = 0;  // the child is sent SIGTERM this long after its start; <= 0: never
    double termGraceSeconds = 5;  // then SIGKILL this long after SIGTERM
};

struct ChildResult {
    bool exited = false;      // ended by exit(); exitStatus holds its status
    int exitStatus = -1;
    int signal = 0;           // the signal that ended it, when it did not exit
    bool killedByUs = false;  // ended because it ran past killAfterSeconds
    double wallSeconds = 0;
};

// Runs `argv` (argv[0] found on PATH unless it holds a "/") with standard
// input from /dev/null and standard output and error appended to
// `logPath` (created or emptied first). Once the child has ended, whatever
// is left of its group (a process it started and did not wait for) is
// killed, and no process of this one's is left. Throws std::runtime_error
// "cannot run PROGRAM: REASON" when it cannot be started or watched,
// "cannot create LOG: REASON" when the log cannot be opened.
ChildResult runChild(const std::vector<std::string>& argv, const std::string& logPath, const ChildLimits& limits);

// "exit status 1", "signal 9 (Killed)", ...: how the child ended.
std::string describeEnding(const ChildResult& result);

}  // namespace rp::solving
