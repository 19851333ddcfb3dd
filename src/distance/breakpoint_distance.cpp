// The breakpoint distance's entry: the matching program (maximise 2 x
// conserved adjacencies + conserved telomeres) and the score by definition.
#include <algorithm>
#include <cmath>
#include <memory>

#include "breakpoint/matching_program.hpp"
#include "breakpoint/score.hpp"
#include "distance/distances.hpp"

namespace rp::distance {

namespace {

BuiltProgram buildBreakpoint(const model::GenomePair& pair, const model::MatchingModel& matchingModel, Form) {
    auto program = std::make_shared<const model::MatchingProgram>(model::buildMatchingProgram(pair, matchingModel));
    BuiltProgram built;
    built.modelLine = "model " + model::describeModel(matchingModel) + ": " + std::to_string(program->families) +
                      " families in both genomes, " + pairsToMatch(program->pairs, program->upperPairs);
    const std::string variables = std::to_string(program->variables()) + " variables (" +
                                  std::to_string(program->zCount) + " z";
    const std::string constraints = std::to_string(program->rows.size()) + " constraints";
    built.counts = variables + ", " + std::to_string(program->adjacencyCandidates) + " adjacency, " +
                   std::to_string(program->telomereCandidates) + " telomere), " + constraints;
    built.shortCounts = variables + "), " + constraints;
    built.objectiveLine =
        "maximise 2 x conserved adjacencies + conserved telomeres; z_F.I.J = 1: copy I of A is copy J of B";
    built.lowerPairs = program->pairs;
    built.write = [program](std::ostream& out, const std::vector<std::string>& comment) {
        lp::writeProgram(out, *program, comment);
    };
    return built;
}

DistanceScore scoreBreakpoint(const model::GenomePair& pair, const model::Matching& matching) {
    const model::Score score = model::scoreMatching(*pair.a, *pair.b, matching);
    DistanceScore result;
    result.header = "matched\tadjacencies\ttelomeres\tobjective\tbreakpoint_distance";
    result.values = std::to_string(score.matched) + '\t' + std::to_string(score.adjacencies) + '\t' +
                    std::to_string(score.telomeres) + '\t' + std::to_string(score.objective()) + '\t' +
                    model::formatDistance(score);
    result.objective = static_cast<double>(score.objective());
    result.score = static_cast<std::int64_t>(score.objective());
    result.distance = score.distance();
    result.distanceDigits = 1;
    return result;
}

}  // namespace

double breakpointLowerBound(double bound, std::size_t pairs) {
    // The objective is whole: a bound printed a hair above a whole number
    // proves that number.
    const double whole = std::floor(bound + 1e-6 * std::max(1.0, std::fabs(bound)));
    const double twice = std::max(0.0, 2.0 * static_cast<double>(pairs) - whole);
    return std::floor(twice) / 2;
}

DistanceEntry breakpointEntry() {
    return DistanceEntry{Distance::breakpoint,
                         "breakpoint",
                         "maximise 2 x conserved adjacencies + telomeres",
                         lp::Direction::maximize,
                         {},
                         "",
                         &buildBreakpoint,
                         &scoreBreakpoint,
                         &breakpointLowerBound};
}

}  // namespace rp::distance
