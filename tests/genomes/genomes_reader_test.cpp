#include "genomes/genomes_reader.hpp"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "support/genomes.hpp"
#include "structs/result_writer.hpp"
#include "structs/structs_reader.hpp"

namespace rp {
namespace {

const char* const kStructures =
    "2\na 3\nb 1\n2\n"
    "g1 0 ; 2 ;\nC 3 : +a.1-b.1+a.2;\nL 1 : -a.3;\n"
    "g2 0 ; 1 ;\nL 2 : +a.1+b.1;\n";

const char* const kResult =
    "2;\n"
    "g1 2; C3: +a.2-b.1+a.1; L1: -a.4; \n"
    "g2 1; L2: +a.1+b.1; \n";

std::string textOf(const std::vector<Structure>& structures) {
    std::ostringstream out;
    writeResults(out, structures);
    return out.str();
}

std::string failureOf(const std::string& text) {
    try {
        readGenomesText(text, "in.txt");
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}

TEST(ReadGenomes, ReadsAStructuresFileAsResolveParalogsDoes) {
    std::istringstream in(kStructures);
    const Genomes genomes = readGenomes(in, "in.txt");
    EXPECT_EQ(genomes.format, GenomeFormat::structures);
    std::istringstream again(kStructures);
    readFamilyTable(again);
    EXPECT_EQ(textOf(genomes.structures), textOf(readStructures(again)));
}

TEST(ReadGenomes, ReadsAResultFileByItsFirstLine) {
    std::istringstream in(kResult);
    const Genomes genomes = readGenomes(in, "in.txt");
    EXPECT_EQ(genomes.format, GenomeFormat::result);
    EXPECT_EQ(textOf(genomes.structures), kResult);
    ASSERT_EQ(genomes.structures.size(), 2u);
    EXPECT_TRUE(genomes.structures[0].chromosomes[0].circular);
    EXPECT_EQ(genomes.structures[0].chromosomes[1].genes[0].strand, -1);
}

TEST(ReadGenomes, ReadsEmptyChromosomesAndCompactSeparators) {
    const Genomes genomes = readGenomesText("1 a 1 1 g 0;2;L0:; C1:+a.1;", "in.txt");
    ASSERT_EQ(genomes.structures.size(), 1u);
    EXPECT_EQ(textOf(genomes.structures), "1;\ng 2; L0: ; C1: +a.1; \n");
    EXPECT_EQ(textOf(readGenomesText("1;\ng 1; L0: ; \n", "x").structures), "1;\ng 1; L0: ; \n");
}

struct Failure {
    const char* text;
    const char* message;
};

// Every read that fails says where: the line, the structure, the chromosome.
const Failure kFailures[] = {
    {"", "in.txt: line 1: family table: expected a family count, found the end of the file"},
    {"x", "in.txt: line 1: family table: expected a family count, found \"x\""},
    {"2\na 1\nb\n", "in.txt: line 3: family table, entry 2: expected the family's number, found the end of the file"},
    {"1\na 1\n-1\n", "in.txt: line 3: expected a structure count, found -1"},
    {"1\na 1\n2\ng1 0 ; 1 ;\nL 1 : +a.1;\n", "in.txt: line 5: structure 2: expected a structure name, found the end of the file"},
    {"1\na 1\n1\ng1 0 ; 2 ;\nL 1 : +a.1;\n",
     "in.txt: line 5: structure 1 (g1), chromosome 2: expected a chromosome type, C or L, found the end of the file"},
    // A structure with fewer chromosomes than it declares, the next one's
    // header where its chromosome should be.
    {"1\na 1\n2\ng1 0 ; 2 ;\nL 1 : +a.1;\ng2 0 ; 1 ;\nL 1 : +a.1;\n",
     "in.txt: line 6: structure 1 (g1), chromosome 2: expected a chromosome type, C or L, found \"g2\""},
    {"1\na 1\n1\ng1 0 ; 1 ;\nX 1 : +a.1;\n",
     "in.txt: line 5: structure 1 (g1), chromosome 1: expected a chromosome type, C or L, found \"X\""},
    {"1\na 1\n1\ng1 0 ; x ;\n", "in.txt: line 4: structure 1 (g1): expected a chromosome count, found \"x\""},
    {"1\na 1\n1\ng1 0 ; 1 ;\nL y : +a.1;\n",
     "in.txt: line 5: structure 1 (g1), chromosome 1: expected a gene count, found \"y\""},
    {"1\na 1\n1\ng1 0 ; 1 ;\nL 1 :\n",
     "in.txt: line 5: structure 1 (g1), chromosome 1: expected a gene list, found the end of the file"},
    {"1\na 1\n1\ng1 0 ; 1 ;\nL 2 : +a.1+a.x;\n",
     "in.txt: line 5: structure 1 (g1), chromosome 1: gene 2 \"+a.x\": the copy index is not a number"},
    {"1\na 1\n1\ng1 0 ; 1 ;\nL 1 : +a.1x;\n",
     "in.txt: line 5: structure 1 (g1), chromosome 1: gene 1 \"+a.1x\": the copy index is not a number"},
    {"1\na 1\n1\ng1 0 ; 1 ;\nL 1 : +a;\n",
     "in.txt: line 5: structure 1 (g1), chromosome 1: gene 1 \"+a\": expected \".\" and a copy index"},
    {"1\na 1\n1\ng1 0 ; 1 ;\nL 1 : a.1;\n",
     "in.txt: line 5: structure 1 (g1), chromosome 1: gene 1 \"a.1\": expected a sign, + or -"},
    {"1\na 1\n1\ng1 0 ; 1 ;\nL 1 : +a.1;;\n",
     "in.txt: line 5: structure 1 (g1), chromosome 1: gene 2 \";\": expected a sign, + or -"},
    {"1\na 1\n1\ng1 0 ; 1 ;\nL 1 : +a.99999999999;\n",
     "in.txt: line 5: structure 1 (g1), chromosome 1: gene 1 \"+a.99999999999\": the copy index is out of range"},
    {"1\na 1\n1\ng1 0 ; 1 ;\nL 2 : +a.1+b.1\n",
     "in.txt: line 5: structure 1 (g1), chromosome 1: the gene list does not end with \";\": \"+b.1\""},
    {"1\na 1\n99999999999\n", "in.txt: line 3: expected a structure count, found 99999999999 (out of range)"},
    // Result files.
    {"2;\ng1 1; L1: +a.1; \n", "in.txt: line 2: structure 2: expected a structure name, found the end of the file"},
    {"1;\ng1 2; L1: +a.1; \n",
     "in.txt: line 2: structure 1 (g1), chromosome 2: expected a chromosome type, C or L, found the end of the file"},
    {"1;\ng1 1; X1: +a.1; \n", "in.txt: line 2: structure 1 (g1), chromosome 1: expected a chromosome type, C or L, found \"X\""},
    {"1;\ng1 1; L2: +a.1; \n", "in.txt: line 2: structure 1 (g1), chromosome 1: the gene count says 2, the list holds 1"},
    {"1;\ng1 1 L1: +a.1; \n", "in.txt: line 2: structure 1 (g1): expected \";\" after the chromosome count, found \"L1:\""},
    {"1;\ng1 1; L1: +a.1; \nmore\n", "in.txt: line 3: text after the last structure"},
    {"1;\ng1 1; L1 +a.1; \n", "in.txt: line 2: structure 1 (g1), chromosome 1: expected \":\" after the gene count, found \"+a.1;\""},
};

class ReadGenomesFailure : public ::testing::TestWithParam<Failure> {};

TEST_P(ReadGenomesFailure, SaysWhere) {
    EXPECT_EQ(failureOf(GetParam().text), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(Files, ReadGenomesFailure, ::testing::ValuesIn(kFailures));

// Damaged files: every byte changed, dropped or doubled somewhere in the
// example files. The reader either reads the file, and what it read
// written as a result file reads back the same, or says where it failed.
TEST(ReadGenomes, DamagedFilesReadWholeOrFailWithWhere) {
    std::mt19937 rng(7);
    const std::string bytes = "0123456789+-.;: \nCLab";
    int read = 0;
    for (const std::string& original : {std::string(kStructures), std::string(kResult)}) {
        for (int round = 0; round < 3000; ++round) {
            std::string text = original;
            const int edits = 1 + static_cast<int>(rng() % 3);
            for (int e = 0; e < edits && !text.empty(); ++e) {
                const std::size_t at = rng() % text.size();
                switch (rng() % 3) {
                    case 0: text[at] = bytes[rng() % bytes.size()]; break;
                    case 1: text.erase(at, 1); break;
                    default: text.insert(at, 1, text[at]); break;
                }
            }
            try {
                const Genomes genomes = readGenomesText(text, "in.txt");
                ++read;
                const std::string written = textOf(genomes.structures);
                EXPECT_EQ(textOf(readGenomesText(written, "again").structures), written) << text;
            } catch (const std::runtime_error& e) {
                EXPECT_EQ(std::string(e.what()).rfind("in.txt: line ", 0), 0u) << e.what();
            }
        }
    }
    EXPECT_GT(read, 100);
}

}  // namespace
}  // namespace rp
