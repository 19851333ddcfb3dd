// The models of matching: how many pairs of copies a matching of genome A and
// genome B gives each family (maximum, exemplar, intermediate, or per family
// from a bounds file), shared by the breakpoint and the DCJ-indel programs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "model/genome_pair.hpp"

namespace rp::model {

// maximum: every family with genes in both genomes gets min(a_f, b_f) pairs;
// exemplar: one pair; intermediate: from 1 to min(a_f, b_f).
enum class ModelKind { maximum, exemplar, intermediate };

std::string_view modelName(ModelKind kind);  // "maximum", "exemplar", "intermediate"

// Throws std::invalid_argument "unknown model "X" (maximum, exemplar or intermediate)".
ModelKind parseModelKind(std::string_view text);

// How many pairs a matching gives one family: from lower to upper, both included.
struct PairRange {
    std::uint32_t lower = 0;
    std::uint32_t upper = 0;
    friend bool operator==(const PairRange&, const PairRange&) = default;
};

// The range the kind gives a family with `inA` copies in A and `inB` in B:
// {0,0} when either is 0; maximum {m,m}, exemplar {1,1}, intermediate {1,m}, m = min(inA, inB).
PairRange kindRange(ModelKind kind, std::uint32_t inA, std::uint32_t inB);

// One line of a bounds file (FAMILY<TAB>LOWER<TAB>UPPER), with its line number.
struct FamilyBound {
    std::string family;
    PairRange range;
    std::size_t line = 0;
};

// A model: its kind, and the families whose range a bounds file sets (read from `boundsSource`).
struct MatchingModel {
    ModelKind kind = ModelKind::maximum;
    std::vector<FamilyBound> bounds;  // empty without --bounds
    std::string boundsSource;         // the bounds file's name, for messages
};

// The range of one family: its bound when the model's bounds name it, else kindRange.
PairRange familyRange(const MatchingModel& model, std::string_view family, std::uint32_t inA, std::uint32_t inB);

// Reads a bounds file: tab-separated FAMILY, LOWER, UPPER; lines starting with '#' and blank lines are skipped.
// Throws std::runtime_error "SOURCE line N: ..." for a line that is not three fields, a negative or
// non-numeric value, LOWER above UPPER, a family named twice.
std::vector<FamilyBound> readFamilyBounds(std::istream& in, const std::string& source);

// Checks the model's bounds against the pair: throws std::runtime_error "SOURCE line N: ..." for a
// family not in both genomes and an upper bound above min(a, b).
void checkBounds(const MatchingModel& model, const GenomePair& pair);

// "maximum", "intermediate", ... and ", bounds from SOURCE (K families)" with a bounds file.
std::string describeModel(const MatchingModel& model);

}  // namespace rp::model
