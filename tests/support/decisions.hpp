// Assignment maps written out in tests as lists of decisions.
#pragma once

#include <initializer_list>

#include "solution/assignment.hpp"

namespace rp::test {

inline AssignmentMap decisions(std::initializer_list<CopyAssignment> list) {
    AssignmentMap map;
    for (const CopyAssignment& decision : list) addAssignment(map, decision);
    return map;
}

}  // namespace rp::test
