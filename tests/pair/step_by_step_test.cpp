// paralogs pair against the road it replaces, step by step as the workflow
// took it (paralogs unimog, paralogs model, CBC, paralogs solution,
// resolve-paralogs, paralogs score): the same files and, field by field, the
// same summary.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/solvers.hpp"
#include "pair/pair_result.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace rp::pair {
namespace {

using test::ProcessResult;
using test::TempDir;
using Row = std::map<std::string, std::string>;

std::vector<std::string> splitAt(const std::string& text, char separator) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
        fields.push_back(text.substr(start, at - start));
    fields.push_back(text.substr(start));
    return fields;
}

// A header line and one line, by column.
Row tableRow(const std::string& text) {
    const std::vector<std::string> lines = splitAt(text, '\n');
    const std::vector<std::string> names = splitAt(lines.at(0), '\t'), values = splitAt(lines.at(1), '\t');
    Row row;
    for (std::size_t i = 0; i < names.size() && i < values.size(); ++i) row[names[i]] = values[i];
    return row;
}

// The value of an attribute of the solution document's header.
std::string attribute(const std::string& xml, const std::string& name) {
    const std::size_t at = xml.find(" " + name + "=\"");
    if (at == std::string::npos) return "";
    const std::size_t start = at + name.size() + 3;
    return xml.substr(start, xml.find('"', start) - start);
}

std::string run(const TempDir& dir, const std::string& program, const std::vector<std::string>& args) {
    const ProcessResult r = test::runProcess(program, args, dir.path());
    EXPECT_EQ(r.status, 0) << program << " " << (args.empty() ? "" : args[0]) << ": " << r.err;
    return r.out;
}

// The summary's columns as the steps give them.
Row stepByStep(const TempDir& dir, const std::string& unimog, bool dcj) {
    const std::string paralogs = RP_PARALOGS_PATH;
    dir.write("in.unimog", unimog);
    run(dir, paralogs, {"unimog", "-i", "in.unimog", "-o", "pair.txt"});
    std::vector<std::string> model{"model", "-s", "pair.txt", "-o", "model.lp"};
    // The DCJ-indel program goes to CBC with its greedy start, as paralogs pair gives it.
    if (dcj) model.insert(model.end(), {"--distance", "dcj", "--start", "start.sol"});
    run(dir, paralogs, model);
    std::vector<std::string> cbc{"model.lp", "sec", "600"};
    if (dcj) cbc.insert(cbc.end(), {"mipstart", "start.sol"});
    cbc.insert(cbc.end(), {"solve", "solu", "solver.out"});
    run(dir, test::pathOf("cbc"), cbc);
    run(dir, paralogs, {"solution", "-i", "solver.out", "-o", "solution.xml"});
    run(dir, RP_TOOL_PATH, {"-s", "pair.txt", "-i", "solution.xml", "-o", "resolved.txt"});
    Row row = tableRow(run(dir, paralogs, {"score", "-s", "resolved.txt"}));
    const std::string xml = dir.read("solution.xml");
    Row summary{{"matched", row["matched"]}, {"adjacencies", row["adjacencies"]}, {"telomeres", row["telomeres"]},
                {"breakpoint_distance", row["breakpoint_distance"]}, {"status", attribute(xml, "outcome")},
                {"solver_status", attribute(xml, "solutionStatusString")},
                {"objective", formatG(std::stod(attribute(xml, "objectiveValue")))},
                {"score", row["objective"]}, {"distance", row["breakpoint_distance"]}};
    if (dcj) {
        const Row dcjRow = tableRow(run(dir, paralogs, {"score", "-s", "resolved.txt", "--distance", "dcj"}));
        summary["score"] = summary["distance"] = dcjRow.at("distance");
    }
    summary["lower_bound"] = summary["distance"];
    summary["score_equals_objective"] = "yes";
    // Genes and families from the UniMoG text: one genome per ">" line.
    std::vector<std::vector<std::string>> families;
    for (const std::string& line : splitAt(unimog, '\n')) {
        if (line.rfind(">", 0) == 0) {
            families.emplace_back();
            continue;
        }
        std::istringstream markers(line);
        for (std::string m; markers >> m;) {
            if (m == "|" || m == ")") continue;
            if (m[0] == '-') m.erase(0, 1);
            families.back().push_back(m.substr(0, m.find('.')));
        }
    }
    summary["genes_a"] = std::to_string(families.at(0).size());
    summary["genes_b"] = std::to_string(families.at(1).size());
    const std::set<std::string> inA(families[0].begin(), families[0].end());
    std::set<std::string> both;
    for (const std::string& f : families[1])
        if (inA.count(f) != 0) both.insert(f);
    summary["families_both"] = std::to_string(both.size());
    return summary;
}

TEST(PairStepByStep, TheSummaryAndFilesOfTheRoadItReplaces) {
    if (!test::onPath("cbc")) GTEST_SKIP() << "cbc is not installed";
    struct Case {
        const char* what;
        std::string unimog;
    };
    const Case cases[] = {
        {"the shipped example's g1 and g2", ">g1\na.1 -b.1 a.2 c.1 )\n-a.3 b.2 d.1 |\n>g2\na.1 b.1 c.1 |\n-a.2 b.2 d.1 )\n"},
        {"linear chromosomes", ">lin_a\na b -c d a e |\nf -g h |\n>lin_b\n-h g -f a e |\na b -c d |\n"},
        {"circular beside linear", ">circ_a\na b c -d a )\ne f a |\n>circ_b\n-f -e a g )\nb c -d a a |\n"},
        {"more copies in A", ">many\nx.1 p q x.2 r -s x.3 t |\ny u -v w y |\n>few\nr -s x t p q |\nu -v w y |\n"},
    };
    for (const bool dcj : {false, true}) {
        for (const Case& c : cases) {
            const std::string what = std::string(c.what) + (dcj ? " (dcj)" : " (breakpoint)");
            TempDir steps, road;
            const Row expected = stepByStep(steps, c.unimog, dcj);
            road.write("in.unimog", c.unimog);
            std::vector<std::string> args{"pair", "-s", "in.unimog", "-d", "p"};
            if (dcj) args.insert(args.end(), {"--distance", "dcj"});
            run(road, RP_PARALOGS_PATH, args);
            const std::string summary = road.read("p/summary.tsv");
            const Row got = tableRow(summary);
            for (const auto& [column, value] : expected) EXPECT_EQ(got.at(column), value) << what << ": " << column;
            EXPECT_EQ(got.at("measure"), dcj ? "dcj" : "breakpoint");
            for (const char* file : {"pair.txt", "solution.xml", "resolved.txt"})
                EXPECT_EQ(road.read(std::string("p/") + file), steps.read(file)) << what << ": " << file;
        }
    }
}

}  // namespace
}  // namespace rp::pair
