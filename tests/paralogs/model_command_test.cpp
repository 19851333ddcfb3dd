// paralogs model --distance dcj, --model intermediate and --bounds as users
// run them: the program written and its summary, and every refusal of the
// command line and of a bounds file (one line, the output left alone).
#include <gtest/gtest.h>

#include "support/genomes.hpp"
#include "support/solvers.hpp"
#include "support/paralogs.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace rp::test {
namespace {

// A = [+a.1 +x.1 +b.1 +a.2] + (+c.1), B = [+a.1 +b.1] [+c.1 -a.2]: x is
// deleted, and a chromosome break (with the circle's integration) costs.
const char* const kPair =
    "4\na 1\nb 1\nc 1\nx 1\n2\n"
    "g1 0 ; 2 ;\nL 4 : +a.1+x.1+b.1+a.2;\nC 1 : +c.1;\n"
    "g2 0 ; 2 ;\nL 2 : +a.1+b.1;\nL 2 : +c.1-a.2;\n";

TEST(DcjModelCommand, WritesTheProgramNamingDistanceModelAndBounds) {
    TempDir dir;
    dir.write("structs.txt", kPair);
    dir.write("bounds.tsv", "# family\tlower\tupper\na\t1\t2\n");
    const ProcessResult run = runParalogs(dir, {"model", "-s", "structs.txt", "-o", "model.lp", "--distance", "dcj",
                                             "--model", "exemplar", "--bounds", "bounds.tsv", "--form", "plain"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto lines = linesOf(run.err);
    ASSERT_EQ(lines.size(), 3u) << run.err;
    EXPECT_EQ(lines[1],
              "paralogs model: distance dcj, model exemplar, bounds from bounds.tsv (1 family): 3 families in both "
              "genomes, 3 to 4 pairs to match");
    EXPECT_EQ(lines[2].rfind("paralogs model: wrote model.lp: ", 0), 0u);
    const std::string lp = dir.read("model.lp");
    EXPECT_NE(lp.find("\\ distance dcj, model exemplar, bounds from bounds.tsv (1 family)"), std::string::npos) << lp;
    EXPECT_NE(lp.find("\\ " + lines[2].substr(lines[2].find(": wrote model.lp: ") + 18) + "\n"), std::string::npos)
        << lp;
    EXPECT_NE(lp.find("\nMinimize\n"), std::string::npos);
    EXPECT_NE(lp.find(" c12_1_lo: z_a.1.1 + z_a.1.2 + z_a.2.1 + z_a.2.2 >= 1\n"), std::string::npos);
    if (!onPath("cbc")) return;
    const SolverAnswer cbc = runCbc(dir, "model.lp");
    ASSERT_TRUE(cbc.optimal) << cbc.log;
    // Two pairs of a: delete x, cut the A chromosome between b.1 and a.2 and
    // join the circle c.1 into its end (2 DCJs): 3. One pair costs more.
    EXPECT_EQ(cbc.objective, 3);
    EXPECT_EQ(cbc.values.count("z_a.2.2"), 1u);
}

TEST(DcjModelCommand, ReadsCompressedBoundsFromStandardInput) {
    TempDir dir;
    dir.write("structs.txt", kPair);
    dir.write("bounds.tsv", "a\t1\t1\n");
    const ProcessResult run =
        runShell(dir, "gzip -c bounds.tsv | \"$P\" model -s structs.txt -o model.lp --distance dcj --form plain --bounds -");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("bounds from standard input (1 family)"), std::string::npos) << run.err;
    EXPECT_NE(dir.read("model.lp").find(" c12_1: z_a.1.1 + z_a.1.2 + z_a.2.1 + z_a.2.2 = 1\n"), std::string::npos);
}

struct Refusal {
    const char* what;
    const char* bounds;  // nullptr: no --bounds
    std::vector<std::string> options;
    int status;
    const char* message;  // the first line on standard error, after "paralogs model: "
};

const Refusal kRefusals[] = {
    {"an unknown distance", nullptr, {"--distance", "reversal"}, 2, "unknown distance \"reversal\" (breakpoint or dcj)"},
    {"an unknown model", nullptr, {"--distance", "dcj", "--model", "maximal"}, 2,
     "unknown model \"maximal\" (maximum, exemplar or intermediate)"},
    {"a bound above min(a, b)", "#\na\t1\t3\n", {}, 1,
     "bounds.tsv line 2: family a: upper bound 3 is above min(a, b) = 2 (2 in genome A, 2 in genome B)"},
    {"lower above upper", "a\t2\t1\n", {}, 1, "bounds.tsv line 1: family a: lower bound 2 is above upper bound 1"},
    {"a negative value", "a\t-1\t1\n", {}, 1, "bounds.tsv line 1: lower bound \"-1\" is negative"},
    {"a value that is no number", "b\t0\tone\n", {}, 1, "bounds.tsv line 1: upper bound \"one\" is not a number"},
    {"a family named twice", "a\t1\t1\n\nb\t0\t1\na\t1\t2\n", {}, 1,
     "bounds.tsv line 4: family a named twice (first on line 1)"},
    {"a family in A only", "x\t0\t0\n", {}, 1,
     "bounds.tsv line 1: family x is not in both genomes (1 in genome A, 0 in genome B)"},
    {"a family in neither", "q\t0\t0\n", {}, 1,
     "bounds.tsv line 1: family q is not in both genomes (0 in genome A, 0 in genome B)"},
    {"a line of two fields", "a 1\t2\n", {}, 1, "bounds.tsv line 1: 2 fields, not 3 (FAMILY<TAB>LOWER<TAB>UPPER)"},
    {"a missing bounds file", nullptr, {"--bounds", "none.tsv"}, 1, nullptr},
};

class DcjModelRefusal : public ::testing::TestWithParam<Refusal> {};

void PrintTo(const Refusal& r, std::ostream* out) { *out << r.what; }

TEST_P(DcjModelRefusal, SaysWhyAndLeavesTheOutputAlone) {
    const Refusal& r = GetParam();
    for (const bool existing : {true, false}) {
        TempDir dir;
        dir.write("structs.txt", kPair);
        if (existing) dir.write("model.lp", "previous");
        std::vector<std::string> args{"model", "-s", "structs.txt", "-o", "model.lp"};
        if (r.bounds != nullptr) {
            dir.write("bounds.tsv", r.bounds);
            args.insert(args.end(), {"--distance", "dcj", "--bounds", "bounds.tsv"});
        }
        args.insert(args.end(), r.options.begin(), r.options.end());
        const ProcessResult run = runParalogs(dir, args);
        EXPECT_EQ(run.status, r.status) << r.what << "\n" << run.err;
        const auto lines = linesOf(run.err);
        ASSERT_FALSE(lines.empty()) << r.what;
        if (r.message != nullptr) {
            EXPECT_EQ(lines[0], std::string("paralogs model: ") + r.message) << r.what;
        } else {
            EXPECT_EQ(lines[0].rfind("paralogs model: ", 0), 0u) << lines[0];
        }
        EXPECT_EQ(lines.size(), r.status == 2 ? 2u : 1u) << r.what << "\n" << run.err;
        if (existing) {
            EXPECT_EQ(dir.read("model.lp"), "previous") << r.what;
        } else {
            EXPECT_FALSE(dir.exists("model.lp")) << r.what;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, DcjModelRefusal, ::testing::ValuesIn(kRefusals));

}  // namespace
}  // namespace rp::test
