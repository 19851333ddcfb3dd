#include "io/output_file.hpp"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>

#include "support/file_system.hpp"
#include "support/temp_dir.hpp"

namespace rp::io {
namespace {

using test::TempDir;

using test::entries;
using test::statOf;

void write(const std::string& path, const std::string& text) {
    OutputFile out(path);
    out.stream() << text;
    out.commit();
}

OutputError::Stage stageOfFailure(const std::string& path, const std::string& text, std::string& message) {
    try {
        write(path, text);
    } catch (const OutputError& e) {
        message = e.what();
        return e.stage();
    }
    ADD_FAILURE() << "no failure writing " << path;
    return OutputError::Stage::open;
}

class Umask {
public:
    explicit Umask(mode_t mask) : previous_(::umask(mask)) {}
    ~Umask() { ::umask(previous_); }

private:
    mode_t previous_;
};

TEST(OutputFile, ANewFileGetsWhatCreatingItDirectlyWouldGive) {
    for (const mode_t mask : {mode_t{022}, mode_t{027}, mode_t{077}, mode_t{0}}) {
        TempDir dir;
        Umask umask(mask);
        write(dir.file("new.txt"), "new\n");
        EXPECT_EQ(dir.read("new.txt"), "new\n");
        EXPECT_EQ(statOf(dir.file("new.txt")).st_mode & 07777, 0666 & ~mask) << std::oct << mask;
    }
}

TEST(OutputFile, TheReplacementTakesTheModeOfTheFileItReplaces) {
    for (const mode_t mode : {mode_t{0600}, mode_t{0640}, mode_t{0755}, mode_t{0604}}) {
        TempDir dir;
        dir.write("result.txt", "old content, longer than the new one\n");
        ASSERT_EQ(::chmod(dir.file("result.txt").c_str(), mode), 0);
        const ino_t before = statOf(dir.file("result.txt")).st_ino;
        OutputFile out(dir.file("result.txt"));
        EXPECT_TRUE(out.replacesAtomically());
        out.stream() << "new\n";
        out.commit();
        EXPECT_EQ(dir.read("result.txt"), "new\n");
        const struct stat after = statOf(dir.file("result.txt"));
        EXPECT_EQ(after.st_mode & 07777, mode) << std::oct << mode;
        EXPECT_NE(after.st_ino, before) << "replaced by a rename";
        EXPECT_EQ(entries(dir.path()), std::set<std::string>{"result.txt"});
    }
}

TEST(OutputFile, TheTemporaryFileIsBesideTheTargetAndNamedAfterIt) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("data"));
    dir.write("data/result.txt", "old\n");
    ASSERT_EQ(::symlink("data/result.txt", dir.file("link").c_str()), 0);
    {
        OutputFile out(dir.file("link"));
        out.stream() << "partial";
        EXPECT_EQ(entries(dir.path()), (std::set<std::string>{"data", "link"}));
        const std::set<std::string> during = entries(dir.file("data"));
        ASSERT_EQ(during.size(), 2u);
        const std::string temporary = *during.begin();  // "." sorts first
        EXPECT_EQ(temporary.rfind(".result.txt.", 0), 0u) << temporary;
        EXPECT_EQ(temporary.size(), std::string(".result.txt.XXXXXX").size()) << temporary;
        EXPECT_EQ(dir.read("data/result.txt"), "old\n");
    }
    // Dropped without commit: the temporary file goes, the target stays.
    EXPECT_EQ(entries(dir.file("data")), std::set<std::string>{"result.txt"});
    EXPECT_EQ(dir.read("data/result.txt"), "old\n");
}

TEST(OutputFile, AnUncommittedOutputLeavesNoNewFile) {
    TempDir dir;
    {
        OutputFile out(dir.file("new.txt"));
        out.stream() << "never committed";
    }
    EXPECT_TRUE(entries(dir.path()).empty());
}

TEST(OutputFile, SymbolicLinksAreFollowedAndStayLinks) {
    TempDir dir;
    std::filesystem::create_directories(dir.file("a/b"));
    dir.write("a/b/target.txt", "old\n");
    ASSERT_EQ(::chmod(dir.file("a/b/target.txt").c_str(), 0640), 0);
    ASSERT_EQ(::symlink("b/target.txt", dir.file("a/inner").c_str()), 0);
    ASSERT_EQ(::symlink("a/inner", dir.file("outer").c_str()), 0);
    ASSERT_EQ(::symlink("a/b/none.txt", dir.file("dangling").c_str()), 0);

    write(dir.file("outer"), "new\n");
    EXPECT_TRUE(S_ISLNK(statOf(dir.file("outer")).st_mode));
    EXPECT_TRUE(S_ISLNK(statOf(dir.file("a/inner")).st_mode));
    EXPECT_EQ(dir.read("a/b/target.txt"), "new\n");
    EXPECT_EQ(statOf(dir.file("a/b/target.txt")).st_mode & 07777, 0640u);

    // A dangling link gives the file it names, as opening it would.
    write(dir.file("dangling"), "created\n");
    EXPECT_TRUE(S_ISLNK(statOf(dir.file("dangling")).st_mode));
    EXPECT_EQ(dir.read("a/b/none.txt"), "created\n");
    EXPECT_EQ(entries(dir.file("a/b")), (std::set<std::string>{"none.txt", "target.txt"}));
}

TEST(OutputFile, HardLinkedFilesAndDevicesAreWrittenInPlace) {
    TempDir dir;
    dir.write("one.txt", "old content\n");
    ASSERT_EQ(::link(dir.file("one.txt").c_str(), dir.file("two.txt").c_str()), 0);
    const ino_t inode = statOf(dir.file("one.txt")).st_ino;
    {
        OutputFile out(dir.file("two.txt"));
        EXPECT_FALSE(out.replacesAtomically());
        out.stream() << "new\n";
        out.commit();
    }
    EXPECT_EQ(statOf(dir.file("one.txt")).st_ino, inode);
    EXPECT_EQ(statOf(dir.file("two.txt")).st_ino, inode);
    EXPECT_EQ(dir.read("one.txt"), "new\n");

    OutputFile null("/dev/null");
    EXPECT_FALSE(null.replacesAtomically());
    null.stream() << "discarded";
    null.commit();
}

TEST(OutputFile, ARegularFileStartsAgainEmptyOnRestart) {
    TempDir dir;
    dir.write("old.txt", "previous\n");
    dir.write("one.txt", "old content\n");
    ASSERT_EQ(::link(dir.file("one.txt").c_str(), dir.file("two.txt").c_str()), 0);
    // Through a temporary file (new or replacing), and in place: what was
    // written before the restart is gone, buffered or already in the file.
    for (const char* name : {"new.txt", "old.txt", "two.txt"}) {
        OutputFile out(dir.file(name));
        ASSERT_TRUE(out.restartable()) << name;
        out.stream() << "first\n";
        out.stream() << std::string(std::size_t{3} << 20, 'x');  // past the buffer, into the file
        out.stream() << "buffered";
        out.restart();
        out.stream() << "second\n";
        out.commit();
        EXPECT_EQ(dir.read(name), "second\n") << name;
        EXPECT_FALSE(out.restartable()) << name << ": committed";
    }
    EXPECT_EQ(dir.read("one.txt"), "second\n");
    // Standard output and devices cannot be emptied.
    OutputFile null("/dev/null");
    EXPECT_FALSE(null.restartable());
    EXPECT_THROW(null.restart(), std::logic_error);
    OutputFile standard("-");
    EXPECT_FALSE(standard.restartable());
}

TEST(OutputFile, AFileMountedOverTheTargetIsWrittenInPlace) {
    // A rename over a mount point fails (EBUSY); writing it in place works.
    if (::geteuid() != 0) GTEST_SKIP() << "a bind mount needs root";
    TempDir dir;
    dir.write("source.txt", "old\n");
    dir.write("result.txt", "hidden\n");
    if (::mount(dir.file("source.txt").c_str(), dir.file("result.txt").c_str(), nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "cannot bind-mount a file: " << std::strerror(errno);
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    };
    {
        const Unmount unmount{dir.file("result.txt")};
        EXPECT_NO_THROW({
            OutputFile out(dir.file("result.txt"));
            EXPECT_FALSE(out.replacesAtomically());
            out.stream() << "new\n";
            out.commit();
        });
        EXPECT_EQ(dir.read("source.txt"), "new\n");
    }
    EXPECT_EQ(dir.read("result.txt"), "hidden\n");
    EXPECT_EQ(entries(dir.path()), (std::set<std::string>{"result.txt", "source.txt"}));
}

TEST(OutputFile, ADirectoryWithoutRoomForATemporaryFileIsWrittenInPlace) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("locked"));
    dir.write("locked/result.txt", "old\n");
    const ino_t inode = statOf(dir.file("locked/result.txt")).st_ino;
    test::Unwritable locked(dir.file("locked"));
    if (!locked.made()) GTEST_SKIP() << locked.reason();
    {
        OutputFile out(dir.file("locked/result.txt"));
        EXPECT_FALSE(out.replacesAtomically());
        out.stream() << "new\n";
        out.commit();
    }
    EXPECT_EQ(dir.read("locked/result.txt"), "new\n");
    EXPECT_EQ(statOf(dir.file("locked/result.txt")).st_ino, inode);
    // A new file cannot be created there at all.
    std::string message;
    EXPECT_EQ(stageOfFailure(dir.file("locked/new.txt"), "x", message), OutputError::Stage::open);
    EXPECT_EQ(message.rfind("cannot create " + dir.file("locked/new.txt") + ": ", 0), 0u) << message;
}

TEST(OutputFile, OpenFailuresComeBeforeAnythingIsWritten) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("directory"));
    dir.write("protected.txt", "old\n");
    test::Unwritable protectedFile(dir.file("protected.txt"));
    struct Case {
        std::string path;
        std::string reason;
    };
    std::vector<Case> cases = {
        {dir.file("directory"), "Is a directory"},
        {dir.file("missing/result.txt"), "No such file or directory"},
        {dir.file("protected.txt/x"), "Not a directory"},
    };
    if (protectedFile.made())
        cases.push_back({dir.file("protected.txt"), ::geteuid() == 0 ? "Operation not permitted" : "Permission denied"});
    for (const Case& c : cases) {
        std::string message;
        EXPECT_EQ(stageOfFailure(c.path, "x", message), OutputError::Stage::open) << c.path;
        EXPECT_EQ(message, "cannot create " + c.path + ": " + c.reason);
    }
    EXPECT_EQ(dir.read("protected.txt"), "old\n");
    EXPECT_EQ(entries(dir.path()), (std::set<std::string>{"directory", "protected.txt"}));
    EXPECT_TRUE(entries(dir.file("directory")).empty());
}

TEST(OutputFile, AFullDeviceIsAWriteFailure) {
    std::string message;
    EXPECT_EQ(stageOfFailure("/dev/full", "x", message), OutputError::Stage::write);
    EXPECT_EQ(message, "cannot write /dev/full: No space left on device");
}

TEST(OutputFile, AFileSystemThatFillsUpKeepsThePreviousFile) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("small"));
    test::TmpfsMount small(dir.file("small"), "size=64k");
    if (!small.mounted()) GTEST_SKIP() << small.reason();
    const std::string path = dir.file("small/result.txt");
    dir.write("small/result.txt", "previous result\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const ino_t inode = statOf(path).st_ino;
    const std::string big(256 * 1024, 'x');
    std::string message;
    EXPECT_EQ(stageOfFailure(path, big, message), OutputError::Stage::write);
    EXPECT_EQ(message, "cannot write " + path + ": No space left on device");
    EXPECT_EQ(dir.read("small/result.txt"), "previous result\n");
    EXPECT_EQ(statOf(path).st_mode & 07777, 0640u);
    EXPECT_EQ(statOf(path).st_ino, inode);
    EXPECT_EQ(entries(dir.file("small")), std::set<std::string>{"result.txt"});

    // Without a previous file none appears.
    EXPECT_EQ(stageOfFailure(dir.file("small/new.txt"), big, message), OutputError::Stage::write);
    EXPECT_EQ(entries(dir.file("small")), std::set<std::string>{"result.txt"});
}

TEST(OutputFile, LargeAndSmallWritesArriveWholeAndInOrder) {
    TempDir dir;
    std::string expected;
    {
        OutputFile out(dir.file("big.txt"));
        for (int round = 0; round < 3; ++round) {
            const std::string block((std::size_t{1} << 20) + 17 * round, static_cast<char>('a' + round));
            out.stream().write(block.data(), static_cast<std::streamsize>(block.size()));
            expected += block;
            for (int i = 0; i < 100000; ++i) {
                out.stream().put(static_cast<char>('0' + i % 10));
                expected += static_cast<char>('0' + i % 10);
            }
            out.stream() << "line " << round << '\n';
            expected += "line " + std::to_string(round) + "\n";
        }
        out.commit();
    }
    EXPECT_EQ(dir.read("big.txt"), expected);
}

sighandler_t dispositionOf(int signal) {
    struct sigaction current {};
    ::sigaction(signal, nullptr, &current);
    return current.sa_handler;
}

TEST(OutputFile, SignalHandlersAreThereOnlyWhileATemporaryFileIs) {
    TempDir dir;
    const sighandler_t previousHup = ::signal(SIGHUP, SIG_IGN);  // as under nohup
    ASSERT_EQ(dispositionOf(SIGTERM), SIG_DFL);
    ASSERT_EQ(dispositionOf(SIGINT), SIG_DFL);
    {
        OutputFile first(dir.file("first.txt"));
        const sighandler_t handler = dispositionOf(SIGTERM);
        EXPECT_NE(handler, SIG_DFL);
        EXPECT_EQ(dispositionOf(SIGINT), handler);
        EXPECT_EQ(dispositionOf(SIGHUP), SIG_IGN) << "an ignored signal stays ignored";
        {
            OutputFile second(dir.file("second.txt"));
            second.commit();
        }
        EXPECT_EQ(dispositionOf(SIGTERM), handler) << "still needed for the first output";
        first.commit();
    }
    EXPECT_EQ(dispositionOf(SIGTERM), SIG_DFL);
    EXPECT_EQ(dispositionOf(SIGINT), SIG_DFL);
    {
        OutputFile inPlace("/dev/null");
        EXPECT_EQ(dispositionOf(SIGTERM), SIG_DFL) << "nothing to remove";
    }
    ::signal(SIGHUP, previousHup);
}

TEST(OutputFile, ASignalRemovesTheTemporaryFilesAndEndsTheProcessByIt) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        TempDir dir;
        dir.write("result.txt", "previous\n");
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            OutputFile result(dir.file("result.txt"));
            OutputFile other(dir.file("other.txt"));
            result.stream() << std::string(3 << 20, 'x');
            other.stream() << "y";
            ::raise(signal);
            ::_exit(0);  // not reached
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status)) << signal;
        if (WIFSIGNALED(status)) {
            EXPECT_EQ(WTERMSIG(status), signal);
        }
        EXPECT_EQ(dir.read("result.txt"), "previous\n");
        EXPECT_EQ(entries(dir.path()), std::set<std::string>{"result.txt"}) << signal;
    }
}

TEST(OutputFile, AFileHeldInPlaceKeepsItsBytesUntilCommit) {
    TempDir dir;
    dir.write("one.txt", "old content\n");
    ASSERT_EQ(::link(dir.file("one.txt").c_str(), dir.file("two.txt").c_str()), 0);
    const ino_t inode = statOf(dir.file("one.txt")).st_ino;
    const auto before = entries(dir.path());
    {
        // Dropped without commit: nothing happened to the file.
        OutputFile out(dir.file("two.txt"), OutputFile::InPlace::atCommit);
        EXPECT_FALSE(out.replacesAtomically());
        out.stream() << "never\n";
        out.stream().flush();
        EXPECT_EQ(dir.read("one.txt"), "old content\n");
    }
    EXPECT_EQ(dir.read("one.txt"), "old content\n");
    {
        OutputFile out(dir.file("two.txt"), OutputFile::InPlace::atCommit);
        // The file can still be read whole while the output is written.
        EXPECT_EQ(dir.read("two.txt"), "old content\n");
        out.stream() << "discarded by the restart\n";
        ASSERT_TRUE(out.restartable());
        out.restart();
        out.stream() << std::string(3 << 20, 'x') << "new\n";
        EXPECT_EQ(dir.read("one.txt"), "old content\n");
        out.commit();
    }
    EXPECT_EQ(statOf(dir.file("one.txt")).st_ino, inode);
    EXPECT_EQ(dir.read("two.txt"), std::string(3 << 20, 'x') + "new\n");
    EXPECT_EQ(entries(dir.path()), before);
}

}  // namespace
}  // namespace rp::io
