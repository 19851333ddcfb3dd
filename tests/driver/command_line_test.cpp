#include "driver/command_line.hpp"

#include <gtest/gtest.h>

#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace rp {
namespace {

const char* const kHelp =
    "Usage: resolve-paralogs -s [file] -i [file] -o [file]\n"
    "Options:\n"
    "  -h [ --help ]         Show help\n"
    "  -s [ --structs ] arg  File with initial structs\n"
    "  -i [ --ilp ] arg      Linear programming task\n"
    "  -o [ --output ] arg   Structs with resolved paralogs\n";

const char* const kBadCast = "exception: boost::bad_any_cast: failed conversion using boost::any_cast";

TEST(InvocationName, LastBackslashElseLastSlash) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"C:\\tools\\prog.exe", "prog.exe"}, {"./prog", "prog"}, {"prog", "prog"},
        {"a\\b/prog", "b/prog"},             {"/usr/bin/", ""},  {"", ""},
        {"a/b\\c", "c"},
    };
    for (const auto& [argv0, name] : cases) EXPECT_EQ(invocationName(argv0), name) << argv0;
}

struct CommandLineCase {
    const char* what;
    std::vector<std::string> args;
    int status;
    std::string err;
};

TEST(CommandLine, ProcessOutcomes) {
    const std::string reading = "Reading z variables from ilp solution...\n";
    const CommandLineCase cases[] = {
        {"help", {"-h"}, 0, kHelp},
        {"long help", {"--help"}, 0, kHelp},
        {"help with files", {"-s", "s", "-i", "i", "-o", "o", "-h"}, 0, kHelp},
        {"no arguments", {}, 1, kBadCast},
        {"unknown option", {"-h", "-x"}, 1, "exception: unrecognised option '-x'"},
        {"missing value", {"-s"}, 1, "exception: the required argument for option '--structs' is missing"},
        {"structs twice", {"-s", "a", "-s", "b"}, 1,
         "exception: option '--structs' cannot be specified more than once"},
        {"help twice", {"-h", "-h"}, 1, "exception: option '--help' cannot be specified more than once"},
        {"output absent", {"-s", "a", "-i", "b"}, 1, kBadCast},
        {"ilp absent", {"-s", "a", "-o", "c"}, 1, kBadCast},
    };
    test::TempDir dir;
    for (const CommandLineCase& c : cases) {
        const auto result = test::runProcess(RP_TOOL_PATH, c.args, dir.path());
        EXPECT_EQ(result.out, "Parsing commandline...\n") << c.what;
        EXPECT_EQ(result.err, c.err) << c.what;
        EXPECT_EQ(result.status, c.status) << c.what;
    }
    EXPECT_FALSE(dir.exists("o"));
    EXPECT_FALSE(dir.exists("c"));
}

TEST(CommandLine, StrayWordsAreIgnoredAndPathsAreBelowTheWorkingDirectory) {
    test::TempDir dir;
    const auto stray = test::runProcess(RP_TOOL_PATH, {"-s", "s", "stray", "-i", "i", "-o", "o"}, dir.path());
    EXPECT_EQ(stray.out, "Parsing commandline...\nReading z variables from ilp solution...\n");
    EXPECT_EQ(stray.err, "exception: failed to open ilp solution file");
    EXPECT_EQ(stray.status, 1);

    // An absolute value still names a file below the working directory.
    dir.write("solution.xml", "<CPLEXSolution><variables/></CPLEXSolution>");
    const auto absolute =
        test::runProcess(RP_TOOL_PATH, {"-s", "/etc/hostname", "-i", "solution.xml", "-o", "o"}, dir.path());
    EXPECT_EQ(absolute.err, "failed to open file with initial structs");
    EXPECT_EQ(absolute.status, 1);
}

}  // namespace
}  // namespace rp
