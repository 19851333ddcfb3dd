// A collection of genomes read from one or more genomes files (any form the
// companion program reads, compressed or not, "-" for standard input): every
// genome with the file it comes from, found by name.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "io/input_file.hpp"
#include "structs/structure.hpp"

namespace rp::collection {

struct GenomeCollection {
    std::vector<std::string> files;   // as given, in order
    std::vector<Structure> genomes;   // file order, then order in the file
    std::vector<std::size_t> fileOf;  // index into files, one per genome
    std::unordered_map<std::string, std::size_t> byName;

    // The genome named `name`, or nothing.
    std::optional<std::size_t> find(std::string_view name) const;
    // How messages name a file: its path, or "standard input" for "-".
    std::string fileName(std::size_t file) const;
};

// Adds the genomes of `text` (read from `path`) to `collection`. Throws
// std::runtime_error naming both files (or the one file twice) when a genome
// name is already in the collection.
void addGenomes(GenomeCollection& collection, const std::string& path, std::vector<Structure> genomes);

// Reads every file in order, each within the bound of `options`. Throws
// std::runtime_error naming the file and where it fails, a file given twice,
// or a name that two genomes share.
GenomeCollection readCollection(const std::vector<std::string>& paths, const io::InputOptions& options);

}  // namespace rp::collection
