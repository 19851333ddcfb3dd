// Every subcommand, and the bare program, under random argument vectors from
// a fixed seed: empty strings, a lone "-", unknown options, options without
// values, very long values, bytes 0x01 to 0xFF, and the command's own options
// and input files mixed in. Each run ends with an exit status of 0, 1 or 2,
// never by a signal, and a failure says something on standard error.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "support/paralogs.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace rp::paralogs {
namespace {

struct Command {
    std::string name;  // empty: the bare program
    std::vector<std::string> options;
};

const std::vector<Command> kCommands = {
    {"", {"-h", "--help", "--version"}},
    {"model", {"-s", "--structs", "-o", "--output", "--second", "--model", "--distance", "--bounds", "--form",
               "--start", "--max-input-size"}},
    {"score", {"-s", "--structs", "--second", "--distance", "--max-input-size"}},
    {"solution", {"-i", "--input", "-o", "--output", "--solution", "--tolerance", "--max-input-size"}},
    {"unimog", {"-i", "--input", "-o", "--output", "--families", "--max-input-size"}},
    {"convert", {"-i", "--input", "-o", "--output", "--to", "--families", "--max-input-size"}},
    {"pair", {"-s", "--genomes", "--a", "--b", "-d", "--dir", "--name", "--distance", "--model", "--bounds",
              "--solver", "--time-limit", "--threads", "--grace", "--pairs", "--keep", "--columns", "--files",
              "--print-grace", "--max-input-size"}},
    {"related", {"-s", "--genomes", "--min-containment", "--max-family-share", "-o", "--output",
                 "--max-input-size"}},
};

// Values that name something real or come close to it.
const std::vector<std::string> kValues = {
    "g.txt", "g.unimog", "s.xml", "b.tsv", "out", "-", "", "0", "1", "-1", "2", "99999999999999999999",
    "1e308", "nan", "dcj", "breakpoint", "exemplar", "intermediate", "maximum", "grimm", "unimog",
    "structures", "reduced", "plain", "cbc", "glpsol", "g1", "g2", "--", "-x", "--no-such-option", "--help",
    "%value%", "--%option%", "%canonical_option%", "%prefix%", "%original_token%", "50%"};

// The engine's raw numbers are the same on every platform; the standard
// distributions are not, so picks are made from them directly.
std::size_t pick(std::mt19937& random, std::size_t count) { return random() % count; }

std::string randomBytes(std::mt19937& random) {
    std::string bytes(1 + pick(random, 24), ' ');
    for (char& c : bytes) c = static_cast<char>(1 + pick(random, 255));
    return bytes;
}

std::string randomArgument(std::mt19937& random, const Command& command) {
    switch (pick(random, 8)) {
        case 0:
        case 1:
        case 2: return command.options[pick(random, command.options.size())];
        case 3:
        case 4: return kValues[pick(random, kValues.size())];
        case 5: return randomBytes(random);
        case 6: return std::string(5000 + pick(random, 5000), static_cast<char>('a' + pick(random, 26)));
        default: return pick(random, 2) == 0 ? "-" : "";
    }
}

std::vector<std::string> randomVector(std::mt19937& random, const Command& command) {
    std::vector<std::string> args;
    if (!command.name.empty()) args.push_back(command.name);
    const std::size_t count = pick(random, 9);
    for (std::size_t i = 0; i < count; ++i) args.push_back(randomArgument(random, command));
    return args;
}

std::string shown(const std::vector<std::string>& args) {
    std::string text;
    for (const std::string& a : args) {
        text += " '";
        for (unsigned char c : a.substr(0, 40)) text += (c >= 0x20 && c < 0x7f) ? std::string(1, c) : "\\x" + std::to_string(c);
        text += a.size() > 40 ? "...'" : "'";
    }
    return text;
}

void writeInputs(const test::TempDir& dir) {
    dir.write("g.txt", "2\na 2\nb 1\n2\ng1 0 ; 1 ;\nL 3 : +a.1-b.1+a.2;\ng2 0 ; 1 ;\nC 3 : +a.1+a.2+b.1;\n");
    dir.write("g.unimog", ">g1\na -b a |\n>g2\na a b )\n");
    dir.write("s.xml",
                    "<CPLEXSolution><variables><variable name=\"z_a.1.2\" value=\"1\"/></variables></CPLEXSolution>\n");
    dir.write("b.tsv", "a\t1\t2\n");
}

TEST(ArgumentVectors, EveryCommandExitsZeroOneOrTwoAndNeverBySignal) {
    std::mt19937 random(20261210);
    constexpr int kVectorsPerCommand = 24;
    for (const Command& command : kCommands) {
        test::TempDir dir;
        writeInputs(dir);
        for (int i = 0; i < kVectorsPerCommand; ++i) {
            const std::vector<std::string> args = randomVector(random, command);
            const test::ProcessResult r = test::runParalogs(dir, args);
            EXPECT_EQ(r.signal, 0) << "paralogs" << shown(args);
            EXPECT_TRUE(r.status == 0 || r.status == 1 || r.status == 2)
                << "status " << r.status << ": paralogs" << shown(args);
            if (r.status != 0) {
                EXPECT_NE(r.err, "") << "paralogs" << shown(args);
            }
        }
    }
}

TEST(ArgumentVectors, AnEmptyCommandNameIsAUsageError) {
    test::TempDir dir;
    for (const std::vector<std::string>& args : {std::vector<std::string>{""}, {"", "model"}, {"", "--help"}}) {
        const test::ProcessResult r = test::runParalogs(dir, args);
        EXPECT_EQ(r.status, 2) << shown(args);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("Usage: paralogs COMMAND"), std::string::npos) << r.err;
    }
}

// The command-line parser makes its messages by replacing placeholders such
// as %value% with the user's words: words holding them are shown as typed
// (one holding %value% made the message never end).
TEST(ArgumentVectors, WordsHoldingThePlaceholdersOfMessagesAreShownAsTyped) {
    test::TempDir dir;
    const struct {
        std::vector<std::string> args;
        std::string firstLine;
    } cases[] = {
        {{"pair", "-s", "x", "-d", "y", "--time-limit", "%value%"},
         "paralogs pair: the argument ('%value%') for option '--time-limit' is invalid"},
        {{"model", "--second", "%canonical_option%%option%"},
         "paralogs model: the argument ('%canonical_option%%option%') for option '--second' is invalid"},
        {{"model", "--%option%"}, "paralogs model: unrecognised option '--%option%'"},
        {{"score", "--second", "%prefix%%original_token%"},
         "paralogs score: the argument ('%prefix%%original_token%') for option '--second' is invalid"},
    };
    for (const auto& c : cases) {
        const test::ProcessResult r = test::runParalogs(dir, c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.firstLine);
    }
}

}  // namespace
}  // namespace rp::paralogs
