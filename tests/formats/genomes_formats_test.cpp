// The genomes formats told apart by content, and genomes carried through
// every format and back: GRIMM to structures, UniMoG and GRIMM again, the
// shipped example through each, and generated genomes.
#include <gtest/gtest.h>

#include <optional>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "formats/genomes_formats.hpp"
#include "formats/grimm.hpp"
#include "support/genomes.hpp"
#include "support/temp_dir.hpp"

namespace rp::formats {
namespace {

using test::describe;
using unimog::MarkerLabels;

const std::string kExample = std::string(RP_SOURCE_DIR) + "/examples/structs.txt";

std::string written(const std::vector<Structure>& genomes, GenomeFormat format,
                    MarkerLabels labels = MarkerLabels::familyAndCopy) {
    std::ostringstream out;
    writeGenomes(out, genomes, format, labels);
    return out.str();
}

GenomesRead readBack(const std::string& text) { return readAnyGenomes(text, "text", UnknownText::refuse); }

TEST(RecogniseText, TellsTheFormatsApartByContent) {
    struct Case {
        std::string text;
        std::optional<GenomeFormat> format;
    };
    const std::vector<Case> cases = {
        {"2\na 1\nb 1\n1\ng 0 ; 1 ;\nL 1 : +a.1;\n", GenomeFormat::structures},
        {"1;\ng 1; L1: +a.1; \n", GenomeFormat::result},
        {">A\n1 2 |\n", GenomeFormat::unimog},
        {">A\n1 2 )\n", GenomeFormat::unimog},
        {">A\n1 2 $\n", GenomeFormat::grimm},
        {">A\n1 2@\n", GenomeFormat::grimm},
        {"# GRIMM comment before\n>A\n1 2 $\n", GenomeFormat::grimm},
        {"preamble of UniMoG $ @\n>A\n1 2 |\n", GenomeFormat::unimog},
        {">A\n// a | in a UniMoG comment\n1 2 $\n", GenomeFormat::grimm},
        {">A\n# a | in a GRIMM comment\n1 2 $\n", GenomeFormat::grimm},
        {">A\n# no terminator anywhere\n1 2\n", GenomeFormat::grimm},
        {">A\n1 2\n>B\n2 1\n", GenomeFormat::unimog},
        {">A\n1|2 a$b 3 )\n", GenomeFormat::unimog},
        {"", std::nullopt},
        {"genomes: none\n", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(recogniseText(c.text), c.format) << c.text;
}

TEST(ReadAnyGenomes, NamesTheFormatItRead) {
    struct Case {
        std::string text;
        GenomeFormat format;
    };
    const std::vector<Case> cases = {
        {"1\na 1\n1\ng 0 ; 1 ;\nL 1 : +a.1;\n", GenomeFormat::structures},
        {"1;\ng 1; L1: +a.1; \n", GenomeFormat::result},
        {">g\na.1 |\n", GenomeFormat::unimog},
        {">g\na.1 $\n", GenomeFormat::grimm},
    };
    for (const Case& c : cases) {
        const GenomesRead read = readBack(c.text);
        EXPECT_EQ(read.format, c.format) << c.text;
        EXPECT_EQ(describe(read.structures), "g: L:+a.1\n") << c.text;
    }
}

TEST(ReadAnyGenomes, UnknownTextIsRefusedOrReadAsTheCallerSays) {
    const std::string text = "genomes: none\n";
    const auto message = [&](UnknownText unknown) {
        try {
            readAnyGenomes(text, "in.txt", unknown);
        } catch (const std::exception& e) {
            return std::string(e.what());
        }
        return std::string("read");
    };
    EXPECT_EQ(message(UnknownText::refuse),
              "in.txt: not genomes: neither a structures or result file (whose first item is a count) nor "
              "UniMoG or GRIMM (no line begins with '>')");
    EXPECT_EQ(message(UnknownText::readAsUnimog), "in.txt: no genome (no line begins with '>')");
    EXPECT_EQ(message(UnknownText::readAsStructures).rfind("in.txt: line 1: ", 0), 0u);
}

TEST(GenomesRoundTrips, GrimmThroughEveryFormat) {
    const std::string grimm = ">human\n1.1 -2.1 3.1 $\n2.2 4.1 @\n>mouse\n-3.1 2.2 2.1 1.1 $\n4.1 @\n";
    const GenomesRead read = readBack(grimm);
    ASSERT_EQ(read.format, GenomeFormat::grimm);
    for (const GenomeFormat format : {GenomeFormat::structures, GenomeFormat::unimog, GenomeFormat::grimm}) {
        SCOPED_TRACE(std::string(genomeFormatName(format)));
        const std::string text = written(read.structures, format);
        const GenomesRead back = readBack(text);
        EXPECT_EQ(describe(back.structures), describe(read.structures));
        EXPECT_EQ(written(back.structures, GenomeFormat::grimm), grimm);
    }
}

TEST(GenomesRoundTrips, TheExampleThroughEveryFormatByteForByte) {
    const std::string example = test::readFile(kExample);
    const GenomesRead read = readBack(example);
    for (const GenomeFormat format : {GenomeFormat::unimog, GenomeFormat::grimm}) {
        const std::string text = written(read.structures, format);
        EXPECT_EQ(written(readBack(text).structures, GenomeFormat::structures), example);
    }
    EXPECT_EQ(written(read.structures, GenomeFormat::grimm),
              ">g1\na.1 -b.1 a.2 c.1 @\n-a.3 b.2 d.1 $\n>g2\na.1 b.1 c.1 $\n-a.2 b.2 d.1 @\n"
              ">g3\na.1 -b.2 c.1 a.2 $\n");
}

TEST(GenomesRoundTrips, FamiliesAloneRenumberCopiesInOrderOfAppearance) {
    const GenomesRead read = readBack(">A\nx.2 -y.1 x.1 $\n>B\nx.1 x.2 @\n");
    for (const GenomeFormat format : {GenomeFormat::unimog, GenomeFormat::grimm}) {
        const std::string text = written(read.structures, format, MarkerLabels::families);
        EXPECT_EQ(text.find('.'), std::string::npos) << text;
        EXPECT_EQ(describe(readBack(text).structures), "A: L:+x.1-y.1+x.2\nB: C:+x.1+x.2\n");
    }
    EXPECT_THROW(written(read.structures, GenomeFormat::structures, MarkerLabels::families), std::invalid_argument);
}

// Random genomes with families "f0".."f4" at random copies, both strands,
// both chromosome types, empty chromosomes included.
constexpr const char* kGenomeNames[] = {"g0", "g1", "g2"};
constexpr const char* kFamilyNames[] = {"f0", "f1", "f2", "f3", "f4"};

std::vector<Structure> randomGenomes(std::mt19937& random) {
    std::uniform_int_distribution<int> small(0, 4);
    std::vector<Structure> genomes(1 + small(random) % 3);
    for (std::size_t g = 0; g < genomes.size(); ++g) {
        genomes[g].name = kGenomeNames[g];
        genomes[g].chromosomes.resize(1 + small(random));
        for (Chromosome& chromosome : genomes[g].chromosomes) {
            chromosome.circular = small(random) % 2 == 0;
            chromosome.genes.resize(small(random));
            for (Gene& gene : chromosome.genes) {
                gene.name = kFamilyNames[static_cast<std::size_t>(small(random))];
                gene.copy = 1 + small(random) * 7;
                gene.strand = small(random) % 2 == 0 ? 1 : -1;
            }
        }
    }
    return genomes;
}

TEST(GenomesRoundTrips, RandomGenomesThroughEveryPairOfFormats) {
    std::mt19937 random(7);
    const std::vector<GenomeFormat> formats = {GenomeFormat::structures, GenomeFormat::unimog, GenomeFormat::grimm};
    for (int round = 0; round < 200; ++round) {
        const std::vector<Structure> genomes = randomGenomes(random);
        for (const GenomeFormat first : formats) {
            for (const GenomeFormat second : formats) {
                const auto once = readBack(written(genomes, first)).structures;
                const auto twice = readBack(written(once, second)).structures;
                ASSERT_EQ(describe(twice), describe(genomes)) << genomeFormatName(first) << " then " << genomeFormatName(second);
            }
        }
    }
}

}  // namespace
}  // namespace rp::formats
