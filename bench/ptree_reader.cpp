// rp-bench-ptree-reader: the reference reading of a solution file, the plain
// way: the file's std::ifstream goes to Boost.PropertyTree's read_xml (flags
// 0), then CPLEXSolution.variables is walked. Prints the number of decisions.
//
//   rp-bench-ptree-reader SOLUTION
#include <exception>
#include <fstream>
#include <iostream>

#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>

#include "solution/solution_reader.hpp"

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::cerr << "usage: rp-bench-ptree-reader SOLUTION\n";
        return 2;
    }
    try {
        std::ifstream in(argv[1]);
        if (!in.is_open()) {
            std::cerr << "rp-bench-ptree-reader: cannot open " << argv[1] << "\n";
            return 1;
        }
        boost::property_tree::ptree tree;
        boost::property_tree::read_xml(in, tree, 0);
        const rp::AssignmentMap decisions = rp::decisionsOfTree(tree);
        std::cout << decisions.size() << "\n";
    } catch (const std::exception& e) {
        std::cerr << "rp-bench-ptree-reader: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
