// paralogs model and paralogs score as users run them.
#include <gtest/gtest.h>

#include <fstream>

#include "support/genomes.hpp"
#include "support/solvers.hpp"
#include "support/paralogs.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace rp::test {
namespace {

const char* const kExample =
    "2\na 3\nb 1\n2\n"
    "g1 0 ; 2 ;\nC 3 : +a.1-b.1+a.2;\nL 1 : -a.3;\n"
    "g2 0 ; 1 ;\nL 2 : +a.1+b.1;\n";

TEST(ModelCommand, WritesTheProgramAndASummary) {
    TempDir dir;
    dir.write("structs.txt", kExample);
    const ProcessResult run = runParalogs(dir, {"model", "-s", "structs.txt", "-o", "model.lp"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    for (const std::string& line : linesOf(run.err)) EXPECT_EQ(line.rfind("paralogs model: ", 0), 0u) << line;
    EXPECT_NE(run.err.find("5 variables (4 z, 0 adjacency, 1 telomere), 4 constraints"), std::string::npos) << run.err;
    const std::string lp = dir.read("model.lp");
    EXPECT_EQ(lp.rfind("\\ paralogs model -s structs.txt -o model.lp\n", 0), 0u) << lp;
    EXPECT_NE(lp.find("\\ model maximum: 2 families in both genomes, 2 pairs to match\n"), std::string::npos);
    EXPECT_NE(lp.find("Maximize\n obj: t1\nSubject To\n count_1: z_a.1.1 + z_a.2.1 + z_a.3.1 = 1\n"),
              std::string::npos)
        << lp;
    if (!onPath("cbc")) return;
    const SolverAnswer cbc = runCbc(dir, "model.lp");
    EXPECT_TRUE(cbc.optimal);
    // -a.3 keeps its tail at the end of its chromosome, as +a does in B.
    EXPECT_EQ(cbc.objective, 1);
    EXPECT_EQ(cbc.values.count("z_a.3.1"), 1u);
}

TEST(ModelCommand, WritesToStandardOutputAndReadsStandardInput) {
    TempDir dir;
    dir.write("structs.txt", kExample);
    const ProcessResult run =
        runShell(dir, "\"$P\" model -s - -o - --model exemplar < structs.txt");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("\\ paralogs model -s - -o - --model exemplar\n", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("\nEnd\n"), std::string::npos);
}

TEST(ModelCommand, HonoursABoundsFileInTheBreakpointProgram) {
    // A: a b c; B: a c b. Matching b costs every conserved adjacency.
    TempDir dir;
    dir.write("structs.txt", "3\na 1\nb 1\nc 1\n2\ng1 0 ; 1 ;\nL 3 : +a.1+b.1+c.1;\ng2 0 ; 1 ;\nL 3 : +a.1+c.1+b.1;\n");
    dir.write("bounds.tsv", "# family\tlower\tupper\nb\t0\t1\n");
    const ProcessResult bounded =
        runParalogs(dir, {"model", "-s", "structs.txt", "-o", "bounded.lp", "--bounds", "bounds.tsv"});
    ASSERT_EQ(bounded.status, 0) << bounded.err;
    const std::string lp = dir.read("bounded.lp");
    EXPECT_NE(lp.find(" countLow_2: z_b.1.1 >= 0\n countHigh_2: z_b.1.1 <= 1\n"), std::string::npos) << lp;
    const ProcessResult plain =
        runParalogs(dir, {"model", "-s", "structs.txt", "-o", "plain.lp", "--model", "intermediate"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_NE(dir.read("plain.lp").find(" count_2: z_b.1.1 = 1\n"), std::string::npos);
    if (!onPath("cbc")) return;
    const SolverAnswer withBounds = runCbc(dir, "bounded.lp");
    EXPECT_TRUE(withBounds.optimal);
    EXPECT_EQ(withBounds.objective, 4);  // a-c over b and both telomeres
    const auto b = withBounds.values.find("z_b.1.1");
    EXPECT_TRUE(b == withBounds.values.end() || b->second < 0.5);
    const SolverAnswer without = runCbc(dir, "plain.lp");
    EXPECT_EQ(without.objective, 1);  // the left telomere only
}

struct Refusal {
    const char* what;
    const char* structs;
    std::vector<std::string> options;
    int status;
    const char* message;  // the one line on standard error, after "paralogs model: "
};

const Refusal kRefusals[] = {
    {"genome B before structure 2", kExample, {"--second", "1"}, 1, "genome B must be structure 2 or later, not 1"},
    {"fewer structures than N", kExample, {"--second", "3"}, 1,
     "structs.txt: the file holds 2 structures, genome B is structure 3"},
    {"a read that fails", "1\na 1\n2\ng1 0 ; 1 ;\nL 1 : +a.1;\ng2 0 ; 1 ;\nL 1 : +a.z;\n", {}, 1,
     "structs.txt: line 7: structure 2 (g2), chromosome 1: gene 1 \"+a.z\": the copy index is not a number"},
    {"a file that ends early", "1\na 1\n3\ng1 0 ; 1 ;\nL 1 : +a.1;\ng2 0 ; 1 ;\nL 1 : +a.1;\n", {}, 1,
     "structs.txt: line 7: structure 3: expected a structure name, found the end of the file"},
    {"a label twice in B", "1\na 1\n2\ng1 0 ; 1 ;\nL 1 : +a.1;\ng2 0 ; 1 ;\nL 2 : +a.1-a.1;\n", {}, 1,
     "structs.txt: label a.1 occurs twice in genome B (structure 2, g2)"},
    {"a bad family name", "1\na 1\n2\ng1 0 ; 1 ;\nL 1 : +a/b.1;\ng2 0 ; 1 ;\nL 1 : +a/b.1;\n", {}, 1,
     "structs.txt: family \"a/b\" cannot stand in an LP name (letters, digits and !\"#$%&(),?@_`'{}~ only)"},
    {"an unknown model", kExample, {"--model", "best"}, 2, "unknown model \"best\" (maximum, exemplar or intermediate)"},
    {"a missing input", nullptr, {}, 1, nullptr},
};

class ModelRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(ModelRefusal, SaysWhyAndLeavesTheOutputAlone) {
    const Refusal& r = GetParam();
    TempDir dir;
    if (r.structs != nullptr) dir.write("structs.txt", r.structs);
    dir.write("model.lp", "previous");
    std::vector<std::string> args{"model", "-s", "structs.txt", "-o", "model.lp"};
    args.insert(args.end(), r.options.begin(), r.options.end());
    const ProcessResult run = runParalogs(dir, args);
    EXPECT_EQ(run.status, r.status) << r.what << "\n" << run.err;
    const auto lines = linesOf(run.err);
    ASSERT_FALSE(lines.empty()) << r.what;
    if (r.message != nullptr) {
        EXPECT_EQ(lines[0], std::string("paralogs model: ") + r.message) << r.what;
    }
    EXPECT_EQ(lines.size(), r.status == 2 ? 2u : 1u) << r.what << "\n" << run.err;
    EXPECT_EQ(dir.read("model.lp"), "previous") << r.what;
}

INSTANTIATE_TEST_SUITE_P(Cases, ModelRefusal, ::testing::ValuesIn(kRefusals));

TEST(ModelCommand, WarnsOfFamiliesPastTheNineteenIndices) {
    TempDir dir;
    Structure a;
    a.name = "g1";
    a.chromosomes.resize(1);
    for (int c = 1; c <= 19; ++c) a.chromosomes[0].genes.push_back(Gene{"a", c, 1, false});
    dir.write("structs.txt", structuresFile({a, genome("L:+a.1", "g2")}));
    const ProcessResult run = runParalogs(dir, {"model", "-s", "structs.txt", "-o", "model.lp"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("paralogs model: warning: family a: copies of genome A stay unmatched"), std::string::npos)
        << run.err;
    EXPECT_TRUE(dir.exists("model.lp"));
}

TEST(ScoreCommand, PrintsTheHeaderAndTheValues) {
    TempDir dir;
    dir.write("structs.txt", structuresFile({genome("L:+a.1+b.1 L:+c.1", "g1"), genome("L:+a.1-b.1+c.1", "g2")}));
    const ProcessResult run = runParalogs(dir, {"score", "-s", "structs.txt"});
    ASSERT_EQ(run.status, 0) << run.err;
    // a-b not kept (b flipped); of A's telomeres a_t, b_h, c_t, c_h, B has
    // a_t and c_h.
    EXPECT_EQ(run.out,
              "matched\tadjacencies\ttelomeres\tobjective\tbreakpoint_distance\n"
              "3\t0\t2\t2\t2.0\n");
    for (const std::string& line : linesOf(run.err)) EXPECT_EQ(line.rfind("paralogs score: ", 0), 0u) << line;
}

TEST(ScoreCommand, ReadsAResultFileAndTheNthStructure) {
    TempDir dir;
    dir.write("result.txt", "3;\ng1 1; L2: +a.1+b.1; \ng2 1; C1: +a.1; \ng3 1; L2: -b.1-a.1; \n");
    const ProcessResult second = runParalogs(dir, {"score", "-s", "result.txt"});
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(linesOf(second.out).at(1), "1\t0\t0\t0\t1.0");
    const ProcessResult third = runParalogs(dir, {"score", "-s", "result.txt", "--second", "3"});
    ASSERT_EQ(third.status, 0) << third.err;
    EXPECT_EQ(linesOf(third.out).at(1), "2\t1\t2\t4\t0.0");
}

TEST(ScoreCommand, RefusesALabelTwiceInAGenome) {
    TempDir dir;
    dir.write("result.txt", "2;\ng1 1; L2: +a.1+a.1; \ng2 1; L1: +a.1; \n");
    const ProcessResult run = runParalogs(dir, {"score", "-s", "result.txt"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "paralogs score: result.txt: label a.1 occurs twice in genome A (structure 1, g1)\n");
}

TEST(ScoreCommand, RefusesAMissingGenomeB) {
    TempDir dir;
    dir.write("result.txt", "1;\ng1 1; L1: +a.1; \n");
    const ProcessResult run = runParalogs(dir, {"score", "-s", "result.txt"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "paralogs score: result.txt: the file holds 1 structure, genome B is structure 2\n");
    EXPECT_EQ(runParalogs(dir, {"score", "-s", "result.txt", "--second", "0"}).status, 1);
}

const char* const kDcjHeader = "matched\tdeleted\tinserted\tcycles\tsingletons\tp_ab\tp_Aa\tp_Ab\tp_Ba\tp_Bb\tp_AB\tdistance";

TEST(ScoreCommand, PrintsTheDcjIndelDistance) {
    TempDir dir;
    // Two indels and a transposition: 4 operations.
    dir.write("structs.txt", structuresFile({genome("L:+1.1+5.1+2.1+3.1+6.1+4.1", "g1"),
                                             genome("L:+1.1+7.1+3.1+2.1+8.1+4.1", "g2")}));
    const ProcessResult run = runParalogs(dir, {"score", "-s", "structs.txt", "--distance", "dcj"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, std::string(kDcjHeader) + "\n4\t2\t2\t0\t0\t2\t0\t0\t0\t0\t2\t4\n");
    for (const std::string& line : linesOf(run.err)) EXPECT_EQ(line.rfind("paralogs score: ", 0), 0u) << line;
    // The breakpoint score stays the default.
    const ProcessResult breakpoint = runParalogs(dir, {"score", "-s", "structs.txt", "--distance", "breakpoint"});
    ASSERT_EQ(breakpoint.status, 0) << breakpoint.err;
    EXPECT_EQ(breakpoint.out, runParalogs(dir, {"score", "-s", "structs.txt"}).out);
    EXPECT_EQ(breakpoint.out, "matched\tadjacencies\ttelomeres\tobjective\tbreakpoint_distance\n4\t0\t2\t2\t3.0\n");
}

TEST(ScoreCommand, DcjReadsCompressedInput) {
    TempDir dir;
    // x.1 twice in A only: both are deleted, y inserted in their stead.
    dir.write("structs.txt", structuresFile({genome("L:+x.1+x.1+b.1", "g1"), genome("L:+y.1+b.1", "g2")}));
    for (const char* compressor : {"gzip", "xz"}) {
        const std::string packed = std::string("structs.txt.") + compressor;
        ASSERT_EQ(runShell(dir, std::string(compressor) + " -c structs.txt > " + packed).status, 0);
        const ProcessResult run = runParalogs(dir, {"score", "-s", packed, "--distance", "dcj"});
        ASSERT_EQ(run.status, 0) << compressor << ": " << run.err;
        EXPECT_EQ(run.out, std::string(kDcjHeader) + "\n1\t2\t1\t0\t0\t1\t1\t0\t0\t1\t1\t2\n") << compressor;
    }
}

TEST(ScoreCommand, RefusesAnUnknownDistanceAndALabelTwice) {
    TempDir dir;
    dir.write("result.txt", "2;\ng1 1; L2: +a.1+a.1; \ng2 1; L1: +a.1; \n");
    const ProcessResult unknown = runParalogs(dir, {"score", "-s", "result.txt", "--distance", "dcj-indel"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.out, "");
    EXPECT_EQ(linesOf(unknown.err).at(0), "paralogs score: unknown distance \"dcj-indel\" (breakpoint or dcj)");
    const ProcessResult twice = runParalogs(dir, {"score", "-s", "result.txt", "--distance", "dcj"});
    EXPECT_EQ(twice.status, 1);
    EXPECT_EQ(twice.out, "");
    EXPECT_EQ(twice.err, "paralogs score: result.txt: label a.1 occurs twice in genome A (structure 1, g1)\n");
}

}  // namespace
}  // namespace rp::test

namespace rp::test {
namespace {

// The real pair (human and mouse): the program is written within the
// solvers' limits, every family of both genomes with its z variables.
TEST(ModelCommand, WritesTheProgramOfTheRealGenomes) {
    const std::string genomes = std::string(RP_SHARED_DIR) + "/genomes/human-mouse.txt";
    if (!std::ifstream(genomes)) GTEST_SKIP() << genomes << " is not there";
    TempDir dir;
    const ProcessResult run = runParalogs(dir, {"model", "-s", genomes, "-o", "human-mouse.lp"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("model maximum: 11234 families in both genomes"), std::string::npos) << run.err;
    std::ifstream lp(dir.file("human-mouse.lp"));
    std::string line, last;
    std::size_t lines = 0, zs = 0;
    bool binary = false;
    while (std::getline(lp, line)) {
        ++lines;
        last = line;
        ASSERT_LE(line.size(), 255u) << "line " << lines;
        if (line == "Binary") binary = true;
        if (!binary || line.empty() || line[0] != ' ') continue;
        std::istringstream words(line);
        std::string word;
        while (words >> word) {
            ASSERT_LE(word.size(), 100u);
            zs += word[0] == 'z';
        }
    }
    EXPECT_EQ(last, "End");
    EXPECT_NE(run.err.find(std::to_string(zs) + " z, "), std::string::npos) << zs << "\n" << run.err;
}

}  // namespace
}  // namespace rp::test
