// Lines of a solver's file read in chunks of every size, and the fields of a
// line split at its blanks.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "solvers/line_source.hpp"
#include "solvers/variable_sink.hpp"

namespace rp::solvers {
namespace {

TEST(Lines, EveryChunkSizeGivesTheSameLines) {
    const std::string longLine(150, 'x');
    const std::string text = "a\r\n\nbb\n" + longLine + "\r\n" + std::string(63, 'y') + "\n" + std::string(64, 'z') +
                             "\nlast\r";
    const std::vector<std::string> expected{"a", "", "bb", longLine, std::string(63, 'y'), std::string(64, 'z'), "last"};
    for (std::size_t chunk : {1, 2, 3, 7, 64, 65, 200, 4096}) {
        std::istringstream in(text);
        LineSource lines(*in.rdbuf(), chunk);
        std::vector<std::string> got;
        std::string_view line;
        while (lines.next(line)) got.emplace_back(line);
        EXPECT_EQ(got, expected) << "chunk " << chunk;
        EXPECT_EQ(lines.lineNumber(), expected.size());
    }
}

// At the default chunk size a line may be up to 16 MiB long, however small
// the buffer it starts with.
TEST(Lines, ALineMayBeAlmostSixteenMebibytesLong) {
    const struct {
        std::size_t bytes;
        bool read;
    } cases[] = {{std::size_t{300} << 10, true}, {LineSource::kMaxLineBytes - 1, true}, {LineSource::kMaxLineBytes, false}};
    for (const auto& c : cases) {
        std::istringstream in("first\n" + std::string(c.bytes, 'x') + "\nlast\n");
        LineSource lines(*in.rdbuf());
        std::string_view line;
        ASSERT_TRUE(lines.next(line));
        EXPECT_EQ(line, "first");
        if (!c.read) {
            EXPECT_THROW(lines.next(line), SolutionError) << c.bytes;
            continue;
        }
        ASSERT_TRUE(lines.next(line)) << c.bytes;
        EXPECT_EQ(line.size(), c.bytes);
        EXPECT_EQ(line.find_first_not_of('x'), std::string_view::npos);
        ASSERT_TRUE(lines.next(line));
        EXPECT_EQ(line, "last");
        EXPECT_FALSE(lines.next(line));
    }
}

// Fields as splitFields finds them, by the plain definition: runs of bytes
// other than space and tab.
std::vector<std::string> plainFields(const std::string& line) {
    std::vector<std::string> fields;
    std::string current;
    for (const char c : line) {
        if (c == ' ' || c == '\t') {
            if (!current.empty()) fields.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) fields.push_back(current);
    return fields;
}

TEST(Lines, FieldsSplitAtBlanksWhereverTheyFallInAWord) {
    const std::vector<std::string> bodies{
        "      0 x1                                 0                       0",
        "** 12 name\t\t value \t 1e-5",
        "a\vb c\rd \x01\x1f e\x7f\x80\xff f",  // control and high bytes are no blanks
        "abcdefgh ijklmnopqrstuvwx                 y",
        "\t\t\t\t\t\t\t\t\t\tz",
        "one",
        "",
        "                                ",
    };
    for (const std::string& body : bodies)
        for (std::size_t shift = 0; shift < 9; ++shift)
            for (const std::string& tail : {std::string(), std::string(" "), std::string(9, ' ')}) {
                const std::string line = std::string(shift, ' ') + body + tail;
                std::string_view found[8];
                std::string_view rest;
                const std::size_t n = splitFields(line, found, 8, &rest);
                const std::vector<std::string> expected = plainFields(line);
                ASSERT_EQ(n, expected.size()) << '"' << line << '"';
                for (std::size_t i = 0; i < n; ++i) EXPECT_EQ(found[i], expected[i]) << '"' << line << '"';
                // Taking fewer leaves the rest from the end of the last one taken.
                if (n >= 2) {
                    std::string_view two[2];
                    ASSERT_EQ(splitFields(line, two, 2, &rest), 2u);
                    EXPECT_EQ(rest.data(), two[1].data() + two[1].size());
                    EXPECT_EQ(plainFields(std::string(rest)).size(), n - 2) << '"' << line << '"';
                }
            }
}


}  // namespace
}  // namespace rp::solvers
