// The plain marker formats of genome rearrangement tools, UniMoG (DCJ tools)
// and GRIMM (GRIMM, MGR, MLGO), share one grammar: ">NAME" starts a genome,
// signed markers separated by blanks follow, a terminator ends each
// chromosome. They differ only in the terminators and the comment lines, which
// a dialect names.
#pragma once

#include <string_view>

namespace rp::unimog {

struct MarkerDialect {
    std::string_view format;   // as messages name it: "UniMoG", "GRIMM"
    char linearEnd;            // ends a linear chromosome
    char circularEnd;          // ends a circular chromosome
    std::string_view comment;  // a line whose first non-blank bytes are these is a comment
};

inline constexpr MarkerDialect kUnimogDialect{"UniMoG", '|', ')', "//"};
inline constexpr MarkerDialect kGrimmDialect{"GRIMM", '$', '@', "#"};

}  // namespace rp::unimog
