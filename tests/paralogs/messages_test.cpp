// Messages that quote input, as a user reads them: printable bytes as they
// are, the quote the text does not hold; and paralogs solution passing over
// a model's own z variable at another integer than 1.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/paralogs.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace rp::paralogs {
namespace {

using test::runProcess;
using test::TempDir;

std::string cbc(const std::vector<std::pair<std::string, std::string>>& columns) {
    std::string text = "Optimal - objective value 1.00000000\n";
    int i = 0;
    for (const auto& [name, value] : columns) text += "      " + std::to_string(i++) + " " + name + " " + value + " 0\n";
    return text;
}

TEST(Messages, QuoteInputWithPrintableBytesAsTheyAre) {
    struct Case {
        std::string command;
        std::string input;
        int status;
        std::string message;  // the first line of standard error
    };
    const std::vector<Case> cases = {
        {"solution", "<?xml version=\"1.0\"?>\n<Other/>\n", 1,
         "paralogs solution: in: not a solution format paralogs solution reads; its first line starts "
         "'<?xml version=\"1.0\"?>'"},
        {"solution", "Say \"it's\" \x01\n", 1,
         "paralogs solution: in: not a solution format paralogs solution reads; its first line starts "
         "\"Say \\\"it's\\\" \\x01\""},
        {"solution", cbc({{"z_\"a\".1.1", "0.5"}}), 1,
         "paralogs solution: in: line 2: z variable 'z_\"a\".1.1' has the value \"0.5\", farther than 1e-05 from an "
         "integer: the answer is not integral"},
        {"score", "2\na 1\nb 1\nx\"y\n", 1,
         "paralogs score: in: line 4: expected a structure count, found 'x\"y'"},
        {"unimog", ">A\nit's;b |\n", 1,
         "paralogs unimog: in: line 2: marker \"it's;b\": the structures format cannot carry ';' in a family name"},
        {"convert", ">A\nit's;b $\n", 1,
         "paralogs convert: in: line 2: marker \"it's;b\": the structures format cannot carry ';' in a family name"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        dir.write("in", c.input);
        std::vector<std::string> args = {c.command, c.command == "score" ? "-s" : "-i", "in"};
        if (c.command != "score") args.insert(args.end(), {"-o", "out"});
        if (c.command == "convert") args.insert(args.end(), {"--to", "unimog"});
        const auto r = test::runParalogs(dir, args);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.message);
        EXPECT_FALSE(dir.exists("out"));
    }
}

// Bytes a terminal would not show, from the command line or from an input,
// reach standard error escaped, each message on its one line.
TEST(Messages, ControlBytesAreEscaped) {
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"score", "-s", "in\nput\x01.txt"}, "paralogs score: cannot open in\\nput\\x01.txt: No such file or directory"},
        {{"related", "-s", "a.unimog", "-s", "b.unimog"},
         "paralogs related: genome g\\x1b[2J is in both a.unimog and b.unimog; genome names must be unique across "
         "the collection"},
        {{"mo\tdel"}, "paralogs: unknown command 'mo\\tdel'"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        dir.write("a.unimog", ">g\x1b[2J\na b |\n");
        dir.write("b.unimog", ">g\x1b[2J\na b |\n");
        const auto r = test::runParalogs(dir, c.args);
        EXPECT_NE(r.status, 0);
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.message);
        for (const char byte : r.err) EXPECT_TRUE(byte == '\n' || static_cast<unsigned char>(byte) >= 0x20) << r.err;
    }
}

TEST(Messages, SolutionPassesOverAModelsOwnZVariable) {
    TempDir dir;
    dir.write("zeta.sol", cbc({{"zeta", "2.0000001"}, {"z_a.1.2", "1"}, {"x", "3"}}));
    const auto r = test::runParalogs(dir, {"solution", "-i", "zeta.sol", "-o", "out.xml"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string xml = dir.read("out.xml");
    EXPECT_NE(xml.find("name=\"zeta\" index=\"0\" value=\"2\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("name=\"z_a.1.2\" index=\"1\" value=\"1\""), std::string::npos) << xml;
    // resolve-paralogs applies the one decision and passes over zeta.
    dir.write("structs.txt", "1\na 2\n1\ng 0 ; 1 ;\nL 2 : +a.1+a.2;\n");
    const auto resolved =
        runProcess(RP_TOOL_PATH, {"-s", "structs.txt", "-i", "out.xml", "-o", "result.txt"}, dir.path());
    EXPECT_EQ(resolved.status, 0) << resolved.err;
    EXPECT_EQ(dir.read("result.txt"), "1;\ng 1; L2: +a.2+a.1; \n");

    dir.write("zeta1.sol", cbc({{"zeta", "1"}}));
    const auto one = test::runParalogs(dir, {"solution", "-i", "zeta1.sol", "-o", "out1.xml"});
    EXPECT_EQ(one.status, 1);
    EXPECT_NE(one.err.find("z variable \"zeta\" is at 1 but resolve-paralogs cannot cut its name"), std::string::npos)
        << one.err;
    EXPECT_FALSE(dir.exists("out1.xml"));
}

}  // namespace
}  // namespace rp::paralogs
