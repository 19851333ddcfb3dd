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

#include "structs/structure.hpp"

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

// How a pair is chosen from a file's genomes: by number (A is structure 1, B
// structure `second`: paralogs model and score), or by names (paralogs pair:
// the genomes named `a` and `b` of `source`, both empty for its first two).
struct PairChoice {
    std::size_t second = 2;
    bool byName = false;
    std::string a, b;
    std::string source;  // the file, as messages name it
};

// The pair `choice` names. By number, throws std::runtime_error as
// checkedSecond for second < 2 and "the file holds K structures, genome B
// is structure N" when there are fewer; by names, "SOURCE: genome X is not
// in the file (genomes: ...)", "... is in the file more than once", or
// "SOURCE holds N genome(s), a pair needs two".
GenomePair selectPair(const std::vector<Structure>& structures, const PairChoice& choice);

// Structure 1 as A, structure `second` as B (a choice by number).
GenomePair selectPair(const std::vector<Structure>& structures, std::size_t second);

// "genome A (structure 1, NAME)".
std::string describeGenome(const GenomePair& pair, bool first);

// Whether a family name can stand in an LP name and be cut back by
// resolve-paralogs: not empty, and only letters, digits and
// ! " # $ % & ( ) , ? @ _ ` ' { } ~ (so no ".").
bool isUsableFamilyName(std::string_view name);

// The longest variable name an LP file may hold (CBC's limit).
inline constexpr std::size_t kMaxLpName = 100;

// Checks that a family in both genomes gives z names the solvers read:
// throws std::runtime_error "family NAME cannot stand in an LP name ..."
// (isUsableFamilyName) or "family NAME is too long: its z names would pass
// 100 characters" (with its largest copy indices in A and B).
void checkLpFamilyName(std::string_view name, std::int32_t maxCopyA, std::int32_t maxCopyB);

}  // namespace rp::model
