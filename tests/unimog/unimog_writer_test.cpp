// Writing UniMoG: exact bytes for the shipped example, the names it refuses, and round trips on generated genomes both ways.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>

#include "support/genomes.hpp"
#include "genomes/genomes_reader.hpp"
#include "genomes/structures_writer.hpp"
#include "support/temp_dir.hpp"
#include "unimog/unimog_reader.hpp"
#include "unimog/unimog_writer.hpp"

namespace rp::unimog {
namespace {

using test::describe;

const std::string kExample = std::string(RP_SOURCE_DIR) + "/examples/structs.txt";

const char* const kExampleUnimog =
    ">g1\n"
    "a.1 -b.1 a.2 c.1 )\n"
    "-a.3 b.2 d.1 |\n"
    ">g2\n"
    "a.1 b.1 c.1 |\n"
    "-a.2 b.2 d.1 )\n"
    ">g3\n"
    "a.1 -b.2 c.1 a.2 |\n";

std::vector<Structure> readStructuresText(const std::string& text) {
    std::istringstream in(text);
    return readGenomes(in, "structures").structures;
}

std::string unimogText(const std::vector<Structure>& genomes) {
    std::ostringstream out;
    writeUnimog(out, genomes);
    return out.str();
}

std::string structuresText(const std::vector<Structure>& genomes) {
    std::ostringstream out;
    writeStructures(out, genomes);
    return out.str();
}

Gene gene(const std::string& name, int copy, int strand = 1) {
    Gene g;
    g.name = name;
    g.copy = copy;
    g.strand = strand;
    return g;
}

Structure genome(const std::string& name, std::vector<Chromosome> chromosomes) {
    Structure s;
    s.name = name;
    s.chromosomes = std::move(chromosomes);
    return s;
}

TEST(UnimogWriter, ShippedExampleExactBytes) {
    const std::string structures = test::readFile(kExample);
    EXPECT_EQ(unimogText(readStructuresText(structures)), kExampleUnimog);
    // And back: the shipped file itself, byte for byte.
    EXPECT_EQ(structuresText(readUnimog(kExampleUnimog, "example.ug")), structures);
}

TEST(UnimogWriter, EmptyChromosomesAndGenomes) {
    const std::vector<Structure> genomes = {
        genome("A", {Chromosome{false, {}}, Chromosome{true, {}}, Chromosome{true, {gene("x", 2, -1)}}}),
        genome("B", {})};
    EXPECT_EQ(unimogText(genomes), ">A\n|\n)\n-x.2 )\n>B\n");
    EXPECT_EQ(structuresText(genomes), "1\nx 2\n2\nA 0 ; 3 ;\nL 0 : ;\nC 0 : ;\nC 1 : -x.2;\nB 0 ; 0 ;\n");
    EXPECT_EQ(describe(readUnimog(unimogText(genomes), "u")), describe(genomes));
    EXPECT_EQ(describe(readStructuresText(structuresText(genomes))), describe(genomes));
}

TEST(UnimogWriter, FamiliesReadAsHeaderOrCommentGetASign) {
    const std::vector<Structure> genomes = {
        genome("A", {Chromosome{false, {gene(">f", 1), gene("//g", 1)}},
                     Chromosome{false, {gene("//g", 2), gene(">f", 2)}},
                     Chromosome{false, {gene(">f", 3, -1)}}})};
    const std::string text = unimogText(genomes);
    EXPECT_EQ(text, ">A\n+>f.1 //g.1 |\n+//g.2 >f.2 |\n->f.3 |\n");
    EXPECT_EQ(describe(readUnimog(text, "u")), describe(genomes));
}

TEST(UnimogWriter, NamesTheFormatsCannotCarry) {
    const struct {
        Structure genome;
        std::string unimogMessage;
    } cases[] = {
        {genome("A B", {}), "genome 'A B': UniMoG cannot carry a blank in a genome name"},
        {genome("", {}), "genome '': UniMoG cannot carry an empty genome name"},
        {genome("A", {Chromosome{false, {gene("a.b", 1)}}}),
         "genome 'A', family 'a.b': UniMoG cannot carry '.' in a family name"},
        {genome("A", {Chromosome{false, {gene("", 1)}}}),
         "genome 'A', family '': UniMoG cannot carry an empty family name"},
        {genome("A", {Chromosome{false, {gene("a b", 1)}}}),
         "genome 'A', family 'a b': UniMoG cannot carry a blank in a family name"},
        {genome("A", {Chromosome{false, {gene("a", -1)}}}),
         "genome 'A', family 'a': UniMoG cannot carry a negative copy index"},
    };
    for (const auto& c : cases) {
        std::ostringstream unimog;
        try {
            writeUnimog(unimog, {c.genome});
            ADD_FAILURE() << "written: " << c.unimogMessage;
        } catch (const UnimogError& e) {
            EXPECT_EQ(std::string(e.what()), c.unimogMessage);
        }
        EXPECT_EQ(unimog.str(), "") << "nothing is written before the refusal";
    }
}

// Generated genomes: families with the bytes both formats carry, including
// the ones that look like terminators, headers and comments.
const char* const kFamilies[] = {"a", "b", "7", "23", "G:7", "|p", "q|r", "x)y", "(z", ">f", "//g", "Ab_9", "\xC3\xA9"};
// Text families: a line beginning with ">" or "//" would be a header or a comment.
const char* const kTextFamilies[] = {"a", "b", "7", "23", "G:7", "|p", "q|r", "x)y", "(z", "f>", "g//", "Ab_9"};
const char* const kGenomeNames[] = {"g1", "A~B:A", "strain_12", ">x", "9"};

template <class T, std::size_t N>
const T& pick(std::mt19937& rng, const T (&items)[N]) {
    return items[std::uniform_int_distribution<std::size_t>(0, N - 1)(rng)];
}

int between(std::mt19937& rng, int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }

std::vector<Structure> generateGenomes(std::mt19937& rng) {
    std::vector<Structure> genomes(static_cast<std::size_t>(between(rng, 1, 4)));
    for (Structure& g : genomes) {
        g.name = pick(rng, kGenomeNames);
        g.chromosomes.resize(static_cast<std::size_t>(between(rng, 0, 4)));
        for (Chromosome& c : g.chromosomes) {
            c.circular = between(rng, 0, 1) == 1;
            const int n = between(rng, 0, 12);
            for (int i = 0; i < n; ++i) c.genes.push_back(gene(pick(rng, kFamilies), between(rng, 0, 9),
                                                               between(rng, 0, 1) == 1 ? -1 : 1));
        }
    }
    return genomes;
}

// UniMoG as users write it: comments, signs with blanks, stuck terminators,
// chromosomes over several lines, plain markers mixed with NAME.K ones.
std::string generateUnimog(std::mt19937& rng) {
    std::string text = between(rng, 0, 1) == 1 ? "Free text 1 2 |\n" : "";
    const int genomes = between(rng, 1, 3);
    for (int g = 0; g < genomes; ++g) {
        text += std::string(">") + (between(rng, 0, 1) == 1 ? "  " : "") + pick(rng, kGenomeNames) + "\n";
        const int chromosomes = between(rng, 0, 4);
        for (int c = 0; c < chromosomes; ++c) {
            const int n = between(rng, 0, 10);
            for (int i = 0; i < n; ++i) {
                switch (between(rng, 0, 4)) {
                case 0: text += "-"; break;
                case 1: text += "- "; break;
                case 2: text += "+ "; break;
                default: break;
                }
                text += pick(rng, kTextFamilies);
                if (between(rng, 0, 2) == 0) {
                    text += '.';
                    text += std::to_string(between(rng, 0, 6));
                }
                text += between(rng, 0, 5) == 0 ? "\n" : " ";
                if (between(rng, 0, 9) == 0) text += "// a comment\n";
            }
            const bool last = c + 1 == chromosomes;
            if (last && between(rng, 0, 2) == 0) {
                text += "\n";
                continue;  // the last terminator may be left out
            }
            if (n > 0 && text.back() == ' ' && between(rng, 0, 1) == 1) text.pop_back();  // stuck
            text += between(rng, 0, 1) == 1 ? ")\n" : "|\n";
        }
    }
    return text;
}

TEST(UnimogRoundTrip, StructuresToUnimogToStructures) {
    std::mt19937 rng(20261209);
    for (int round = 0; round < 500; ++round) {
        const std::vector<Structure> genomes = generateGenomes(rng);
        const std::string structures = structuresText(genomes);
        const std::vector<Structure> read = readStructuresText(structures);
        ASSERT_EQ(describe(read), describe(genomes)) << structures;
        const std::string unimog = unimogText(read);
        const std::vector<Structure> back = readUnimog(unimog, "u");
        ASSERT_EQ(describe(back), describe(genomes)) << unimog;
        ASSERT_EQ(structuresText(back), structures);
    }
}

TEST(UnimogRoundTrip, UnimogToStructuresToUnimog) {
    std::mt19937 rng(7);
    for (int round = 0; round < 500; ++round) {
        const std::string text = generateUnimog(rng);
        const std::vector<Structure> genomes = readUnimog(text, "u");
        const std::string structures = structuresText(genomes);
        const std::vector<Structure> read = readStructuresText(structures);
        ASSERT_EQ(describe(read), describe(genomes)) << text << "\n---\n" << structures;
        const std::string unimog = unimogText(read);
        ASSERT_EQ(describe(readUnimog(unimog, "u")), describe(genomes)) << text << "\n---\n" << unimog;
        ASSERT_EQ(unimogText(readUnimog(unimog, "u")), unimog);
    }
}

}  // namespace
}  // namespace rp::unimog
