// The names of pairs of genomes as the workflow gives them: the two genome
// names joined by "__", every character outside [A-Za-z0-9._-] written "_",
// leading ".", "_" and "-" stripped ("pair" when nothing is left), a name
// longer than kLongestPairName shortened to a stem and a hash of the whole,
// and made unique within a sheet by the suffixes ".2", ".3", ...
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>

namespace rp::collection {

// The longest name pairName gives: a longer one keeps its first 183 bytes,
// then "-" and the 16 hexadecimal digits of the whole name's 64-bit FNV-1a
// hash, so that the name, a suffix and the workflow's own additions stay
// within a file name's 255 bytes.
inline constexpr std::size_t kLongestPairName = 200;

// The longest name a sheet may give a pair.
inline constexpr std::size_t kLongestUsablePairName = 230;

// The name of the pair of genomes `a` and `b`, before it is made unique.
std::string pairName(std::string_view a, std::string_view b);

// Whether `name` can name a pair's directory: not empty, at most
// kLongestUsablePairName bytes, only the characters [A-Za-z0-9._-], and
// neither "." nor "..".
bool isUsablePairName(std::string_view name);

// Hands out unique names in the order pairs are named.
class PairNamer {
public:
    // pairName(a, b), or that name with the first of ".2", ".3", ... that
    // makes it unique among the names handed out so far.
    std::string next(std::string_view a, std::string_view b);

private:
    std::unordered_set<std::string> taken_;
};

}  // namespace rp::collection
