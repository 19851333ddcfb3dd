// Writer of the result file: one line per structure, each chromosome in the
// gene-list form of the structures file.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "structs/model.hpp"

namespace rp {

// Writes `structures` in the result format to `out`.
void writeResults(std::ostream& out, const std::vector<Structure>& structures);

// Prints the progress line, then creates or empties the file at `path` and
// writes `structures` to it. Throws std::runtime_error "failed to open result
// file" when the file cannot be opened, and "failed to write result file"
// when writing or closing it fails.
void writeResultFile(const std::string& path, const std::vector<Structure>& structures);

}  // namespace rp
