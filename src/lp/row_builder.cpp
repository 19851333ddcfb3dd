#include "lp/row_builder.hpp"

#include <cmath>

namespace rp::lp {

RowBuilder::RowBuilder(HalvesProgram& program) : program_(program) {}

std::uint32_t RowBuilder::addVariable(std::string name, Type type, std::int64_t upper) {
    return program_.addColumn(std::move(name), type, 0, type == Type::binary ? 1 : upper);
}

void RowBuilder::begin(std::string name) {
    program_.beginRow(std::move(name), Sense::lessEqual, 0);
    pending_.clear();
    constant_ = 0;
}

void RowBuilder::add(std::uint32_t variable, double coefficient) {
    if (slot_.size() < program_.columns.size()) slot_.resize(program_.columns.size(), 0);
    std::uint32_t& slot = slot_.at(variable);
    if (slot != 0) {
        pending_[slot - 1].second += coefficient;
        return;
    }
    pending_.emplace_back(variable, coefficient);
    slot = static_cast<std::uint32_t>(pending_.size());
}

void RowBuilder::end(Sense sense, double rhs) {
    Row& row = program_.rows.back();
    row.sense = sense;
    row.rhs = std::llround(rhs - constant_);
    for (const Term& term : pending_) {
        slot_[term.first] = 0;
        if (term.second != 0) program_.addTerm(term.first, term.second);
    }
    pending_.clear();
}

void RowBuilder::addObjective(std::uint32_t variable, double coefficient) {
    if (objectiveSlot_.size() < program_.columns.size()) objectiveSlot_.resize(program_.columns.size(), 0);
    std::uint32_t& slot = objectiveSlot_.at(variable);
    if (slot != 0) {
        program_.objective[slot - 1].second += coefficient;
        return;
    }
    program_.objective.emplace_back(variable, coefficient);
    slot = static_cast<std::uint32_t>(program_.objective.size());
}

}  // namespace rp::lp
