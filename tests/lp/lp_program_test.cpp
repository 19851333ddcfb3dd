#include "lp/lp_program.hpp"
#include "lp/row_builder.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>

namespace rp::lp {
namespace {

template <class C>
std::string written(const BasicProgram<C>& program) {
    std::ostringstream out;
    writeProgram(out, program, {"first", "two\nlines"});
    return out.str();
}

// One column of each kind of bound, written in both layouts: the sections
// and bound lines worked out by hand.
TEST(LpProgram, WritesEachLayoutAsWorkedOutByHand) {
    LpProgram program;
    program.direction = Direction::maximize;
    const auto x = program.addColumn("x", Type::binary, 0, 1);
    const auto y = program.addColumn("y", Type::integer, 0, 5);
    const auto f = program.addColumn("f", Type::integer, 1, 1);
    const auto q = program.addColumn("q", Type::integer, -kInfinity, kInfinity);
    const auto p = program.addColumn("p", Type::continuous, 0, kInfinity);
    program.objective = {{x, 2}, {q, -1}};
    program.addRow("r1", {{y, 1}, {x, -3}, {y, 2}, {f, 0}}, Sense::lessEqual, 4);
    program.addRow("r2", {{p, 1}, {q, 1}}, Sense::greaterEqual, -2);
    const std::string body =
        "Subject To\n r1: - 3 x + 3 y <= 4\n r2: q + p >= -2\nBounds\n";
    EXPECT_EQ(written(program), "\\ first\n\\ two lines\nMaximize\n obj: 2 x - q\n" + body +
                                    " y <= 5\n f = 1\n -inf <= q <= +inf\n 0 <= p <= +inf\nGeneral\n y q\nBinary\n x\nEnd\n");
    program.layout = Layout{.zeroLowerWritten = true, .binaryAlways = true};
    EXPECT_EQ(written(program), "\\ first\n\\ two lines\nMaximize\n obj: 2 x - q\n" + body +
                                    " 0 <= y <= 5\n f = 1\n -inf <= q <= +inf\n 0 <= p <= +inf\nGeneral\n y q\nBinary\n x\nEnd\n");
}

TEST(LpProgram, EmptyProgramsAndRowsStayReadable) {
    BasicProgram<std::int8_t> empty;
    empty.layout.binaryAlways = true;
    EXPECT_EQ(written(empty), "\\ first\n\\ two lines\nMinimize\n obj: 0 none\nSubject To\n none: none <= 0\nBinary\n none\nEnd\n");
    BasicProgram<double> integers;
    integers.layout.binaryAlways = true;
    integers.addColumn("y", Type::integer, 0, 3);
    integers.beginRow("r", Sense::equal, 0);  // no terms
    EXPECT_EQ(written(integers),
              "\\ first\n\\ two lines\nMinimize\n obj: 0 y\nSubject To\n r: 0 y = 0\nBounds\n y <= 3\nGeneral\n y\nBinary\n\nEnd\n");
    LpProgram program;
    program.addColumn("x", Type::binary, 0, 1);
    EXPECT_THROW(program.addRow("never", {{0, 1}, {0, -1}}, Sense::greaterEqual, 1), std::logic_error);
    program.addRow("always", {{0, 1}, {0, -1}}, Sense::lessEqual, 0);
    EXPECT_TRUE(program.rows.empty());
    program.addColumn(std::string(101, 'n'), Type::binary, 0, 1);
    EXPECT_THROW(written(program), std::logic_error);
}

// The row builder keeps the order of first mention and moves constants to
// the right; the objective's halves are written as such.
TEST(RowBuilder, MergesInOrderOfFirstMention) {
    HalvesProgram program;
    RowBuilder rows(program);
    const auto a = rows.addVariable("a", Type::binary);
    const auto b = rows.addVariable("b", Type::integer, 7);
    rows.begin("c1");
    rows.add(b, 1);
    rows.add(a, 2);
    rows.add(b, 1);
    rows.addConstant(3);
    rows.end(Sense::lessEqual, 5);
    rows.begin("c2");
    rows.add(a, 1);
    rows.add(a, -1);
    rows.end(Sense::equal, 0);
    rows.addObjective(a, 0.5);
    rows.addObjective(b, -1);
    rows.addObjective(a, 0.5);
    const std::string text = written(program);
    EXPECT_NE(text.find(" obj: a - b\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" c1: 2 b + 2 a <= 2\n c2: 0 a = 0\n"), std::string::npos) << text;
}

TEST(LpProgram, ChecksValuesAgainstBoundsAndRows) {
    LpProgram program;
    const auto x = program.addColumn("x", Type::binary, 0, 1);
    const auto y = program.addColumn("y", Type::integer, 0, 4);
    program.objective = {{x, 3}, {y, -1}};
    program.addRow("cap", {{x, 2}, {y, 1}}, Sense::lessEqual, 4);
    EXPECT_EQ(firstViolation(program, {1, 2}), "");
    EXPECT_EQ(objectiveAt(program, {1, 2}), 1);
    EXPECT_EQ(firstViolation(program, {1, 3}), "cap");
    EXPECT_EQ(firstViolation(program, {0, 5}), "y");
    EXPECT_EQ(firstViolation(program, {0}), "(number of values)");
    std::ostringstream start;
    writeCbcStart(start, program, {1, 0}, 3);
    EXPECT_EQ(start.str(), "Feasible - objective value 3.00000000\n      0 x 1 0\n");
}

}  // namespace
}  // namespace rp::lp
