#include "lp/lp_writer.hpp"

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace rp::model {

RowBuilder::RowBuilder(LinearProgram& program) : program_(program) {}

std::uint32_t RowBuilder::addVariable(std::string name, LinearProgram::Domain domain, std::int64_t upper) {
    program_.variables.push_back(LinearProgram::Variable{std::move(name), domain, upper});
    return static_cast<std::uint32_t>(program_.variables.size() - 1);
}

void RowBuilder::begin(std::string name) {
    program_.rows.push_back(LinearProgram::Row{std::move(name), static_cast<std::uint32_t>(program_.terms.size()),
                                               LinearProgram::Sense::lessEqual, 0});
    pending_.clear();
    constant_ = 0;
}

void RowBuilder::add(std::uint32_t variable, double coefficient) {
    if (slot_.size() < program_.variables.size()) slot_.resize(program_.variables.size(), 0);
    std::uint32_t& slot = slot_.at(variable);
    if (slot != 0) {
        pending_[slot - 1].coefficient += coefficient;
        return;
    }
    pending_.push_back(LinearProgram::Term{variable, coefficient});
    slot = static_cast<std::uint32_t>(pending_.size());
}

void RowBuilder::flushInto(std::vector<LinearProgram::Term>& out) {
    for (const LinearProgram::Term& term : pending_) {
        slot_[term.variable] = 0;
        if (term.coefficient != 0) out.push_back(term);
    }
    pending_.clear();
}

void RowBuilder::end(LinearProgram::Sense sense, double rhs) {
    LinearProgram::Row& row = program_.rows.back();
    row.sense = sense;
    row.rhs = rhs - constant_;
    flushInto(program_.terms);
}

void RowBuilder::addObjective(std::uint32_t variable, double coefficient) {
    if (objectiveSlot_.size() < program_.variables.size()) objectiveSlot_.resize(program_.variables.size(), 0);
    std::uint32_t& slot = objectiveSlot_.at(variable);
    if (slot != 0) {
        program_.objective[slot - 1].coefficient += coefficient;
        return;
    }
    program_.objective.push_back(LinearProgram::Term{variable, coefficient});
    slot = static_cast<std::uint32_t>(program_.objective.size());
}

namespace {

std::string_view senseText(LinearProgram::Sense sense) {
    switch (sense) {
        case LinearProgram::Sense::lessEqual: return " <= ";
        case LinearProgram::Sense::greaterEqual: return " >= ";
        case LinearProgram::Sense::equal: return " = ";
    }
    return " = ";
}

}  // namespace

void writeLinearProgram(std::ostream& out, const LinearProgram& program, const std::vector<std::string>& comment) {
    for (const LinearProgram::Variable& v : program.variables)
        if (v.name.size() > 100) throw std::logic_error("LP name too long: " + v.name.substr(0, 100));
    LpText lp(out);
    lp.comments(comment);
    const bool empty = program.variables.empty();
    const auto nameOf = [&](std::uint32_t v) -> std::string_view { return program.variables[v].name; };
    lp.line(program.direction == LinearProgram::Direction::minimize ? "Minimize" : "Maximize");
    lp.begin("obj");
    if (program.objective.empty())
        lp.term(0, empty ? std::string_view("none") : nameOf(0), true);
    for (std::size_t k = 0; k < program.objective.size(); ++k)
        lp.term(program.objective[k].coefficient, nameOf(program.objective[k].variable), k == 0);
    lp.newline();
    lp.line("Subject To");
    for (std::size_t r = 0; r < program.rows.size(); ++r) {
        const LinearProgram::Row& row = program.rows[r];
        lp.begin(row.name);
        const std::size_t count = program.termsOf(r);
        if (count == 0) lp.term(0, empty ? std::string_view("none") : nameOf(0), true);
        for (std::size_t i = 0; i < count; ++i) {
            const LinearProgram::Term& term = program.terms[row.firstTerm + i];
            lp.term(term.coefficient, nameOf(term.variable), i == 0);
        }
        lp.append(senseText(row.sense));
        lp.number(row.rhs == 0 ? 0.0 : row.rhs);  // never "-0"
        lp.newline();
    }
    if (empty) lp.line(" none: none <= 0");
    bool anyInteger = false;
    for (const LinearProgram::Variable& v : program.variables) anyInteger |= v.domain == LinearProgram::Domain::integer;
    if (anyInteger) {
        lp.line("Bounds");
        for (const LinearProgram::Variable& v : program.variables) {
            if (v.domain != LinearProgram::Domain::integer) continue;
            lp.append(" 0 <= ");
            lp.append(v.name);
            lp.append(" <= ");
            lp.number(static_cast<double>(v.upper));
            lp.newline();
        }
        lp.line("General");
        for (const LinearProgram::Variable& v : program.variables)
            if (v.domain == LinearProgram::Domain::integer) lp.word(v.name);
        lp.newline();
    }
    lp.line("Binary");
    for (const LinearProgram::Variable& v : program.variables)
        if (v.domain == LinearProgram::Domain::binary) lp.word(v.name);
    if (empty) lp.word("none");
    lp.newline();
    lp.line("End");
    lp.flush();
}

}  // namespace rp::model
