// DcjScore printed by name in test failures.
#pragma once

#include <ostream>

#include "dcj/dcj_score.hpp"

namespace rp::model {

inline void PrintTo(const DcjScore& s, std::ostream* out) {
    *out << "{n " << s.matched << ", deleted " << s.deleted << ", inserted " << s.inserted << ", c " << s.cycles
         << ", s " << s.singletons << ", p_ab " << s.pab << ", p_Aa " << s.pAa << ", p_Ab " << s.pAb << ", p_Ba "
         << s.pBa << ", p_Bb " << s.pBb << ", p_AB " << s.pAB << ", d " << s.distance << "}";
}

}  // namespace rp::model
