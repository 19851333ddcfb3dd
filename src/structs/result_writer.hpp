// Writer of the result file: one line per structure, each chromosome in the
// gene-list form of the structures file.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "structs/structure.hpp"

namespace rp {

// Writes `structures` in the result format to `out`.
void writeResults(std::ostream& out, const std::vector<Structure>& structures);

// Prints the progress line, then writes `structures` to the file at `path`
// through rp::io::OutputFile (a temporary file renamed over it once complete;
// in place for devices, FIFOs and hard-linked files). Throws
// std::runtime_error "failed to open result file" when the file cannot be
// created, before anything is written, and "failed to write result file" when
// writing, flushing, syncing or renaming fails (the previous file is kept).
void writeResultFile(const std::string& path, const std::vector<Structure>& structures);

}  // namespace rp
