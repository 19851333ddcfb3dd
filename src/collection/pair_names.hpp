// The names of pairs of genomes as the workflow gives them: the two genome
// names joined by "__", every character outside [A-Za-z0-9._-] written "_",
// leading ".", "_" and "-" stripped ("pair" when nothing is left), and made
// unique within a sheet by the suffixes ".2", ".3", ...
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>

namespace rp::collection {

// The name of the pair of genomes `a` and `b`, before it is made unique.
std::string pairName(std::string_view a, std::string_view b);

// Whether `name` can name a pair's directory: not empty, only the characters
// [A-Za-z0-9._-], and neither "." nor "..".
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
