// Reading UniMoG text: comments, layout, signs, terminators, copy numbers,
// the names the structures file cannot carry, and telling the formats apart.
#include <gtest/gtest.h>

#include <string>

#include "support/genomes.hpp"
#include "unimog/unimog_reader.hpp"

namespace rp::unimog {
namespace {

using test::describe;

std::string readText(const std::string& text) { return describe(readUnimog(text, "in.ug")); }

TEST(UnimogReader, ReadingCases) {
    const struct {
        const char* what;
        std::string text;
        std::string genomes;
    } cases[] = {
        {"the manual's layout", ">A\n2 -1 3 |\n5 -4 6 )\n>B\n2 1 3 |\n6 5 4 |\n",
         "A: L:+2.1-1.1+3.1 C:+5.1-4.1+6.1\nB: L:+2.1+1.1+3.1 L:+6.1+5.1+4.1\n"},
        {"free comment text before the first genome",
         "Two genomes, from somewhere\n1 2 3 | not markers\n>A\n1 |\n", "A: L:+1.1\n"},
        {"comment lines anywhere, also indented",
         "// head\n>A\n// between\n1 2\n  // indented\n3 |\n//>B\n", "A: L:+1.1+2.1+3.1\n"},
        {"a chromosome over several lines", ">A\n1\n2\n\n3 )\n4 |\n", "A: C:+1.1+2.1+3.1 L:+4.1\n"},
        {"several chromosomes on one line", ">A\n1 | 2 ) 3 |\n", "A: L:+1.1 C:+2.1 L:+3.1\n"},
        {"missing last terminator", ">A\n1 2 |\n3 4\n>B\n5\n", "A: L:+1.1+2.1 L:+3.1+4.1\nB: L:+5.1\n"},
        {"missing terminator at the end of the file", ">A\n1 2 )\n3", "A: C:+1.1+2.1 L:+3.1\n"},
        {"terminators stuck to the marker", ">A\n1 2| 3 4) -5|\n", "A: L:+1.1+2.1 C:+3.1+4.1 L:-5.1\n"},
        {"two terminators stuck: the second ends an empty chromosome", ">A\n1)|\n", "A: C:+1.1 L:\n"},
        {"a terminator alone ends an empty chromosome", ">A\n|\n1 |\n", "A: L: L:+1.1\n"},
        {"a genome without chromosomes", ">A\n>B\n1 |\n", "A:\nB: L:+1.1\n"},
        {"signs, with blanks after them", ">A\n- 1 + 2 +3 -\t4 |\n", "A: L:-1.1+2.1+3.1-4.1\n"},
        {"a sign before a stuck terminator's marker", ">A\n- 1)\n", "A: C:-1.1\n"},
        {"plain markers numbered per family in order", ">A\na b a -a |\nb |\n>B\na |\n",
         "A: L:+a.1+b.1+a.2-a.3 L:+b.2\nB: L:+a.1\n"},
        {"NAME.K markers keep their copy; plain ones pass over used copies",
         ">A\na.2 a a a.1 a |\n", "A: L:+a.2+a.3+a.4+a.1+a.5\n"},
        {"a used copy later in the genome is passed over too", ">A\na |\nb a.1 |\n",
         "A: L:+a.2 L:+b.1+a.1\n"},
        {"used copies count per genome", ">A\na.1 a |\n>B\na a.3 a a |\n",
         "A: L:+a.1+a.2\nB: L:+a.1+a.3+a.2+a.4\n"},
        {"copy digits with leading zeros, copy 0", ">A\n-x.007 x.0 x |\n", "A: L:-x.7+x.0+x.1\n"},
        {"families of any other bytes", ">A\nG:12 |a b|c x) (y 12ab |\n",
         "A: C:+G:12.1+|a.1+b|c.1+x.1 L:+(y.1+12ab.1\n"},
        {"a marker beginning with '>' inside a line", ">A\n1 >x |\n", "A: L:+1.1+>x.1\n"},
        {"blanks around the genome name, CR LF line ends", "\xEF\xBB\xBF>  A \r\n1 2 |\r\n>B\t\r\n3\r\n",
         "A: L:+1.1+2.1\nB: L:+3.1\n"},
        {"an indented header", ">A\n1 |\n  >B\n2 |\n", "A: L:+1.1\nB: L:+2.1\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(readText(c.text), c.genomes) << c.what;
}

TEST(UnimogReader, Refusals) {
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {">A\n1 a+b |\n", "in.ug: line 2: marker 'a+b': the structures format cannot carry '+' in a family name"},
        {">A\n1 a-b\n", "in.ug: line 2: marker 'a-b': the structures format cannot carry '-' in a family name"},
        {">A\n--a\n", "in.ug: line 2: marker '-a': the structures format cannot carry '-' in a family name"},
        {">A\n- +a\n", "in.ug: line 2: marker '+a': the structures format cannot carry '+' in a family name"},
        {">A\n1\n2 a;b |\n", "in.ug: line 3: marker 'a;b': the structures format cannot carry ';' in a family name"},
        {">A\na.b\n", "in.ug: line 2: marker 'a.b': the structures format cannot carry '.' in a family name"},
        {">A\na.1.2\n", "in.ug: line 2: marker 'a.1.2': the structures format cannot carry '.' in a family name"},
        {">A\na.\n", "in.ug: line 2: marker 'a.': the structures format cannot carry '.' in a family name"},
        {">A\n.1\n", "in.ug: line 2: marker '.1': the structures format cannot carry an empty family name"},
        {">A\nx.2147483648 |\n", "in.ug: line 2: marker 'x.2147483648': copy number out of range"},
        {">A\n1 |\n>Genome B\n2 |\n",
         "in.ug: line 3: genome 'Genome B': the structures format cannot carry a blank in a genome name"},
        {">\n1 |\n", "in.ug: line 1: genome '': the structures format cannot carry an empty genome name"},
        {">A\n1 - |\n", "in.ug: line 2: sign '-' without a marker"},
        {">A\n1 +|\n", "in.ug: line 2: sign '+' without a marker"},
        {">A\n1 -\n2 |\n", "in.ug: line 2: sign '-' without a marker"},
        {"text only\n", "in.ug: no genome (no line begins with '>')"},
        {"", "in.ug: no genome (no line begins with '>')"},
    };
    for (const auto& c : cases) {
        try {
            readUnimog(c.text, "in.ug");
            ADD_FAILURE() << "read: " << c.text;
        } catch (const UnimogError& e) {
            EXPECT_EQ(std::string(e.what()), c.message) << c.text;
        }
    }
}

TEST(UnimogReader, LongNamesAreCutInMessages) {
    const std::string name = std::string(100, 'x') + "+y";
    try {
        readUnimog(">A\n" + name + "\n", "in.ug");
        FAIL();
    } catch (const UnimogError& e) {
        EXPECT_EQ(std::string(e.what()), "in.ug: line 2: marker '" + std::string(60, 'x') +
                                             "'...: the structures format cannot carry '+' in a family name");
    }
}

TEST(UnimogReader, ControlBytesInMessagesAreShownAsHex) {
    try {
        readUnimog(std::string(">A\n1 |\n>B\t\0x C\n", 15), "in.ug");
        FAIL();
    } catch (const UnimogError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "in.ug: line 3: genome 'B\\x09\\x00x C': the structures format cannot carry a blank in a genome name");
    }
}

TEST(UnimogRecognition, ByContent) {
    const struct {
        std::string text;
        bool counted;
    } cases[] = {
        {"4\na 3\n", true},
        {"  \n 12 a 1\n", true},
        {"2;\ng1 1; L1: +a.1; \n", true},
        {"\xEF\xBB\xBF" "3\n", true},
        {"-1\n", true},
        {"7", true},
        {">A\n1 2 |\n", false},
        {"// comment\n>A\n1 |\n", false},
        {"Genomes of two strains\n>A\n1 |\n", false},
        {"2nd try\n>A\n1 |\n", false},
        {"12;3\n", false},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(beginsWithCount(c.text), c.counted) << c.text;
}

}  // namespace
}  // namespace rp::unimog
