// What every command does with its inputs, as a user meets it: the bound on
// what one input may hold once decompressed (--max-input-size) on each input
// of each command, and a UTF-8 byte-order mark at the start of each kind of
// input passed over.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/paralogs.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace rp::paralogs {
namespace {

using test::TempDir;

// 74 bytes, under the bound of the tests (100 bytes).
const std::string kSmall = "2\na 2\nb 1\n2\ng1 0 ; 1 ;\nL 3 : +a.1-b.1+a.2;\ng2 0 ; 1 ;\nC 3 : +a.1+a.2+b.1;\n";
const std::string kPadding(100, '\n');
const std::string kSolution =
    "<CPLEXSolution><variables><variable name=\"z_a.1.2\" value=\"1\"/></variables></CPLEXSolution>\n";

void writeInputs(const TempDir& dir) {
    ASSERT_LT(kSmall.size(), 100u);
    dir.write("small.txt", kSmall);
    dir.write("big.txt", kSmall + kPadding);
    dir.write("big.tsv", "a\t1\t2\n" + std::string(100, '#') + "\n");
    dir.write("big.sol", kSolution + kPadding);
    dir.write("sheet.tsv", "pair\tgenomes\ta\tb\np\tbig.txt\tg1\tg2\n");
    dir.write("big-sheet.tsv", "pair\tgenomes\ta\tb\n" + std::string(100, '#') + "\np\tsmall.txt\tg1\tg2\n");
}

// Each input of each command, past a bound of 100 bytes: status 1, the
// message naming the input and the bound, no output.
TEST(InputBound, EveryInputOfEveryCommandStopsAtTheBound) {
    const struct {
        std::vector<std::string> args;
        std::string input;  // as the message names it
    } cases[] = {
        {{"model", "-s", "big.txt", "-o", "out"}, "big.txt"},
        {{"model", "-s", "small.txt", "-o", "out", "--bounds", "big.tsv"}, "big.tsv"},
        {{"score", "-s", "big.txt"}, "big.txt"},
        {{"solution", "-i", "big.sol", "-o", "out"}, "big.sol"},
        {{"unimog", "-i", "big.txt", "-o", "out"}, "big.txt"},
        {{"convert", "-i", "big.txt", "-o", "out", "--to", "grimm"}, "big.txt"},
        {{"related", "-s", "small.txt", "-s", "big.txt", "-o", "out"}, "big.txt"},
        {{"pair", "-s", "big.txt", "-d", "pair"}, "big.txt"},
        {{"pair", "-s", "small.txt", "-d", "pair", "--bounds", "big.tsv"}, "big.tsv"},
        {{"pair", "-s", "small.txt", "-d", "pair", "--solver", "cp big.sol {solution} # {lp}"}, "pair/solver.out"},
        {{"pair", "--pairs", "big-sheet.tsv", "-d", "pair"}, "big-sheet.tsv"},
        {{"pair", "--pairs", "sheet.tsv", "-d", "pair"}, "big.txt"},
        {{"pair", "--pairs", "-", "-d", "pair"}, "standard input"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        writeInputs(dir);
        std::string line = "\"$P\"";
        for (const std::string& arg : c.args) line += " '" + arg + "'";
        const test::ProcessResult r = test::runShell(dir, line + " --max-input-size 100 < big-sheet.tsv");
        EXPECT_EQ(r.status, 1) << line << '\n' << r.err;
        EXPECT_NE(r.err.find(c.input + ": holds more than 100 bytes (--max-input-size 100; raise it to read this input)"),
                  std::string::npos)
            << line << '\n' << r.err;
        EXPECT_FALSE(dir.exists("out")) << line;
    }
}

TEST(InputBound, TheOptionTakesSizesOrNone) {
    const struct {
        std::string size;
        int status;
        std::string firstLine;  // of standard error
    } cases[] = {
        {"none", 0, "paralogs score: read big.txt (structures file): genome A (structure 1, g1), genome B (structure 2, g2)"},
        {"174", 0, "paralogs score: read big.txt (structures file): genome A (structure 1, g1), genome B (structure 2, g2)"},
        {"173", 1, "paralogs score: big.txt: holds more than 173 bytes (--max-input-size 173; raise it to read this input)"},
        {"1.5G", 2, "paralogs score: the argument ('1.5G') for option '--max-input-size' is invalid: a size is a whole "
                    "number of bytes, or of K, M or G (0 or none: no bound)"},
        {"", 2, "paralogs score: the argument for option '--max-input-size' is invalid: a size is a whole "
                "number of bytes, or of K, M or G (0 or none: no bound)"},
    };
    TempDir dir;
    writeInputs(dir);
    ASSERT_EQ(dir.read("big.txt").size(), 174u);
    for (const auto& c : cases) {
        const test::ProcessResult r = test::runParalogs(dir, {"score", "-s", "big.txt", "--max-input-size", c.size});
        EXPECT_EQ(r.status, c.status) << c.size << '\n' << r.err;
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.firstLine) << c.size;
    }
}

// Each kind of input with a byte-order mark gives what it gives without.
TEST(ByteOrderMark, EveryKindOfInputReadsAsWithout) {
    const struct {
        std::string kind;
        std::string file;
        std::string content;
        std::vector<std::string> args;
        std::string output;
    } cases[] = {
        {"structures", "g.txt", kSmall, {"convert", "-i", "g.txt", "-o", "out", "--to", "unimog"}, "out"},
        {"UniMoG", "g.txt", ">g1\na -b a |\n>g2\na a b )\n", {"convert", "-i", "g.txt", "-o", "out", "--to", "grimm"}, "out"},
        {"GRIMM", "g.txt", ">g1\na -b a $\n>g2\na a b @\n", {"convert", "-i", "g.txt", "-o", "out", "--to", "structures"},
         "out"},
        {"sheet", "s.tsv", "pair\tgenomes\ta\tb\np\tsmall.txt\tg2\tg1\n",
         {"pair", "--pairs", "s.tsv", "-d", "d", "--solver", "true {lp} {solution}"}, "d/p/pair.txt"},
        {"bounds", "b.tsv", "a\t1\t1\n", {"model", "-s", "small.txt", "-o", "out", "--bounds", "b.tsv"}, "out"},
        {"solution", "s.xml", kSolution, {"solution", "-i", "s.xml", "-o", "out"}, "out"},
    };
    for (const auto& c : cases) {
        TempDir plain, marked;
        plain.write("small.txt", kSmall);
        marked.write("small.txt", kSmall);
        plain.write(c.file, c.content);
        marked.write(c.file, "\xEF\xBB\xBF" + c.content);
        const test::ProcessResult without = test::runParalogs(plain, c.args);
        const test::ProcessResult with = test::runParalogs(marked, c.args);
        ASSERT_EQ(without.status, 0) << c.kind << '\n' << without.err;
        EXPECT_EQ(with.status, 0) << c.kind << '\n' << with.err;
        EXPECT_EQ(marked.read(c.output), plain.read(c.output)) << c.kind;
    }
}

}  // namespace
}  // namespace rp::paralogs
