// A matching model for tests: a kind, and optionally the bounds of some
// families as a bounds file would give them.
#pragma once

#include <utility>
#include <vector>

#include "model/matching_model.hpp"

namespace rp::test {

inline model::MatchingModel modelOf(model::ModelKind kind, std::vector<model::FamilyBound> bounds = {}) {
    model::MatchingModel m;
    m.kind = kind;
    m.bounds = std::move(bounds);
    if (!m.bounds.empty()) m.boundsSource = "bounds.tsv";
    return m;
}

}  // namespace rp::test
