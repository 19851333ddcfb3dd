// The sheet of pairs: what it reads, and every line it refuses, with its
// line number.
#include "collection/pair_sheet.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace rp::collection {
namespace {

std::vector<SheetRow> read(const std::string& text) {
    std::istringstream in(text);
    return readPairSheet(in, "s.tsv");
}

TEST(PairSheet, ReadsRowsPassingOverCommentsAndOtherColumns) {
    const std::vector<SheetRow> rows = read(
        "# made by hand\n"
        "containment\tpair\tgenomes\tb\ta\r\n"
        "\n"
        "0.5\t p1 \tg.unimog\tY\tX\r\n"
        "1\tp2\tg.unimog\n"
        "# a comment\n"
        "\tp3\t\tv\tu\n");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].line, 4u);
    EXPECT_EQ(rows[0].pair, "p1");
    EXPECT_EQ(rows[0].genomes, "g.unimog");
    EXPECT_EQ(rows[0].a, "X");
    EXPECT_EQ(rows[0].b, "Y");
    EXPECT_EQ(rows[1].line, 5u);
    EXPECT_EQ(rows[1].a, "");
    EXPECT_EQ(rows[1].b, "");
    EXPECT_EQ(rows[2].line, 7u);
    EXPECT_EQ(rows[2].genomes, "");
    EXPECT_EQ(rows[2].a, "u");
}

TEST(PairSheet, HeaderAloneIsNoPairs) {
    EXPECT_TRUE(read("pair\tgenomes\n").empty());
    EXPECT_TRUE(read("pair\tgenomes\ta\tb\n# nothing\n").empty());
}

TEST(PairSheet, RefusesWithTheLine) {
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"", "s.tsv: empty; a sheet of pairs starts with a header line"},
        {"# only\n\n", "s.tsv: empty; a sheet of pairs starts with a header line"},
        {"\npair\ta\tb\n", "s.tsv line 2: the header has no column \"genomes\""},
        {"genomes\ta\tb\n", "s.tsv line 1: the header has no column \"pair\""},
        {"pair\tgenomes\tb\n", "s.tsv line 1: the header has the column \"b\" without the column \"a\""},
        {"pair\tgenomes\tpair\n", "s.tsv line 1: the header names column \"pair\" twice"},
        {"pair\tgenomes\nx\tf\ty\n", "s.tsv line 2: 3 fields, the header has 2"},
        {"pair\tgenomes\n\tf\n", "s.tsv line 2: pair name \"\" must be"},
        {"pair\tgenomes\na/b\tf\n", "s.tsv line 2: pair name \"a/b\" must be"},
        {"pair\tgenomes\n..\tf\n", "s.tsv line 2: pair name \"..\" must be"},
        {"pair\tgenomes\ta\tb\n#\np\tf\tx\t\n", "s.tsv line 3: pair p names one genome"},
        {"pair\tgenomes\ta\tb\np\tf\tx\tx\n", "s.tsv line 2: pair p names genome x twice"},
        {"pair\tgenomes\ta\tb\np\t\t\t\n", "s.tsv line 2: pair p has no genomes file and names no genomes"},
        {"pair\tgenomes\np\tf\nq\tf\n\np\tg\n", "s.tsv line 5: pair p is listed twice (first on line 2)"},
    };
    for (const auto& c : cases) {
        try {
            read(c.text);
            ADD_FAILURE() << "read: " << c.text;
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
        }
    }
}

}  // namespace
}  // namespace rp::collection
