// Rows built term by term into a program whose columns are all added first:
// terms naming one column twice are merged in the order of first mention (a
// zero sum dropped), constants move to the right-hand side. The capped
// DCJ-indel program is built so; its objective counts halves, hence double
// coefficients.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lp/lp_program.hpp"

namespace rp::lp {

using HalvesProgram = BasicProgram<double>;

class RowBuilder {
public:
    explicit RowBuilder(HalvesProgram& program);

    // A binary column, or an integer one from 0 to `upper`.
    std::uint32_t addVariable(std::string name, Type type, std::int64_t upper = 1);

    void begin(std::string name);
    void add(std::uint32_t variable, double coefficient);
    void addConstant(double value) { constant_ += value; }
    // Ends the row: terms SENSE rhs - constants (a whole number).
    void end(Sense sense, double rhs);

    void addObjective(std::uint32_t variable, double coefficient);

private:
    using Term = HalvesProgram::Term;

    HalvesProgram& program_;
    std::vector<Term> pending_;
    std::vector<std::uint32_t> slot_;  // per column: its place in pending_ + 1, 0 for none
    std::vector<std::uint32_t> objectiveSlot_;
    double constant_ = 0;
};

}  // namespace rp::lp
