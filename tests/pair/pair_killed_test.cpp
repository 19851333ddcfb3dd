// paralogs pair ended while its solver runs: the solver and the solver's own
// children end with it, whether it takes the signal (SIGTERM: it ends the
// solver's group itself) or cannot (SIGKILL: the watcher of the solver's
// group ends the group when paralogs is gone).
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace rp::pair {
namespace {

const std::string kExample = RP_SOURCE_DIR "/examples/structs.txt";

// A template whose shell starts two children, one of them deaf to SIGTERM
// (ended by the SIGKILL that follows), writes its pid and theirs to `pids`
// once all run, and waits.
const std::string kSolver =
    "sleep 600 & a=$!; (trap '' TERM; exec sleep 600) & b=$!; echo $$ $a $b > pids.tmp; mv pids.tmp pids; wait "
    "# {lp} {solution}";

TEST(PairKilled, TheSolverAndItsChildrenEndWithParalogs) {
    for (const int signal : {SIGKILL, SIGTERM}) {
        test::TempDir dir;
        const int pid = test::startProcess(RP_PARALOGS_PATH,
                                           {"pair", "-s", kExample, "-d", "p", "--distance", "dcj", "--solver", kSolver},
                                           dir.path(), dir.file("stderr"));
        const bool started = test::appearsWithin(dir.file("pids"), 120);
        kill(pid, signal);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(started) << dir.read("stderr");
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal)
            << strsignal(signal) << ": " << status << " " << dir.read("stderr");
        std::istringstream line(dir.read("pids"));
        std::vector<int> pids;
        for (int p = 0; line >> p;) pids.push_back(p);
        ASSERT_EQ(pids.size(), 3u) << dir.read("pids");
        for (const int p : pids) {
            const bool ended = test::endsWithin(p, 60);
            EXPECT_TRUE(ended) << strsignal(signal) << ": process " << p << " of the solver's group runs on";
            if (!ended) kill(p, SIGKILL);
        }
    }
}

}  // namespace
}  // namespace rp::pair
