#include "support/process.hpp"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <thread>

#include "support/temp_dir.hpp"

namespace rp::test {

void execInDirectory(const std::string& program, const std::vector<std::string>& args,
                     const std::string& workingDirectory) {
    if (chdir(workingDirectory.c_str()) != 0) _exit(127);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
}

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& workingDirectory) {
    // Output goes to files rather than pipes, so a large output cannot block.
    TempDir capture;
    const std::string outPath = capture.file("stdout");
    const std::string errPath = capture.file("stderr");
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int in = open("/dev/null", O_RDONLY);
        if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(127);
        execInDirectory(program, args, workingDirectory);
    }
    int wstatus = 0;
    if (waitpid(pid, &wstatus, 0) != pid) throw std::runtime_error("waitpid failed");
    ProcessResult result;
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    result.signal = WIFSIGNALED(wstatus) ? WTERMSIG(wstatus) : 0;
    return result;
}

int startProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::string& workingDirectory, const std::string& errPath) {
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (null < 0 || err < 0 || dup2(null, 0) < 0 || dup2(null, 1) < 0 || dup2(err, 2) < 0) _exit(127);
        execInDirectory(program, args, workingDirectory);
    }
    return pid;
}

namespace {

// Whether `holds` comes true by `seconds` from now.
bool comesTrueWithin(const std::function<bool()>& holds, double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        if (holds()) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// A process is gone when /proc has no entry for it, and as good as gone
// when it is a zombie (state Z or X, after the name in parentheses).
bool gone(int pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    if (!in || !std::getline(in, stat)) return true;
    const std::size_t close = stat.rfind(')');
    return close == std::string::npos || close + 2 >= stat.size() || stat[close + 2] == 'Z' || stat[close + 2] == 'X';
}

}  // namespace

bool endsWithin(int pid, double seconds) {
    return comesTrueWithin([pid] { return gone(pid); }, seconds);
}

bool appearsWithin(const std::string& path, double seconds) {
    return comesTrueWithin([&path] { return std::filesystem::exists(path); }, seconds);
}

}  // namespace rp::test
