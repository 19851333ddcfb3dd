// The structures file writer: the names it refuses (before writing anything),
// its family table, and files that read back to the same genomes through both
// structures readers, the strict one and resolve-paralogs' own.
#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "genomes/genomes_reader.hpp"
#include "genomes/structures_writer.hpp"
#include "structs/structs_reader.hpp"
#include "support/genomes.hpp"

namespace rp {
namespace {

std::string structuresText(const std::vector<Structure>& genomes) {
    std::ostringstream out;
    writeStructures(out, genomes);
    return out.str();
}

Structure named(std::string name, std::vector<Chromosome> chromosomes = {}) {
    Structure s;
    s.name = std::move(name);
    s.chromosomes = std::move(chromosomes);
    return s;
}

Chromosome linear(std::string family, int copy) {
    Gene g;
    g.name = std::move(family);
    g.copy = copy;
    return Chromosome{false, {g}};
}

TEST(StructuresWriter, RefusesNamesItCannotCarry) {
    const struct {
        Structure genome;
        std::string message;
    } cases[] = {
        {named("A B"), "genome 'A B': a blank in a genome name"},
        {named("A\tB"), "genome 'A\\x09B': a blank in a genome name"},
        {named(""), "genome '': an empty genome name"},
        {named("A", {linear("a.b", 1)}), "genome 'A', family 'a.b': '.' in a family name"},
        {named("A", {linear("", 1)}), "genome 'A', family '': an empty family name"},
        {named("A", {linear("a b", 1)}), "genome 'A', family 'a b': a blank in a family name"},
        {named("A", {linear("a\fb", 1)}), "genome 'A', family 'a\\x0cb': a blank in a family name"},
        {named("A", {linear("a+b", 1)}), "genome 'A', family 'a+b': '+' in a family name"},
        {named("A", {linear("a-b", 1)}), "genome 'A', family 'a-b': '-' in a family name"},
        {named("A", {linear("a;b", 1)}), "genome 'A', family 'a;b': ';' in a family name"},
        {named("A", {linear("a", -1)}), "genome 'A', family 'a': a negative copy index"},
    };
    for (const auto& c : cases) {
        std::ostringstream out;
        try {
            writeStructures(out, {named("first", {linear("x", 1)}), c.genome});
            ADD_FAILURE() << "written: " << c.message;
        } catch (const std::invalid_argument& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
        EXPECT_EQ(out.str(), "") << "nothing is written before the refusal";
    }
}

TEST(StructuresWriter, NameProblemsAreNullForNamesItCarries) {
    for (const char* name : {"a", "G:7", "|p", "x)y", "\xC3\xA9", "A~B"}) {
        EXPECT_EQ(familyNameProblem(name), nullptr) << name;
        EXPECT_EQ(genomeNameProblem(name), nullptr) << name;
    }
    EXPECT_EQ(genomeNameProblem("a.b+c-d;"), nullptr) << "a genome name may hold what cuts gene lists";
}

TEST(StructuresWriter, FamilyTableInOrderOfFirstGeneWithLargestCopy) {
    const std::vector<Structure> genomes = {test::genome("L:+z.1+b.4", "A"), test::genome("C:+b.7-z.2", "B")};
    EXPECT_EQ(structuresText(genomes), "2\nz 2\nb 7\n2\nA 0 ; 1 ;\nL 2 : +z.1+b.4;\nB 0 ; 1 ;\nC 2 : +b.7-z.2;\n");
}

TEST(StructuresWriter, EmptyGenomesAndChromosomes) {
    EXPECT_EQ(structuresText({}), "0\n0\n");
    EXPECT_EQ(structuresText({named("A"), named("B", {Chromosome{true, {}}})}),
              "0\n2\nA 0 ; 0 ;\nB 0 ; 1 ;\nC 0 : ;\n");
}

// Written files read back to the genomes written, through the strict reader
// and through resolve-paralogs' reader; a file larger than the writer's
// flushing size too.
TEST(StructuresWriter, ReadsBackThroughBothReaders) {
    std::string many;
    for (int i = 0; i < 5000; ++i) many += (i % 3 == 0 ? "-f" : "+f") + std::to_string(i % 97) + "." + std::to_string(i);
    const std::vector<std::vector<Structure>> cases = {
        {test::genome("L:+a.1-b.2 C:+c.1", "g1"), test::genome("L:-a.2", "g2")},
        {test::genome("L:+a.0 L: C:", "only")},
        {test::genome("L:" + many + " C:" + many, "big"), test::genome("L:+f1.1", "small")},
    };
    for (const std::vector<Structure>& genomes : cases) {
        const std::string text = structuresText(genomes);
        const std::string expected = test::describe(genomes);
        EXPECT_EQ(test::describe(readGenomesText(text, "written").structures), expected);

        std::istringstream in(text);
        readFamilyTable(in);
        EXPECT_EQ(test::describe(readStructures(in)), expected);
    }
}

}  // namespace
}  // namespace rp
