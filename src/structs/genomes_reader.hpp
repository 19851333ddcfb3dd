// Reading genomes for the companion program: a structures file or a result
// file of resolve-paralogs, told apart by content, and every read that fails
// reported with where it failed instead of being passed over.
#pragma once

#include <istream>
#include <string>
#include <vector>

#include "structs/model.hpp"

namespace rp {

enum class GenomesFormat { structures, result };

struct Genomes {
    GenomesFormat format = GenomesFormat::structures;
    std::vector<Structure> structures;
};

// Reads the genomes in `in`; `name` names the input in messages. A result
// file is recognised by its first line, "N;". Throws std::runtime_error
// "NAME: MESSAGE" for content that cannot be read, naming where.
Genomes readGenomes(std::istream& in, const std::string& name);

}  // namespace rp
