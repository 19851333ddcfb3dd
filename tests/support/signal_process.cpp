#include "support/signal_process.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

#include "support/process.hpp"

namespace rp::test {

SignalledRun runAndSignalOn(const std::string& program, const std::vector<std::string>& args,
                            const std::string& workingDirectory, const std::string& text, int signal) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) throw std::runtime_error("no pseudo-terminal");
    // The terminal side is opened before the fork, so reading never meets a
    // side not yet opened; it reads EIO once the child has closed it.
    const int slave = open(ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        close(master);
        throw std::runtime_error("cannot open the pseudo-terminal");
    }
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        if (dup2(slave, 1) < 0 || dup2(slave, 2) < 0) _exit(127);
        execInDirectory(program, args, workingDirectory);
    }
    close(slave);
    SignalledRun run;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(master, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        run.output.append(buffer, static_cast<std::size_t>(n));
        if (!run.signalSent && run.output.find(text) != std::string::npos) {
            kill(pid, signal);
            run.signalSent = true;
        }
    }
    close(master);
    if (waitpid(pid, &run.waitStatus, 0) != pid) throw std::runtime_error("waitpid failed");
    return run;
}

}  // namespace rp::test
