#include "solving/child_process.hpp"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <stdexcept>

extern char** environ;

namespace rp::solving {

namespace {

using Clock = std::chrono::steady_clock;

// The signals this process watches while the child runs, blocked so that
// they are taken with sigtimedwait: SIGCHLD, and those of SIGINT, SIGTERM
// and SIGHUP that are not ignored (under nohup, SIGHUP stays ignored).
sigset_t watchedSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGCHLD);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction now {};
        if (sigaction(s, nullptr, &now) == 0 && now.sa_handler != SIG_IGN) sigaddset(&set, s);
    }
    return set;
}

// Restores the signal mask and SIGCHLD's disposition on every way out.
class SignalScope {
public:
    SignalScope() {
        pthread_sigmask(SIG_BLOCK, &watched_, &oldMask_);
        struct sigaction dfl {};
        dfl.sa_handler = SIG_DFL;
        sigemptyset(&dfl.sa_mask);
        sigaction(SIGCHLD, &dfl, &oldChild_);
    }
    ~SignalScope() {
        sigaction(SIGCHLD, &oldChild_, nullptr);
        pthread_sigmask(SIG_SETMASK, &oldMask_, nullptr);
    }
    SignalScope(const SignalScope&) = delete;
    SignalScope& operator=(const SignalScope&) = delete;
    const sigset_t& oldMask() const { return oldMask_; }
    const sigset_t& watched() const { return watched_; }

private:
    sigset_t watched_ = watchedSignals();
    sigset_t oldMask_{};
    struct sigaction oldChild_ {};
};

class SpawnSetup {
public:
    SpawnSetup(int logFd, const sigset_t& childMask) {
        posix_spawn_file_actions_init(&actions_);
        posix_spawnattr_init(&attr_);
        posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions_, logFd, 1);
        posix_spawn_file_actions_adddup2(&actions_, logFd, 2);
        posix_spawnattr_setpgroup(&attr_, 0);
        posix_spawnattr_setsigmask(&attr_, &childMask);
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGCHLD);
        posix_spawnattr_setsigdefault(&attr_, &defaults);
        posix_spawnattr_setflags(&attr_, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions_);
        posix_spawnattr_destroy(&attr_);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
    const posix_spawn_file_actions_t* actions() const { return &actions_; }
    const posix_spawnattr_t* attr() const { return &attr_; }

private:
    posix_spawn_file_actions_t actions_{};
    posix_spawnattr_t attr_{};
};

timespec toTimespec(double seconds) {
    if (seconds < 0) seconds = 0;
    timespec t{};
    t.tv_sec = static_cast<time_t>(seconds);
    t.tv_nsec = static_cast<long>((seconds - std::floor(seconds)) * 1e9);
    return t;
}

// What the watcher does, in the forked process (async-signal-safe calls
// only): it joins the group, ignores the signals that end this process,
// closes every descriptor but the pipe's read end, and waits for that end
// to close, which happens when this process ends, however it ends. Then
// it sends the group SIGTERM and, after the grace, SIGKILL, which ends the
// watcher too.
[[noreturn]] void watchGroup(pid_t group, int readFd, int writeFd, int openMax, timespec grace) {
    setpgid(0, group);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaction(s, &ignore, nullptr);
    close(writeFd);
    if ((readFd > 0 && close_range(0, static_cast<unsigned>(readFd) - 1, 0) != 0) ||
        close_range(static_cast<unsigned>(readFd) + 1, ~0U, 0) != 0) {
        for (int fd = 0; fd < openMax; ++fd)
            if (fd != readFd) close(fd);
    }
    char byte = 0;
    ssize_t n = 0;
    do {
        n = read(readFd, &byte, 1);
    } while (n > 0 || (n < 0 && errno == EINTR));
    kill(-group, SIGTERM);
    while (nanosleep(&grace, &grace) != 0 && errno == EINTR) {
    }
    kill(-group, SIGKILL);
    _exit(0);
}

// A watcher of the child's group: a process of that group that ends the
// group when this process ends in any way, SIGKILL included, through a pipe
// whose write end only this process holds (made once the child has started,
// and close-on-exec, so that no program started holds it). As a member of
// the group it also keeps the group's id from being taken by another group
// while it lives, so that neither its signals nor ours reach a stranger.
// Its end ends whatever is left of the group and reaps the watcher. (A
// parent-death signal would reach the child alone, not a template's
// shell's children, and posix_spawn cannot set one.)
class GroupWatch {
public:
    // Throws std::runtime_error with the reason when no watcher can start.
    GroupWatch(pid_t group, double graceSeconds) : group_(group) {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
        const long openMax = sysconf(_SC_OPEN_MAX);
        const int bound = openMax > 0 && openMax < 65536 ? static_cast<int>(openMax) : 65536;
        const timespec grace = toTimespec(graceSeconds);
        watcher_ = fork();
        if (watcher_ == 0) watchGroup(group, ends[0], ends[1], bound, grace);
        const int forkError = errno;
        close(ends[0]);
        writeFd_ = ends[1];
        if (watcher_ < 0) {
            close(writeFd_);
            throw std::runtime_error(std::string("fork: ") + std::strerror(forkError));
        }
        // Joined here too, so that it is a member before the child is waited for.
        if (setpgid(watcher_, group) != 0) {
            const int joinError = errno;
            kill(watcher_, SIGKILL);
            reap();
            throw std::runtime_error(std::string("setpgid: ") + std::strerror(joinError));
        }
    }
    ~GroupWatch() {
        kill(-group_, SIGKILL);
        reap();
    }
    GroupWatch(const GroupWatch&) = delete;
    GroupWatch& operator=(const GroupWatch&) = delete;

private:
    void reap() {
        while (waitpid(watcher_, nullptr, 0) < 0 && errno == EINTR) {
        }
        close(writeFd_);
    }

    pid_t group_;
    pid_t watcher_ = -1;
    int writeFd_ = -1;
};

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Waits for the child, at most `seconds` (< 0: no limit); true once it has
// ended. A signal that would end this process is returned in `fatal`.
bool waitFor(pid_t pid, const sigset_t& set, int& status, double seconds, int& fatal) {
    const Clock::time_point start = Clock::now();
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return true;
        if (done < 0 && errno != EINTR) throw std::runtime_error(std::string("waitpid: ") + std::strerror(errno));
        int taken = 0;
        if (seconds < 0) {
            sigwait(&set, &taken);
        } else {
            const double left = seconds - secondsSince(start);
            if (left <= 0) return false;
            const timespec t = toTimespec(left);
            taken = sigtimedwait(&set, nullptr, &t);
        }
        if (taken == SIGINT || taken == SIGTERM || taken == SIGHUP) {
            if (fatal == 0) fatal = taken;
            return false;
        }
    }
}

// Ends the child's group: SIGTERM, then SIGKILL after the grace.
void endGroup(pid_t pid, const sigset_t& set, int& status, double grace) {
    kill(-pid, SIGTERM);
    int ignored = 0;
    if (waitFor(pid, set, status, grace, ignored)) {
        kill(-pid, SIGKILL);  // whatever of its group is left
        return;
    }
    kill(-pid, SIGKILL);
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

// The watch of a child just started; when none can start, the child is
// ended (its group's id is still ours: the child is not reaped yet) and
// "cannot run PROGRAM: cannot watch it: REASON" thrown.
std::unique_ptr<GroupWatch> startWatch(const std::string& program, pid_t pid, double grace) {
    try {
        return std::make_unique<GroupWatch>(pid, grace);
    } catch (const std::runtime_error& e) {
        kill(-pid, SIGKILL);
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        throw std::runtime_error("cannot run " + program + ": cannot watch it: " + e.what());
    }
}

}  // namespace

ChildResult runChild(const std::vector<std::string>& argv, const std::string& logPath, const ChildLimits& limits) {
    if (argv.empty()) throw std::invalid_argument("runChild: no program");
    const int logFd = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0666);
    if (logFd < 0) throw std::runtime_error("cannot create " + logPath + ": " + std::strerror(errno));
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    ChildResult result;
    int fatal = 0;
    {
        SignalScope signals;
        SpawnSetup setup(logFd, signals.oldMask());
        pid_t pid = 0;
        const Clock::time_point start = Clock::now();
        const int failed = posix_spawnp(&pid, args[0], setup.actions(), setup.attr(), args.data(), environ);
        close(logFd);
        if (failed != 0) throw std::runtime_error("cannot run " + argv[0] + ": " + std::strerror(failed));
        const std::unique_ptr<GroupWatch> watch = startWatch(argv[0], pid, limits.termGraceSeconds);
        int status = 0;
        const double limit = limits.killAfterSeconds > 0 ? limits.killAfterSeconds : -1;
        if (!waitFor(pid, signals.watched(), status, limit, fatal)) {
            result.killedByUs = fatal == 0;
            endGroup(pid, signals.watched(), status, limits.termGraceSeconds);
        }
        result.wallSeconds = secondsSince(start);
        if (WIFEXITED(status)) {
            result.exited = true;
            result.exitStatus = WEXITSTATUS(status);
        } else if (WIFSIGNALED(status)) {
            result.signal = WTERMSIG(status);
        }
    }
    if (fatal != 0) {
        // This process was asked to end: the signal, taken while the child
        // ran, is raised again now that its disposition is back.
        raise(fatal);
    }
    return result;
}

std::string describeEnding(const ChildResult& result) {
    if (result.exited) return "exit status " + std::to_string(result.exitStatus);
    if (result.signal != 0) return "signal " + std::to_string(result.signal) + " (" + strsignal(result.signal) + ")";
    return "an unknown ending";
}

}  // namespace rp::solving
