// A linear program with integer coefficients held in memory (named columns
// with a type and bounds, named rows, an objective) and its writers: the
// CPLEX LP format that CBC, GLPK, HiGHS, SCIP, Gurobi and CPLEX read, and a
// start file (values of the columns) in the form CBC's `mipstart` reads.
#pragma once

#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace rp::model {

struct LpProgram {
    enum class Type : std::uint8_t { binary, integer, continuous };
    enum class Sense : std::uint8_t { lessEqual, greaterEqual, equal };
    static constexpr std::int64_t kInfinity = std::numeric_limits<std::int64_t>::max();

    struct Column {
        std::string name;
        Type type = Type::binary;
        std::int64_t lower = 0;  // -kInfinity: no lower bound
        std::int64_t upper = 1;  // kInfinity: no upper bound
    };
    struct Row {
        std::string name;
        std::uint32_t firstTerm = 0;
        Sense sense = Sense::lessEqual;
        std::int64_t rhs = 0;
    };
    using Term = std::pair<std::uint32_t, std::int64_t>;  // column, coefficient

    bool minimize = true;
    std::vector<Column> columns;
    std::vector<Term> objective;
    std::vector<Row> rows;
    std::vector<std::uint32_t> termColumns;
    std::vector<std::int64_t> termCoefficients;

    std::uint32_t addColumn(std::string name, Type type, std::int64_t lower, std::int64_t upper);
    // Adds a row; the terms of one column are added up and zero terms dropped,
    // since CBC and GLPK refuse a column twice in a row. A row left without
    // terms is not added (its truth is checked: a false one throws
    // std::logic_error, a fault of the builder).
    void addRow(std::string name, std::vector<Term> terms, Sense sense, std::int64_t rhs);
    std::size_t termsOf(std::size_t row) const {
        const std::size_t end = row + 1 < rows.size() ? rows[row + 1].firstTerm : termColumns.size();
        return end - rows[row].firstTerm;
    }
};

// Writes the program in the CPLEX LP format: `comment` lines first (each after
// "\ ", cut at 255 bytes), then the objective, Subject To, Bounds, General,
// Binary, End. No line is longer than 255 bytes.
void writeLpProgram(std::ostream& out, const LpProgram& program, const std::vector<std::string>& comment);

// Writes `values` (one per column) as a start CBC reads with `mipstart`: a
// status line, then "index name value" per column that is not 0.
void writeCbcStart(std::ostream& out, const LpProgram& program, const std::vector<std::int64_t>& values,
                   std::int64_t objective);

// Whether `values` satisfy every bound and row of the program; the name of
// the first bound or row they break, or "" when they satisfy all.
std::string firstViolation(const LpProgram& program, const std::vector<std::int64_t>& values);

// The objective at `values`.
std::int64_t objectiveAt(const LpProgram& program, const std::vector<std::int64_t>& values);

}  // namespace rp::model
