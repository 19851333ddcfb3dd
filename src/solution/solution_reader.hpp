// Reader of the solver's XML solution file: keeps the z variables at value 1
// as the assignment map.
#pragma once

#include <istream>
#include <string>

#include "solution/assignment.hpp"

namespace rp {

// Prints the progress line, opens the file at `path` and reads its decisions.
// Throws std::runtime_error "failed to open ilp solution file" when the file
// cannot be opened, and the failures of readSolutionExact.
AssignmentMap readSolutionFile(const std::string& path);

// Reads the decisions from a whole solution document with Boost.PropertyTree
// (read_xml, default flags, no file name) and a walk of
// CPLEXSolution.variables. Throws the library's xml_parser_error and
// ptree_bad_path, ptree_bad_data for a value that is no float, and the
// failures of parseZVariableName.
AssignmentMap readSolutionExact(std::istream& in);

// Converts an attribute text to a float as the property tree's stream
// translator does; false when it does not convert.
bool convertValue(const std::string& text, float& value);

}  // namespace rp
