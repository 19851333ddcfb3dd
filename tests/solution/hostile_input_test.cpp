// Hostile input: XML nested far deeper than any solver writes.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "solution/solution_reader.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace rp {
namespace {

std::string repeat(const std::string& text, std::size_t times) {
    std::string out;
    out.reserve(text.size() * times);
    for (std::size_t i = 0; i < times; ++i) out += text;
    return out;
}

// `depth` elements, each inside the one before.
std::string nested(std::size_t depth) { return repeat("<a>", depth) + repeat("</a>", depth); }

const std::string kHead = "<CPLEXSolution><variables><variable name=\"z_a.1.2\" value=\"1\"/>";
const std::string kTail = "</variables></CPLEXSolution>";

// The reader's outcome: the number of decisions, or the failure's message.
std::string outcome(const std::string& document, std::size_t limit = kMaxElementDepth) {
    std::istringstream in(document);
    try {
        return std::to_string(readSolutionExact(in, limit).size()) + " decisions";
    } catch (const std::exception& e) {
        return e.what();
    }
}

TEST(DeepNesting, ReadUpToTheLimitRefusedBeyondIt) {
    const std::size_t limit = kMaxElementDepth;
    const std::string markup = repeat("<a>", 1000);
    const struct {
        const char* what;
        std::string document;
        std::string expected;
    } cases[] = {
        {"at the limit", kHead + nested(limit - 2) + kTail, "1 decisions"},
        {"one level deeper", kHead + nested(limit - 1) + kTail, kNestedTooDeeply},
        {"a million levels, never closed", repeat("<a>", 1000000), kNestedTooDeeply},
        {"failing before it gets deep", "<a x=1>" + nested(200000), "<unspecified file>(1): expected ' or \""},
        {"failing right where it would go deeper",
         "<a>" + repeat("<b>\n", limit - 1) + "&#12" + repeat("<c>", 10), "<unspecified file>(100000): expected ;"},
        {"failing right after going deeper", repeat("<a>", limit) + "<b x>", kNestedTooDeeply},
        {"markup in comments, data and attributes",
         kHead + "<!--" + markup + "--><![CDATA[" + markup + "]]><?pi " + markup + "?><!DOCTYPE d [" + markup +
             "]><v x=\"" + markup + "\"/>" + kTail,
         "1 decisions"},
    };
    for (const auto& c : cases) EXPECT_EQ(outcome(c.document), c.expected) << c.what;
}

TEST(DeepNesting, ALowerLimitRefusesExactlyTheDeeperDocuments) {
    const struct {
        std::string document;
        std::size_t depth;  // deepest element nesting the parser reaches
    } cases[] = {
        {"<a/>", 1},
        {"<a><b/></a>", 2},
        {"<?xml version=\"1.0\"?>\n<a><!-- <b><c> --><b x='>' y=\"/>\">t&lt;<c/></b></a>", 3},
        {"<!DOCTYPE a [<!ELEMENT a ANY>]><a><![CDATA[<b><c>]]><!x <b>></a>", 1},
        {"<a x><b><c/></b></a>", 1},   // fails in the first tag
        {"<a><b>&#1<c/></b></a>", 2},  // fails in b's data
        {"<a><b><c><d></d></c></b></a><e/>", 4},
    };
    for (const auto& c : cases)
        for (std::size_t limit = 0; limit <= 4; ++limit)
            EXPECT_EQ(outcome(c.document, limit), c.depth > limit ? kNestedTooDeeply : outcome(c.document))
                << c.document << " at limit " << limit;
}

TEST(DeepNesting, TheToolReportsItAndReadsWhatItCan) {
    const std::string structs = "1 a 1 1 g 0 ; 1 ; L 1 : +a.1;";
    const struct {
        std::string solution;
        int status;
        std::string err;
        std::string result;
    } cases[] = {
        // far deeper than a default stack held before, still under the limit
        {kHead + nested(60000) + kTail, 0, "", "1;\ng 1; L1: +a.2; \n"},
        {kHead + nested(kMaxElementDepth) + kTail, 1, std::string("exception: ") + kNestedTooDeeply, ""},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        dir.write("structs.txt", structs);
        dir.write("solution.xml", c.solution);
        const auto result = test::runProcess(
            RP_TOOL_PATH, {"-s", "structs.txt", "-i", "solution.xml", "-o", "result.txt"}, dir.path());
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(dir.exists("result.txt") ? dir.read("result.txt") : "", c.result);
    }
}

}  // namespace
}  // namespace rp
