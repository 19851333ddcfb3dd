#include "solution/solution_reader.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>

#include "support/temp_dir.hpp"
#include "support/decisions.hpp"

namespace rp {
namespace {

namespace pt = boost::property_tree;

// Reads `document` from a file through the tool's reader. Returns the map,
// or fills `failure` with the failure's message.
AssignmentMap readDocument(const std::string& document, std::string& failure) {
    test::TempDir dir;
    dir.write("solution.xml", document);
    failure.clear();
    testing::internal::CaptureStdout();
    AssignmentMap map;
    try {
        map = readSolutionFile(dir.file("solution.xml"));
    } catch (const std::exception& e) {
        failure = e.what();
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Reading z variables from ilp solution...\n");
    return map;
}

std::string failureOf(const std::string& document) {
    std::string failure;
    readDocument(document, failure);
    return failure;
}

AssignmentMap mapOf(const std::string& document) {
    std::string failure;
    AssignmentMap map = readDocument(document, failure);
    EXPECT_EQ(failure, "") << document;
    return map;
}

std::string variables(const std::string& inner) {
    return "<?xml version = \"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
           "<CPLEXSolution version=\"1.2\">\n <header objectiveValue=\"3\"/>\n <variables>\n" +
           inner + " </variables>\n</CPLEXSolution>\n";
}

std::string variable(const std::string& name, const std::string& value) {
    return "  <variable name=\"" + name + "\" index=\"0\" value=\"" + value + "\"/>\n";
}

using test::decisions;

TEST(ReadSolutionFile, SelectsZVariablesAtOne) {
    EXPECT_EQ(mapOf(variables(variable("z_f.3.5", "1"))), decisions({{"f", 3, 5}}));
    EXPECT_EQ(mapOf(variables(variable("Z_f.3.5", "1"))), decisions({}));
    EXPECT_EQ(mapOf(variables("")), decisions({}));
    EXPECT_EQ(mapOf(variables(variable("x1", "1") + variable("y_a.1", "1"))), decisions({}));
}

TEST(ReadSolutionFile, ValueBordersOfTheSelection) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"1", true},          {"1.0", true},        {"1e0", true},          {"+1", true},
        {"1.7", true},        {"1.9999999", true},  {"0.99999999", true},   {"0.99999999999999989", true},
        {" 1 ", true},        {"\t1\n", true},      {"1.0000000000025002", true},
        {"0", false},         {"0.9999", false},    {"0.9999999", false},   {"2", false},
        {"-1", false},        {"1.99999999", false}, {"-0", false},         {"1e-12", false},
        {"0.99999999999749989", true},
    };
    for (const auto& [value, selected] : cases)
        EXPECT_EQ(mapOf(variables(variable("z_f.3.5", value))).size(), selected ? 1u : 0u) << value;
}

TEST(ReadSolutionFile, LastDecisionForAKeyWinsAndKeysAreOrdered) {
    EXPECT_EQ(mapOf(variables(variable("z_f.3.5", "1") + variable("z_f.3.7", "1"))),
              decisions({{"f", 3, 7}}));
    EXPECT_EQ(mapOf(variables(variable("z_f.3.5", "1") + variable("z_f.4.5", "1"))).size(), 2u);

    const AssignmentMap map = mapOf(variables(variable("z_ab.1.1", "1") + variable("z_a.10.1", "1") +
                                              variable("z_a.9.1", "1") + variable("z_B.1.1", "1") +
                                              variable("z_a.5.1", "1") + variable("z_\xe9.1.1", "1")));
    std::vector<std::pair<std::string, int>> order;
    for (const auto& [key, value] : map) {
        EXPECT_EQ(key.family, value.family);
        EXPECT_EQ(key.copy, value.fromCopy);
        order.emplace_back(key.family, key.copy);
    }
    EXPECT_EQ(order, (std::vector<std::pair<std::string, int>>{
                         {"B", 1}, {"a", 5}, {"a", 9}, {"a", 10}, {"ab", 1}, {"\xe9", 1}}));
}

TEST(ReadSolutionFile, WhatIsIgnored) {
    // Comments, other elements, nested elements, text and other attributes.
    EXPECT_EQ(mapOf("<?xml version=\"1.0\"?><!-- c --><CPLEXSolution a=\"1\"><header/>"
                    "<variables x='y'>text<!-- z --><other name=\"z_a.1.2\" value=\"1\"/>"
                    "<variable status='BS' name='z_a.2.3' value='1'><variable name=\"z_q.1.1\" value=\"1\"/>"
                    "</variable></variables></CPLEXSolution>"),
              decisions({{"a", 2, 3}}));
    // Only the first CPLEXSolution and its first variables element count.
    EXPECT_EQ(mapOf("<CPLEXSolution><variables>" + variable("z_a.1.2", "1") + "</variables><variables>" +
                    variable("z_b.1.2", "1") + "</variables></CPLEXSolution><CPLEXSolution><variables>" +
                    variable("z_c.1.2", "1") + "</variables></CPLEXSolution>"),
              decisions({{"a", 1, 2}}));
    // Closing tags are not compared with their elements' names.
    EXPECT_EQ(mapOf("<CPLEXSolution><variables>" + variable("z_a.1.2", "1") + "</wrong></other>"),
              decisions({{"a", 1, 2}}));
    // A malformed z name is harmless when its value does not select it.
    EXPECT_EQ(mapOf(variables(variable("z", "0") + variable("z_a.b", "0"))), decisions({}));
}

TEST(ReadSolutionFile, ReferencesAreExpandedInNames) {
    EXPECT_EQ(mapOf(variables(variable("z_a&amp;b.1.2", "1") + variable("z_&#x41;&#66;.3.4", "1"))),
              decisions({{"AB", 3, 4}, {"a&b", 1, 2}}));
}

TEST(ReadSolutionFile, FailuresAndTheirMessages) {
    const std::string conversion = "conversion of data to type \"float\" failed";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "No such node (CPLEXSolution.variables)"},
        {"<?xml version=\"1.0\"?>\n<!-- only a comment -->\n", "No such node (CPLEXSolution.variables)"},
        {"<CPLEXSolutions><CPLEXSolution><variables/></CPLEXSolution></CPLEXSolutions>",
         "No such node (CPLEXSolution.variables)"},
        {"<CPLEXSolution><header/></CPLEXSolution>", "No such node (CPLEXSolution.variables)"},
        {variables("  <variable index=\"0\"/>\n"), "No such node (<xmlattr>.name)"},
        {variables("  <variable name=\"x1\"/>\n"), "No such node (<xmlattr>.value)"},
        {variables(variable("x1", "abc")), conversion},
        {variables(variable("x1", "")), conversion},
        {variables(variable("x1", "1 x")), conversion},
        {variables(variable("x1", "1e39")), conversion},
        {variables(variable("z_a.1.2", "1") + variable("x1", "nan")), conversion},
        {variables(variable("z", "1")), "invalid string position"},
        {variables(variable("z_f.3", "1")), "invalid stof argument"},
        {variables(variable("z_f", "1")), "invalid stof argument"},
        {variables(variable("z_a.b.1.2", "1")), "invalid stof argument"},
        {variables(variable("z_f.1e999.2", "1")), "stof argument out of range"},
        {"CPLEXSolution", "<unspecified file>(1): expected <"},
        {"\n\n<CPLEXSolution><variables>", "<unspecified file>(3): unexpected end of data"},
        {"<CPLEXSolution><variables><variable name=\"z\" value=\"1\"></CPLEXSolution",
         "<unspecified file>(1): expected >"},
        {"<CPLEXSolution><variables><variable name=z/>", "<unspecified file>(1): expected ' or \""},
        {"<a b=\"&#xFFFFFFF;\"/>", "<unspecified file>(1): invalid numeric character entity"},
        {variables(variable("x1", "1")) + "\n<trailing", "<unspecified file>(9): expected >"},
    };
    for (const auto& [document, message] : cases) EXPECT_EQ(failureOf(document), message) << document;
}

TEST(ReadSolutionFile, FailureTypes) {
    test::TempDir dir;
    testing::internal::CaptureStdout();
    const auto read = [&](const std::string& document) {
        dir.write("s.xml", document);
        return readSolutionFile(dir.file("s.xml"));
    };
    EXPECT_THROW(read(""), pt::ptree_bad_path);
    EXPECT_THROW(read(variables(variable("x1", "abc"))), pt::ptree_bad_data);
    EXPECT_THROW(read("x"), pt::xml_parser_error);
    EXPECT_THROW(read(variables(variable("z", "1"))), std::out_of_range);
    EXPECT_THROW(read(variables(variable("z_f", "1"))), std::invalid_argument);
    EXPECT_THROW(readSolutionFile(dir.file("missing.xml")), std::runtime_error);
    testing::internal::GetCapturedStdout();
    try {
        testing::internal::CaptureStdout();
        readSolutionFile(dir.file("missing.xml"));
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "failed to open ilp solution file");
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Reading z variables from ilp solution...\n");
}

TEST(ReadSolutionFile, RealSolverOutput) {
    const std::string dir = RP_SHARED_DIR "/solver-solutions/";
    if (!std::filesystem::is_directory(dir)) GTEST_SKIP() << "no real solver output at " << dir;
    for (const char* clean : {"01-pyomo-lp-basic-v1.1.xml", "02-rulegen-mip-dotted-names.xml",
                              "04-qr1qap-writelevel3-float-noise.xml",
                              "05-starrouting-writelevel3-objectivevalues.xml",
                              "07-tcc-defo200-timelimit-2488vars.xml", "08-toysolver-integer-unbounded.xml"})
        EXPECT_EQ(mapOf(test::readFile(dir + clean)), decisions({})) << clean;
    EXPECT_EQ(failureOf(test::readFile(dir + "03-diet-unnamed-objectivevalues.xml")),
              "No such node (<xmlattr>.name)");
    EXPECT_EQ(failureOf(test::readFile(dir + "06-pcdcn-solution-pool-3sols.xml")),
              "No such node (CPLEXSolution.variables)");
}

TEST(ReadSolutionFile, TheShippedExample) {
    EXPECT_EQ(mapOf(test::readFile(RP_SOURCE_DIR "/examples/solution.xml")),
              decisions({{"a", 1, 2}, {"a", 2, 1}, {"b", 1, 2}}));
}

}  // namespace
}  // namespace rp
