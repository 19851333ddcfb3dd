// paralogs solution as users run it: on what the installed solvers (cbc,
// glpsol) write for matching programs, on compressed inputs, and its summary,
// warnings and failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "solution/solution_reader.hpp"
#include "support/paralogs.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace rp::solvers {
namespace {

using rp::test::ProcessResult;
using rp::test::TempDir;

ProcessResult paralogs(const TempDir& dir, const std::vector<std::string>& args) {
    return rp::test::runParalogs(dir, "solution", args);
}

ProcessResult shell(const TempDir& dir, const std::string& command) { return rp::test::runShell(dir, command); }

// A matching program: per family, copies 1..n of the first genome onto
// copies 1..n, each exactly once; pairing copy i with target[i] costs
// nothing, any other pair costs at least 1, so that pairing is the one
// optimum.
struct Family {
    std::string name;
    std::vector<int> target;  // target[i - 1] for copy i
};

std::string zName(const Family& f, int from, int to) {
    return "z_" + f.name + "." + std::to_string(from) + "." + std::to_string(to);
}

std::string matchingProgram(const std::vector<Family>& families) {
    std::string objective;
    std::string constraints;
    std::string binaries;
    int row = 0;
    for (const Family& f : families) {
        const int n = static_cast<int>(f.target.size());
        for (int i = 1; i <= n; ++i) {
            std::string fromRow, toRow;
            for (int j = 1; j <= n; ++j) {
                const int cost = f.target[i - 1] == j ? 0 : 1 + (i * 7 + j * 3) % 5;
                objective.append(" + ").append(std::to_string(cost)).append(" ").append(zName(f, i, j));
                fromRow.append(" + ").append(zName(f, i, j));
                toRow.append(" + ").append(zName(f, j, i));
                binaries.append(" ").append(zName(f, i, j)).append("\n");
            }
            constraints.append(" r").append(std::to_string(row++)).append(":").append(fromRow).append(" = 1\n");
            constraints.append(" r").append(std::to_string(row++)).append(":").append(toRow).append(" = 1\n");
        }
    }
    std::string program = "Minimize\n obj:";
    program += objective;
    program += "\nSubject To\n";
    program += constraints;
    program += "Binary\n";
    program += binaries;
    program += "End\n";
    return program;
}

AssignmentMap expectedDecisions(const std::vector<Family>& families) {
    AssignmentMap map;
    for (const Family& f : families)
        for (int i = 1; i <= static_cast<int>(f.target.size()); ++i)
            addAssignment(map, CopyAssignment{f.name, i, f.target[i - 1]});
    return map;
}

std::size_t countLines(const std::string& text, const std::string& piece) {
    std::size_t count = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++count;
    return count;
}

struct SolverRun {
    const char* what;
    const char* command;  // run in the directory holding model.lp, writes out.sol
    const char* format;
};

const SolverRun kSolverRuns[] = {
    {"cbc", "cbc model.lp solve solu out.sol", "cbc"},
    {"cbc, rows and columns", "cbc model.lp solve printingOptions all solu out.sol", "cbc"},
    {"glpsol MIP", "glpsol --lp model.lp -o out.sol", "glpk"},
    {"glpsol LP", "glpsol --lp model.lp --nomip -o out.sol", "glpk"},
};

// Small: 18 columns (CBC lists every one); large: 74 (CBC lists the nonzero ones).
const std::vector<std::vector<Family>> kPrograms{
    {{"fam", {2, 3, 1}}, {"a_family_name_longer_than_twelve", {1, 3, 2}}},
    {{"fam", {2, 3, 1, 5, 4}}, {"a_family_name_longer_than_twelve", {7, 1, 3, 2, 6, 4, 5}}},
};

TEST(SolverOutput, DecisionsOfTheConvertedFileAreTheSourcesZAtOne) {
    for (const SolverRun& run : kSolverRuns) {
        for (const std::vector<Family>& program : kPrograms) {
            SCOPED_TRACE(run.what);
            TempDir dir;
            dir.write("model.lp", matchingProgram(program));
            std::size_t columns = 0;
            for (const Family& f : program) columns += f.target.size() * f.target.size();
            SCOPED_TRACE(std::to_string(columns) + " columns");
            const ProcessResult solved = shell(dir, std::string(run.command) + " > solver.log 2>&1");
            ASSERT_EQ(solved.status, 0) << dir.read("solver.log");
            const std::string source = dir.read("out.sol");
            if (std::string(run.what) == "cbc") {
                // CBC lists every column under 50 columns, only the nonzero ones above.
                const std::size_t listed = countLines(source, "z_");
                EXPECT_EQ(listed, columns < 50 ? columns : expectedDecisions(program).size());
            }
            const ProcessResult converted = paralogs(dir, {"-i", "out.sol", "-o", "out.xml"});
            ASSERT_EQ(converted.status, 0) << converted.err;
            EXPECT_NE(converted.err.find(std::string("paralogs solution: format ") + run.format + "\n"),
                      std::string::npos)
                << converted.err;
            // A file is written as the solution is read (again from its start
            // after rows), standard output after keeping the first section
            // aside: the same bytes.
            const ProcessResult toStdout = paralogs(dir, {"-i", "out.sol", "-o", "-"});
            ASSERT_EQ(toStdout.status, 0) << toStdout.err;
            EXPECT_EQ(toStdout.out, dir.read("out.xml"));
            const AssignmentMap decisions = readSolutionFile(dir.file("out.xml"));
            EXPECT_EQ(decisions, expectedDecisions(program));
            EXPECT_NE(converted.err.find(" z variables at 1, 2 families\n"), std::string::npos) << converted.err;
        }
    }
}

TEST(SolverOutput, ResolveParalogsRenumbersByTheConvertedFile) {
    TempDir dir;
    const std::vector<Family> program{{"a", {2, 1}}};
    dir.write("model.lp", matchingProgram(program));
    ASSERT_EQ(shell(dir, "cbc model.lp solve solu out.sol > solver.log 2>&1").status, 0);
    ASSERT_EQ(paralogs(dir, {"-i", "out.sol", "-o", "out.xml"}).status, 0);
    dir.write("structs.txt", "1\na 2\n2\ng1 0 ; 1 ;\nL 2 : +a.1+a.2;\ng2 0 ; 1 ;\nL 2 : +a.1+a.2;\n");
    const ProcessResult run =
        rp::test::runProcess(RP_TOOL_PATH, {"-s", "structs.txt", "-i", "out.xml", "-o", "result.txt"}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(dir.read("result.txt"), "2;\ng1 1; L2: +a.2+a.1; \ng2 1; L2: +a.1+a.2; \n");
}

const std::string kCbcSolution =
    "Optimal - objective value 0.00000000\n"
    "      0 z_a.1.2                1                       0\n"
    "      1 z_a.2.1                1                       0\n"
    "      2 x                   2.75                       0\n";

TEST(Command, SummaryOutputAndEveryCompression) {
    TempDir dir;
    dir.write("plain.sol", kCbcSolution);
    const ProcessResult plain = paralogs(dir, {"-i", "plain.sol", "-o", "plain.xml"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.err,
              "paralogs solution: format cbc\n"
              "paralogs solution: status Optimal\n"
              "paralogs solution: objective 0\n"
              "paralogs solution: 3 variables, 2 z variables at 1, 1 families\n");
    EXPECT_EQ(plain.out, "");
    const std::string expected = dir.read("plain.xml");
    for (const char* tool : {"gzip", "bzip2", "xz", "zstd -q"}) {
        SCOPED_TRACE(tool);
        ASSERT_EQ(shell(dir, std::string(tool) + " -c plain.sol > packed").status, 0);
        const ProcessResult packed = paralogs(dir, {"-i", "packed", "-o", "packed.xml"});
        ASSERT_EQ(packed.status, 0) << packed.err;
        EXPECT_EQ(dir.read("packed.xml"), expected);
    }
    // Standard input and output.
    const ProcessResult piped = shell(dir, std::string(RP_PARALOGS_PATH) + " solution -i - -o - < plain.sol");
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.out, expected);
}

TEST(Command, TruncatedCompressedInputFailsAndWritesNothing) {
    TempDir dir;
    std::string big;
    for (int i = 0; i < 20000; ++i) big += "      " + std::to_string(i) + " x" + std::to_string(i) + "  1  0\n";
    dir.write("plain.sol", "Optimal - objective value 1.00000000\n" + big);
    ASSERT_EQ(shell(dir, "gzip -c plain.sol | head -c 20000 > cut.gz").status, 0);
    dir.write("out.xml", "before\n");
    const ProcessResult cut = paralogs(dir, {"-i", "cut.gz", "-o", "out.xml"});
    EXPECT_EQ(cut.status, 1);
    EXPECT_EQ(countLines(cut.err, "\n"), 1u) << cut.err;
    EXPECT_NE(cut.err.find("paralogs solution: "), std::string::npos);
    EXPECT_NE(cut.err.find("cut.gz"), std::string::npos) << cut.err;
    EXPECT_EQ(dir.read("out.xml"), "before\n");
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 3u);  // plain.sol, cut.gz, out.xml: no temporary file left
}

TEST(Command, FailuresWarningsAndUsage) {
    TempDir dir;
    dir.write("limit.sol", "Stopped on time - objective value 2.00000000\n      0 z_a.1.1   1   0\n");
    const ProcessResult limit = paralogs(dir, {"-i", "limit.sol", "-o", "limit.xml"});
    EXPECT_EQ(limit.status, 0) << limit.err;
    EXPECT_NE(limit.err.find("paralogs solution: warning: the solver stopped at a limit (status \"Stopped on time\")"),
              std::string::npos)
        << limit.err;
    EXPECT_TRUE(dir.exists("limit.xml"));

    dir.write("matching.sol", "# Objective value = 2\nz_a.1.1 1\nz_a.1.2 1\n");
    const ProcessResult matching = paralogs(dir, {"-i", "matching.sol", "-o", "matching.xml"});
    EXPECT_EQ(matching.status, 1);
    EXPECT_EQ(matching.err,
              "paralogs solution: matching.sol: z variables \"z_a.1.1\" and \"z_a.1.2\" are both at 1: copy 1 of "
              "family \"a\" has two targets, so they form no matching\n");
    EXPECT_FALSE(dir.exists("matching.xml"));

    dir.write("near.sol", "# Objective value = 2\nz_a.1.1 0.99\n");
    EXPECT_EQ(paralogs(dir, {"-i", "near.sol", "-o", "near.xml"}).status, 1);
    EXPECT_EQ(paralogs(dir, {"-i", "near.sol", "-o", "near.xml", "--tolerance", "0.05"}).status, 0);

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-i", "near.sol"}, {"-o", "x.xml"}, {"-i", "near.sol", "-o", "x.xml", "--tolerance", "0.5"},
          {"-i", "near.sol", "-o", "x.xml", "--solution", "-1"}, {"-i", "near.sol", "-o", "x.xml", "--solution", "x"}}) {
        const ProcessResult usage = paralogs(dir, args);
        EXPECT_EQ(usage.status, 2) << usage.err;
        EXPECT_NE(usage.err.find("Usage: paralogs solution"), std::string::npos) << usage.err;
    }
    const ProcessResult missing = paralogs(dir, {"-i", "absent.sol", "-o", "x.xml"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("absent.sol"), std::string::npos);
}

}  // namespace
}  // namespace rp::solvers
