// GRIMM as read and written: a table of texts and the genomes they hold, the
// texts refused and where, and the bytes written for the shipped example.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "formats/grimm.hpp"
#include "support/genomes.hpp"
#include "unimog/unimog_reader.hpp"

namespace rp::formats {
namespace {

using test::describe;

std::string grimmText(const std::vector<Structure>& genomes,
                      unimog::MarkerLabels labels = unimog::MarkerLabels::familyAndCopy) {
    std::ostringstream out;
    writeGrimm(out, genomes, labels);
    return out.str();
}

TEST(GrimmReader, ReadsTheFormatsOfTheRearrangementTools) {
    struct Case {
        const char* what;
        std::string text;
        std::string genomes;  // as test::describe writes them
    };
    const std::vector<Case> cases = {
        {"integers, one chromosome per line",
         "# two genomes\n>human\n1 -2 3 $\n4 5 @\n>mouse\n-3 2 1 $\n5 4 @\n",
         "human: L:+1.1-2.1+3.1 C:+4.1+5.1\nmouse: L:-3.1+2.1+1.1 C:+5.1+4.1\n"},
        {"terminator at the end of the last marker", ">A\n1 2$\n3@\n", "A: L:+1.1+2.1 C:+3.1\n"},
        {"a chromosome over two lines", ">A\n1 2\n3 $\n", "A: L:+1.1+2.1+3.1\n"},
        {"unterminated last chromosome is linear", ">A\n1 -2\n>B\n2 1\n",
         "A: L:+1.1-2.1\nB: L:+2.1+1.1\n"},
        {"comment lines anywhere, blanks before them", ">A\n  # chromosome 1\n1 $\n#x $\n>B\n1 $\n",
         "A: L:+1.1\nB: L:+1.1\n"},
        {"copies numbered in order, passing over explicit ones", ">A\n7.2 7 7 $\n",
         "A: L:+7.2+7.1+7.3\n"},
        {"named markers and a sign apart from its marker", ">A\na.1 - b.2 + c.1 @\n", "A: C:+a.1-b.2+c.1\n"},
        {"an empty chromosome", ">A\n$\n1 $\n", "A: L: L:+1.1\n"},
        {"UniMoG's terminators are family names here", ">A\n1| 2 $\n", "A: L:+1|.1+2.1\n"},
        {"CRLF line ends and a byte order mark", "\xEF\xBB\xBF>A\r\n1 2 $\r\n", "A: L:+1.1+2.1\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(describe(readGrimm(c.text, "in.grimm")), c.genomes);
    }
}

TEST(GrimmReader, RefusesWhatTheStructuresFileCannotCarryWithTheLine) {
    struct Case {
        std::string text;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"# nothing\n", "in.grimm: no genome (no line begins with '>')"},
        {">A\n1 $\n>B\n1 a;b $\n", "in.grimm: line 4: marker 'a;b': the structures format cannot carry ';' in a family name"},
        {">my genome\n1 $\n", "in.grimm: line 1: genome 'my genome': the structures format cannot carry a blank in a genome name"},
        {">A\n1 - $\n", "in.grimm: line 2: sign '-' without a marker"},
    };
    for (const Case& c : cases) {
        try {
            readGrimm(c.text, "in.grimm");
            ADD_FAILURE() << "read: " << c.text;
        } catch (const unimog::UnimogError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
}

TEST(GrimmWriter, WritesOneLinePerChromosome) {
    const auto genomes = readGrimm(">A\n1 -2 3 $\n4 @\n$\n>B\n-1 1 @\n", "in");
    EXPECT_EQ(grimmText(genomes), ">A\n1.1 -2.1 3.1 $\n4.1 @\n$\n>B\n-1.1 1.2 @\n");
    EXPECT_EQ(grimmText(genomes, unimog::MarkerLabels::families), ">A\n1 -2 3 $\n4 @\n$\n>B\n-1 1 @\n");
}

TEST(GrimmWriter, ProtectsFirstMarkersThatWouldReadAsHeadersOrComments) {
    const auto genomes = readGrimm(">A\n+#x +>y $\n+>y #x $\n", "in");
    EXPECT_EQ(describe(genomes), "A: L:+#x.1+>y.1 L:+>y.2+#x.2\n");
    const std::string text = grimmText(genomes);
    EXPECT_EQ(text, ">A\n+#x.1 >y.1 $\n+>y.2 #x.2 $\n");
    EXPECT_EQ(describe(readGrimm(text, "out")), describe(genomes));
}

TEST(GrimmWriter, RefusesNamesGrimmCannotCarry) {
    struct Case {
        std::string grimm;  // genomes read from it
        unimog::MarkerLabels labels;
        std::string message;
    };
    const std::vector<Case> cases = {
        {">A\nx$ |\n", unimog::MarkerLabels::families,
         "genome 'A', family 'x$': GRIMM cannot carry a terminator at the end of a family name"},
        {">A\nx@ |\n", unimog::MarkerLabels::families,
         "genome 'A', family 'x@': GRIMM cannot carry a terminator at the end of a family name"},
    };
    for (const Case& c : cases) {
        // Read as UniMoG, where "$" and "@" are ordinary bytes.
        const auto genomes = unimog::readUnimog(c.grimm, "in");
        try {
            grimmText(genomes, c.labels);
            ADD_FAILURE() << c.grimm;
        } catch (const unimog::UnimogError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
        // With the copies the marker does not end in the terminator.
        EXPECT_EQ(describe(readGrimm(grimmText(genomes), "out")), describe(genomes));
    }
}

}  // namespace
}  // namespace rp::formats
