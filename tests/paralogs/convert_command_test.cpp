// paralogs convert and paralogs unimog --families as a user runs them: every
// format to every other, standard streams, a compressed GRIMM input, model
// and score reading GRIMM, and the command lines and inputs refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/paralogs.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace rp::formats {
namespace {

using test::TempDir;

const std::string kExample = std::string(RP_SOURCE_DIR) + "/examples/structs.txt";
const std::string kExampleGrimm =
    ">g1\na.1 -b.1 a.2 c.1 @\n-a.3 b.2 d.1 $\n>g2\na.1 b.1 c.1 $\n-a.2 b.2 d.1 @\n>g3\na.1 -b.2 c.1 a.2 $\n";

test::ProcessResult paralogs(const TempDir& dir, const std::vector<std::string>& args) {
    return test::runParalogs(dir, args);
}

TEST(ConvertCommand, EveryFormatToEveryOther) {
    TempDir dir;
    dir.write("in.txt", test::readFile(kExample));
    ASSERT_EQ(paralogs(dir, {"convert", "-i", "in.txt", "-o", "in.grimm", "--to", "grimm"}).status, 0);
    EXPECT_EQ(dir.read("in.grimm"), kExampleGrimm);
    ASSERT_EQ(paralogs(dir, {"convert", "-i", "in.txt", "-o", "in.ug", "--to", "unimog"}).status, 0);
    struct Case {
        std::string input;
        std::string to;
        std::string summary;
    };
    const std::vector<Case> cases = {
        {"in.grimm", "structures", "GRIMM -> structures file"},
        {"in.grimm", "unimog", "GRIMM -> UniMoG"},
        {"in.grimm", "grimm", "GRIMM -> GRIMM"},
        {"in.ug", "grimm", "UniMoG -> GRIMM"},
        {"in.txt", "structures", "structures file -> structures file"},
    };
    for (const Case& c : cases) {
        const auto r = paralogs(dir, {"convert", "-i", c.input, "-o", "out", "--to", c.to});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "paralogs convert: " + c.summary +
                             "\nparalogs convert: 3 genomes, 5 chromosomes, 17 genes, 4 families\n");
        const std::string expected = c.to == "structures" ? test::readFile(kExample)
                                     : c.to == "grimm"    ? kExampleGrimm
                                                          : dir.read("in.ug");
        EXPECT_EQ(dir.read("out"), expected) << c.input << " to " << c.to;
    }
}

TEST(ConvertCommand, StandardStreamsCompressedGrimmAndTheResultFile) {
    TempDir dir;
    dir.write("in.grimm", "# from MGR\n>A\n1 -2 3 $\n>B\n3 2 1 $\n");
    const auto r = test::runShell(dir, "gzip -c in.grimm | \"$P\" convert -i - -o - --to unimog");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, ">A\n1.1 -2.1 3.1 |\n>B\n3.1 2.1 1.1 |\n");
    dir.write("result.txt", "1;\ng 2; C2: +a.2-b.1; L1: -a.1; \n");
    const auto result = paralogs(dir, {"convert", "-i", "result.txt", "-o", "-", "--to", "grimm", "--families"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, ">g\na -b @\n-a $\n");
    EXPECT_EQ(result.err.substr(0, result.err.find('\n')), "paralogs convert: result file -> GRIMM");
}

TEST(ConvertCommand, ModelAndScoreReadGrimmAndUnimog) {
    TempDir dir;
    dir.write("in.txt", test::readFile(kExample));
    dir.write("in.grimm", kExampleGrimm);
    ASSERT_EQ(paralogs(dir, {"unimog", "-i", "in.txt", "-o", "in.ug"}).status, 0);
    const auto expected = paralogs(dir, {"score", "-s", "in.txt"});
    ASSERT_EQ(expected.status, 0) << expected.err;
    for (const char* input : {"in.grimm", "in.ug"}) {
        const auto score = paralogs(dir, {"score", "-s", input});
        EXPECT_EQ(score.status, 0) << score.err;
        EXPECT_EQ(score.out, expected.out) << input;
        const auto model = paralogs(dir, {"model", "-s", input, "-o", std::string(input) + ".lp"});
        EXPECT_EQ(model.status, 0) << model.err;
    }
    EXPECT_NE(paralogs(dir, {"score", "-s", "in.grimm"}).err.find("(GRIMM)"), std::string::npos);
}

TEST(ConvertCommand, FamiliesWithUnimog) {
    TempDir dir;
    dir.write("in.txt", test::readFile(kExample));
    const auto r = paralogs(dir, {"unimog", "-i", "in.txt", "-o", "-", "--families"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find(">g2")), ">g1\na -b a c )\n-a b d |\n");
    // Without --families, exactly as before.
    const auto plain = paralogs(dir, {"unimog", "-i", "in.txt", "-o", "-"});
    EXPECT_EQ(plain.out.substr(0, plain.out.find(">g2")), ">g1\na.1 -b.1 a.2 c.1 )\n-a.3 b.2 d.1 |\n");
}

TEST(ConvertCommand, RefusalsSayWhatAndExitOneOrTwo) {
    TempDir dir;
    dir.write("in.ug", ">A\n1 2 |\n");
    dir.write("none.txt", "hello\n");
    dir.write("out", "kept");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string firstLine;
    };
    const std::vector<Case> cases = {
        {{"unimog", "-i", "in.ug", "-o", "out", "--families"}, 1,
         "paralogs unimog: in.ug: UniMoG becomes a structures file, which needs copy indices: --families "
         "applies to UniMoG and GRIMM output only"},
        {{"convert", "-i", "in.ug", "-o", "out", "--to", "structures", "--families"}, 2,
         "paralogs convert: --families applies to --to unimog and --to grimm: a structures file needs copy "
         "indices"},
        {{"convert", "-i", "in.ug", "-o", "out", "--to", "fasta"}, 2,
         "paralogs convert: --to fasta: the formats written are structures, unimog and grimm"},
        {{"convert", "-i", "in.ug", "-o", "out"}, 2,
         "paralogs convert: the option '--to' is required but missing"},
        {{"convert", "-i", "none.txt", "-o", "out", "--to", "grimm"}, 1,
         "paralogs convert: none.txt: not genomes: neither a structures or result file (whose first item is "
         "a count) nor UniMoG or GRIMM (no line begins with '>')"},
        {{"convert", "-i", "missing", "-o", "out", "--to", "grimm"}, 1,
         "paralogs convert: cannot open missing: No such file or directory"},
    };
    for (const Case& c : cases) {
        const auto r = paralogs(dir, c.args);
        EXPECT_EQ(r.status, c.status) << c.firstLine;
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.firstLine);
        EXPECT_EQ(r.status == 2, r.err.find("\nUsage: paralogs ") != std::string::npos) << r.err;
        EXPECT_EQ(dir.read("out"), "kept");
    }
}

}  // namespace
}  // namespace rp::formats
