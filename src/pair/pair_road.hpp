// The whole road of one pair of genomes in one process: the two genomes
// picked from their file, the matching program, the solver as a child
// process under its time limit, its answer in the form resolve-paralogs
// reads, the matching applied by resolve-paralogs' own code, the score of
// the resolved genomes, and the pair's summary. Every file goes to one
// directory; a stage that fails ends the road with the reason in the
// summary.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "distance/distances.hpp"
#include "io/input_file.hpp"
#include "model/matching_model.hpp"
#include "pair/pair_folder.hpp"
#include "pair/pair_result.hpp"
#include "structs/structure.hpp"
#include "solving/solver_table.hpp"

namespace rp::pair {

struct PairRequest {
    std::string genomes;    // genomes file, "-" for standard input
    // Genomes A and B already read (a sheet of pairs reads each file once);
    // empty: read from `genomes`, which then only names their source.
    std::vector<Structure> given;
    std::string a, b;       // genome names; both empty: the file's first two
    std::string directory;  // where every file of the pair goes (created)
    std::string name;       // the pair's name; empty: the directory's last component
    distance::Distance measure = distance::Distance::breakpoint;
    model::ModelKind model = model::ModelKind::maximum;
    std::string bounds;  // a bounds file, or empty
    solving::Solver solver;
    unsigned timeLimit = 600;  // seconds of wall time, passed to the solver
    unsigned threads = 1;
    // Seconds past the time limit after which the solver is ended; below 0:
    // 10% of the limit + 10 s.
    double grace = -1;
    double termGrace = 5;  // seconds between SIGTERM and SIGKILL
    // The run's other inputs (a sheet, its genomes files), which the pair's
    // directory may neither be nor hold as one of its files.
    std::vector<std::string> inputs;
    // The bound on every input the road reads: the genomes, the bounds file,
    // the solver's answer (and, of a sheet, the sheet).
    io::InputOptions input;
};


struct PairOutcome {
    PairResult result;
    bool failed = false;
    std::string error;  // why, when failed (also the summary's note)
    bool claimed = false;  // the directory was made the road's (see claimFolder)
};

using Progress = std::function<void(std::string_view line)>;

// Runs the road and writes the summary (also for a failed pair, unless the
// directory cannot be the road's, FolderError, or the summary cannot be
// written, which throw). `progress` receives one line per stage.
PairOutcome runPair(const PairRequest& request, const Progress& progress);

// The pair's name as the directory gives it: its last component.
std::string defaultPairName(const std::string& directory);

// Seconds past the time limit after which the road ends the solver: the
// request's grace, or below 0, 10% of the limit + 10 s.
double solverGrace(const PairRequest& request);

}  // namespace rp::pair
