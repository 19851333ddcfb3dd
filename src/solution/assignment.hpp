// The solver's decisions: which copy index of a family in the first structure
// becomes which other copy index.
#pragma once

#include <compare>
#include <cstdint>
#include <map>
#include <string>

namespace rp {

// Key of a decision: family name, then the copy index it applies to. Ordered
// byte-wise by family (bytes as unsigned values, a prefix first), then by copy.
struct CopyKey {
    std::string family;
    std::int32_t copy = 0;

    friend auto operator<=>(const CopyKey&, const CopyKey&) = default;
};

// One z decision: genes `family`.`fromCopy` take the copy index `toCopy`.
struct CopyAssignment {
    std::string family;
    std::int32_t fromCopy = 0;
    std::int32_t toCopy = 0;

    friend bool operator==(const CopyAssignment&, const CopyAssignment&) = default;
};

using AssignmentMap = std::map<CopyKey, CopyAssignment>;

// Records a decision; a later one for the same key replaces the earlier.
inline void addAssignment(AssignmentMap& map, CopyAssignment decision) {
    CopyKey key{decision.family, decision.fromCopy};
    map.insert_or_assign(std::move(key), std::move(decision));
}

}  // namespace rp
