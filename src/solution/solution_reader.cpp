#include "solution/solution_reader.hpp"

#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>

#include "solution/fast_reader.hpp"
#include "solution/z_variable.hpp"

namespace rp {

namespace pt = boost::property_tree;

bool convertValue(const std::string& text, float& value) {
    std::istringstream in(text);
    in >> value;
    if (!in.eof()) in >> std::ws;
    return !in.fail() && !in.bad() && in.get() == std::char_traits<char>::eof();
}

AssignmentMap readSolutionExact(std::istream& in) {
    pt::ptree tree;
    pt::read_xml(in, tree, 0);
    AssignmentMap decisions;
    const pt::ptree& variables = tree.get_child("CPLEXSolution.variables");
    for (const auto& [key, variable] : variables) {
        if (key != "variable") continue;
        const std::string& name = variable.get_child("<xmlattr>.name").data();
        const std::string& valueText = variable.get_child("<xmlattr>.value").data();
        float value = 0;
        if (!convertValue(valueText, value))
            throw pt::ptree_bad_data("conversion of data to type \"float\" failed", valueText);
        if (selectsDecision(name, value)) addAssignment(decisions, parseZVariableName(name));
    }
    return decisions;
}

AssignmentMap readSolutionFile(const std::string& path) {
    std::cout << "Reading z variables from ilp solution...\n";
    std::ifstream in(path);
    if (!in.is_open()) throw std::runtime_error("failed to open ilp solution file");
    // The streaming reader handles the common case; whatever it declines is
    // read again from the start by the exact reader. A stream that cannot be
    // rewound goes to the exact reader directly.
    if (in.tellg() == std::streampos(0)) {
        if (auto decisions = tryReadSolutionFast(in)) return std::move(*decisions);
        in.clear();
        in.seekg(0);
    }
    return readSolutionExact(in);
}

}  // namespace rp
