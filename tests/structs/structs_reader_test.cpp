#include "structs/structs_reader.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

namespace rp {
namespace {

struct GeneText {
    int strand;
    std::string name;
    int copy;
};

std::vector<GeneText> genesOf(const Chromosome& chromosome) {
    std::vector<GeneText> out;
    for (const Gene& g : chromosome.genes) out.push_back({g.strand, g.name, g.copy});
    return out;
}

bool operator==(const GeneText& a, const GeneText& b) {
    return a.strand == b.strand && a.name == b.name && a.copy == b.copy;
}

std::ostream& operator<<(std::ostream& os, const GeneText& g) {
    return os << (g.strand < 0 ? '-' : '+') << g.name << '.' << g.copy;
}

// Reads a whole structures file the way the run does: table, then structures.
std::vector<Structure> readAll(const std::string& text, FamilyTable* table = nullptr) {
    std::istringstream in(text);
    FamilyTable t = readFamilyTable(in);
    if (table) *table = t;
    return readStructures(in);
}

// The failure message of reading `text`, or "" when it reads.
std::string failureOf(const std::string& text) {
    try {
        readAll(text);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

const char* const kExample =
    "2\na 3\nb 1\n2\n"
    "g1 0 ; 2 ;\nC 3 : +a.1-b.1+a.2;\nL 1 : -a.3;\n"
    "g2 0 ; 1 ;\nL 2 : +a.1+b.1;\n";

TEST(ReadStructures, ReadsTheExampleFile) {
    FamilyTable table;
    const auto structures = readAll(kExample, &table);
    EXPECT_EQ(table, (FamilyTable{{"a", 3}, {"b", 1}}));
    ASSERT_EQ(structures.size(), 2u);
    EXPECT_EQ(structures[0].name, "g1");
    ASSERT_EQ(structures[0].chromosomes.size(), 2u);
    EXPECT_TRUE(structures[0].chromosomes[0].circular);
    EXPECT_EQ(genesOf(structures[0].chromosomes[0]),
              (std::vector<GeneText>{{1, "a", 1}, {-1, "b", 1}, {1, "a", 2}}));
    EXPECT_FALSE(structures[0].chromosomes[1].circular);
    EXPECT_EQ(genesOf(structures[0].chromosomes[1]), (std::vector<GeneText>{{-1, "a", 3}}));
    EXPECT_EQ(structures[1].name, "g2");
    ASSERT_EQ(structures[1].chromosomes.size(), 1u);
    EXPECT_EQ(genesOf(structures[1].chromosomes[0]),
              (std::vector<GeneText>{{1, "a", 1}, {1, "b", 1}}));
    for (const auto& s : structures)
        for (const auto& c : s.chromosomes)
            for (const auto& g : c.genes) EXPECT_FALSE(g.resolved);
}

TEST(ReadStructures, BlanksAroundCountsAreOptionalAndAnyBlankSeparates) {
    const auto structures = readAll("0 1\tg 7;1:C3:+a.1-b.2;");
    ASSERT_EQ(structures.size(), 1u);
    EXPECT_EQ(structures[0].headerNumber, 7);
    ASSERT_EQ(structures[0].chromosomes.size(), 1u);
    EXPECT_TRUE(structures[0].chromosomes[0].circular);
    EXPECT_EQ(genesOf(structures[0].chromosomes[0]),
              (std::vector<GeneText>{{1, "a", 1}, {-1, "b", 2}}));
    const auto spaced = readAll("0\r\n1\v\fg\n-7 x 1 y C 3 : +a.1;");
    EXPECT_EQ(spaced[0].headerNumber, -7);
    EXPECT_EQ(spaced[0].chromosomes[0].genes.size(), 1u);
}

// One chromosome line inside a one-structure file: what its genes become.
struct ChromosomeCase {
    const char* line;
    bool circular;
    std::vector<GeneText> genes;
};

class ChromosomeLines : public ::testing::TestWithParam<ChromosomeCase> {};

TEST_P(ChromosomeLines, GiveTheirGenes) {
    const ChromosomeCase& c = GetParam();
    const auto structures = readAll(std::string("0 1 g 0 ; 1 ; ") + c.line + " ");
    ASSERT_EQ(structures.size(), 1u);
    ASSERT_EQ(structures[0].chromosomes.size(), 1u);
    EXPECT_EQ(structures[0].chromosomes[0].circular, c.circular);
    EXPECT_EQ(genesOf(structures[0].chromosomes[0]), c.genes);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ChromosomeLines,
    ::testing::Values(
        ChromosomeCase{"C5: +a.1;", true, {{1, "a", 1}}},
        ChromosomeCase{"C0: +a.1+b.2;", true, {{1, "a", 1}, {1, "b", 2}}},
        ChromosomeCase{"L2: +a.1-b.2", false, {{1, "a", 1}}},
        ChromosomeCase{"c1: +a.1;", false, {{1, "a", 1}}},
        ChromosomeCase{"X1: +a.1;", false, {{1, "a", 1}}},
        ChromosomeCase{"L2: +a.1;b.2;", false, {{1, "a", 1}, {1, "b", 2}}},
        ChromosomeCase{"L1: +a.12x;", false, {{1, "a", 12}}},
        ChromosomeCase{"L1: +a.1.5;", false, {{1, "a", 1}}},
        ChromosomeCase{"L1: +a.0007;", false, {{1, "a", 7}}},
        ChromosomeCase{"L1: +a.2147483647;", false, {{1, "a", 2147483647}}},
        ChromosomeCase{"L1: -x.3.y;", false, {{-1, "x", 3}}},
        ChromosomeCase{"L1: ;", false, {}},
        ChromosomeCase{"L0: abc", false, {}},
        ChromosomeCase{"L1: *fam.3;", false, {{1, "fam", 3}}},
        ChromosomeCase{"L1: .5a.3;", false, {{1, "5a.3", 5}}},
        ChromosomeCase{"L2: +\xc3\xa9.1+\xff.2;", false, {{1, "\xc3\xa9", 1}, {1, "\xff", 2}}}));

TEST(ReadStructures, AGeneListEndsAtTheFirstBlank) {
    // "+a.1" gives no gene (nothing cuts it); the next reads start at "-b.2;".
    const auto structures = readAll("0 1 g 0 ; 2 ; L 2 : +a.1 -b.2; L1: +c.1;");
    ASSERT_EQ(structures[0].chromosomes.size(), 2u);
    EXPECT_TRUE(structures[0].chromosomes[0].genes.empty());
    // The type read takes "-", the count read fails on "b": the stream fails.
    EXPECT_FALSE(structures[0].chromosomes[1].circular);
    EXPECT_TRUE(structures[0].chromosomes[1].genes.empty());
}

TEST(ReadStructures, StructureNamesAreTakenWhole) {
    const auto structures = readAll("0 1 g+1-2;3.x 0 ; 0 ;");
    EXPECT_EQ(structures[0].name, "g+1-2;3.x");
}

TEST(ReadStructures, EmptyFilesAndZeroCounts) {
    EXPECT_TRUE(readAll("").empty());
    EXPECT_TRUE(readAll("0 0").empty());
    FamilyTable table{{"x", 1}};
    EXPECT_TRUE(readAll("0 0", &table).empty());
    EXPECT_TRUE(table.empty());
}

TEST(ReadStructures, InputEndingInsideTheFamilyTableGivesNoStructures) {
    EXPECT_TRUE(readAll("3 a 1 b").empty());
    EXPECT_TRUE(readAll("1 a x 2 g 0 ; 0 ;").empty());
}

TEST(ReadStructures, ALaterFamilyValueReplacesAnEarlierOne) {
    FamilyTable table;
    readAll("3 a 1 b 2 a 5 0", &table);
    EXPECT_EQ(table, (FamilyTable{{"a", 5}, {"b", 2}}));
}

TEST(ReadStructures, MissingStructuresAreAppendedEmpty) {
    const auto structures = readAll("0 3 g1 4 ; 1 ; L1: +a.1;");
    ASSERT_EQ(structures.size(), 3u);
    EXPECT_EQ(structures[0].name, "g1");
    EXPECT_EQ(structures[0].headerNumber, 4);
    EXPECT_EQ(structures[0].chromosomes.size(), 1u);
    for (std::size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(structures[i].name, "");
        EXPECT_EQ(structures[i].headerNumber, 0);
        EXPECT_TRUE(structures[i].chromosomes.empty());
    }
}

TEST(ReadStructures, AFailedIntegerReadFailsEveryLaterRead) {
    // The chromosome count "x" is no integer: g1 keeps its name, has no
    // chromosomes, and the structure after it is read from a failed stream.
    const auto structures = readAll("0 2 g1 0 ; x ; g2 0 ; 1 ; L1: +a.1;");
    ASSERT_EQ(structures.size(), 2u);
    EXPECT_EQ(structures[0].name, "g1");
    EXPECT_TRUE(structures[0].chromosomes.empty());
    EXPECT_EQ(structures[1].name, "");
    EXPECT_TRUE(structures[1].chromosomes.empty());
    // An integer out of the 32-bit range fails the same way.
    const auto big = readAll("0 2 g1 99999999999 ; 1 ; L1: +a.1; g2 0 ; 0 ;");
    EXPECT_EQ(big[0].headerNumber, 0);
    EXPECT_TRUE(big[0].chromosomes.empty());
    EXPECT_EQ(big[1].name, "");
}

TEST(ReadStructures, ChromosomesAfterAFailureAreEmptyAndLinear) {
    // "C x": the type is read, the gene count is not; the chromosome is an
    // empty circular one and the two after it are empty and linear.
    const auto structures = readAll("0 1 g 0 ; 3 ; C x");
    ASSERT_EQ(structures[0].chromosomes.size(), 3u);
    EXPECT_TRUE(structures[0].chromosomes[0].circular);
    for (const auto& c : structures[0].chromosomes) EXPECT_TRUE(c.genes.empty());
    EXPECT_FALSE(structures[0].chromosomes[1].circular);
    EXPECT_FALSE(structures[0].chromosomes[2].circular);
}

TEST(ReadStructures, NothingAfterTheDeclaredStructuresIsRead) {
    const auto structures = readAll("0 1 g 0 ; 0 ; this is +a.x; rubbish");
    ASSERT_EQ(structures.size(), 1u);
}

TEST(ReadStructures, HugeFamilyCountOnAShortFileEndsQuickly) {
    FamilyTable table;
    EXPECT_TRUE(readAll("2147483647 a 1", &table).empty());
    EXPECT_EQ(table, (FamilyTable{{"a", 1}}));
}

TEST(ReadStructures, FailuresCarryTheirMessages) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"0 1 g 0 ; 1 ; L1: +a.x;", "invalid stoi argument"},
        {"0 1 g 0 ; 1 ; L1: +a.;", "invalid stoi argument"},
        {"0 1 g 0 ; 1 ; L1: +a.-2;", "invalid stoi argument"},
        {"0 1 g 0 ; 1 ; L1: +a.1;;", "invalid stoi argument"},
        {"0 1 g 0 ; 1 ; L1: +a;", "invalid stoi argument"},
        {"0 1 g 0 ; 1 ; L1: +a.99999999999;", "stoi argument out of range"},
        {"0 1 g 0 ; 1 ; L1: +a.2147483648;", "stoi argument out of range"},
        {"0 -1", "vector<T> too long"},
        {"-1 a 1 0", "vector<T> too long"},
        {"0 1 g 0 ; -1 ;", "vector<T> too long"},
        {"0 1 g 0 ; 1 ; L-1: +a.1;", "vector<T> too long"},
        {"0 1 g 0 ; 1 ; L2000000000: +a.1;", "bad allocation"},
        {"0 2000000000", "bad allocation"},
    };
    for (const auto& [text, message] : cases) EXPECT_EQ(failureOf(text), message) << text;
}

TEST(ReadStructures, FailureExceptionTypes) {
    EXPECT_THROW(readAll("0 1 g 0 ; 1 ; L1: +a.x;"), std::invalid_argument);
    EXPECT_THROW(readAll("0 1 g 0 ; 1 ; L1: +a.99999999999;"), std::out_of_range);
    EXPECT_THROW(readAll("0 -1"), std::length_error);
    EXPECT_THROW(readAll("0 2000000000"), std::bad_alloc);
}

TEST(ReadStructures, ANegativeCountFailsOnlyOnceItAndItsSeparatorAreRead) {
    // The separator after a negative chromosome count is missing: the read
    // fails at the end of the input, and the count still fails the read.
    EXPECT_EQ(failureOf("0 1 g 0 ; -1"), "vector<T> too long");
    // The gene list after a negative gene count is never looked at.
    EXPECT_EQ(failureOf("0 1 g 0 ; 1 ; L-1: +a.x;"), "vector<T> too long");
}

// The gene pieces of a gene list, as forEachGenePiece cuts them.
std::vector<std::string> splitGeneList(std::string_view list) {
    std::vector<std::string> pieces;
    forEachGenePiece(list, [&](std::string_view p) { pieces.emplace_back(p); });
    return pieces;
}

TEST(SplitGeneList, CutsBeforeEveryCutCharacterButTheFirst) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"+a.1-b.2+c.3;", {"+a.1", "-b.2", "+c.3"}},
        {"+a.1-b.2", {"+a.1"}},
        {";", {}},
        {"+", {}},
        {"+a.1;b.2;", {"+a.1", ";b.2"}},
        {"+a.1;;", {"+a.1", ";"}},
        {"-a.1;", {"-a.1"}},
        {";;", {";"}},
    };
    for (const auto& [list, pieces] : cases) EXPECT_EQ(splitGeneList(list), pieces) << list;
}

TEST(ParseGene, StrandNameAndCopy) {
    struct Case {
        const char* piece;
        int strand;
        const char* name;
        int copy;
    };
    const Case cases[] = {
        {"+a.1", 1, "a", 1},     {"-b.2", -1, "b", 2},    {";b.2", 1, "b", 2},
        {"xfam.3", 1, "fam", 3}, {"+a.12x", 1, "a", 12},  {"+a.1.5", 1, "a", 1},
        {"+.3", 1, "", 3},       {".5a.3", 1, "5a.3", 5}, {"+a.0", 1, "a", 0},
    };
    for (const Case& c : cases) {
        const Gene gene = parseGene(c.piece);
        EXPECT_EQ(gene.strand, c.strand) << c.piece;
        EXPECT_EQ(gene.name, c.name) << c.piece;
        EXPECT_EQ(gene.copy, c.copy) << c.piece;
        EXPECT_FALSE(gene.resolved);
    }
}

}  // namespace
}  // namespace rp
