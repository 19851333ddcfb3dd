// paralogs related through the binary: a collection of several files (as
// files, compressed, standard input), the sheet it writes, and the inputs
// it refuses.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "collection/pair_sheet.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace rp::collection {
namespace {

using test::ProcessResult;
using test::TempDir;

ProcessResult related(const TempDir& dir, std::vector<std::string> args) {
    args.insert(args.begin(), "related");
    return test::runProcess(RP_PARALOGS_PATH, args, dir.path());
}

const char* const kOne = ">p1\na b c d |\n>p2\na b c x |\n";
const char* const kTwo = ">q1\n+a +y +z +w )\n>q2\nm n |\n";

TEST(RelatedCommand, WritesTheSheetOfTheCollection) {
    TempDir dir;
    dir.write("one.unimog", kOne);
    dir.write("two.unimog", kTwo);
    const ProcessResult run = related(dir, {"-s", "one.unimog", "-s", "two.unimog", "--min-containment", "0.25"});
    ASSERT_EQ(run.status, 0) << run.err;
    // p1-p2 share a, b, c of 4 and 4; p1-q1 and p2-q1 share a of 4; q2 nothing.
    EXPECT_EQ(run.out,
              "pair\tgenomes\ta\tb\tcontainment\tjaccard\n"
              "p1__p2\tone.unimog\tp1\tp2\t0.750000\t0.600000\n"
              "p1__q1\t\tp1\tq1\t0.250000\t0.142857\n"
              "p2__q1\t\tp2\tq1\t0.250000\t0.142857\n");
    EXPECT_NE(
        run.err.find("4 genomes in 2 file(s), 10 families; 3 pairs share a family, 3 with containment at least 0.25"),
        std::string::npos)
        << run.err;
    // Leaving out "a" (in three of the four genomes) leaves p1-p2 with b, c of 3 and 3.
    const ProcessResult common =
        related(dir, {"-s", "one.unimog", "-s", "two.unimog", "--max-family-share", "0.6", "--min-containment", "0"});
    EXPECT_EQ(common.out,
              "pair\tgenomes\ta\tb\tcontainment\tjaccard\np1__p2\tone.unimog\tp1\tp2\t0.666667\t0.500000\n");
    EXPECT_NE(common.err.find("1 of 10 families are found in more than 0.6 of the genomes and left out"),
              std::string::npos)
        << common.err;
    // The default keeps only p1-p2.
    const ProcessResult byDefault = related(dir, {"-s", "one.unimog", "-s", "two.unimog"});
    EXPECT_EQ(byDefault.out,
              "pair\tgenomes\ta\tb\tcontainment\tjaccard\np1__p2\tone.unimog\tp1\tp2\t0.750000\t0.600000\n");
}

TEST(RelatedCommand, GenomesColumnIsRelativeToTheSheet) {
    TempDir dir;
    dir.write("one.unimog", kOne);
    std::filesystem::create_directories(dir.file("out/deep"));
    const ProcessResult run = related(dir, {"-s", "one.unimog", "-o", "out/deep/sheet.tsv"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::istringstream sheet(dir.read("out/deep/sheet.tsv"));
    const std::vector<SheetRow> rows = readPairSheet(sheet, "sheet.tsv");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].genomes, "../../one.unimog");
    EXPECT_EQ(rows[0].a, "p1");
    EXPECT_EQ(rows[0].b, "p2");
}

TEST(RelatedCommand, ReadsCompressedFilesAndStandardInput) {
    TempDir dir;
    dir.write("one.unimog", kOne);
    dir.write("two.unimog", kTwo);
    // kOne compressed with gzip (28 bytes in, 41 out).
    dir.write("one.unimog.gz", std::string("\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\x03\xb3\x2b\x30\xe4\x4a\x54\x48\x52\x48"
                                           "\x56\x48\x51\xa8\xe1\xb2\x2b\x30\x82\xf2\x2a\x80\x3c\x00\x7a\x2b\xf0\xdb\x1c"
                                           "\x00\x00\x00",
                                           41));
    const ProcessResult run = related(dir, {"-s", "one.unimog.gz", "--min-containment", "0"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("p1__p2\tone.unimog.gz\t"), std::string::npos) << run.out;
    // Standard input: its pairs have an empty genomes column.
    ASSERT_EQ(std::system(("cd '" + dir.path() + "' && " RP_PARALOGS_PATH " related -s one.unimog.gz -s - " +
                           "--min-containment 0 -o sheet.tsv < two.unimog 2>/dev/null")
                              .c_str()),
              0);
    EXPECT_EQ(dir.read("sheet.tsv"),
              "pair\tgenomes\ta\tb\tcontainment\tjaccard\n"
              "p1__p2\tone.unimog.gz\tp1\tp2\t0.750000\t0.600000\n"
              "p1__q1\t\tp1\tq1\t0.250000\t0.142857\n"
              "p2__q1\t\tp2\tq1\t0.250000\t0.142857\n");
}

TEST(RelatedCommand, RefusesBadInput) {
    TempDir dir;
    dir.write("one.unimog", kOne);
    dir.write("again.unimog", ">z\na |\n>p2\nb |\n");
    const struct {
        std::vector<std::string> args;
        int status;
        const char* message;
    } cases[] = {
        {{"-s", "missing.unimog"}, 1, "paralogs related: cannot open missing.unimog"},
        {{"-s", "one.unimog", "-s", "again.unimog"},
         1,
         "paralogs related: genome p2 is in both one.unimog and again.unimog; genome names must be unique"},
        {{"-s", "one.unimog", "--min-containment", "1.5"},
         2,
         "paralogs related: --min-containment must be a number from 0 to 1"},
        {{"-s", "one.unimog", "--min-containment", "-0.1"}, 2, "paralogs related: --min-containment must be"},
        {{"-s", "one.unimog", "--min-containment", "nan"}, 2, "paralogs related: --min-containment must be"},
        {{"-s", "one.unimog", "--min-containment", "half"}, 2, "paralogs related: the argument ('half')"},
        {{}, 2, "paralogs related: the option '--genomes' is required"},
        {{"-s", "one.unimog", "--max-family-share", "0"}, 2, "paralogs related: --max-family-share must be"},
        {{"-s", "one.unimog", "--max-family-share", "1.01"}, 2, "paralogs related: --max-family-share must be"},
        {{"-s", "one.unimog", "-o", "no/such/dir/sheet.tsv"},
         1,
         "paralogs related: cannot create no/such/dir/sheet.tsv"},
    };
    for (const auto& c : cases) {
        const ProcessResult run = related(dir, c.args);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_EQ(run.err.rfind(c.message, 0), 0u) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
    }
}

}  // namespace
}  // namespace rp::collection
