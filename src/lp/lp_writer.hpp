// A linear program with integer and binary variables held in memory, and its
// writer in the CPLEX LP format (read by CPLEX, Gurobi, CBC, GLPK, SCIP,
// HiGHS): Minimize or Maximize, Subject To, Bounds, General, Binary, End.
// Rows are built term by term; a variable named twice in one row (or in the
// objective) is merged into one term, since CBC and GLPK refuse a row that
// lists a variable twice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "lp/lp_text.hpp"

namespace rp::model {

struct LinearProgram {
    enum class Direction : std::uint8_t { minimize, maximize };
    enum class Domain : std::uint8_t { binary, integer };
    enum class Sense : std::uint8_t { lessEqual, greaterEqual, equal };

    struct Variable {
        std::string name;
        Domain domain = Domain::binary;
        std::int64_t upper = 1;  // integer variables: 0 <= v <= upper
    };
    struct Term {
        std::uint32_t variable = 0;
        double coefficient = 0;
    };
    struct Row {
        std::string name;
        std::uint32_t firstTerm = 0;  // into terms
        Sense sense = Sense::lessEqual;
        double rhs = 0;
    };

    Direction direction = Direction::minimize;
    std::vector<Variable> variables;
    std::vector<Term> objective;  // merged, in order of first mention
    std::vector<Row> rows;
    std::vector<Term> terms;

    std::size_t termsOf(std::size_t row) const {
        const std::size_t end = row + 1 < rows.size() ? rows[row + 1].firstTerm : terms.size();
        return end - rows[row].firstTerm;
    }
};

// Builds rows and the objective of a program whose variables are all added
// first: terms naming one variable twice are merged (a zero sum is dropped),
// constants move to the right-hand side.
class RowBuilder {
public:
    explicit RowBuilder(LinearProgram& program);

    std::uint32_t addVariable(std::string name, LinearProgram::Domain domain, std::int64_t upper = 1);

    void begin(std::string name);
    void add(std::uint32_t variable, double coefficient);
    void addConstant(double value) { constant_ += value; }
    // Ends the row: terms SENSE rhs - constants.
    void end(LinearProgram::Sense sense, double rhs);

    void addObjective(std::uint32_t variable, double coefficient);

private:
    void flushInto(std::vector<LinearProgram::Term>& out);

    LinearProgram& program_;
    std::vector<LinearProgram::Term> pending_;
    std::vector<std::uint32_t> slot_;  // per variable: its place in pending_ + 1, 0 for none
    std::vector<std::uint32_t> objectiveSlot_;
    double constant_ = 0;
};

// Writes the program: `comment` lines first (each after "\ ", cut at the
// line limit), then the sections. No line is longer than kMaxLpLineBytes;
// a program with no variable gets one, "none", so that readers accept it.
void writeLinearProgram(std::ostream& out, const LinearProgram& program, const std::vector<std::string>& comment);

}  // namespace rp::model
