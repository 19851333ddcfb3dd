#include "structs/result_writer.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "structs/structs_reader.hpp"
#include "support/temp_dir.hpp"

namespace rp {
namespace {

std::string written(const std::vector<Structure>& structures) {
    std::ostringstream out;
    writeResults(out, structures);
    return out.str();
}

Gene gene(int strand, const std::string& name, int copy) {
    Gene g;
    g.strand = strand;
    g.name = name;
    g.copy = copy;
    return g;
}

TEST(WriteResults, TheExampleReadAndWrittenUnchanged) {
    std::istringstream in(
        "2\na 3\nb 1\n2\ng1 0 ; 2 ;\nC 3 : +a.1-b.1+a.2;\nL 1 : -a.3;\n"
        "g2 0 ; 1 ;\nL 2 : +a.1+b.1;\n");
    readFamilyTable(in);
    EXPECT_EQ(written(readStructures(in)),
              "2;\n"
              "g1 2; C3: +a.1-b.1+a.2; L1: -a.3; \n"
              "g2 1; L2: +a.1+b.1; \n");
}

TEST(WriteResults, EdgeCases) {
    Structure noChromosomes;
    noChromosomes.name = "g";
    Structure emptyName;
    Structure emptyChromosome;
    emptyChromosome.name = "h";
    emptyChromosome.headerNumber = 42;  // never written
    emptyChromosome.chromosomes.push_back(Chromosome{});
    Structure signs;
    signs.name = "s";
    Chromosome c;
    c.circular = true;
    c.genes = {gene(-1, "a", 1), gene(1, "b", -3), gene(0, "c", 2147483647), gene(7, "d", -2147483647 - 1)};
    signs.chromosomes.push_back(c);

    const std::vector<std::pair<std::vector<Structure>, std::string>> cases = {
        {{}, "0;\n"},
        {{noChromosomes}, "1;\ng 0; \n"},
        {{emptyName}, "1;\n 0; \n"},
        {{emptyChromosome}, "1;\nh 1; L0: ; \n"},
        {{signs}, "1;\ns 1; C4: -a.1+b.-3+c.2147483647+d.-2147483648; \n"},
    };
    for (const auto& [structures, text] : cases) EXPECT_EQ(written(structures), text);
}

TEST(WriteResults, WritesLargeOutputsWhole) {
    // More than one output block: every gene must arrive, in order.
    Structure s;
    s.name = "big";
    Chromosome c;
    for (int i = 0; i < 200000; ++i) c.genes.push_back(gene(i % 2 ? -1 : 1, "fam" + std::to_string(i % 97), i));
    s.chromosomes.push_back(c);
    const std::string text = written({s});
    std::string expected = "1;\nbig 1; L200000: ";
    for (const Gene& g : c.genes) expected += (g.strand < 0 ? "-" : "+") + g.name + "." + std::to_string(g.copy);
    expected += "; \n";
    EXPECT_EQ(text, expected);
}

TEST(WriteResultFile, ReplacesAnExistingFileAndReportsOpenFailures) {
    test::TempDir dir;
    dir.write("result.txt", "old content that is longer than the new one\n");
    testing::internal::CaptureStdout();
    writeResultFile(dir.file("result.txt"), {});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Writing structures with resolved paralogs...\n");
    EXPECT_EQ(dir.read("result.txt"), "0;\n");

    testing::internal::CaptureStdout();
    try {
        writeResultFile(dir.file("missing/result.txt"), {});
        ADD_FAILURE() << "no failure";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "failed to open result file");
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Writing structures with resolved paralogs...\n");
    EXPECT_FALSE(dir.exists("missing"));
}

// The working directory for the object's lifetime.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::string& path) : before_(std::filesystem::current_path()) {
        std::filesystem::current_path(path);
    }
    ~WorkingDirectory() { std::filesystem::current_path(before_); }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
    std::filesystem::path before_;
};

// The path "-" names a file in the working directory, as every other path
// does, and never standard output.
TEST(WriteResultFile, APathDashIsAFileInTheWorkingDirectory) {
    test::TempDir dir;
    Structure s;
    s.name = "g";
    std::string printed;
    {
        WorkingDirectory here(dir.path());
        testing::internal::CaptureStdout();
        writeResultFile("-", {s});
        printed = testing::internal::GetCapturedStdout();
    }
    EXPECT_EQ(printed, "Writing structures with resolved paralogs...\n");
    EXPECT_EQ(dir.read("-"), "1;\ng 0; \n");
}

TEST(WriteResultFile, AFullDeviceIsReported) {
    testing::internal::CaptureStdout();
    Structure s;
    s.name = "g";
    try {
        writeResultFile("/dev/full", {s});
        ADD_FAILURE() << "no failure";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "failed to write result file");
    }
    testing::internal::GetCapturedStdout();
}

}  // namespace
}  // namespace rp
