// The one linear program of the companion, held in memory: named columns
// with a type and bounds, named rows of terms, an objective and its
// direction; written in the CPLEX LP format that CBC, GLPK, HiGHS, SCIP,
// Gurobi and CPLEX read (writeProgram), and a start file (values of the
// columns) in the form CBC's `mipstart` reads. Every program builder
// (breakpoint, capped and reduced DCJ-indel) fills this type; the
// coefficients' type is a parameter, so that the breakpoint program keeps one
// byte per term and the capped DCJ-indel program its halves in the objective.
#pragma once

#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rp::lp {

enum class Type : std::uint8_t { binary, integer, continuous };
enum class Sense : std::uint8_t { lessEqual, greaterEqual, equal };
enum class Direction : std::uint8_t { minimize, maximize };

inline constexpr std::int64_t kInfinity = std::numeric_limits<std::int64_t>::max();

// " <= ", " >= ", " = ".
std::string_view senseText(Sense sense);
// Whether `sum` SENSE `rhs` holds.
bool holds(std::int64_t sum, Sense sense, std::int64_t rhs);

// How a program's file is laid out where the builders have always differed;
// kept so that each writes the same bytes as it always has.
struct Layout {
    bool zeroLowerWritten = false;  // a bound "0 <= c <= U" rather than "c <= U"
    bool binaryAlways = false;      // the Binary heading even with no binary column
};

struct Column {
    std::string name;
    Type type = Type::binary;
    std::int64_t lower = 0;  // -kInfinity: no lower bound
    std::int64_t upper = 1;  // kInfinity: no upper bound
};

struct Row {
    std::string name;
    std::uint32_t firstTerm = 0;  // into termColumns / termCoefficients
    Sense sense = Sense::lessEqual;
    std::int64_t rhs = 0;
};

template <class Coefficient>
struct BasicProgram {
    using Type = lp::Type;
    using Sense = lp::Sense;
    using Term = std::pair<std::uint32_t, Coefficient>;  // column, coefficient
    static constexpr std::int64_t kInfinity = lp::kInfinity;

    Direction direction = Direction::minimize;
    Layout layout;
    std::vector<Column> columns;
    std::vector<Term> objective;
    std::vector<Row> rows;
    std::vector<std::uint32_t> termColumns;
    std::vector<Coefficient> termCoefficients;

    std::uint32_t addColumn(std::string name, Type type, std::int64_t lower, std::int64_t upper) {
        columns.push_back(Column{std::move(name), type, lower, upper});
        return static_cast<std::uint32_t>(columns.size() - 1);
    }
    // Starts a row whose terms are appended with addTerm.
    void beginRow(std::string name, Sense sense, std::int64_t rhs) {
        rows.push_back(Row{std::move(name), static_cast<std::uint32_t>(termColumns.size()), sense, rhs});
    }
    void addTerm(std::uint32_t column, Coefficient coefficient) {
        termColumns.push_back(column);
        termCoefficients.push_back(coefficient);
    }
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
// "\ ", cut at 255 bytes), then the objective, Subject To, Bounds (when a
// column is not binary), General, Binary, End. No line is longer than 255
// bytes; a program without columns gets one, "none", so that readers accept
// it. Throws std::logic_error for a column name longer than 100 bytes.
template <class Coefficient>
void writeProgram(std::ostream& out, const BasicProgram<Coefficient>& program,
                  const std::vector<std::string>& comment);

// The program with 64-bit integer coefficients (the reduced DCJ-indel program).
using LpProgram = BasicProgram<std::int64_t>;

// Writes `values` (one per column) as a start CBC reads with `mipstart`: a
// status line, then "index name value" per column that is not 0.
void writeCbcStart(std::ostream& out, const LpProgram& program, const std::vector<std::int64_t>& values,
                   std::int64_t objective);

// Whether `values` satisfy every bound and row of the program; the name of
// the first bound or row they break, or "" when they satisfy all.
std::string firstViolation(const LpProgram& program, const std::vector<std::int64_t>& values);

// The objective at `values`.
std::int64_t objectiveAt(const LpProgram& program, const std::vector<std::int64_t>& values);

}  // namespace rp::lp
