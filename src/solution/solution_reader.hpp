// Reader of the solver's XML solution file: keeps the z variables at value 1
// as the assignment map.
#pragma once

#include <cstddef>
#include <istream>
#include <string>

#include <boost/property_tree/ptree_fwd.hpp>

#include "solution/assignment.hpp"

namespace rp {

// Prints the progress line, opens the file at `path` and reads its decisions.
// Throws std::runtime_error "failed to open ilp solution file" when the file
// cannot be opened, and the failures of readSolutionExact.
AssignmentMap readSolutionFile(const std::string& path);

// Reads the decisions of the solution document in `in`, from its start: the
// streaming reader first, the exact reader for whatever it declines.
AssignmentMap readSolution(std::istream& in);

// Deepest element nesting the exact reader accepts. Solver output nests three
// deep; the reader's recursion would overflow a default 8 MiB stack some
// twenty thousand levels down, so no document that could be read before is
// refused.
inline constexpr std::size_t kMaxElementDepth = 100000;

// Failure for a document whose elements nest deeper than the limit.
inline constexpr const char* kNestedTooDeeply = "ilp solution nested too deeply";

// Reads the decisions from a whole solution document with Boost.PropertyTree
// (read_xml, default flags, no file name) and a walk of
// CPLEXSolution.variables. Throws the library's xml_parser_error and
// ptree_bad_path, ptree_bad_data for a value that is no float, and the
// failures of parseZVariableName. A document that the XML parser would read
// to an element nested deeper than kMaxElementDepth is refused with
// std::runtime_error kNestedTooDeeply; one that it rejects before that point
// fails as it always did. Documents nested deeper than a few hundred levels
// are read on a thread with a stack large enough for their depth.
AssignmentMap readSolutionExact(std::istream& in);

// As above, with `maxDepth` in place of kMaxElementDepth.
AssignmentMap readSolutionExact(std::istream& in, std::size_t maxDepth);

// The decisions of a parsed solution document: the variable elements of the
// first CPLEXSolution.variables, each with its name and value attributes.
// Throws ptree_bad_path for a missing node or attribute, ptree_bad_data for a
// value that is no float, and the failures of parseZVariableName.
AssignmentMap decisionsOfTree(const boost::property_tree::ptree& tree);

}  // namespace rp
