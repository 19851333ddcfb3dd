// The solver's child process: its ending, its log, its end when it runs
// past its deadline (children we end are fine; the test itself never waits
// on a clock), and nothing of it left behind. Its end when this process is
// killed: tests/pair/pair_killed_test.cpp.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cerrno>
#include <csignal>
#include <stdexcept>
#include <string>

#include "solving/child_process.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace rp::solving {
namespace {

ChildResult shell(const test::TempDir& dir, const std::string& command, ChildLimits limits = {}) {
    return runChild({"/bin/sh", "-c", command}, dir.file("log"), limits);
}

TEST(ChildProcess, ExitStatusAndBothStreamsInTheLog) {
    test::TempDir dir;
    dir.write("log", "an earlier run's log\n");
    const ChildResult r = shell(dir, "echo out; echo err >&2; exit 3");
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitStatus, 3);
    EXPECT_FALSE(r.killedByUs);
    EXPECT_EQ(dir.read("log"), "out\nerr\n");
    EXPECT_EQ(describeEnding(r), "exit status 3");
}

TEST(ChildProcess, StandardInputIsEmpty) {
    // cat would wait for the caller's input if it inherited it.
    test::TempDir dir;
    const ChildResult r = shell(dir, "cat; echo done");
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(dir.read("log"), "done\n");
}

TEST(ChildProcess, PastItsDeadlineItIsEnded) {
    test::TempDir dir;
    ChildLimits limits;
    limits.killAfterSeconds = 0.2;
    const ChildResult r = shell(dir, "echo started; sleep 30", limits);
    EXPECT_TRUE(r.killedByUs);
    EXPECT_FALSE(r.exited);
    EXPECT_EQ(r.signal, SIGTERM);
    EXPECT_EQ(dir.read("log"), "started\n");
}

TEST(ChildProcess, OneThatIgnoresSigtermIsKilled) {
    test::TempDir dir;
    ChildLimits limits;
    limits.killAfterSeconds = 0.2;
    limits.termGraceSeconds = 0.2;
    const ChildResult r = shell(dir, "trap '' TERM; sleep 30", limits);
    EXPECT_TRUE(r.killedByUs);
    EXPECT_EQ(r.signal, SIGKILL);
    EXPECT_NE(describeEnding(r).find("signal 9"), std::string::npos);
}

TEST(ChildProcess, NothingOfItOutlivesIt) {
    // However the child ends, no child of this process is left (the
    // group's watcher is reaped) and nothing of the child's group runs on
    // (a grandchild it left behind is ended with the group).
    struct Case {
        const char* what;
        const char* ending;
        double killAfterSeconds;
    };
    const Case cases[] = {
        {"exit", "exit 0", 0},
        {"crash", "kill -SEGV $$", 0},
        {"past its deadline", "sleep 600", 0.2},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        ChildLimits limits;
        limits.killAfterSeconds = c.killAfterSeconds;
        shell(dir, "sleep 600 & echo $! > '" + dir.file("pid") + "'; " + c.ending, limits);
        errno = 0;
        EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1) << c.what;
        EXPECT_EQ(errno, ECHILD) << c.what;
        EXPECT_TRUE(test::endsWithin(std::stoi(dir.read("pid")), 60)) << c.what;
    }
}

TEST(ChildProcess, WhatCannotStartIsAnError) {
    test::TempDir dir;
    try {
        runChild({"no-such-solver-anywhere"}, dir.file("log"), {});
        FAIL() << "ran";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "cannot run no-such-solver-anywhere: No such file or directory");
    }
    EXPECT_THROW(runChild({"/bin/true"}, dir.file("missing/log"), {}), std::runtime_error);
}

}  // namespace
}  // namespace rp::solving
