// Many pairs in one process: every pair of a sheet of pairs taken along the
// road of one pair, each genomes file read once, one summary for the sheet.
// A failed pair is a row of the summary, never a failed run.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "pair/pair_road.hpp"
#include "pair/pair_result.hpp"

namespace rp::pair {

// Which pairs keep their directory once their row is in the summary.
enum class Keep { all, failed, none };

// "all", "failed" or "none"; throws std::invalid_argument otherwise.
Keep parseKeep(std::string_view text);

struct BatchRequest {
    std::string sheet;                    // the sheet of pairs, "-" for standard input
    std::string directory;                // DIR: DIR/PAIR/ for each pair, DIR/summary.tsv
    std::vector<std::string> collection;  // genomes files for the rows without one
    Keep keep = Keep::all;
    // The options every pair takes (distance, model, bounds, solver, limits);
    // its genomes, names and directory are set per pair.
    PairRequest pair;
};

struct BatchOutcome {
    std::vector<PairResult> rows;  // in sheet order
    std::size_t failed = 0;
};

// The summary file of the sheet.
inline constexpr const char* kBatchSummary = "summary.tsv";

// Reads the sheet and every genomes file it needs, checks every row (a
// genome it names must be in its file, or in the collection for a row
// without one), then runs the pairs in sheet order. DIR/summary.tsv has a
// line per pair from the start: status pending until the pair's line is
// written (every 30 s with the pairs done so far, and at the end), so that
// an interrupted run is never read as complete. A pair whose directory
// cannot be the road's (see claimFolder) fails alone, its directory
// untouched; --keep removes only what the road wrote. Throws
// std::runtime_error, before any pair runs, for a sheet or a genomes file
// that cannot be read, a row that cannot be used ("SHEET line N: ...") or a
// DIR/summary.tsv that is not a sheet's summary. `progress` gets one line
// per pair.
BatchOutcome runPairs(const BatchRequest& request, const Progress& progress);

}  // namespace rp::pair
