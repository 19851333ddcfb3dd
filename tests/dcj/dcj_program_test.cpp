// The DCJ-indel program as text: two tiny pairs written out whole (each row
// checked by hand against the rules of dcj_program.hpp), the row forms of a
// family with two copies, the sizes by formula, the refusals, and the limits
// of the LP text. tests/dcj/dcj_brute_force_test.cpp solves it.
#include "dcj/dcj_program.hpp"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <sstream>

#include "lp/lp_text.hpp"
#include "support/genomes.hpp"

namespace rp::model {
namespace {

using test::genome;

std::string programText(const std::vector<Structure>& structures, const MatchingModel& model) {
    const DcjProgram program = buildDcjProgram(selectPair(structures, 2), model);
    std::ostringstream out;
    lp::writeProgram(out, program.lp, {"golden"});
    return out.str();
}

// A = (+a) circular, B = (-a) circular: one gene each, no telomere.
// Vertices: 1 a^t(A), 2 a^h(A), 3 a^t(B), 4 a^h(B). Edges: 1 = (2,1) A's
// adjacency (head to tail round the circle), 2 = (3,4) B's (-a reads head
// then tail), 3 = (1,3) and 4 = (2,4) the siblings, 5 = (1,2) and 6 = (3,4)
// the indel edges; no capping edge.
const char* const kOneGeneCircles = R"(\ golden
Minimize
 obj: z_a.1.1 + 0.5 t_1 + 0.5 t_2 + 0.5 t_3 + 0.5 t_4 + 0.5 t_5 + 0.5 t_6 - w_1 - w_2 - w_3 - w_4 + s_1 + s_2
Subject To
 c01_1: x_1 = 1
 c01_2: x_2 = 1
 c04_1_1: y_2 - y_1 + 2 x_1 <= 2
 c04_1_2: y_1 - y_2 + x_1 <= 1
 c04_2_1: y_3 - y_4 + 3 x_2 <= 3
 c04_2_2: y_4 - y_3 + 4 x_2 <= 4
 c04_3_1: y_1 - y_3 + z_a.1.1 <= 1
 c04_3_2: y_3 - y_1 + 3 z_a.1.1 <= 3
 c04_4_1: y_2 - y_4 + 2 z_a.1.1 <= 2
 c04_4_2: y_4 - y_2 + 4 z_a.1.1 <= 4
 c05_1: y_1 - z_a.1.1 <= 0
 c05_2: y_2 - 2 z_a.1.1 <= 0
 c05_3: y_3 - 3 z_a.1.1 <= 0
 c05_4: y_4 - 4 z_a.1.1 <= 0
 c06_1: w_1 - y_1 <= 0
 c06_2: 2 w_2 - y_2 <= 0
 c06_3: 3 w_3 - y_3 <= 0
 c06_4: 4 w_4 - y_4 <= 0
 c07_1: r_1 - z_a.1.1 <= 0
 c07_2: r_2 - z_a.1.1 <= 0
 c07_3: r_3 + z_a.1.1 >= 1
 c07_4: r_4 + z_a.1.1 >= 1
 c08_1_1: t_1 - r_1 + r_2 - x_1 >= -1
 c08_1_2: t_1 - r_2 + r_1 - x_1 >= -1
 c08_2_1: t_2 - r_4 + r_3 - x_2 >= -1
 c08_2_2: t_2 - r_3 + r_4 - x_2 >= -1
 c08_3_1: t_3 - r_3 + r_1 - z_a.1.1 >= -1
 c08_3_2: t_3 - r_1 + r_3 - z_a.1.1 >= -1
 c08_4_1: t_4 - r_4 + r_2 - z_a.1.1 >= -1
 c08_4_2: t_4 - r_2 + r_4 - z_a.1.1 >= -1
 c08_5_1: t_5 - r_2 + r_1 + z_a.1.1 >= 0
 c08_5_2: t_5 - r_1 + r_2 + z_a.1.1 >= 0
 c08_6_1: t_6 - r_4 + r_3 + z_a.1.1 >= 0
 c08_6_2: t_6 - r_3 + r_4 + z_a.1.1 >= 0
 c09_1: t_1 + z_a.1.1 <= 1
 c10_2: t_2 = 0
 c10_3: t_3 = 0
 c10_4: t_4 = 0
 c10_5: t_5 = 0
 c10_6: t_6 = 0
 c11_1: - z_a.1.1 - s_1 <= -1
 c11_2: - z_a.1.1 - s_2 <= -1
 c12_1: z_a.1.1 = 1
Bounds
 0 <= y_1 <= 1
 0 <= y_2 <= 2
 0 <= y_3 <= 3
 0 <= y_4 <= 4
General
 y_1 y_2 y_3 y_4
Binary
 z_a.1.1 x_1 x_2 t_1 t_2 t_3 t_4 t_5 t_6 w_1 w_2 w_3 w_4 r_1 r_2 r_3 r_4 s_1 s_2
End
)";

TEST(DcjProgram, OneGeneCirclesRowByRow) {
    // Objective: z stands for both sibling edges (1/2 each), every t costs
    // 1/2, every representative earns 1, every singleton costs 1.
    // c01: both adjacencies chosen. c02: no telomere, and a.1 has one
    // candidate partner, so no row. c04: labels equal along the adjacencies
    // and, when z = 1, the siblings: y_i - y_j + i X <= i both ways. c05: the
    // indel edges' X is 1 - z, so y_v <= v z. c06: v w_v <= y_v. c07: A's
    // indel ends r <= z (r = 0 when deleted), B's r >= 1 - z. c08: every
    // edge, t_e >= r_j - r_i + X_e - 1 both ways (an indel edge's -X is
    // z - 1, so the right side becomes 0). c09: A's adjacency joins the head
    // and tail of the one gene, whose indel edge counts once: t_1 <= 1 - z.
    // c10: t = 0 on the five other edges. c11: each circle holds one gene:
    // (1 - z) - s <= 0. c12: maximum, one pair.
    EXPECT_EQ(programText({genome("C:+a.1"), genome("C:-a.1")}, MatchingModel{}), kOneGeneCircles);
}

// A = [+a +x] linear, B = [+a] linear, x in A only: T = 2 telomeres each.
// Vertices: 1 a^t, 2 a^h, 3 x^t, 4 x^h (A), 5 a^t, 6 a^h (B), telomeres 7, 8
// (A) and 9, 10 (B). Edges: 1 = (2,3), 2 = (7,1), 3 = (4,8) A's adjacencies;
// 4 = (9,5), 5 = (6,10) B's; 6 = (1,5), 7 = (2,6) siblings; 8 = (1,2),
// 9 = (3,4), 10 = (5,6) indel edges; 11 = (7,9), 12 = (7,10), 13 = (8,9),
// 14 = (8,10) capping edges.
const char* const kDeletionAtAnEnd = R"(\ golden
Minimize
 obj: z_a.1.1 + 0.5 x_11 + 0.5 x_12 + 0.5 x_13 + 0.5 x_14 + 0.5 t_1 + 0.5 t_2 + 0.5 t_3 + 0.5 t_4 + 0.5 t_5 + 0.5 t_6 + 0.5 t_7 + 0.5 t_8 + 0.5 t_9 + 0.5 t_10 + 0.5 t_11 + 0.5 t_12 + 0.5 t_13
  + 0.5 t_14 - w_1 - w_2 - w_3 - w_4 - w_5 - w_6 - w_7 - w_8 - w_9 - w_10
Subject To
 c01_1: x_1 = 1
 c01_2: x_2 = 1
 c01_3: x_3 = 1
 c01_4: x_4 = 1
 c01_5: x_5 = 1
 c02_7: x_2 + x_11 + x_12 = 2
 c02_8: x_3 + x_13 + x_14 = 2
 c02_9: x_4 + x_11 + x_13 = 2
 c02_10: x_5 + x_12 + x_14 = 2
 c04_1_1: y_2 - y_3 + 2 x_1 <= 2
 c04_1_2: y_3 - y_2 + 3 x_1 <= 3
 c04_2_1: y_7 - y_1 + 7 x_2 <= 7
 c04_2_2: y_1 - y_7 + x_2 <= 1
 c04_3_1: y_4 - y_8 + 4 x_3 <= 4
 c04_3_2: y_8 - y_4 + 8 x_3 <= 8
 c04_4_1: y_9 - y_5 + 9 x_4 <= 9
 c04_4_2: y_5 - y_9 + 5 x_4 <= 5
 c04_5_1: y_6 - y_10 + 6 x_5 <= 6
 c04_5_2: y_10 - y_6 + 10 x_5 <= 10
 c04_6_1: y_1 - y_5 + z_a.1.1 <= 1
 c04_6_2: y_5 - y_1 + 5 z_a.1.1 <= 5
 c04_7_1: y_2 - y_6 + 2 z_a.1.1 <= 2
 c04_7_2: y_6 - y_2 + 6 z_a.1.1 <= 6
 c04_11_1: y_7 - y_9 + 7 x_11 <= 7
 c04_11_2: y_9 - y_7 + 9 x_11 <= 9
 c04_12_1: y_7 - y_10 + 7 x_12 <= 7
 c04_12_2: y_10 - y_7 + 10 x_12 <= 10
 c04_13_1: y_8 - y_9 + 8 x_13 <= 8
 c04_13_2: y_9 - y_8 + 9 x_13 <= 9
 c04_14_1: y_8 - y_10 + 8 x_14 <= 8
 c04_14_2: y_10 - y_8 + 10 x_14 <= 10
 c05_1: y_1 - z_a.1.1 <= 0
 c05_2: y_2 - 2 z_a.1.1 <= 0
 c05_3: y_3 <= 0
 c05_4: y_4 <= 0
 c05_5: y_5 - 5 z_a.1.1 <= 0
 c05_6: y_6 - 6 z_a.1.1 <= 0
 c06_1: w_1 - y_1 <= 0
 c06_2: 2 w_2 - y_2 <= 0
 c06_3: 3 w_3 - y_3 <= 0
 c06_4: 4 w_4 - y_4 <= 0
 c06_5: 5 w_5 - y_5 <= 0
 c06_6: 6 w_6 - y_6 <= 0
 c06_7: 7 w_7 - y_7 <= 0
 c06_8: 8 w_8 - y_8 <= 0
 c06_9: 9 w_9 - y_9 <= 0
 c06_10: 10 w_10 - y_10 <= 0
 c07_1: r_1 - z_a.1.1 <= 0
 c07_2: r_2 - z_a.1.1 <= 0
 c07_3: r_3 <= 0
 c07_4: r_4 <= 0
 c07_5: r_5 + z_a.1.1 >= 1
 c07_6: r_6 + z_a.1.1 >= 1
 c08_1_1: t_1 - r_3 + r_2 - x_1 >= -1
 c08_1_2: t_1 - r_2 + r_3 - x_1 >= -1
 c08_2_1: t_2 - r_1 + r_7 - x_2 >= -1
 c08_2_2: t_2 - r_7 + r_1 - x_2 >= -1
 c08_3_1: t_3 - r_8 + r_4 - x_3 >= -1
 c08_3_2: t_3 - r_4 + r_8 - x_3 >= -1
 c08_4_1: t_4 - r_5 + r_9 - x_4 >= -1
 c08_4_2: t_4 - r_9 + r_5 - x_4 >= -1
 c08_5_1: t_5 - r_10 + r_6 - x_5 >= -1
 c08_5_2: t_5 - r_6 + r_10 - x_5 >= -1
 c08_6_1: t_6 - r_5 + r_1 - z_a.1.1 >= -1
 c08_6_2: t_6 - r_1 + r_5 - z_a.1.1 >= -1
 c08_7_1: t_7 - r_6 + r_2 - z_a.1.1 >= -1
 c08_7_2: t_7 - r_2 + r_6 - z_a.1.1 >= -1
 c08_8_1: t_8 - r_2 + r_1 + z_a.1.1 >= 0
 c08_8_2: t_8 - r_1 + r_2 + z_a.1.1 >= 0
 c08_9_1: t_9 - r_4 + r_3 >= 0
 c08_9_2: t_9 - r_3 + r_4 >= 0
 c08_10_1: t_10 - r_6 + r_5 + z_a.1.1 >= 0
 c08_10_2: t_10 - r_5 + r_6 + z_a.1.1 >= 0
 c08_11_1: t_11 - r_9 + r_7 - x_11 >= -1
 c08_11_2: t_11 - r_7 + r_9 - x_11 >= -1
 c08_12_1: t_12 - r_10 + r_7 - x_12 >= -1
 c08_12_2: t_12 - r_7 + r_10 - x_12 >= -1
 c08_13_1: t_13 - r_9 + r_8 - x_13 >= -1
 c08_13_2: t_13 - r_8 + r_9 - x_13 >= -1
 c08_14_1: t_14 - r_10 + r_8 - x_14 >= -1
 c08_14_2: t_14 - r_8 + r_10 - x_14 >= -1
 c09_1: t_1 + z_a.1.1 <= 2
 c09_2: t_2 + z_a.1.1 <= 1
 c09_3: t_3 <= 1
 c10_4: t_4 = 0
 c10_5: t_5 = 0
 c10_6: t_6 = 0
 c10_7: t_7 = 0
 c10_8: t_8 = 0
 c10_9: t_9 = 0
 c10_10: t_10 = 0
 c10_11: t_11 = 0
 c10_12: t_12 = 0
 c10_13: t_13 = 0
 c10_14: t_14 = 0
 c12_1: z_a.1.1 = 1
Bounds
 0 <= y_1 <= 1
 0 <= y_2 <= 2
 0 <= y_3 <= 3
 0 <= y_4 <= 4
 0 <= y_5 <= 5
 0 <= y_6 <= 6
 0 <= y_7 <= 7
 0 <= y_8 <= 8
 0 <= y_9 <= 9
 0 <= y_10 <= 10
General
 y_1 y_2 y_3 y_4 y_5 y_6 y_7 y_8 y_9 y_10
Binary
 z_a.1.1 x_1 x_2 x_3 x_4 x_5 x_11 x_12 x_13 x_14 t_1 t_2 t_3 t_4 t_5 t_6 t_7 t_8 t_9 t_10 t_11 t_12 t_13 t_14 w_1 w_2 w_3 w_4 w_5 w_6 w_7 w_8 w_9 w_10 r_1 r_2 r_3 r_4 r_5 r_6 r_7 r_8 r_9 r_10
End
)";

TEST(DcjProgram, DeletionAtALinearEndRowByRow) {
    // Objective: z for both siblings, 1/2 per capping edge (T/2 = 1 in
    // every solution), 1/2 per t, -1 per representative; no circle, no s.
    // c01: the five adjacencies. c02: each telomere keeps its adjacency and
    // one of its two caps: 7 with caps 11, 12; 8 with 13, 14; 9 with 11, 13;
    // 10 with 12, 14 (a.1 has one candidate partner: no gene row). c04: the
    // adjacencies, the siblings (X = z) and the caps, both ways. c05: x is in
    // A only, its indel edge is the constant 1, so y_3 = y_4 = 0; a's ends
    // y_v <= v z. c07: x deleted, r_3 = r_4 = 0; a in A r <= z, in B r >= 1 - z.
    // c08: every edge both ways; x's indel edge (X = 1) gives t_9 >= r_j - r_i.
    // c09: A's adjacency a^h-x^t next to both indel edges: t_1 <= (1 - z) + 1;
    // telomere-a^t: t_2 <= 1 - z; x^h-telomere: t_3 <= 1. c10: the eleven
    // other edges. c12: intermediate gives a family of one copy each one pair.
    EXPECT_EQ(programText({genome("L:+a.1+x.1"), genome("L:+a.1")}, MatchingModel{ModelKind::intermediate, {}, ""}),
              kDeletionAtAnEnd);
}

// The rows that only a family of several copies has.
TEST(DcjProgram, FamilyOfTwoCopiesGetsDegreeRowsAndItsRange) {
    const std::vector<Structure> structures{genome("C:+a.1+a.2"), genome("C:+a.1-a.2")};
    const std::string intermediate = programText(structures, MatchingModel{ModelKind::intermediate, {}, ""});
    // Each gene (named by its tail: 1, 3 in A, 5, 7 in B) in at most one pair.
    for (const char* row : {" c02_1: z_a.1.1 + z_a.1.2 <= 1\n", " c02_3: z_a.2.1 + z_a.2.2 <= 1\n",
                            " c02_5: z_a.1.1 + z_a.2.1 <= 1\n", " c02_7: z_a.1.2 + z_a.2.2 <= 1\n",
                            " c12_1_lo: z_a.1.1 + z_a.1.2 + z_a.2.1 + z_a.2.2 >= 1\n",
                            " c12_1_hi: z_a.1.1 + z_a.1.2 + z_a.2.1 + z_a.2.2 <= 2\n",
                            // A's circle: its two indel edges 1 - (z_a.1.1 + z_a.1.2) and 1 - (z_a.2.1 + z_a.2.2).
                            " c11_1: - z_a.1.1 - z_a.1.2 - z_a.2.1 - z_a.2.2 - s_1 <= -1\n"})
        EXPECT_NE(intermediate.find(row), std::string::npos) << row << intermediate;
    const std::string exemplar = programText(structures, MatchingModel{ModelKind::exemplar, {}, ""});
    EXPECT_NE(exemplar.find(" c12_1: z_a.1.1 + z_a.1.2 + z_a.2.1 + z_a.2.2 = 1\n"), std::string::npos);
    const std::string bounded =
        programText(structures, MatchingModel{ModelKind::exemplar, {FamilyBound{"a", {0, 2}, 1}}, "b"});
    EXPECT_NE(bounded.find(" c12_1_lo: z_a.1.1 + z_a.1.2 + z_a.2.1 + z_a.2.2 >= 0\n"), std::string::npos);
    EXPECT_NE(bounded.find(" c12_1_hi: z_a.1.1 + z_a.1.2 + z_a.2.1 + z_a.2.2 <= 2\n"), std::string::npos);
}

// Sizes by formula, from the diagram's parts: N genes, P pairs, T telomeres
// per genome, C circular chromosomes with genes, F families in both genomes
// (F2 of them with two count rows), D genes with two candidate partners or
// more, e0 adjacencies of A between two telomeres.
struct Sizes {
    std::size_t columns, rows;
};

Sizes sizesByFormula(const std::vector<Structure>& structures, const MatchingModel& model) {
    const Structure& a = structures[0];
    const Structure& b = structures[1];
    std::map<std::string, std::pair<std::size_t, std::size_t>> counts;
    std::size_t n = 0, c = 0, linearA = 0, linearB = 0, emptyA = 0;
    for (const Structure* s : {&a, &b})
        for (const Chromosome& chromosome : s->chromosomes) {
            for (const Gene& g : chromosome.genes) ++(s == &a ? counts[g.name].first : counts[g.name].second);
            n += chromosome.genes.size();
            c += chromosome.circular && !chromosome.genes.empty();
            if (!chromosome.circular) ++(s == &a ? linearA : linearB);
            if (!chromosome.circular && chromosome.genes.empty() && s == &a) ++emptyA;
        }
    std::size_t p = 0, f = 0, f2 = 0, d = 0;
    for (const auto& [name, count] : counts) {
        if (count.first == 0 || count.second == 0) continue;
        p += count.first * count.second;
        ++f;
        const PairRange range = familyRange(model, name, static_cast<std::uint32_t>(count.first),
                                            static_cast<std::uint32_t>(count.second));
        f2 += range.lower != range.upper;
        d += (count.second >= 2 ? count.first : 0) + (count.first >= 2 ? count.second : 0);
    }
    const std::size_t t = 2 * std::max(linearA, linearB);
    const std::size_t e0 = emptyA + (t / 2 - linearA);
    return {9 * n + 3 * p + 8 * t + 2 * t * t + c, 15 * n + 10 * p + 10 * t + 5 * t * t + d + c + f + f2 - e0};
}

TEST(DcjProgram, SizesFollowTheFormulas) {
    const std::vector<std::vector<Structure>> pairs{
        {genome("C:+a.1"), genome("C:-a.1")},
        {genome("L:+a.1+x.1"), genome("L:+a.1")},
        {genome("L:+a.1-b.1+a.2 L: C:+c.1+a.3 L:-x.1"), genome("L:+a.2+c.1 C:+b.1-a.1 C:+y.1+y.2")},
        {genome("L:+a.1+a.2+a.3"), genome("L:+b.1 L:+a.1 L:-a.2 L:")},
    };
    for (const auto& structures : pairs)
        for (const ModelKind kind : {ModelKind::maximum, ModelKind::intermediate}) {
            const MatchingModel model{kind, {}, ""};
            const DcjProgram program = buildDcjProgram(selectPair(structures, 2), model);
            const Sizes sizes = sizesByFormula(structures, model);
            EXPECT_EQ(program.lp.columns.size(), sizes.columns) << test::structuresFile(structures);
            EXPECT_EQ(program.lp.rows.size(), sizes.rows) << test::structuresFile(structures);
        }
}

TEST(DcjProgram, RefusesWhatCannotBeNamed) {
    const auto refusal = [](const std::vector<Structure>& structures) -> std::string {
        try {
            buildDcjProgram(selectPair(structures, 2), MatchingModel{});
        } catch (const std::runtime_error& e) {
            return e.what();
        }
        return "";
    };
    EXPECT_EQ(refusal({genome("L:+a.1-a.1", "g1"), genome("L:+a.1", "g2")}),
              "label a.1 occurs twice in genome A (structure 1, g1)");
    EXPECT_EQ(refusal({genome("L:+a.1", "g1"), genome("C:+a.2 L:-a.2", "g2")}),
              "label a.2 occurs twice in genome B (structure 2, g2)");
    // A family in one genome only names no variable: its labels may repeat.
    EXPECT_EQ(refusal({genome("L:+x.1+x.1+a.1"), genome("L:+a.1")}), "");
    Structure dotted = genome("L:+a.1");
    dotted.chromosomes[0].genes[0].name = "a.b";
    EXPECT_EQ(refusal({dotted, dotted}),
              "family \"a.b\" cannot stand in an LP name (letters, digits and !\"#$%&(),?@_`'{}~ only)");
    Structure longName = genome("L:+a.1");
    longName.chromosomes[0].genes[0].name = std::string(97, 'f');
    EXPECT_EQ(refusal({longName, longName}).rfind("family \"fff", 0), 0u);
}

// Every line within 255 bytes, no variable twice in a row or in the
// objective, no variable but the pairs starting with z, on random pairs
// with long family names and many chromosomes (long rows).
TEST(DcjProgram, TextKeepsTheLimitsOfTheFormat) {
    std::mt19937 rng(5);
    for (int round = 0; round < 20; ++round) {
        std::vector<Structure> structures(2);
        for (Structure& s : structures) {
            s.name = "g";
            s.chromosomes.resize(1 + rng() % 6);
            for (Chromosome& c : s.chromosomes) {
                c.circular = rng() % 3 == 0;
                for (int k = 0; k < static_cast<int>(rng() % 4); ++k)
                    c.genes.push_back(Gene{std::string(80, static_cast<char>('a' + rng() % 3)),
                                           static_cast<std::int32_t>(1 + rng() % 9), rng() % 2 ? 1 : -1, false});
            }
        }
        // Labels once per genome.
        for (Structure& s : structures) {
            std::map<std::string, int> next;
            for (Chromosome& c : s.chromosomes)
                for (Gene& g : c.genes) g.copy = ++next[g.name];
        }
        const std::string text = programText(structures, MatchingModel{ModelKind::intermediate, {}, ""});
        std::istringstream lines(text);
        std::string line, row;
        const auto checkRow = [&] {
            std::istringstream words(row);
            std::set<std::string> seen;
            std::string word;
            while (words >> word) {
                if (word.find_first_of("xtywrsz") != 0 || word.find('_') == std::string::npos) continue;
                EXPECT_TRUE(seen.insert(word).second) << word << " twice in " << row;
            }
            row.clear();
        };
        while (std::getline(lines, line)) {
            EXPECT_LE(line.size(), lp::kMaxLpLineBytes);
            if (line.rfind("  ", 0) != 0) checkRow();
            row += " " + line;
            if (line == "Bounds" || line == "Binary") break;
        }
        for (const std::string& name :
             [&] {
                 std::vector<std::string> names;
                 for (const auto& v : buildDcjProgram(selectPair(structures, 2), MatchingModel{}).lp.columns)
                     names.push_back(v.name);
                 return names;
             }()) {
            EXPECT_LE(name.size(), kMaxLpName);
            if (name[0] != 'z') continue;
            EXPECT_EQ(name.rfind("z_", 0), 0u);
            EXPECT_NE(name.find('.'), std::string::npos) << name;
        }
    }
}

}  // namespace
}  // namespace rp::model
