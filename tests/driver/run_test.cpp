#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace rp {
namespace {

const std::string kParsing = "Parsing commandline...\n";
const std::string kReading = "Reading z variables from ilp solution...\n";
const std::string kWriting = "Writing structures with resolved paralogs...\n";

const char* const kStructs =
    "2\na 3\nb 1\n2\ng1 0 ; 2 ;\nC 3 : +a.1-b.1+a.2;\nL 1 : -a.3;\ng2 0 ; 1 ;\nL 2 : +a.1+b.1;\n";

const char* const kSolution =
    "<?xml version = \"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<CPLEXSolution version=\"1.2\">\n"
    " <header objectiveValue=\"3\"/>\n"
    " <variables>\n"
    "  <variable name=\"x1\" index=\"0\" value=\"1\"/>\n"
    "  <variable name=\"z_a.1.2\" index=\"1\" value=\"1\"/>\n"
    "  <variable name=\"z_a.2.1\" index=\"2\" value=\"0.99999999960000003\"/>\n"
    "  <variable name=\"z_a.2.2\" index=\"3\" value=\"1e-12\"/>\n"
    "  <variable name=\"z_b.1.1\" index=\"4\" value=\"1\"/>\n"
    " </variables>\n"
    "</CPLEXSolution>\n";

const char* const kResult =
    "2;\n"
    "g1 2; C3: +a.2-b.1+a.1; L1: -a.4; \n"
    "g2 1; L2: +a.1+b.1; \n";

test::ProcessResult run(const test::TempDir& dir, const std::string& output = "result.txt") {
    return test::runProcess(RP_TOOL_PATH, {"-s", "structs.txt", "-i", "solution.xml", "-o", output},
                            dir.path());
}

TEST(Run, TheWorkedExample) {
    test::TempDir dir;
    dir.write("structs.txt", kStructs);
    dir.write("solution.xml", kSolution);
    dir.write("result.txt", "an older result that gets replaced entirely\n");
    const auto result = run(dir);
    EXPECT_EQ(result.out, kParsing + kReading + kWriting);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(dir.read("result.txt"), kResult);
}

TEST(Run, TheShippedExample) {
    test::TempDir dir;
    dir.write("structs.txt", test::readFile(RP_SOURCE_DIR "/examples/structs.txt"));
    dir.write("solution.xml", test::readFile(RP_SOURCE_DIR "/examples/solution.xml"));
    const auto result = run(dir);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(dir.read("result.txt"),
              "3;\n"
              "g1 2; C4: +a.2-b.2+a.1+c.1; L3: -a.4+b.3+d.1; \n"
              "g2 2; L3: +a.1+b.1+c.1; C3: -a.2+b.2+d.1; \n"
              "g3 1; L4: +a.1-b.2+c.1+a.2; \n");
}

struct Outcome {
    const char* what;
    const char* structs;   // nullptr: no such file
    const char* solution;  // nullptr: no such file
    std::string output;
    std::string out;
    std::string err;
    bool resultWritten;
};

TEST(Run, OutcomesOfFailures) {
    const Outcome cases[] = {
        {"both inputs missing", nullptr, nullptr, "result.txt", kParsing + kReading,
         "exception: failed to open ilp solution file", false},
        {"structures missing", nullptr, kSolution, "result.txt", kParsing + kReading,
         "failed to open file with initial structs", false},
        {"result directory missing", kStructs, kSolution, "missing/result.txt", kParsing + kReading + kWriting,
         "exception: failed to open result file", false},
        {"bad copy index", "0 1 g 0 ; 1 ; L1: +a.x;", kSolution, "result.txt", kParsing + kReading,
         "exception: invalid stoi argument", false},
        {"negative count", "0 -3", kSolution, "result.txt", kParsing + kReading,
         "exception: vector<T> too long", false},
        {"unreservable count", "0 1 g 0 ; 1 ; L2000000000: +a.1;", kSolution, "result.txt",
         kParsing + kReading, "exception: bad allocation", false},
        {"solution not XML", kStructs, "solution", "result.txt", kParsing + kReading,
         "exception: <unspecified file>(1): expected <", false},
        {"solution without variables", kStructs, "<CPLEXSolution/>", "result.txt", kParsing + kReading,
         "exception: No such node (CPLEXSolution.variables)", false},
    };
    for (const Outcome& c : cases) {
        test::TempDir dir;
        if (c.structs) dir.write("structs.txt", c.structs);
        if (c.solution) dir.write("solution.xml", c.solution);
        const auto result = run(dir, c.output);
        EXPECT_EQ(result.out, c.out) << c.what;
        EXPECT_EQ(result.err, c.err) << c.what;
        EXPECT_EQ(result.status, 1) << c.what;
        EXPECT_EQ(dir.exists("result.txt"), c.resultWritten) << c.what;
    }
}

TEST(Run, AFailedReadLeavesAnExistingResultUntouched) {
    test::TempDir dir;
    dir.write("structs.txt", "0 1 g 0 ; 1 ; L1: +a.99999999999;");
    dir.write("solution.xml", kSolution);
    dir.write("result.txt", "keep me");
    const auto result = run(dir);
    EXPECT_EQ(result.err, "exception: stoi argument out of range");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(dir.read("result.txt"), "keep me");
}

TEST(Run, AStructuresFileThatCannotBeReadIsAFailure) {
    test::TempDir dir;
    std::filesystem::create_directory(dir.file("structs.txt"));
    dir.write("solution.xml", kSolution);
    const auto result = run(dir);
    EXPECT_EQ(result.out, kParsing + kReading);
    EXPECT_EQ(result.err, "exception: failed to read file with initial structs");
    EXPECT_EQ(result.status, 1);
    EXPECT_FALSE(dir.exists("result.txt"));
}

TEST(Run, NoStructuresDeclared) {
    test::TempDir dir;
    dir.write("structs.txt", "0 0");
    dir.write("solution.xml", kSolution);
    const auto result = run(dir);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(dir.read("result.txt"), "0;\n");
}

TEST(Run, AResultThatCannotBeWrittenWholeIsAFailure) {
    test::TempDir dir;
    dir.write("structs.txt", kStructs);
    dir.write("solution.xml", kSolution);
    ASSERT_EQ(symlink("/dev/full", dir.file("full").c_str()), 0);
    const auto result = run(dir, "full");
    EXPECT_EQ(result.out, kParsing + kReading + kWriting);
    EXPECT_EQ(result.err, "exception: failed to write result file");
    EXPECT_EQ(result.status, 1);
}

}  // namespace
}  // namespace rp

namespace rp {
namespace {

// kSolution with `padding` more variables before the decisions, none of them
// a decision: some 45 bytes each. `prolog` goes after the XML declaration.
std::string largeSolution(std::size_t padding, const std::string& prolog = "") {
    std::string text = "<?xml version = \"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n" + prolog +
                       "<CPLEXSolution version=\"1.2\">\n <header objectiveValue=\"3\"/>\n <variables>\n";
    for (std::size_t i = 0; i < padding; ++i)
        text += "  <variable name=\"x" + std::to_string(i) + "\" index=\"" + std::to_string(i) + "\" value=\"0\"/>\n";
    const std::string small = kSolution;
    const std::size_t from = small.find("  <variable");
    return text + small.substr(from);
}

// resolve-paralogs reads its solution through the streaming reader: with its
// data limited to 64 MiB it reads an 18 MB document that the exact reader,
// which holds the whole document and its tree, cannot read within that limit
// (the control below shows it).
TEST(Run, TheSolutionIsReadAsAStream) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer's runtime does not run under a data limit";
#endif
    const std::string limited = "ulimit -d 65536 && exec \"$0\" -s structs.txt -i solution.xml -o result.txt";
    test::TempDir dir;
    dir.write("structs.txt", kStructs);
    dir.write("solution.xml", largeSolution(400000));
    const auto streamed = test::runProcess("/bin/sh", {"-c", limited, RP_TOOL_PATH}, dir.path());
    EXPECT_EQ(streamed.err, "");
    EXPECT_EQ(streamed.status, 0);
    EXPECT_EQ(dir.read("result.txt"), kResult);

    // Control: a document type declaration, which only the exact reader
    // takes, and the same document no longer fits.
    test::TempDir control;
    control.write("structs.txt", kStructs);
    control.write("solution.xml", largeSolution(400000, "<!DOCTYPE CPLEXSolution>\n"));
    const auto exact = test::runProcess("/bin/sh", {"-c", limited, RP_TOOL_PATH}, control.path());
    EXPECT_NE(exact.status, 0) << "the data limit no longer tells the readers apart";
}

}  // namespace
}  // namespace rp
