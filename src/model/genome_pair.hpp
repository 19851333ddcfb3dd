// The pair of genomes a matching program is about: genome A is the first
// structure of a file, genome B its N-th, and the checks the pair must pass
// before a program or a score is made of it (the models of matching are in
// matching_model.hpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "structs/model.hpp"

namespace rp::model {

// Genome A and genome B of a file's structures, with their numbers (from 1).
struct GenomePair {
    const Structure* a = nullptr;
    const Structure* b = nullptr;
    std::size_t second = 2;
};

// The number of genome B as a command line gives it; throws
// std::runtime_error "genome B must be structure 2 or later, not N" for
// N < 2.
std::size_t checkedSecond(std::int64_t second);

// Structure 1 as A, structure `second` as B. Throws std::runtime_error as
// checkedSecond for second < 2 and "the file holds K structures, genome B
// is structure N" when there are fewer.
GenomePair selectPair(const std::vector<Structure>& structures, std::size_t second);

// "genome A (structure 1, NAME)".
std::string describeGenome(const GenomePair& pair, bool first);

// Whether a family name can stand in an LP name and be cut back by
// resolve-paralogs: not empty, and only letters, digits and
// ! " # $ % & ( ) , ? @ _ ` ' { } ~ (so no ".").
bool isUsableFamilyName(std::string_view name);

// The longest variable name an LP file may hold (CBC's limit).
inline constexpr std::size_t kMaxLpName = 100;

}  // namespace rp::model
