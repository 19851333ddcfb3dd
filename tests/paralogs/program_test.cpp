// The companion program's frame as a user meets it: help, version, commands
// it does not know, command lines it cannot use.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/paralogs.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace rp::paralogs {
namespace {

using test::TempDir;

test::ProcessResult paralogs(const std::vector<std::string>& args) {
    TempDir dir;
    return test::runParalogs(dir, args);
}

TEST(ParalogsProgram, HelpListsEveryCommandOnStandardOutput) {
    for (const char* flag : {"--help", "-h"}) {
        const auto r = paralogs({flag});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        for (const char* command : {"model", "score", "solution", "unimog", "convert", "pair", "related"})
            EXPECT_NE(r.out.find(std::string("  ") + command + " "), std::string::npos) << command;
        // One line per command between "Commands:" and the next blank line.
        const std::size_t from = r.out.find("Commands:\n") + 10;
        const std::string table = r.out.substr(from, r.out.find("\n\n", from) - from + 1);
        EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 7) << table;
    }
}

// The version the root CMakeLists.txt declares, read as text: "project(NAME
// VERSION X.Y.Z ...".
std::string declaredVersion() {
    const std::string text = test::readFile(RP_SOURCE_DIR "/CMakeLists.txt");
    const std::size_t project = text.find("project(");
    const std::size_t version = text.find(" VERSION ", project);
    if (project == std::string::npos || version == std::string::npos) return "";
    const std::size_t from = version + 9;
    return text.substr(from, text.find_first_of(" )\n", from) - from);
}

TEST(ParalogsProgram, VersionIsTheProjectsVersion) {
    const std::string version = declaredVersion();
    ASSERT_NE(version, "") << "no VERSION in the root CMakeLists.txt";
    const auto r = paralogs({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "paralogs " + version + "\n");
}

TEST(ParalogsProgram, UnusableCommandLinesExitTwoWithTheUsage) {
    struct Case {
        std::vector<std::string> args;
        std::string firstLine;
    };
    const std::vector<Case> cases = {
        {{}, "Usage: paralogs COMMAND [OPTIONS]"},
        {{"frobnicate"}, "paralogs: unknown command 'frobnicate'"},
        {{"--frobnicate"}, "paralogs: unknown command '--frobnicate'"},
        {{""}, "paralogs: no command given (an empty name)"},
    };
    for (const Case& c : cases) {
        const auto r = paralogs(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.firstLine);
        EXPECT_NE(r.err.find("Usage: paralogs COMMAND"), std::string::npos);
    }
}

TEST(ParalogsProgram, EveryCommandHasHelpAndRefusesUnknownOptions) {
    for (const std::string command : {"model", "score", "solution", "unimog", "convert", "pair"}) {
        const auto help = paralogs({command, "--help"});
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_EQ(help.out.rfind("Usage: paralogs " + command + " ", 0), 0u) << help.out;
        EXPECT_NE(help.out.find("--help"), std::string::npos) << command;

        for (const std::string word : {"--no-such-option", "stray-word"}) {
            const auto bad = paralogs({command, word});
            EXPECT_EQ(bad.status, 2) << command << ' ' << word;
            EXPECT_EQ(bad.err.rfind("paralogs " + command + ": ", 0), 0u) << bad.err;
            EXPECT_NE(bad.err.find("\nUsage: paralogs " + command + " "), std::string::npos) << bad.err;
        }
    }
}

}  // namespace
}  // namespace rp::paralogs
