#include "resolve/renumber.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "structs/result_writer.hpp"
#include "structs/structs_reader.hpp"
#include "support/decisions.hpp"

namespace rp {
namespace {

// Structures written as chromosome gene lists, one string per structure and
// one "|"-separated chromosome per list, e.g. "+a.1-b.2;|+c.1;".
std::vector<Structure> structuresOf(const std::vector<std::string>& lists) {
    std::string text = "0 " + std::to_string(lists.size()) + " ";
    for (const std::string& structure : lists) {
        std::vector<std::string> chromosomes;
        std::stringstream parts(structure);
        for (std::string c; std::getline(parts, c, '|');) chromosomes.push_back(c);
        text += "g 0 ; " + std::to_string(chromosomes.size()) + " ; ";
        for (const std::string& c : chromosomes) text += "L 0 : " + c + " ";
    }
    std::istringstream in(text);
    readFamilyTable(in);
    return readStructures(in);
}

// The gene lists of the structures, in the same form.
std::vector<std::string> listsOf(const std::vector<Structure>& structures) {
    std::vector<std::string> out;
    for (const Structure& s : structures) {
        std::string text;
        for (const Chromosome& c : s.chromosomes) {
            if (!text.empty()) text += "|";
            for (const Gene& g : c.genes)
                text += (g.strand < 0 ? "-" : "+") + g.name + "." + std::to_string(g.copy);
            text += ";";
        }
        out.push_back(text);
    }
    return out;
}

using test::decisions;

struct Case {
    const char* what;
    AssignmentMap decisions;
    std::vector<std::string> before;
    std::vector<std::string> after;
};

TEST(RenumberCopies, Table) {
    const Case cases[] = {
        {"worked example", decisions({{"a", 1, 2}, {"a", 2, 1}, {"b", 1, 1}}),
         {"+a.1-b.1+a.2;|-a.3;", "+a.1+b.1;"},
         {"+a.2-b.1+a.1;|-a.4;", "+a.1+b.1;"}},
        {"no decisions change nothing", decisions({}), {"+a.1+a.1+b.7;"}, {"+a.1+a.1+b.7;"}},
        {"unmatched decision still names its family", decisions({{"a", 9, 1}}),
         {"+a.5;", "+a.1+a.2+a.9;"}, {"+a.3;", "+a.1+a.2+a.9;"}},
        {"other structures never change", decisions({{"a", 1, 5}}),
         {"+b.1;", "+a.1;"}, {"+b.1;", "+a.1;"}},
        {"equal genes take the same copy", decisions({{"a", 1, 3}}),
         {"+a.1-a.1;"}, {"+a.3-a.3;"}},
        {"no clash check in phase 1", decisions({{"a", 1, 4}, {"a", 2, 4}}),
         {"+a.1+a.2;"}, {"+a.4+a.4;"}},
        {"decisions do not chain", decisions({{"a", 1, 2}, {"a", 2, 3}}),
         {"+a.1+a.2;"}, {"+a.2+a.3;"}},
        {"the unresolved gene moves below the assigned one", decisions({{"a", 1, 2}}),
         {"+a.1+a.2;"}, {"+a.2+a.1;"}},
        {"copy 0 is never given", decisions({{"a", 5, 5}}),
         {"+a.0+a.5-a.0;"}, {"+a.1+a.5-a.2;"}},
        {"lowest free index first, in chromosome order", decisions({{"a", 7, 7}}),
         {"+a.7;|+a.3+a.4;|-a.4;", "+a.1+a.2+a.5;"}, {"+a.7;|+a.6+a.8;|-a.9;", "+a.1+a.2+a.5;"}},
        {"other families keep their copies", decisions({{"a", 1, 1}}),
         {"+a.1+b.1+b.1;"}, {"+a.1+b.1+b.1;"}},
        {"all of 1 to 19 taken", decisions({{"a", 20, 20}}),
         {"+a.1+a.2+a.3+a.4+a.5+a.6+a.7+a.8+a.9+a.10+a.11+a.12+a.13+a.14+a.15+a.16+a.17+a.18+a.19+a.20;"},
         {"+a.1+a.2+a.3+a.4+a.5+a.6+a.7+a.8+a.9+a.10+a.11+a.12+a.13+a.14+a.15+a.16+a.17+a.18+a.19+a.20;"}},
        {"runs out of free indices", decisions({{"a", 99, 99}}),
         {"+a.1+a.1+a.1+a.1+a.1+a.1+a.1+a.1+a.1+a.1+a.1+a.1+a.1+a.1+a.1+a.1+a.1+a.1+a.1+a.1+a.1;"},
         {"+a.2+a.3+a.4+a.5+a.6+a.7+a.8+a.9+a.10+a.11+a.12+a.13+a.14+a.15+a.16+a.17+a.18+a.19+a.1+a.1+a.1;"}},
        {"indices beyond 19 are not recorded", decisions({{"a", 1, 25}}),
         {"+a.1+a.25+a.100;", "+a.2000000000;"}, {"+a.25+a.1+a.2;", "+a.2000000000;"}},
        {"negative decided index", decisions({{"a", 1, -3}}),
         {"+a.1+a.2;"}, {"+a.-3+a.1;"}},
        {"empty structures and chromosomes", decisions({{"a", 1, 2}}),
         {";|+a.1;", "", ";"}, {";|+a.2;", "", ";"}},
    };
    for (const Case& c : cases) {
        std::vector<Structure> structures = structuresOf(c.before);
        renumberCopies(c.decisions, structures);
        EXPECT_EQ(listsOf(structures), c.after) << c.what;
    }
}

TEST(RenumberCopies, OnlyPhaseOneResolves) {
    std::vector<Structure> structures = structuresOf({"+a.1+a.2+b.1;", "+a.1;"});
    renumberCopies(decisions({{"a", 1, 2}, {"b", 1, 1}}), structures);
    const auto& genes = structures[0].chromosomes[0].genes;
    EXPECT_TRUE(genes[0].resolved);
    EXPECT_FALSE(genes[1].resolved);
    EXPECT_TRUE(genes[2].resolved);
    EXPECT_FALSE(structures[1].chromosomes[0].genes[0].resolved);
}

TEST(RenumberCopies, NoStructuresAtAll) {
    std::vector<Structure> structures;
    renumberCopies(decisions({{"a", 1, 2}}), structures);
    EXPECT_TRUE(structures.empty());
}

TEST(BuildUsedCopyTable, RecordsEveryFamilyOfEveryStructure) {
    const UsedCopyTable table = buildUsedCopyTable(structuresOf({"+a.0+a.19;", "+b.3+a.20;|-c.2000;"}));
    ASSERT_EQ(table.size(), 3u);
    std::array<bool, kCopySlots> a{}, b{}, c{};
    a[0] = a[19] = true;
    b[3] = true;
    EXPECT_EQ(table.at("a"), a);
    EXPECT_EQ(table.at("b"), b);
    EXPECT_EQ(table.at("c"), c);
}

}  // namespace
}  // namespace rp
