// The stages of the matching program one by one: families and their
// counts, the stretches each genome allows, the candidates, the rows.
#include "breakpoint/program_stages.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/genomes.hpp"
#include "support/model_of.hpp"

namespace rp::model::stages {
namespace {

using test::genome;

struct Built {
    std::vector<Structure> structures;
    ProgramFamilies families;
};

Built collect(const char* a, const char* b, ModelKind kind, std::vector<FamilyBound> bounds = {}) {
    Built built{{genome(a, "A"), genome(b, "B")}, {}};
    built.families = collectFamilies(selectPair(built.structures, 2), test::modelOf(kind, std::move(bounds)));
    return built;
}

TEST(CollectFamilies, CountsFamiliesInOrderAndReducesTheGenomesToThoseInBoth) {
    const Built built = collect("L:+b.1+x.1-a.2+b.2 L:+x.2", "L:+a.1+y.1-b.3 C:+a.2+b.1+b.2", ModelKind::maximum);
    const std::vector<Family>& f = built.families.families;
    ASSERT_EQ(f.size(), 4u);  // b, x, a (first seen in A), y (in B)
    const struct {
        const char* name;
        std::uint32_t inA, inB, lower, spareA, spareB;
    } expected[] = {{"b", 2, 3, 2, 0, 1}, {"x", 2, 0, 0, 0, 0}, {"a", 1, 2, 1, 0, 1}, {"y", 0, 1, 0, 0, 0}};
    for (std::size_t i = 0; i < f.size(); ++i) {
        EXPECT_EQ(f[i].name, expected[i].name);
        EXPECT_EQ(f[i].inA, expected[i].inA) << f[i].name;
        EXPECT_EQ(f[i].inB, expected[i].inB) << f[i].name;
        EXPECT_EQ(f[i].lower, expected[i].lower) << f[i].name;
        EXPECT_EQ(f[i].upper, expected[i].lower) << f[i].name;
        EXPECT_EQ(f[i].spareA, expected[i].spareA) << f[i].name;
        EXPECT_EQ(f[i].spareB, expected[i].spareB) << f[i].name;
    }
    EXPECT_EQ(f[0].copiesB, (std::vector<std::int32_t>{3, 1, 2}));
    // A keeps b.1 a.2 b.2 on one chromosome; its second (x only) goes.
    const ProgramGenome& a = built.families.a;
    ASSERT_EQ(a.chromosomes.size(), 1u);
    EXPECT_EQ(a.genes, 3u);
    const ProgramGene& a2 = a.chromosomes[0].genes[1];
    EXPECT_EQ(a2.family, 2u);
    EXPECT_EQ(a2.rank, 0u);
    EXPECT_EQ(a2.id, 1u);
    EXPECT_EQ(a2.strand, -1);
    EXPECT_EQ(built.families.b.chromosomes.size(), 2u);
    EXPECT_TRUE(built.families.b.chromosomes[1].circular);
    // Exemplar: one pair each, the rest spare.
    const Built exemplar = collect("L:+b.1+x.1-a.2+b.2 L:+x.2", "L:+a.1+y.1-b.3 C:+a.2+b.1+b.2", ModelKind::exemplar);
    EXPECT_EQ(exemplar.families.families[0].spareA, 1u);
    EXPECT_EQ(exemplar.families.families[0].spareB, 2u);
}

TEST(CollectFamilies, TakesEachFamilysRangeFromTheModelAndSparesFromItsLowerBound) {
    // a: 3 in A, 2 in B; b: 2 and 3; c: 1 and 1.
    const char* a = "L:+a.1+b.1+a.2+c.1+a.3+b.2";
    const char* b = "L:+b.1+a.1+b.2+a.2+b.3+c.1";
    const struct {
        ModelKind kind;
        std::vector<FamilyBound> bounds;
        std::uint32_t aLower, aUpper, aSpareA, bLower, bUpper, bSpareB;
    } cases[] = {
        {ModelKind::intermediate, {}, 1, 2, 2, 1, 2, 2},
        {ModelKind::maximum, {FamilyBound{"b", PairRange{0, 1}, 1}}, 2, 2, 1, 0, 1, 3},
        {ModelKind::exemplar, {FamilyBound{"a", PairRange{2, 2}, 1}}, 2, 2, 1, 1, 1, 2},
    };
    for (const auto& c : cases) {
        const Built built = collect(a, b, c.kind, c.bounds);
        const Family& fa = built.families.families[0];
        const Family& fb = built.families.families[1];
        const std::string what(modelName(c.kind));
        EXPECT_EQ(fa.lower, c.aLower) << what;
        EXPECT_EQ(fa.upper, c.aUpper) << what;
        EXPECT_EQ(fa.spareA, c.aSpareA) << what;
        EXPECT_EQ(fa.spareB, 2 - c.aLower) << what;
        EXPECT_EQ(fb.lower, c.bLower) << what;
        EXPECT_EQ(fb.upper, c.bUpper) << what;
        EXPECT_EQ(fb.spareA, 2 - c.bLower) << what;
        EXPECT_EQ(fb.spareB, c.bSpareB) << what;
        EXPECT_EQ(built.families.families[2].lower, 1u) << what;
    }
}

TEST(NameZVariables, NamesFamilyByFamilyAsCopiesOfAByCopiesOfB) {
    Built built = collect("L:+b.2+a.1+b.7", "L:+a.3+b.1+b.4+c.1", ModelKind::maximum);
    EXPECT_EQ(nameZVariables(built.families.families),
              (std::vector<std::string>{"z_b.2.1", "z_b.2.4", "z_b.7.1", "z_b.7.4", "z_a.1.3"}));
    EXPECT_EQ(built.families.families[0].zBase, 0u);
    EXPECT_EQ(built.families.families[1].zBase, 4u);
    EXPECT_EQ(built.families.families[0].zOf(1, 0), 2u);
}

TEST(EnumerateSpans, GapsHoldOnlyWhatFamiliesSpare) {
    // Maximum; A: a s1 t s2 s3. Family s has 3 copies in A and 1 in B, so
    // 2 spare; a and t spare none.
    const Built built = collect("L:+a.1+s.1+t.1+s.2+s.3", "L:+a.1+s.1+t.1", ModelKind::maximum);
    const std::vector<Span> spans = enumerateSpans(built.families.a, built.families.families, true);
    const SpanKind adj = SpanKind::adjacency;
    const std::vector<Span> expected{
        {0, 0, 1, 1, 0, adj},  // a-s1
        {0, 0, 2, 1, 1, adj},  // a-t over s1; t cannot stand in a gap
        {0, 1, 2, 2, 0, adj},  // s1-t
        {0, 2, 3, 3, 0, adj},  // t-s2
        {0, 2, 4, 3, 1, adj},  // t-s3 over s2
        {0, 3, 4, 4, 0, adj},  // s2-s3
        {0, 0, 0, 0, 0, SpanKind::leftTelomere},  // a is never spare
        {0, 4, 4, 5, 0, SpanKind::rightTelomere},
        {0, 3, 3, 4, 1, SpanKind::rightTelomere},  // over s3
        {0, 2, 2, 3, 2, SpanKind::rightTelomere},  // over s2 s3, then t stops
    };
    EXPECT_EQ(spans, expected);
    // Genome B spares nothing: only neighbours.
    EXPECT_EQ(enumerateSpans(built.families.b, built.families.families, false).size(), 2u + 2u);
}

TEST(EnumerateSpans, ACircleGoesRoundItsEndAndWholeWhenTheRestIsSpare) {
    // Exemplar: a has 2 copies in each genome, one spare; b none.
    const Built built = collect("C:+a.1+b.1+a.2", "L:+a.1+a.2+b.1", ModelKind::exemplar);
    const std::vector<Span> spans = enumerateSpans(built.families.a, built.families.families, true);
    const SpanKind adj = SpanKind::adjacency;
    EXPECT_EQ(spans, (std::vector<Span>{{0, 0, 1, 1, 0, adj},
                                        {0, 1, 2, 2, 0, adj},
                                        {0, 1, 0, 2, 1, adj},  // b-a1 round the end over a2
                                        {0, 2, 0, 0, 0, adj},
                                        {0, 2, 1, 0, 1, adj}}));
    // A one-gene circle: the whole circle.
    const Built one = collect("C:+a.1", "C:+a.1", ModelKind::maximum);
    EXPECT_EQ(enumerateSpans(one.families.a, one.families.families, true),
              (std::vector<Span>{{0, 0, 0, 0, 0, adj}}));
}

TEST(FindCandidates, MatchesStrandsReadEitherWay) {
    // A: +a +b; B: -b -a, the same chromosome read backwards: B's only
    // stretch b-a matches A's a-b with a on a, b on b.
    Built built = collect("L:+a.1+b.1", "L:-b.1-a.1", ModelKind::maximum);
    const auto zCount = static_cast<std::uint32_t>(nameZVariables(built.families.families).size());
    const std::vector<Span> spansA = enumerateSpans(built.families.a, built.families.families, true);
    const std::vector<Span> spansB = enumerateSpans(built.families.b, built.families.families, false);
    const Candidates c = findCandidates(built.families, spansA, spansB, zCount);
    EXPECT_EQ(c.adjacencies, (std::vector<Candidate>{{0, 0, 0, 1}}));
    // Left end of A at a (+) with the right end of B at a (-); right end of
    // A at b with B's left end.
    EXPECT_EQ(c.telomeres, (std::vector<Candidate>{{1, 2, kNone, 0}, {2, 1, 1, kNone}}));
    EXPECT_EQ(c.adjacencyVariable(0), 2u);
    EXPECT_EQ(c.telomereVariable(1), 4u);
    // The same strands on both sides do not match a reversed stretch.
    Built same = collect("L:+a.1+b.1", "L:+b.1+a.1", ModelKind::maximum);
    nameZVariables(same.families.families);
    const Candidates none = findCandidates(same.families, enumerateSpans(same.families.a, same.families.families, true),
                                           enumerateSpans(same.families.b, same.families.families, false), 2);
    EXPECT_TRUE(none.adjacencies.empty());
}

TEST(CountRows, OneEqualityWhenTheRangeIsOneValueElseTwoBounds) {
    // a: 2 x 3 copies, exactly 2 pairs; x in A only; b: 3 x 2, 1 or 2 pairs.
    std::vector<Family> families(3);
    const auto set = [](Family& f, std::uint32_t inA, std::uint32_t inB, std::uint32_t lower, std::uint32_t upper) {
        f.inA = inA;
        f.inB = inB;
        f.lower = lower;
        f.upper = upper;
    };
    set(families[0], 2, 3, 2, 2);
    set(families[1], 1, 0, 0, 0);
    set(families[2], 3, 2, 1, 2);
    families[2].zBase = 6;
    MatchingProgram program;
    for (int z = 0; z < 12; ++z) program.addColumn("z" + std::to_string(z), lp::Type::binary, 0, 1);
    addCountRows(program, families);
    ASSERT_EQ(program.rows.size(), 3u);
    EXPECT_EQ(program.rows[0].name, "count_1");
    EXPECT_EQ(program.rows[0].sense, MatchingProgram::Sense::equal);
    EXPECT_EQ(program.rows[0].rhs, 2);
    EXPECT_EQ(program.termsOf(0), 6u);
    EXPECT_EQ(program.rows[1].name, "countLow_2");
    EXPECT_EQ(program.rows[1].sense, MatchingProgram::Sense::greaterEqual);
    EXPECT_EQ(program.rows[1].rhs, 1);
    EXPECT_EQ(program.rows[2].name, "countHigh_2");
    EXPECT_EQ(program.rows[2].sense, MatchingProgram::Sense::lessEqual);
    EXPECT_EQ(program.rows[2].rhs, 2);
    EXPECT_EQ(program.termsOf(2), 6u);
    EXPECT_EQ(program.termColumns[program.rows[2].firstTerm], 6u);
    EXPECT_EQ(program.termColumns.back(), 11u);
}

}  // namespace
}  // namespace rp::model::stages
