// The DCJ-indel distance's entry: the reduced program (with the greedy
// matching's start for CBC) or the capped one, and the distance of a matching.
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

#include "dcj/dcj_program.hpp"
#include "dcj/dcj_reduced_program.hpp"
#include "dcj/dcj_score.hpp"
#include "dcj/dcj_warm_start.hpp"
#include "distance/distances.hpp"

namespace rp::distance {

namespace {

constexpr std::array<std::string_view, 2> kForms{"reduced", "plain"};

BuiltProgram buildReduced(const model::GenomePair& pair, const model::MatchingModel& matchingModel) {
    auto program =
        std::make_shared<const model::DcjReducedProgram>(model::buildDcjReducedProgram(pair, matchingModel));
    const model::DcjReducedCounts& c = program->counts;
    BuiltProgram built;
    built.modelLine = "distance dcj, model " + model::describeModel(matchingModel) + ": " +
                      std::to_string(c.families) + " families in both genomes, " + std::to_string(c.fixedPairs) +
                      (c.fixedPairs == 1 ? " pair" : " pairs") + " decided (" + std::to_string(c.anchoredPairs) +
                      " by anchored conserved adjacencies), " + std::to_string(c.freeZ) +
                      " z left to the solver";
    const std::string variables = std::to_string(program->lp.columns.size()) + " variables";
    const std::string constraints = std::to_string(program->lp.rows.size()) + " constraints";
    built.counts = variables + ", " + constraints + " (reduced: " + std::to_string(c.segments) + " segments, " +
                   std::to_string(c.fixedCycles) + " decided cycles, " + std::to_string(c.fixedPaths) +
                   " decided paths)";
    built.shortCounts = variables + " (" + std::to_string(c.freeZ) + " z free, " + std::to_string(c.fixedPairs) +
                        " pairs decided, " + std::to_string(c.anchoredPairs) + " of them anchored), " + constraints;
    built.objectiveLine =
        "minimise the DCJ-indel distance (reduced program, without capping); z_F.I.J = 1: copy I of A is copy J of B";
    built.wholeObjective = true;
    built.write = [program](std::ostream& out, const std::vector<std::string>& comment) {
        lp::writeProgram(out, program->lp, comment);
    };
    built.writeStart = [program, &pair, &matchingModel](std::ostream& out) {
        const model::StartValues start = model::writeDcjStart(out, *program, pair, matchingModel);
        return StartWritten{start.distance, start.pairs};
    };
    return built;
}

BuiltProgram buildCapped(const model::GenomePair& pair, const model::MatchingModel& matchingModel) {
    auto program = std::make_shared<const model::DcjProgram>(model::buildDcjProgram(pair, matchingModel));
    BuiltProgram built;
    built.modelLine = "distance dcj, model " + model::describeModel(matchingModel) + ": " +
                      std::to_string(program->diagram.families.size()) + " families in both genomes, " +
                      pairsToMatch(program->lowerPairs, program->upperPairs);
    built.counts = model::describeDcjCounts(*program);
    built.shortCounts = built.counts;
    built.objectiveLine = "minimise the DCJ-indel distance (capped program, " +
                          std::to_string(program->diagram.telomeres) +
                          " telomeres per genome); z_F.I.J = 1: copy I of A is copy J of B";
    built.lowerPairs = program->lowerPairs;
    built.write = [program](std::ostream& out, const std::vector<std::string>& comment) {
        lp::writeProgram(out, program->lp, comment);
    };
    return built;
}

BuiltProgram buildDcj(const model::GenomePair& pair, const model::MatchingModel& matchingModel, Form form) {
    return form == Form::reduced ? buildReduced(pair, matchingModel) : buildCapped(pair, matchingModel);
}

DistanceScore scoreDcj(const model::GenomePair& pair, const model::Matching& matching) {
    const model::DcjScore s = model::scoreDcj(*pair.a, *pair.b, matching);
    DistanceScore result;
    result.header = "matched\tdeleted\tinserted\tcycles\tsingletons\tp_ab\tp_Aa\tp_Ab\tp_Ba\tp_Bb\tp_AB\tdistance";
    for (const std::size_t value : {s.matched, s.deleted, s.inserted, s.cycles, s.singletons, s.pab, s.pAa, s.pAb,
                                    s.pBa, s.pBb, s.pAB})
        result.values += std::to_string(value) + '\t';
    result.values += std::to_string(s.distance);
    result.objective = static_cast<double>(s.distance);
    result.score = s.distance;
    result.distance = static_cast<double>(s.distance);
    return result;
}

}  // namespace

double dcjLowerBound(double bound, std::size_t) {
    // The distance is whole: a bound printed a hair below a whole number
    // proves that number.
    const double whole = std::ceil(bound - 1e-6 * std::max(1.0, std::fabs(bound)));
    return std::max(0.0, whole);
}

DistanceEntry dcjEntry() {
    return DistanceEntry{Distance::dcj,      "dcj",       "minimise the DCJ-indel distance",
                         lp::Direction::minimize, kForms, "reduced",
                         &buildDcj,          &scoreDcj,   &dcjLowerBound};
}

}  // namespace rp::distance
