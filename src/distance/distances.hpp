// The distances the companion computes, by name, and the table of what each
// does: build and write its matching program (with the comment lines the
// programs carry), describe the program's size, score resolved genomes, turn
// a solver's bound into a bound of the distance, and the objective's sense.
// `paralogs model`, `paralogs score` and `paralogs pair` go through this
// table alone. A new distance is one unit beside breakpoint_distance.cpp and
// dcj_distance.cpp and one entry in the table (distances.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "breakpoint/score.hpp"
#include "lp/lp_program.hpp"
#include "model/genome_pair.hpp"
#include "model/matching_model.hpp"

namespace rp::distance {

enum class Distance : std::uint8_t { breakpoint, dcj };

// The form of a program, for the distances that have more than one.
enum class Form : std::uint8_t { reduced, plain };

// "reduced" or "plain"; throws std::invalid_argument "unknown form "X" (plain or reduced)".
Form parseForm(std::string_view text);

// What a start file written beside a program holds.
struct StartWritten {
    std::int64_t objective = 0;  // the program's objective at the start
    std::size_t pairs = 0;       // the pairs of its matching
};

// A program built for one pair, ready to be written.
struct BuiltProgram {
    std::string modelLine;      // "model M: F families in both genomes, ..." (paralogs model's summary)
    std::string counts;         // "N variables (...), M constraints" (paralogs model)
    std::string shortCounts;    // the same, shorter (paralogs pair)
    std::string objectiveLine;  // the comment saying what the program optimises
    std::size_t lowerPairs = 0;  // the fewest pairs a matching of the model has
    // Writes the program with these comment lines.
    std::function<void(std::ostream&, const std::vector<std::string>& comment)> write;
    // Writes a start CBC reads (mipstart); empty for a program without one.
    // It uses the pair and model the program was built from: call it while
    // they live.
    std::function<StartWritten(std::ostream&)> writeStart;
    // Every integer point of the program has a whole objective.
    bool wholeObjective = false;
};

// The score of two genomes under a matching, as the commands show it.
struct DistanceScore {
    std::string header;    // paralogs score: the tab-separated names
    std::string values;    // paralogs score: the tab-separated values
    double objective = 0;  // the program's objective at this matching
    std::int64_t score = 0;  // the pair summary's score (the objective, whole)
    double distance = 0;     // the pair summary's distance
    int distanceDigits = 0;  // the digits after the point it is written with
};

struct DistanceEntry {
    Distance distance;
    std::string_view name;         // as --distance gives it
    std::string_view description;  // for --help
    lp::Direction direction;       // of the program's objective
    std::span<const std::string_view> forms;  // the forms it has (none: one form)
    std::string_view startForm;               // the form that can have a start file ("" none)
    // Builds the program; throws std::runtime_error for a pair it refuses.
    BuiltProgram (*build)(const model::GenomePair& pair, const model::MatchingModel& model, Form form);
    DistanceScore (*score)(const model::GenomePair& pair, const model::Matching& matching);
    // The bound of the distance that a solver's bound `bound` of the
    // objective proves, when every matching has at least `pairs` pairs.
    double (*lowerBound)(double bound, std::size_t pairs);
};

// Every distance, in the order of the help texts.
std::span<const DistanceEntry> distances();

const DistanceEntry& entryOf(Distance distance);

// The entry named `text`; throws std::invalid_argument "unknown distance "X"
// (breakpoint or dcj)".
const DistanceEntry& parseDistance(std::string_view text);

std::string_view distanceName(Distance distance);

// "breakpoint or dcj".
std::string distanceNames();

// "breakpoint: ...; dcj: ..." (the --distance help).
std::string describeDistances();

// The distances having forms, or a start form, as a --form or --start message names them: "dcj".
std::string distancesWithForms();

// The entries of the table (one unit each).
DistanceEntry breakpointEntry();
DistanceEntry dcjEntry();

// The bounds of the two distances: pairs - floor(bound) / 2, at least 0, with
// in halves (the breakpoint program's objective is 2 x adjacencies +
// telomeres); ceil(bound), at least 0 (the DCJ-indel program's objective is
// the distance itself).
double breakpointLowerBound(double bound, std::size_t pairs);
double dcjLowerBound(double bound, std::size_t pairs = 0);

// "N pairs to match", or "L to U pairs to match" when the model allows a range.
std::string pairsToMatch(std::size_t lower, std::size_t upper);

}  // namespace rp::distance
