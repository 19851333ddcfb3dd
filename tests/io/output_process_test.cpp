// The result file of resolve-paralogs as users meet it: replaced whole or
// not at all, through the real binary.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <thread>

#include "support/file_system.hpp"
#include "support/process.hpp"
#include "support/signal_process.hpp"
#include "support/temp_dir.hpp"

namespace rp {
namespace {

using test::entries;
using test::statOf;
using test::TempDir;

const std::string kProgress =
    "Parsing commandline...\nReading z variables from ilp solution...\nWriting structures with resolved paralogs...\n";

const char* const kSolution =
    "<?xml version = \"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<CPLEXSolution version=\"1.2\">\n"
    " <header objectiveValue=\"1\"/>\n"
    " <variables>\n"
    "  <variable name=\"x1\" index=\"0\" value=\"1\"/>\n"
    "  <variable name=\"z_f0.1.2\" index=\"1\" value=\"1\"/>\n"
    " </variables>\n"
    "</CPLEXSolution>\n";

// A structures file of `genomes` genomes of `genes` genes each, and the
// result resolve-paralogs makes of it with kSolution (copy 1 of f0 in the
// first genome becomes copy 2; every other gene stays).
struct Input {
    std::string structs;
    std::string result;
};

Input generated(int genomes, int genes) {
    Input in;
    in.structs = "1\nf0 1\n" + std::to_string(genomes) + "\n";
    in.result = std::to_string(genomes) + ";\n";
    for (int g = 0; g < genomes; ++g) {
        const std::string name = "genome" + std::to_string(g);
        in.structs += name + " 0 ; 1 ;\nL " + std::to_string(genes) + " : ";
        in.result += name + " 1; L" + std::to_string(genes) + ": ";
        for (int i = 0; i < genes; ++i) {
            const char sign = i % 3 ? '+' : '-';
            const std::string family = std::to_string(i % 1000);
            in.structs.append(1, sign).append("f").append(family).append(".1");
            in.result.append(1, sign).append("f").append(family).append(g == 0 && i % 1000 == 0 ? ".2" : ".1");
        }
        in.structs += ";\n";
        in.result += "; \n";
    }
    return in;
}

const Input& small() {
    static const Input input = generated(3, 200);
    return input;
}

test::ProcessResult run(const TempDir& dir, const std::string& output) {
    return test::runProcess(RP_TOOL_PATH, {"-s", "structs.txt", "-i", "solution.xml", "-o", output}, dir.path());
}

void prepare(const TempDir& dir, const Input& input) {
    dir.write("structs.txt", input.structs);
    dir.write("solution.xml", kSolution);
}

TEST(ResultFile, IsReplacedWhereARenameIsRightAndWrittenInPlaceWhereNot) {
    struct Case {
        const char* what;
        std::function<void(const TempDir&)> setUp;  // makes "out" and whatever it needs
        std::function<void(const TempDir&)> check;  // after a successful run
    };
    const std::string old = "previous result\n";
    const Case cases[] = {
        {"mode 0640 stays 0640",
         [&](const TempDir& dir) {
             dir.write("out", old);
             ::chmod(dir.file("out").c_str(), 0640);
         },
         [](const TempDir& dir) { EXPECT_EQ(statOf(dir.file("out")).st_mode & 07777, 0640u); }},
        {"a new file gets 0666 less the umask", [](const TempDir&) {},
         [](const TempDir& dir) {
             const mode_t mask = ::umask(022);
             ::umask(mask);
             EXPECT_EQ(statOf(dir.file("out")).st_mode & 07777, 0666 & ~mask);
         }},
        {"a symbolic link stays and its target is replaced",
         [&](const TempDir& dir) {
             std::filesystem::create_directory(dir.file("data"));
             dir.write("data/result.txt", old);
             ::symlink("data/result.txt", dir.file("out").c_str());
         },
         [&](const TempDir& dir) {
             EXPECT_TRUE(S_ISLNK(statOf(dir.file("out")).st_mode));
             EXPECT_EQ(dir.read("data/result.txt"), small().result);
             EXPECT_EQ(entries(dir.file("data")), std::set<std::string>{"result.txt"});
         }},
        {"two hard links stay one inode",
         [&](const TempDir& dir) {
             dir.write("out", old);
             ::link(dir.file("out").c_str(), dir.file("other").c_str());
         },
         [&](const TempDir& dir) {
             EXPECT_EQ(statOf(dir.file("out")).st_ino, statOf(dir.file("other")).st_ino);
             EXPECT_EQ(statOf(dir.file("out")).st_nlink, 2u);
             EXPECT_EQ(dir.read("other"), small().result);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        prepare(dir, small());
        c.setUp(dir);
        std::set<std::string> before = entries(dir.path());
        before.insert("out");
        const auto result = run(dir, "out");
        EXPECT_EQ(result.out, kProgress);
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(dir.read("out"), small().result);
        EXPECT_EQ(entries(dir.path()), before) << "no temporary file left";
        c.check(dir);
    }
}

TEST(ResultFile, AReadOnlyDirectoryWithAWritableResultFileIsWrittenInPlace) {
    TempDir dir;
    prepare(dir, small());
    std::filesystem::create_directory(dir.file("locked"));
    dir.write("locked/result.txt", "previous result\n");
    const ino_t inode = statOf(dir.file("locked/result.txt")).st_ino;
    test::Unwritable locked(dir.file("locked"));
    if (!locked.made()) GTEST_SKIP() << locked.reason();
    const auto result = run(dir, "locked/result.txt");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(dir.read("locked/result.txt"), small().result);
    EXPECT_EQ(statOf(dir.file("locked/result.txt")).st_ino, inode);
    // A new result cannot be created there, as before.
    const auto refused = run(dir, "locked/new.txt");
    EXPECT_EQ(refused.out, kProgress);
    EXPECT_EQ(refused.err, "exception: failed to open result file");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(entries(dir.file("locked")), std::set<std::string>{"result.txt"});
}

TEST(ResultFile, DevicesThroughALinkAreWrittenInPlace) {
    TempDir dir;
    prepare(dir, small());
    ASSERT_EQ(::symlink("/dev/full", dir.file("full").c_str()), 0);
    ASSERT_EQ(::symlink("/dev/null", dir.file("null").c_str()), 0);
    const auto full = run(dir, "full");
    EXPECT_EQ(full.out, kProgress);
    EXPECT_EQ(full.err, "exception: failed to write result file");
    EXPECT_EQ(full.status, 1);
    const auto null = run(dir, "null");
    EXPECT_EQ(null.err, "");
    EXPECT_EQ(null.status, 0);
    EXPECT_TRUE(S_ISLNK(statOf(dir.file("full")).st_mode));
    EXPECT_TRUE(S_ISLNK(statOf(dir.file("null")).st_mode));
    EXPECT_EQ(entries(dir.path()), (std::set<std::string>{"full", "null", "solution.xml", "structs.txt"}));
}

TEST(ResultFile, AFifoIsWrittenInPlace) {
    TempDir dir;
    prepare(dir, small());
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] {
        const int fd = ::open(dir.file("pipe").c_str(), O_RDONLY);
        if (fd < 0) return;
        char buffer[4096];
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) received.append(buffer, static_cast<std::size_t>(n));
        ::close(fd);
    });
    const auto result = run(dir, "pipe");
    // Should the tool never have opened the FIFO, this lets the reader go.
    const int unblock = ::open(dir.file("pipe").c_str(), O_WRONLY | O_NONBLOCK);
    if (unblock >= 0) ::close(unblock);
    reader.join();
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(received, small().result);
    EXPECT_TRUE(S_ISFIFO(statOf(dir.file("pipe")).st_mode));
}

TEST(ResultFile, OpenFailuresAreUnchanged) {
    TempDir dir;
    prepare(dir, small());
    std::filesystem::create_directory(dir.file("directory"));
    dir.write("protected.txt", "previous result\n");
    test::Unwritable protectedFile(dir.file("protected.txt"));
    std::vector<std::string> outputs = {"missing/result.txt", "directory"};
    if (protectedFile.made()) outputs.push_back("protected.txt");
    for (const std::string& output : outputs) {
        const auto result = run(dir, output);
        EXPECT_EQ(result.out, kProgress) << output;
        EXPECT_EQ(result.err, "exception: failed to open result file") << output;
        EXPECT_EQ(result.status, 1) << output;
    }
    EXPECT_EQ(dir.read("protected.txt"), "previous result\n");
    EXPECT_EQ(entries(dir.path()), (std::set<std::string>{"directory", "protected.txt", "solution.xml", "structs.txt"}));
    EXPECT_TRUE(entries(dir.file("directory")).empty());
}

TEST(ResultFile, AFileSystemThatFillsUpKeepsThePreviousResult) {
    TempDir dir;
    const Input input = generated(3, 20000);  // about 200 KB of result
    prepare(dir, input);
    std::filesystem::create_directory(dir.file("small"));
    test::TmpfsMount small(dir.file("small"), "size=64k");
    if (!small.mounted()) GTEST_SKIP() << small.reason();
    dir.write("small/result.txt", "previous result\n");
    ASSERT_EQ(::chmod(dir.file("small/result.txt").c_str(), 0640), 0);
    const ino_t inode = statOf(dir.file("small/result.txt")).st_ino;
    for (const std::string output : {"small/result.txt", "small/new.txt"}) {
        const auto result = run(dir, output);
        EXPECT_EQ(result.out, kProgress) << output;
        EXPECT_EQ(result.err, "exception: failed to write result file") << output;
        EXPECT_EQ(result.status, 1) << output;
        EXPECT_EQ(dir.read("small/result.txt"), "previous result\n");
        EXPECT_EQ(statOf(dir.file("small/result.txt")).st_mode & 07777, 0640u);
        EXPECT_EQ(statOf(dir.file("small/result.txt")).st_ino, inode);
        EXPECT_EQ(entries(dir.file("small")), std::set<std::string>{"result.txt"}) << output;
    }
}

TEST(ResultFile, ATerminatedRunLeavesTheOldResultOrTheWholeNewOne) {
    TempDir dir;
    const Input input = generated(4, 800000);  // about 30 MB of result
    prepare(dir, input);
    const std::string old = "previous result\n";
    dir.write("result.txt", old);
    const auto run = test::runAndSignalOn(RP_TOOL_PATH, {"-s", "structs.txt", "-i", "solution.xml", "-o", "result.txt"},
                                          dir.path(), "Writing structures with resolved paralogs...", SIGTERM);
    ASSERT_TRUE(run.signalSent) << run.output;
    const int status = run.waitStatus;
    const bool terminated = WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM;
    const bool finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    EXPECT_TRUE(terminated || finished) << "wait status " << status << ", output " << run.output;
    const std::string now = dir.read("result.txt");
    EXPECT_TRUE(now == old || now == input.result) << now.size() << " bytes";
    if (finished) {
        EXPECT_EQ(now, input.result);
    }
    EXPECT_EQ(entries(dir.path()), (std::set<std::string>{"result.txt", "solution.xml", "structs.txt"}));
    std::cout << "[          ] the run " << (terminated ? "ended by SIGTERM" : "finished first") << ", result "
              << (now == old ? "old" : "new") << "\n";
}

}  // namespace
}  // namespace rp
