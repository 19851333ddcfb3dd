// paralogs pair --pairs through the binary: every pair of a sheet equals one
// paralogs pair of that pair, field by field (timing aside) and file by
// file; --keep; a failed pair is a row; the sheets it refuses, with the line.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "pair/pair_result.hpp"
#include "support/paralogs.hpp"
#include "support/process.hpp"
#include "support/solvers.hpp"
#include "support/temp_dir.hpp"

namespace rp::pair {
namespace {

namespace fs = std::filesystem;
using test::ProcessResult;
using test::TempDir;
using Summary = std::map<std::string, std::string>;

ProcessResult paralogs(const TempDir& dir, std::vector<std::string> args) {
    args.insert(args.begin(), "pair");
    return test::runProcess(RP_PARALOGS_PATH, args, dir.path());
}

// Every line of a summary file by column; the header must be the summary's.
std::vector<Summary> readSummaries(const std::string& path) {
    std::istringstream text(test::readFile(path));
    std::string line;
    std::getline(text, line);
    const std::vector<std::string> names = test::tabFields(line);
    EXPECT_EQ(line + "\n", summaryHeader());
    std::vector<Summary> rows;
    while (std::getline(text, line)) {
        const std::vector<std::string> values = test::tabFields(line);
        EXPECT_EQ(values.size(), names.size()) << line;
        Summary row;
        for (std::size_t i = 0; i < names.size() && i < values.size(); ++i) row[names[i]] = values[i];
        rows.push_back(row);
    }
    return rows;
}

// Genomes whose families all have one copy in each: no free choice.
const char* const kForced = ">x\na b -c d e |\n>y\na -b c e d |\n>z\nd e a |\n";
// Genome "bad" holds label a.1 twice: its pairs fail.
const char* const kBad = "2\na 2\nb 1\n2\nok 0 ; 1 ;\nL 3 : +a.1+b.1+a.2;\nbad 0 ; 1 ;\nL 3 : +a.1+b.1+a.1;\n";

// The collection of the tests: the example, the forced file, the bad file;
// the sheet in its own folder, naming files relative to it.
void writeCollection(const TempDir& dir) {
    fs::create_directories(dir.file("genomes"));
    fs::create_directories(dir.file("sheets"));
    fs::copy_file(RP_SOURCE_DIR "/examples/structs.txt", dir.file("genomes/structs.txt"));
    dir.write("genomes/forced.unimog", kForced);
    dir.write("genomes/bad.txt", kBad);
    dir.write("sheets/pairs.tsv",
              "# pairs of both kinds\n"
              "pair\tgenomes\ta\tb\tcontainment\n"
              "first\t../genomes/structs.txt\t\t\t1.0\n"
              "g2__g3\t../genomes/structs.txt\tg2\tg3\t1.0\n"
              "g3__g1\t../genomes/structs.txt\tg3\tg1\t1.0\n"
              "x__y\t\tx\ty\t1.0\n"
              "y__z\t../genomes/forced.unimog\ty\tz\t0.6\n"
              "ok__bad\t../genomes/bad.txt\tok\tbad\t1.0\n");
}

struct SheetPair {
    const char* pair;
    const char* genomes;
    const char* a;
    const char* b;
};
const SheetPair kSheetPairs[] = {
    {"first", "genomes/structs.txt", "", ""},      {"g2__g3", "genomes/structs.txt", "g2", "g3"},
    {"g3__g1", "genomes/structs.txt", "g3", "g1"}, {"x__y", "genomes/forced.unimog", "x", "y"},
    {"y__z", "genomes/forced.unimog", "y", "z"},   {"ok__bad", "genomes/bad.txt", "ok", "bad"},
};

TEST(PairBatch, EachPairEqualsItsOwnRun) {
    if (!test::onPath("cbc")) GTEST_SKIP() << "cbc is not installed";
    for (const char* distance : {"breakpoint", "dcj"}) {
        TempDir dir;
        writeCollection(dir);
        const ProcessResult batch = paralogs(
            dir, {"--pairs", "sheets/pairs.tsv", "-d", "out", "-s", "genomes/forced.unimog", "--distance", distance});
        ASSERT_EQ(batch.status, 0) << batch.err;
        std::vector<Summary> rows = readSummaries(dir.file("out/summary.tsv"));
        ASSERT_EQ(rows.size(), std::size(kSheetPairs));
        for (std::size_t k = 0; k < rows.size(); ++k) {
            const SheetPair& p = kSheetPairs[k];
            std::vector<std::string> args{"-s", p.genomes, "-d", std::string("one/") + p.pair, "--distance", distance};
            if (*p.a != '\0') args.insert(args.end(), {"--a", p.a, "--b", p.b});
            paralogs(dir, args);
            const std::vector<Summary> own = readSummaries(dir.file(std::string("one/") + p.pair + "/summary.tsv"));
            ASSERT_EQ(own.size(), 1u);
            Summary expected = own[0], found = rows[k];
            EXPECT_FALSE(found["wall_s"].empty() && found["status"] != "failed") << p.pair;
            expected.erase("wall_s");
            found.erase("wall_s");
            EXPECT_EQ(found, expected) << distance << " " << p.pair;
            for (const char* file : {"model.lp", "resolved.txt", "solution.xml", "pair.txt"}) {
                const std::string mine = std::string("out/") + p.pair + "/" + file;
                const std::string theirs = std::string("one/") + p.pair + "/" + file;
                EXPECT_EQ(dir.exists(mine), dir.exists(theirs)) << mine;
                if (dir.exists(theirs)) {
                    EXPECT_EQ(dir.read(mine), dir.read(theirs)) << mine;
                }
            }
        }
        // What the rows say, beyond their equality.
        EXPECT_EQ(rows[0]["a"] + rows[0]["b"], "g1g2");
        EXPECT_EQ(rows[3]["solver"], "none");
        EXPECT_EQ(rows[3]["status"], "optimal");
        EXPECT_EQ(rows[5]["status"], "failed");
        EXPECT_NE(rows[5]["note"].find("occurs twice"), std::string::npos) << rows[5]["note"];
        EXPECT_NE(batch.err.find("paralogs pair: [1/6] first: optimal, distance "), std::string::npos) << batch.err;
        EXPECT_NE(batch.err.find("paralogs pair: [6/6] ok__bad: failed ("), std::string::npos) << batch.err;
        EXPECT_NE(batch.err.find("paralogs pair: 6 pairs, 1 failed; summary in out/summary.tsv"), std::string::npos);
    }
}

TEST(PairBatch, KeepChoosesTheDirectoriesThatStay) {
    if (!test::onPath("cbc")) GTEST_SKIP() << "cbc is not installed";
    const struct {
        const char* keep;
        std::set<std::string> entries;
    } cases[] = {
        {"all", {"first", "g2__g3", "g3__g1", "x__y", "y__z", "ok__bad", "summary.tsv"}},
        {"failed", {"ok__bad", "summary.tsv"}},
        {"none", {"summary.tsv"}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        writeCollection(dir);
        const ProcessResult run = paralogs(
            dir, {"--pairs", "sheets/pairs.tsv", "-d", "out", "-s", "genomes/forced.unimog", "--keep", c.keep});
        ASSERT_EQ(run.status, 0) << run.err;
        std::set<std::string> entries;
        for (const auto& entry : fs::directory_iterator(dir.file("out"))) entries.insert(entry.path().filename());
        EXPECT_EQ(entries, c.entries) << c.keep;
        EXPECT_EQ(readSummaries(dir.file("out/summary.tsv")).size(), 6u) << c.keep;
    }
}

TEST(PairBatch, RefusesSheetsItCannotUse) {
    const struct {
        std::string sheet;
        std::vector<std::string> more;
        const char* message;
    } cases[] = {
        {"pair\tgenomes\ta\np\tgenomes/structs.txt\tg1\n",
         {},
         "paralogs pair: sheets/s.tsv line 1: the header has the column \"a\" without the column \"b\""},
        {"pair\ta\tb\np\tg1\tg2\n", {}, "paralogs pair: sheets/s.tsv line 1: the header has no column \"genomes\""},
        {"pair\tgenomes\ta\tb\np\t../genomes/structs.txt\tg1\tg9\n",
         {},
         "paralogs pair: sheets/s.tsv line 2: genome g9 is not in genomes/structs.txt"},
        {"pair\tgenomes\ta\tb\n#\np\t\tg1\tx\n",
         {"-s", "genomes/forced.unimog"},
         "paralogs pair: sheets/s.tsv line 3: genome g1 is not in the collection (-s)"},
        {"pair\tgenomes\ta\tb\np\t\tx\ty\n",
         {},
         "paralogs pair: sheets/s.tsv line 2: pair p has no genomes file and no collection"},
        {"pair\tgenomes\ta\tb\np\t../genomes/structs.txt\tg1\tg2\np\t../genomes/structs.txt\tg1\tg3\n",
         {},
         "paralogs pair: sheets/s.tsv line 3: pair p is listed twice (first on line 2)"},
        {"pair\tgenomes\np\t-\n", {}, "paralogs pair: sheets/s.tsv line 2: pair p: a sheet names genomes files"},
        {"pair\tgenomes\np\tmissing.unimog\n",
         {},
         "paralogs pair: sheets/s.tsv line 2: cannot open sheets/missing.unimog"},
        {"pair\tgenomes\nsummary.tsv\t../genomes/structs.txt\n",
         {},
         "paralogs pair: sheets/s.tsv line 2: pair summary.tsv would"},
        {("pair\tgenomes\n" + std::string(231, 'p') + "\t../genomes/structs.txt\n"),
         {},
         "paralogs pair: sheets/s.tsv line 2: pair name \"ppp"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        writeCollection(dir);
        dir.write("sheets/s.tsv", c.sheet);
        std::vector<std::string> args{"--pairs", "sheets/s.tsv", "-d", "out"};
        args.insert(args.end(), c.more.begin(), c.more.end());
        const ProcessResult run = paralogs(dir, args);
        EXPECT_EQ(run.status, 1) << c.sheet;
        EXPECT_EQ(run.err.rfind(c.message, 0), 0u) << run.err;
        EXPECT_FALSE(dir.exists("out")) << "a refused sheet ran pairs: " << c.sheet;
    }
}

TEST(PairBatch, CommandLinesItRefuses) {
    TempDir dir;
    writeCollection(dir);
    const struct {
        std::vector<std::string> args;
        int status;
        const char* message;
    } cases[] = {
        {{"--pairs", "sheets/none.tsv", "-d", "out"}, 1, "paralogs pair: cannot open sheets/none.tsv"},
        {{"--pairs", "sheets/pairs.tsv", "-d", "out", "--keep", "some"}, 2, "paralogs pair: unknown --keep \"some\""},
        {{"--pairs", "sheets/pairs.tsv", "-d", "out", "--a", "g1"}, 2, "paralogs pair: --a names one pair"},
        {{"--pairs", "sheets/pairs.tsv", "-d", "out", "--name", "n"}, 2, "paralogs pair: --name names one pair"},
        {{"-s", "genomes/structs.txt", "-d", "out", "--keep", "all"}, 2, "paralogs pair: --keep goes with --pairs"},
        {{"-s", "genomes/structs.txt", "-s", "genomes/forced.unimog", "-d", "out"},
         2,
         "paralogs pair: one pair takes one genomes file"},
        {{"--pairs", "sheets/pairs.tsv"}, 2, "paralogs pair: the option '--dir' is required"},
        {{"--pairs", "-", "-s", "-", "-d", "out"}, 2, "paralogs pair: standard input can be the sheet"},
    };
    for (const auto& c : cases) {
        const ProcessResult run = paralogs(dir, c.args);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_EQ(run.err.rfind(c.message, 0), 0u) << run.err;
        EXPECT_FALSE(dir.exists("out"));
    }
}


// The folders a sheet's pairs would take that are not the road's (a folder
// of the user's, the run's own inputs) fail alone and stay as they were,
// whatever --keep says; the road's own folders go as --keep says.
TEST(PairBatch, TouchesNothingThatIsNotTheRoads) {
    for (const char* keep : {"none", "failed"}) {
        TempDir dir;
        dir.write("forced.unimog", kForced);
        const std::string sheet =
            "pair\tgenomes\ta\tb\nprecious\tforced.unimog\tx\ty\nforced.unimog\tforced.unimog\tx\tz\n"
            "sheet.tsv\tforced.unimog\ty\tz\nfine\tforced.unimog\ty\tx\n";
        dir.write("sheet.tsv", sheet);
        fs::create_directories(dir.file("precious"));
        dir.write("precious/thesis.tex", "years of work\n");
        const ProcessResult run = paralogs(dir, {"--pairs", "sheet.tsv", "-d", ".", "--keep", keep});
        ASSERT_EQ(run.status, 0) << run.err;
        std::vector<Summary> rows = readSummaries(dir.file("summary.tsv"));
        ASSERT_EQ(rows.size(), 4u);
        const char* const notes[] = {"precious holds thesis.tex, which paralogs pair did not write",
                                     "forced.unimog is one of this run's inputs",
                                     "sheet.tsv is one of this run's inputs", ""};
        for (std::size_t k = 0; k < rows.size(); ++k) {
            EXPECT_EQ(rows[k]["status"], k < 3 ? "failed" : "optimal") << keep << " " << rows[k]["pair"];
            EXPECT_NE(rows[k]["note"].find(notes[k]), std::string::npos) << keep << ": " << rows[k]["note"];
        }
        EXPECT_EQ(dir.read("precious/thesis.tex"), "years of work\n");
        EXPECT_EQ(dir.read("forced.unimog"), kForced);
        EXPECT_EQ(dir.read("sheet.tsv"), sheet);
        std::set<std::string> entries;
        for (const auto& entry : fs::directory_iterator(dir.path())) entries.insert(entry.path().filename());
        EXPECT_EQ(entries, (std::set<std::string>{"forced.unimog", "precious", "sheet.tsv", "summary.tsv"})) << keep;
    }
}

// What the solver of each pair sees: the sheet's summary (every pair not
// done is pending, the earlier sheet's line is gone) and its own folder
// (an earlier run's summary and answer are gone). The template fails, so
// that its pairs fail after.
TEST(PairBatch, NothingStaleWhileItRuns) {
    TempDir dir;
    writeCollection(dir);
    fs::create_directories(dir.file("out/p1"));
    dir.write("out/summary.tsv", summaryHeader() + "old\tg1\tg2\n");
    dir.write("out/.summary.tsv.Qw12Er", "a killed run's\n");
    for (const char* file : {"summary.tsv", "solution.xml", "resolved.txt"}) dir.write(std::string("out/p1/") + file, "old\n");
    dir.write("sheets/two.tsv", "pair\tgenomes\ta\tb\np1\t../genomes/structs.txt\tg1\tg2\np2\t../genomes/structs.txt\tg2\tg3\n");
    const std::string solver =
        "d=$(dirname {lp}); p=$(basename \"$d\"); cat \"$d/../summary.tsv\" > seen-$p.tsv; ls -A \"$d\" > seen-$p.ls; "
        "exit 3 # {solution}";
    const ProcessResult run = paralogs(dir, {"--pairs", "sheets/two.tsv", "-d", "out", "--solver", solver});
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<Summary> seen = readSummaries(dir.file("seen-p1.tsv"));
    ASSERT_EQ(seen.size(), 2u);
    for (std::size_t k = 0; k < 2; ++k) {
        EXPECT_EQ(seen[k]["pair"], k == 0 ? "p1" : "p2");
        EXPECT_EQ(seen[k]["status"], "pending");
    }
    EXPECT_EQ(dir.read("seen-p1.ls"), ".paralogs-pair\nmodel.lp\npair.txt\nsolver.log\n");
    seen = readSummaries(dir.file("seen-p2.tsv"));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0]["status"] + " " + seen[1]["status"], "pending pending");  // within 30 s of the first
    std::vector<Summary> rows = readSummaries(dir.file("out/summary.tsv"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0]["status"] + " " + rows[1]["status"], "failed failed");
    EXPECT_FALSE(dir.exists("out/.summary.tsv.Qw12Er"));
}

// One pair's directory that is not the road's: refused, nothing written.
TEST(PairBatch, OnePairRefusesAFolderOfTheUsers) {
    TempDir dir;
    writeCollection(dir);
    fs::create_directories(dir.file("out"));
    dir.write("out/thesis.tex", "years of work\n");
    const ProcessResult run = paralogs(dir, {"-s", "genomes/structs.txt", "-d", "out"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "paralogs pair: out holds thesis.tex, which paralogs pair did not write: give a new or empty "
                       "folder for the pair\n");
    std::set<std::string> entries;
    for (const auto& entry : fs::directory_iterator(dir.file("out"))) entries.insert(entry.path().filename());
    EXPECT_EQ(entries, std::set<std::string>{"thesis.tex"});
}

}  // namespace
}  // namespace rp::pair
