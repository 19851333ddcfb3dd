// paralogs unimog as a user runs it: both directions, standard streams, a
// compressed input, the real human/mouse pair, failures and their statuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/genomes.hpp"
#include "genomes/genomes_reader.hpp"
#include "support/paralogs.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"
#include "unimog/unimog_reader.hpp"

namespace rp::unimog {
namespace {

using test::runProcess;
using test::TempDir;

const std::string kExample = std::string(RP_SOURCE_DIR) + "/examples/structs.txt";

test::ProcessResult unimog(const TempDir& dir, const std::vector<std::string>& args) {
    return test::runParalogs(dir, "unimog", args);
}

// Runs a shell command line in `dir`, with $P the program.
test::ProcessResult shell(const TempDir& dir, const std::string& line) { return test::runShell(dir, line); }

std::vector<Structure> structuresOf(const std::string& text) {
    std::istringstream in(text);
    return readGenomes(in, "structures").structures;
}

TEST(UnimogCommand, StructuresToUnimogAndBack) {
    TempDir dir;
    dir.write("structs.txt", test::readFile(kExample));
    const auto to = unimog(dir, {"-i", "structs.txt", "-o", "genomes.ug"});
    EXPECT_EQ(to.status, 0) << to.err;
    EXPECT_EQ(to.out, "");
    EXPECT_EQ(to.err,
              "paralogs unimog: structures file -> UniMoG\n"
              "paralogs unimog: 3 genomes, 5 chromosomes, 17 genes, 4 families\n");
    EXPECT_TRUE(dir.read("genomes.ug").starts_with(">g1\na.1 -b.1 a.2 c.1 )\n-a.3 b.2 d.1 |\n>g2\n"));
    const auto back = unimog(dir, {"--input", "genomes.ug", "--output", dir.file("back.txt")});
    EXPECT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(back.err,
              "paralogs unimog: UniMoG -> structures file\n"
              "paralogs unimog: 3 genomes, 5 chromosomes, 17 genes, 4 families\n");
    EXPECT_EQ(dir.read("back.txt"), test::readFile(kExample));
}

TEST(UnimogCommand, StandardStreams) {
    TempDir dir;
    dir.write("in.ug", "// two genomes\n>A\n1 -2 3)\n>B\n3 2 1\n");
    const auto r = shell(dir, "\"$P\" unimog -i - -o - < in.ug > out.txt");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(dir.read("out.txt"), "3\n1 1\n2 1\n3 1\n2\nA 0 ; 1 ;\nC 3 : +1.1-2.1+3.1;\nB 0 ; 1 ;\nL 3 : +3.1+2.1+1.1;\n");
    const auto back = shell(dir, "\"$P\" unimog -i - -o - < out.txt");
    EXPECT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(back.out, ">A\n1.1 -2.1 3.1 )\n>B\n3.1 2.1 1.1 |\n");
}

TEST(UnimogCommand, CompressedInputs) {
    TempDir dir;
    dir.write("in.ug", ">A\n1 2 |\n>B\n2 1 |\n");
    for (const char* compressor : {"gzip", "xz"}) {
        const std::string packed = std::string("in.ug.") + compressor;
        ASSERT_EQ(shell(dir, std::string(compressor) + " -c in.ug > " + packed).status, 0);
        const auto r = unimog(dir, {"-i", packed, "-o", "out.txt"});
        EXPECT_EQ(r.status, 0) << compressor << ": " << r.err;
        EXPECT_EQ(dir.read("out.txt"), "2\n1 1\n2 1\n2\nA 0 ; 1 ;\nL 2 : +1.1+2.1;\nB 0 ; 1 ;\nL 2 : +2.1+1.1;\n");
    }
}

TEST(UnimogCommand, ResultFileToUnimog) {
    TempDir dir;
    dir.write("result.txt", "2;\ng1 2; C3: +a.2-b.1+a.1; L1: -a.4; \ng2 1; L2: +a.1+b.1; \n");
    const auto r = unimog(dir, {"-i", "result.txt", "-o", "-"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, ">g1\na.2 -b.1 a.1 )\n-a.4 |\n>g2\na.1 b.1 |\n");
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')), "paralogs unimog: result file -> UniMoG");
}

TEST(UnimogCommand, RealHumanMousePair) {
    const std::string pair = std::string(RP_SHARED_DIR) + "/genomes/human-mouse.txt";
    if (!std::filesystem::exists(pair)) GTEST_SKIP() << "no " << pair;
    TempDir dir;
    const auto to = unimog(dir, {"-i", pair, "-o", "pair.ug"});
    ASSERT_EQ(to.status, 0) << to.err;
    EXPECT_EQ(to.err.substr(to.err.find('\n') + 1),
              "paralogs unimog: 2 genomes, 45 chromosomes, 27990 genes, 11234 families\n");
    const auto back = unimog(dir, {"-i", "pair.ug", "-o", "pair.txt"});
    ASSERT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(test::describe(structuresOf(dir.read("pair.txt"))), test::describe(structuresOf(test::readFile(pair))));
}

TEST(UnimogCommand, FamilyThatLooksLikeAHeaderRoundTrips) {
    TempDir dir;
    dir.write("odd.txt", "1\n>a 1\n1\ng1 0 ; 1 ;\nL 1 : +>a.1;\n");
    const auto r = unimog(dir, {"-i", "odd.txt", "-o", "odd.ug"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(dir.read("odd.ug"), ">g1\n+>a.1 |\n");
    const auto back = unimog(dir, {"-i", "odd.ug", "-o", "-"});
    EXPECT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(back.out, dir.read("odd.txt"));
}

TEST(UnimogCommand, FailuresExitOneAndLeaveTheOutputAlone) {
    TempDir dir;
    dir.write("bad.ug", ">A\n1 2 |\n>B\n2 a;b |\n");
    dir.write("bad.txt", "2\na 1\n");  // ends before its structures
    dir.write("out.txt", "kept\n");
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"-i", "bad.ug", "-o", "out.txt"},
         "paralogs unimog: bad.ug: line 4: marker 'a;b': the structures format cannot carry ';' in a family name\n"},
        {{"-i", "missing.ug", "-o", "out.txt"}, ""},
        {{"-i", "bad.txt", "-o", "out.txt"}, ""},
        {{"-i", "bad.ug", "-o", "new.txt"}, ""},
    };
    for (const auto& c : cases) {
        const auto r = unimog(dir, c.args);
        EXPECT_EQ(r.status, 1) << c.args[1];
        EXPECT_EQ(r.out, "");
        if (!c.message.empty()) {
            EXPECT_EQ(r.err, c.message);
        }
        EXPECT_EQ(r.err.find("paralogs unimog: "), 0u) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
        EXPECT_NE(r.err.find(c.args[1] == "missing.ug" ? "missing.ug" : c.args[1]), std::string::npos) << r.err;
    }
    EXPECT_EQ(dir.read("out.txt"), "kept\n");
    EXPECT_FALSE(dir.exists("new.txt"));
}

TEST(UnimogCommand, UnusableCommandLinesExitTwo) {
    TempDir dir;
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"-i", "x"}, {"-o", "y"}, {"-i", "x", "-o", "y", "stray"}, {"--second", "1"}}) {
        const auto r = unimog(dir, args);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("Usage: paralogs unimog -i IN -o OUT"), std::string::npos) << r.err;
    }
}

}  // namespace
}  // namespace rp::unimog
