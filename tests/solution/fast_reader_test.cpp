// Differential tests of the streaming solution reader: on every document it
// declines or gives the exact reader's decisions, and it declines whenever the
// exact reader fails. Documents are read whole and in small chunks.
#include "solution/fast_reader.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "solution/solution_reader.hpp"
#include "support/decisions.hpp"

namespace rp {
namespace {

struct ExactOutcome {
    bool threw = false;
    AssignmentMap decisions;
};

ExactOutcome readExact(const std::string& document) {
    std::istringstream in(document);
    try {
        return {false, readSolutionExact(in)};
    } catch (const std::exception&) {
        return {true, {}};
    }
}

// Chunk size 0 stands for the reader's own chunk size.
std::optional<AssignmentMap> readFast(const std::string& document, std::size_t chunkBytes = 0) {
    std::istringstream in(document);
    return chunkBytes == 0 ? tryReadSolutionFast(in) : tryReadSolutionFast(in, chunkBytes);
}

const std::size_t kChunkSizes[] = {0, 1, 13, 64, 257, 4096};

// The streaming reader's contract on one document and chunk size.
::testing::AssertionResult agreesWithExact(const std::string& document, std::size_t chunkBytes) {
    const std::optional<AssignmentMap> fast = readFast(document, chunkBytes);
    if (!fast) return ::testing::AssertionSuccess();
    const ExactOutcome exact = readExact(document);
    if (!exact.threw && *fast == exact.decisions) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << (exact.threw ? "read a document the exact reader rejects" : "decisions differ")
           << " (chunk " << chunkBytes << "): " << ::testing::PrintToString(document);
}

void expectAgreesAtEveryChunkSize(const std::string& document) {
    for (std::size_t chunk : kChunkSizes) EXPECT_TRUE(agreesWithExact(document, chunk));
}

std::string solution(const std::string& variableElements, const std::string& inSolution = "",
                     const std::string& after = "") {
    return "<?xml version = \"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
           "<CPLEXSolution version=\"1.2\">\n"
           " <header problemName=\"p.lp\" objectiveValue=\"7\"/>\n"
           " <linearConstraints>\n  <constraint name=\"c1\" index=\"0\" slack=\"0\"/>\n"
           " </linearConstraints>\n" +
           inSolution + " <variables>\n" + variableElements + " </variables>\n</CPLEXSolution>\n" +
           after;
}

std::string variable(const std::string& name, const std::string& value) {
    return "  <variable name=\"" + name + "\" index=\"0\" value=\"" + value + "\"/>\n";
}

// Variable elements from name and value pairs.
std::string variables(std::initializer_list<std::pair<const char*, const char*>> list) {
    std::string text;
    for (const auto& [name, value] : list) text += variable(name, value);
    return text;
}

using test::decisions;

struct ReadableCase {
    const char* label;
    std::string document;
    AssignmentMap expected;
};

// Documents of the common shape and its accepted variations: the streaming
// reader reads them and finds what the exact reader finds.
std::vector<ReadableCase> readableCases() {
    const AssignmentMap a12 = decisions({{"a", 1, 2}});
    return {
        {"values selected as floats",
         solution(variables({{"z_a.1.2", "1"}, {"z_a.2.1", "0.99999999"}, {"z_a.3.1", "1.99999999"},
                             {"z_a.4.1", "1.9999"}, {"z_a.5.1", "0.9999999"}, {"z_a.6.1", "2"},
                             {"z_b.1.1", "-0"}, {"z_b.2.1", "1e-12"},
                             {"z_b.3.3", "1.0000000000025002"}})),
         decisions({{"a", 1, 2}, {"a", 2, 1}, {"a", 4, 1}, {"b", 3, 3}})},
        {"number shapes",
         solution(variables({{"z_a.1.2", " 1 "}, {"z_b.1.2", "+1"}, {"z_c.1.2", "1."},
                             {"z_d.1.2", ".15e1"}, {"z_e.1.2", "1E0"}, {"z_f.1.2", "\t0001.5\n"},
                             {"x", "1e-400"}, {"y", "-1e38"}, {"w", "00"}, {"z_g.1.2", "1e-400"},
                             {"v", "0.5e+0001"}, {"z_h.1.2", "-1"}, {"z_i.1.2", "-1.5"}})),
         decisions({{"a", 1, 2}, {"b", 1, 2}, {"c", 1, 2}, {"d", 1, 2}, {"e", 1, 2}, {"f", 1, 2}})},
        {"byte order mark", "\xEF\xBB\xBF" + solution(variables({{"z_a.1.2", "1"}})), a12},
        {"last decision wins",
         solution(variables({{"z_a.1.2", "1"}, {"z_a.1.3", "1"}, {"z_b.1.2", "1"}})),
         decisions({{"a", 1, 3}, {"b", 1, 2}})},
        {"name styles",
         solution(variables({{"Y(1,2)", "1"}, {"Z_a.1.2", "1"}, {" z_a.1.2", "1"}, {"za.1.2", "1"},
                             {"z_b.0x1.3", "1"}, {"z_c.1.2.7", "1"}, {"z_a.1.2", "1"},
                             {"z_a.-1.2", "1"}, {"z_a.1.5e9", "1"}, {"z_d. 3.4", "1"},
                             {"z_e.123456789.0012", "1"}, {"z_f.0000001.9999999", "1"},
                             {"z_g.2.7 ", "1"}})),
         decisions({{"", 1, 2}, {"a", -1, 2}, {"a", 1, INT32_MIN}, {"b", 1, 3}, {"c", 1, 2},
                    {"d", 3, 4}, {"e", 123456792, 12}, {"f", 1, 9999999}, {"g", 2, 7}})},
        {"references in names and values",
         solution(variables({{"&#122;_a.1.2", "&#49;"}, {"z_&amp;.1.2", "1"},
                             {"z_&lt;&gt;&quot;&apos;.1.2", "1"}, {"z_&#x3B1;&#x1F600;.1.2", "1"},
                             {"z_&foo;&amp.1.2", "1"}, {"z_&#55296;.1.2", "1"},
                             {"x&#38;", "&#x31;&#46;&#53;"}})),
         decisions({{"a", 1, 2}, {"&", 1, 2}, {"<>\"'", 1, 2}, {"\xCE\xB1\xF0\x9F\x98\x80", 1, 2},
                    {"&foo;&amp", 1, 2}, {"\xED\xA0\x80", 1, 2}})},
        {"quotes and spacing",
         solution("  <variable name='z_a.1.2' value='1'/>\n"
                  "  <variable\n name = \"z_b.1.2\"\tvalue\t=\t'1' />\n"
                  "  <variable name=\"z_c.1.2\"value=\"1\"index=\"3\"/>\n"
                  "  <variable name='z_\"d.1.2' value=\"1\"/>\n"
                  "  <variable value=\"1\" status=\"BS\" name=\"z_e.1.2\" "
                  "reducedCost=\"0\"></variable>\n"),
         decisions({{"a", 1, 2}, {"b", 1, 2}, {"c", 1, 2}, {"\"d", 1, 2}, {"e", 1, 2}})},
        {"comments, processing instructions, text",
         "<?xml version=\"1.0\"?>\n<?xml-stylesheet href=\"s.xsl\" type=\"text/xsl\"?>\n"
         "<!-- a -- comment - -->\n<CPLEXSolution><!---->\n<variables>text &#65; &lt; > & ;\n"
         "<?pi x?><!-- <variable name=\"z_x.1.1\" value=\"1\"/> -->" +
             variable("z_a.1.2", "1") + "</variables>tail</CPLEXSolution><!-- end --><?end?>\n",
         a12},
        {"closing tag names are not compared",
         "<CPLEXSolution><variables>" + variable("z_a.1.2", "1") +
             "</foo></ >\n<later/>\n<CPLEXSolution><variables>" + variable("z_b.1.2", "1") +
             "</></>",
         a12},
        {"only the first solution and variables count",
         solution(variable("z_a.1.2", "1"), "",
                  "<CPLEXSolution><variables>" + variable("z_b.1.2", "1") + variable("bad", "x") +
                      "</variables></CPLEXSolution>"),
         a12},
        {"second variables element is ignored",
         "<CPLEXSolution><variables>" + variable("z_a.1.2", "1") + "</variables><variables>" +
             variable("z_b.1.2", "1") + variable("bad", "x") + "</variables></CPLEXSolution>",
         a12},
        {"variables elsewhere are ignored",
         "<other><variables>" + variable("z_b.1.2", "x") +
             "</variables></other>\n<CPLEXSolution>"
             "<wrap><variable name=\"z_c.1.2\" value=\"x\"/></wrap><variable name=\"z_d.1.2\"/>"
             "<variables><variable name=\"q\" value=\"0\"><variable name=\"z_e.1.2\" value=\"x\"/>"
             "</variable><variables name=\"z\"/>" +
             variable("z_a.1.2", "1") + "</variables></CPLEXSolution>",
         a12},
        {"empty variables", "<CPLEXSolution a='1'><variables/></CPLEXSolution>", {}},
        {"unusual but plain names",
         "<ns:root-1.x/><CPLEXSolution><variables a.b-c:d_e=\"1\">" + variable("z_a.1.2", "1") +
             "</variables></CPLEXSolution>",
         a12},
    };
}

// Documents the exact reader rejects; the streaming reader must decline them.
std::vector<std::pair<const char*, std::string>> rejectedCases() {
    const std::string ok = variable("z_a.1.2", "1");
    const std::string full = solution(ok);
    return {
        {"truncated", full.substr(0, full.size() - 5)},
        {"truncated in a tag", full.substr(0, full.find("index"))},
        {"slash before space", solution("  <variable name=\"a\" value=\"1\"/ >\n")},
        {"unclosed comment", solution(ok, "<!-- no end ->")},
        {"unclosed instruction", solution(ok) + "<?pi"},
        {"text at top level", solution(ok) + "junk"},
        {"closing tag at top level", solution(ok) + "</x>"},
        {"error after the variables", solution(ok, "", "<after a=1/>")},
        {"unquoted attribute", solution(ok, " <header a=1/>\n")},
        {"attribute without value", solution(ok, " <header a/>\n")},
        {"element name after space", solution("  < variable name=\"a\" value=\"1\"/>\n")},
        {"open variable", "<CPLEXSolution><variables><variable name=\"a\" value=\"1\">"},
        {"missing name", solution(ok + "  <variable value=\"1\"/>\n")},
        {"missing value", solution(ok + "  <variable name=\"x\"/>\n")},
        {"no attributes", solution(ok + "  <variable/>\n")},
        {"empty value", solution(ok + variable("x", ""))},
        {"letters", solution(ok + variable("x", "abc"))},
        {"overflow", solution(ok + variable("x", "1e39"))},
        {"long overflow", solution(ok + variable("x", std::string(40, '9')))},
        {"bare exponent", solution(ok + variable("x", "1e"))},
        {"nan", solution(ok + variable("x", "nan"))},
        {"two numbers", solution(ok + variable("x", "1 2"))},
        {"reference to letters", solution(ok + variable("x", "&#97;"))},
        {"z alone", solution(variable("z", "1"))},
        {"z without dot", solution(variable("z_a", "1"))},
        {"z with a dot second", solution(variable("z.a.1.2", "1"))},
        {"z without number", solution(variable("z_a.x.1", "1"))},
        {"z number out of range", solution(variable("z_a.1.1e999", "1"))},
        {"z by reference without dot", solution(variable("&#x7a;a", "1"))},
        {"reference beyond Unicode", solution(ok, " <header a=\"&#1114112;\"/>\n")},
        {"hexadecimal reference beyond Unicode", solution(ok, "&#x110000;")},
        {"reference without semicolon", solution(ok, " <header a=\"&#65\"/>\n")},
        {"upper-case x reference", solution(ok, "x &#X41; y")},
        {"no solution", "<other><variables>" + ok + "</variables></other>"},
        {"solution pool root", "<CPLEXSolutions><CPLEXSolution><variables>" + ok +
                                   "</variables></CPLEXSolution></CPLEXSolutions>"},
        {"solution without variables", "<CPLEXSolution><header/></CPLEXSolution>"},
        {"self-closing solution", "<CPLEXSolution/><CPLEXSolution><variables/></CPLEXSolution>"},
        {"variables one level deeper",
         "<CPLEXSolution><wrap><variables>" + ok + "</variables></wrap></CPLEXSolution>"},
        {"zero byte inside", solution(ok + std::string(1, '\0') + ok)},
        {"zero byte in a value", solution(variable(std::string("z_a.1.2\0", 8), "1"))},
        {"partial byte order mark", "\xEF\xBB" + solution(ok)},
        {"byte order mark after blanks", " \xEF\xBB\xBF" + solution(ok)},
        {"empty document", ""},
    };
}

// Documents the streaming reader may decline although the exact reader may
// read them: DOCTYPE, CDATA, unusual names and references.
std::vector<std::pair<const char*, std::string>> unusualCases() {
    const std::string ok = variable("z_a.1.2", "1");
    std::string deep;
    for (int i = 0; i < 300; ++i) deep += "<d>";
    for (int i = 0; i < 300; ++i) deep += "</d>";
    return {
        {"doctype", "<!DOCTYPE CPLEXSolution [ <!ELEMENT a (b)> ]>\n" + solution(ok)},
        {"cdata", solution("<![CDATA[ <variable> ]]>" + ok)},
        {"other declaration", solution(ok, "<!ENTITY x>")},
        {"comment-like declaration", solution(ok, "<!-x>")},
        {"zero byte after the document", solution(ok) + std::string(1, '\0') + "junk"},
        {"reference to zero in text", solution(ok, "&#0;")},
        {"empty reference", solution(ok + variable("x&#;", "0"))},
        {"empty hexadecimal reference", solution(ok, " <header a=\"&#x;\"/>\n")},
        {"decimal reference with a letter", solution(variable("&#12a;_a.1.2", "1"))},
        {"long reference", solution(variable("&#000000000000000000122;_a.1.2", "1"))},
        {"duplicate name", solution("  <variable name=\"z_a.1.2\" name=\"x\" value=\"1\"/>\n")},
        {"duplicate value", solution("  <variable name=\"z_a.1.2\" value=\"0\" value=\"1\"/>\n")},
        {"non-ASCII element name", solution(ok, " <h\u00e9ader/>\n")},
        {"angle bracket in a name", solution(ok, " <a<b/>\n")},
        {"quote in an attribute name", solution(ok, " <a b\"c=\"1\"/>\n")},
        {"non-ASCII closing tag", solution(ok, " <a></\xC3\xA9>\n")},
        {"deep nesting", solution(ok, deep)},
        {"name with reference to line feed", solution(variable("z_a.1.&#10;2", "1"))},
    };
}

TEST(FastReaderTest, ReadsTheCommonShapeLikeTheExactReader) {
    for (const ReadableCase& c : readableCases()) {
        SCOPED_TRACE(c.label);
        const ExactOutcome exact = readExact(c.document);
        ASSERT_FALSE(exact.threw);
        EXPECT_EQ(exact.decisions, c.expected);
        const std::optional<AssignmentMap> fast = readFast(c.document);
        ASSERT_TRUE(fast.has_value());
        EXPECT_EQ(*fast, c.expected);
        expectAgreesAtEveryChunkSize(c.document);
    }
}

TEST(FastReaderTest, DeclinesWhatTheExactReaderRejects) {
    for (const auto& [label, document] : rejectedCases()) {
        SCOPED_TRACE(label);
        EXPECT_TRUE(readExact(document).threw);
        for (std::size_t chunk : kChunkSizes) EXPECT_FALSE(readFast(document, chunk).has_value());
    }
}

TEST(FastReaderTest, UnusualDocumentsAreDeclinedOrReadAlike) {
    for (const auto& [label, document] : unusualCases()) {
        SCOPED_TRACE(label);
        expectAgreesAtEveryChunkSize(document);
    }
}

TEST(FastReaderTest, DeclinesABadStream) {
    std::istringstream in(solution(variable("z_a.1.2", "1")));
    in.setstate(std::ios::failbit);
    EXPECT_FALSE(tryReadSolutionFast(in).has_value());
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.is_open()) << path;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(FastReaderTest, RealSolverFiles) {
    const std::string dir = RP_SHARED_DIR "/solver-solutions/";
    if (!std::filesystem::is_directory(dir)) GTEST_SKIP() << "no shared solver files at " << dir;
    // 03 has a variable without a name, 06 has no top-level CPLEXSolution.
    for (const std::string file :
         {"01-pyomo-lp-basic-v1.1.xml", "02-rulegen-mip-dotted-names.xml",
          "03-diet-unnamed-objectivevalues.xml", "04-qr1qap-writelevel3-float-noise.xml",
          "05-starrouting-writelevel3-objectivevalues.xml", "06-pcdcn-solution-pool-3sols.xml",
          "07-tcc-defo200-timelimit-2488vars.xml", "08-toysolver-integer-unbounded.xml"}) {
        SCOPED_TRACE(file);
        const bool readable = file.rfind("03", 0) != 0 && file.rfind("06", 0) != 0;
        const std::string document = readFile(dir + file);
        ASSERT_FALSE(document.empty());
        EXPECT_EQ(readExact(document).threw, !readable);
        EXPECT_EQ(readFast(document).has_value(), readable);
        expectAgreesAtEveryChunkSize(document);
    }
    const std::string example = readFile(RP_SOURCE_DIR "/examples/solution.xml");
    const std::optional<AssignmentMap> fast = readFast(example);
    ASSERT_TRUE(fast.has_value());
    EXPECT_EQ(*fast, decisions({{"a", 1, 2}, {"a", 2, 1}, {"b", 1, 2}}));
}

// A solver-like document: every tag shorter than 200 bytes, text with
// references between the variables.
std::string generatedSolution(std::mt19937& rng, int variables) {
    const char* const values[] = {"0", "1", "-0", "1e-12", "0.99999999960000003",
                                  "1.0000000000025002", "2", "0.5", "-2.50011122915339e-12",
                                  "1.99999999", "0.99999999", " 1", "+1", "1.", ".5", "3",
                                  "&#49;", "1&#x2e;0"};
    const char* const families[] = {"a", "b", "fam", "&amp;x", "&#x3B1;", "f_1"};
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    std::string constraints;
    for (int i = 0; i < variables / 2; ++i)
        constraints += "  <constraint name=\"c" + std::to_string(i) + "\" index=\"" +
                       std::to_string(i) + "\" slack=\"" + values[pick(11)] + "\"/>\n";
    std::string body;
    for (int i = 0; i < variables; ++i) {
        const char quote = pick(4) == 0 ? '\'' : '"';
        auto attribute = [&](const std::string& key, const std::string& value) {
            return " " + key + "=" + quote + value + quote;
        };
        std::string name = pick(3) == 0
                               ? "x" + std::to_string(i)
                               : std::string("z_") + families[pick(6)] + "." +
                                     std::to_string(pick(4)) + "." + std::to_string(pick(4));
        if (name[0] == 'z' && pick(8) == 0) name.replace(0, 1, pick(2) ? "&#122;" : "&#x7a;");
        const std::string nameAttribute = attribute("name", name);
        const std::string valueAttribute = attribute("value", values[pick(18)]);
        const std::string index = attribute("index", std::to_string(i));
        body += "  <variable" +
                (pick(2) ? nameAttribute + index + valueAttribute
                         : valueAttribute + nameAttribute + index) +
                (pick(5) == 0 ? "></variable>\n" : "/>\n");
        const int extra = pick(12);
        if (extra == 0) body += "  <!-- c" + std::to_string(i) + " -->\n";
        if (extra == 1) body += "  text &#65;&amp;&#x42; &lt;\n";
        if (extra == 2) body += "  <?pi " + std::to_string(i) + "?>\n";
    }
    return solution(body, " <linearConstraints>\n" + constraints + " </linearConstraints>\n");
}

// Generated documents are read at any chunk size that holds their longest tag,
// and the last one is larger than the reader's own chunk.
TEST(FastReaderTest, ReadsGeneratedDocumentsInAnyChunks) {
    std::mt19937 rng(20240611);
    for (int round = 0; round <= 40; ++round) {
        const std::string document = generatedSolution(rng, round < 40 ? 1 + round * 5 : 40000);
        const ExactOutcome exact = readExact(document);
        ASSERT_FALSE(exact.threw);
        for (std::size_t chunk : {std::size_t{0}, std::size_t{200}, 1000 + rng() % 3000}) {
            const std::optional<AssignmentMap> fast = readFast(document, chunk);
            ASSERT_TRUE(fast.has_value()) << "round " << round << ", chunk " << chunk;
            EXPECT_EQ(*fast, exact.decisions) << "round " << round << ", chunk " << chunk;
        }
        if (round == 40) {
            EXPECT_GT(document.size(), std::size_t{3} << 20);
        }
    }
}

TEST(FastReaderTest, TextReferencesAcrossChunkBoundaries) {
    // Tags fit in 64 bytes; the character data between them is much longer.
    std::string text;
    for (int i = 0; i < 40; ++i) text += "ab &#65; &#x1F600; &amp; &lt; ";
    const std::string document = "<CPLEXSolution>" + text + "<variables>" + text +
                                 "<variable name=\"z_a.1.2\" value=\"1\"/>" + text +
                                 "</variables></CPLEXSolution>";
    for (std::size_t chunk = 40; chunk < 72; ++chunk) {
        const std::optional<AssignmentMap> fast = readFast(document, chunk);
        ASSERT_TRUE(fast.has_value()) << chunk;
        EXPECT_EQ(*fast, decisions({{"a", 1, 2}})) << chunk;
    }
    const std::string broken =
        "<CPLEXSolution><variables>" + text + "&#1114112;" + text + "</variables></CPLEXSolution>";
    for (std::size_t chunk = 40; chunk < 72; ++chunk)
        EXPECT_FALSE(readFast(broken, chunk)) << chunk;
}

// Mutated and truncated solver-like documents: whatever the mutation, the
// streaming reader declines or agrees.
TEST(FastReaderTest, MutatedDocumentsAreDeclinedOrReadAlike) {
    std::mt19937 rng(99);
    const std::string bytes = std::string("<>/=\"'&#;!?-x0 \n.aZz[]") + std::string(1, '\0');
    int read = 0;
    int rejected = 0;
    for (int round = 0; round < 2000; ++round) {
        std::string document = generatedSolution(rng, 1 + static_cast<int>(rng() % 12));
        const int mutations = 1 + static_cast<int>(rng() % 3);
        for (int m = 0; m < mutations && !document.empty(); ++m) {
            const std::size_t at = rng() % document.size();
            switch (rng() % 5) {
                case 0: document.erase(at, 1 + rng() % 3); break;
                case 1: document.insert(at, 1, bytes[rng() % bytes.size()]); break;
                case 2: document[at] = bytes[rng() % bytes.size()]; break;
                case 3: document.resize(at); break;
                default: document.insert(at, document.substr(rng() % document.size(), rng() % 40));
            }
        }
        const std::size_t chunk = rng() % 2 ? 0 : 16 + rng() % 300;
        ASSERT_TRUE(agreesWithExact(document, chunk));
        rejected += readExact(document).threw ? 1 : 0;
        read += readFast(document, chunk) ? 1 : 0;
    }
    // Both outcomes occur, so the comparison above is exercised.
    EXPECT_GT(read, 200);
    EXPECT_GT(rejected, 200);
}

}  // namespace
}  // namespace rp
