// Golden programs: the whole LP text of tiny pairs, worked out by hand row
// group by row group, so that a wrong program fails without a solver.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/genomes.hpp"
#include "support/model_of.hpp"
#include "breakpoint/matching_program.hpp"

namespace rp::model {
namespace {

using test::genome;

struct Golden {
    const char* name;
    const char* a;
    const char* b;
    ModelKind kind;
    const char* lp;  // after the comment lines
    std::vector<FamilyBound> bounds = {};
};

// Each case below is explained in the comment before it: the z variables in
// their order (family by family in the order of first sight in A, A's copies
// by B's), the stretches each genome allows, the candidates, then every row
// group. Genes are numbered from 1 among the genes of families in both
// genomes, pairs (z variables) from 1 in their order.
const Golden kGolden[] = {
    // Maximum model; A: +a.1 +b.1 +c.1 (linear); B: +a.1 +c.1 +b.1 +c.2
    // (linear). Family c has 1 copy in A and 2 in B: one copy of B stays
    // unmatched, the only gene that can stand within a stretch.
    // z: 1 z_a.1.1, 2 z_b.1.1, 3 z_c.1.1, 4 z_c.1.2.
    // Stretches of A: a-b, b-c, left end-a, c-right end (no gaps: A spares
    // nothing). Of B: a-c1, a-b over c1, c1-b, b-c2, left end-a, c2-right
    // end, b-right end over c2.
    // Candidates: a1 = A's a-b with B's a-b over c1 (same strands);
    // a2 = b-c with b-c2; t1 = A's left end-a with B's; t2 = A's c-right
    // end with B's c2-right end. A's b-c against B's c1-b read backwards
    // needs c1 and b of B on strand -: not a candidate.
    // Objective: 2 per adjacency, 1 per telomere.
    // count: one row per family, = min(a, b).
    // degA_3: A's c.1 has two partners; every other gene one (no row).
    // Links, by pair and side: t1 uses the left side of pair 1 (a), a1 its
    // right side and the left of pair 2 (b), a2 b's right and the left of
    // pair 4 (c.1 with c.2), t2 pair 4's right side.
    // gapB_2: B's gene 2 (c.1) lies within a1's stretch of B: a1 + its
    // only pair <= 1. No gap of A holds a gene.
    {"maximum, a gap in B", "L:+a.1+b.1+c.1", "L:+a.1+c.1+b.1+c.2", ModelKind::maximum,
     "Maximize\n"
     " obj: 2 a1 + 2 a2 + t1 + t2\n"
     "Subject To\n"
     " count_1: z_a.1.1 = 1\n"
     " count_2: z_b.1.1 = 1\n"
     " count_3: z_c.1.1 + z_c.1.2 = 1\n"
     " degA_3: z_c.1.1 + z_c.1.2 <= 1\n"
     " left_1: t1 - z_a.1.1 <= 0\n"
     " right_1: a1 - z_a.1.1 <= 0\n"
     " left_2: a1 - z_b.1.1 <= 0\n"
     " right_2: a2 - z_b.1.1 <= 0\n"
     " left_4: a2 - z_c.1.2 <= 0\n"
     " right_4: t2 - z_c.1.2 <= 0\n"
     " gapB_2: a1 + z_c.1.1 <= 1\n"
     "Binary\n"
     " z_a.1.1 z_b.1.1 z_c.1.1 z_c.1.2 a1 a2 t1 t2\n"
     "End\n"},
    // Exemplar model; A: +a.1 +a.2 +b.1 (linear); B: +a.1 +b.1 -a.2
    // (circular). Family a gets one pair of its two copies in each genome:
    // one copy of a spares on each side; b spares nothing.
    // z: 1 z_a.1.1, 2 z_a.1.2, 3 z_a.2.1, 4 z_a.2.2, 5 z_b.1.1.
    // Stretches of A: a1-a2, a1-b over a2, a2-b, left end-a1, left end-a2
    // over a1, b-right end. Of B (round the circle): a1-b, b-a2, b-a1 over
    // a2, a2-a1, a2-b over a1; no ends.
    // Candidates: a1 = A's a1-b over a2 with B's a1-b; a2 = A's a2-b with
    // B's a1-b. A's a1-a2 (+ +) against B's a2-a1 (- +) fails either way
    // read; B's a2-b over a1 starts on strand -; B has no telomeres.
    // count: one pair for each family.
    // degA_1, degA_2: A's copies of a have two partners each; degB_1,
    // degB_3 the same for B's a.1 and a.2 (B's gene 2 is b).
    // Links: a1 uses the right side of pair 1 (a.1 with a.1), a2 that of
    // pair 3 (a.2 with a.1); both use the left side of pair 5 (b): one row
    // bounds them both.
    // gapA_2: A's gene 2 (a.2) lies within a1's stretch: a1 + a.2's two
    // pairs <= 1. B's stretches of a1 and a2 hold no gene.
    {"exemplar, a circle and a gap in A", "L:+a.1+a.2+b.1", "C:+a.1+b.1-a.2", ModelKind::exemplar,
     "Maximize\n"
     " obj: 2 a1 + 2 a2\n"
     "Subject To\n"
     " count_1: z_a.1.1 + z_a.1.2 + z_a.2.1 + z_a.2.2 = 1\n"
     " count_2: z_b.1.1 = 1\n"
     " degA_1: z_a.1.1 + z_a.1.2 <= 1\n"
     " degA_2: z_a.2.1 + z_a.2.2 <= 1\n"
     " degB_1: z_a.1.1 + z_a.2.1 <= 1\n"
     " degB_3: z_a.1.2 + z_a.2.2 <= 1\n"
     " right_1: a1 - z_a.1.1 <= 0\n"
     " right_3: a2 - z_a.2.1 <= 0\n"
     " left_5: a1 + a2 - z_b.1.1 <= 0\n"
     " gapA_2: a1 + z_a.2.1 + z_a.2.2 <= 1\n"
     "Binary\n"
     " z_a.1.1 z_a.1.2 z_a.2.1 z_a.2.2 z_b.1.1 a1 a2\n"
     "End\n"},
    // Maximum model; A: +a.1 +b.1 (linear); B: -b.1 -a.1 (linear): the
    // same chromosome read backwards. z: 1 z_a.1.1, 2 z_b.1.1.
    // Candidates: a1 = A's a-b with B's b-a read backwards (opposite
    // strands); t1 = A's left end-a (+) with B's a-right end (-): opposite
    // ends, opposite strands; t2 = A's b-right end with B's left end-b.
    // No family spares a copy: no degree and no gap rows.
    // Links: t1 uses pair 1's left side, a1 its right side and pair 2's
    // left side, t2 pair 2's right side.
    {"maximum, a reversed chromosome", "L:+a.1+b.1", "L:-b.1-a.1", ModelKind::maximum,
     "Maximize\n"
     " obj: 2 a1 + t1 + t2\n"
     "Subject To\n"
     " count_1: z_a.1.1 = 1\n"
     " count_2: z_b.1.1 = 1\n"
     " left_1: t1 - z_a.1.1 <= 0\n"
     " right_1: a1 - z_a.1.1 <= 0\n"
     " left_2: a1 - z_b.1.1 <= 0\n"
     " right_2: t2 - z_b.1.1 <= 0\n"
     "Binary\n"
     " z_a.1.1 z_b.1.1 a1 t1 t2\n"
     "End\n"},
    // Maximum model; A: +a.1 (circular); B: +a.1 +x.1 (circular), x only in
    // B. Reduced, both are one-gene circles: one candidate, the whole
    // circle, using both sides of pair 1 (a term in each link row).
    {"maximum, one-gene circles", "C:+a.1", "C:+a.1+x.1", ModelKind::maximum,
     "Maximize\n"
     " obj: 2 a1\n"
     "Subject To\n"
     " count_1: z_a.1.1 = 1\n"
     " left_1: a1 - z_a.1.1 <= 0\n"
     " right_1: a1 - z_a.1.1 <= 0\n"
     "Binary\n"
     " z_a.1.1 a1\n"
     "End\n"},
    // Intermediate model on the pair of the exemplar case: family a gets 1
    // or 2 pairs, so its count row is two (>= 1, <= 2); b's range is one
    // value (= 1). The least pairs of a is still 1, so each genome spares
    // one copy of a as under exemplar: the same stretches, candidates and
    // other rows.
    {"intermediate, a range of pairs", "L:+a.1+a.2+b.1", "C:+a.1+b.1-a.2", ModelKind::intermediate,
     "Maximize\n"
     " obj: 2 a1 + 2 a2\n"
     "Subject To\n"
     " countLow_1: z_a.1.1 + z_a.1.2 + z_a.2.1 + z_a.2.2 >= 1\n"
     " countHigh_1: z_a.1.1 + z_a.1.2 + z_a.2.1 + z_a.2.2 <= 2\n"
     " count_2: z_b.1.1 = 1\n"
     " degA_1: z_a.1.1 + z_a.1.2 <= 1\n"
     " degA_2: z_a.2.1 + z_a.2.2 <= 1\n"
     " degB_1: z_a.1.1 + z_a.2.1 <= 1\n"
     " degB_3: z_a.1.2 + z_a.2.2 <= 1\n"
     " right_1: a1 - z_a.1.1 <= 0\n"
     " right_3: a2 - z_a.2.1 <= 0\n"
     " left_5: a1 + a2 - z_b.1.1 <= 0\n"
     " gapA_2: a1 + z_a.2.1 + z_a.2.2 <= 1\n"
     "Binary\n"
     " z_a.1.1 z_a.1.2 z_a.2.1 z_a.2.2 z_b.1.1 a1 a2\n"
     "End\n"},
    // Maximum model with a bound: b gets 0 to 1 pairs. A: +a.1 +b.1 +c.1;
    // B: +a.1 +c.1 +b.1 (both linear). z: 1 z_a.1.1, 2 z_b.1.1, 3 z_c.1.1.
    // Left unmatched, b may stand within a stretch in either genome: A's
    // a-c over b, B's c-right end over b.
    // Candidates: a1 = A's a-c over b with B's a-c; t1 = the left ends at
    // a; t2 = A's c-right end with B's c-right end over b. A's a-b and b-c
    // have no partner in B (B's c-b would need strands -).
    // count: a and c = 1; b two rows, >= 0 and <= 1.
    // No degree rows: every gene has one possible partner.
    // Links: t1 pair 1's left side, a1 pair 1's right and pair 3's left,
    // t2 pair 3's right.
    // gapA_2: A's b within a1's stretch; gapB_3: B's b within t2's.
    {"bounds, a family that may stay unmatched", "L:+a.1+b.1+c.1", "L:+a.1+c.1+b.1", ModelKind::maximum,
     "Maximize\n"
     " obj: 2 a1 + t1 + t2\n"
     "Subject To\n"
     " count_1: z_a.1.1 = 1\n"
     " countLow_2: z_b.1.1 >= 0\n"
     " countHigh_2: z_b.1.1 <= 1\n"
     " count_3: z_c.1.1 = 1\n"
     " left_1: t1 - z_a.1.1 <= 0\n"
     " right_1: a1 - z_a.1.1 <= 0\n"
     " left_3: a1 - z_c.1.1 <= 0\n"
     " right_3: t2 - z_c.1.1 <= 0\n"
     " gapA_2: a1 + z_b.1.1 <= 1\n"
     " gapB_3: t2 + z_b.1.1 <= 1\n"
     "Binary\n"
     " z_a.1.1 z_b.1.1 z_c.1.1 a1 t1 t2\n"
     "End\n",
     {FamilyBound{"b", PairRange{0, 1}, 1}}},
    // No family in both genomes: one placeholder variable keeps the file a
    // program the solvers read.
    {"no pair at all", "L:+a.1", "L:+b.1", ModelKind::maximum,
     "Maximize\n"
     " obj: 0 none\n"
     "Subject To\n"
     " none: none <= 0\n"
     "Binary\n"
     " none\n"
     "End\n"},
};

std::string programText(const Golden& golden) {
    const std::vector<Structure> structures{genome(golden.a, "A"), genome(golden.b, "B")};
    std::ostringstream out;
    lp::writeProgram(out, buildMatchingProgram(selectPair(structures, 2), test::modelOf(golden.kind, golden.bounds)), {});
    return out.str();
}

TEST(GoldenProgram, TinyPairsGiveTheProgramsWorkedOutByHand) {
    for (const Golden& golden : kGolden) EXPECT_EQ(programText(golden), golden.lp) << golden.name;
}

TEST(GoldenProgram, CommentLinesComeFirstOneEach) {
    const std::vector<Structure> structures{genome("C:+a.1", "A"), genome("C:+a.1", "B")};
    std::ostringstream out;
    lp::writeProgram(out, buildMatchingProgram(selectPair(structures, 2), test::modelOf(ModelKind::maximum)),
            {"first", "two\nlines"});
    EXPECT_EQ(out.str().substr(0, out.str().find("Maximize")), "\\ first\n\\ two lines\n");
}

}  // namespace
}  // namespace rp::model
