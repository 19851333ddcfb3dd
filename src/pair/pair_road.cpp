#include "pair/pair_road.hpp"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <stdexcept>

#include "io/input_file.hpp"
#include "io/output_file.hpp"
#include "model/dcj_reduced_program.hpp"
#include "model/dcj_score.hpp"
#include "model/matching_model.hpp"
#include "model/matching_program.hpp"
#include "model/score.hpp"
#include "pair/child_process.hpp"
#include "pair/copy_numbering.hpp"
#include "pair/genome_selection.hpp"
#include "pair/solver_log.hpp"
#include "resolve/renumber.hpp"
#include "solution/solution_reader.hpp"
#include "solvers/conversion.hpp"
#include "structs/result_writer.hpp"
#include "structs/structs_reader.hpp"
#include "genomes/structures_writer.hpp"
#include "unimog/unimog_writer.hpp"

namespace rp::pair {

namespace fs = std::filesystem;

namespace {

// A failure of a stage; its message is the pair's note.
class StageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::size_t geneCount(const Structure& genome) {
    std::size_t genes = 0;
    for (const Chromosome& c : genome.chromosomes) genes += c.genes.size();
    return genes;
}

std::set<std::string> familiesOf(const Structure& genome) {
    std::set<std::string> families;
    for (const Chromosome& c : genome.chromosomes)
        for (const Gene& g : c.genes) families.insert(g.name);
    return families;
}

// The last line of a file that is not blank, for messages; empty when none.
std::string lastLine(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    const std::streamoff from = size > 4096 ? size - 4096 : 0;
    in.seekg(from);
    std::string tail((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    while (!tail.empty() && (tail.back() == '\n' || tail.back() == '\r' || tail.back() == ' ')) tail.pop_back();
    const std::size_t cut = tail.find_last_of('\n');
    return cut == std::string::npos ? tail : tail.substr(cut + 1);
}

// The whole of a text file (a solver's log).
std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class Road {
public:
    Road(const PairRequest& request, const Progress& progress) : request_(request), progress_(progress) {
        dir_ = request.directory;
    }

    PairOutcome run();

private:
    std::string path(const char* file) const { return (fs::path(dir_) / file).string(); }
    void say(const std::string& line) const {
        if (progress_) progress_(line);
    }
    void prepareDirectory();
    void readGenomes();
    model::MatchingModel matchingModel() const;
    void numberCopies();
    void writeModel();
    void writeStart(const model::DcjReducedProgram& program, const model::GenomePair& pair,
                    const model::MatchingModel& matching);
    void solve();
    void convertAnswer();
    void resolve();
    void scoreResolved();
    void judge();

    const PairRequest& request_;
    const Progress& progress_;
    std::string dir_;
    PairSummary summary_;
    std::vector<Structure> genomes_;   // A and B
    std::vector<Structure> resolved_;  // after the matching
    std::size_t pairs_ = 0;            // the fewest pairs a matching of the model has
    model::MatchingModel matching_;
    solvers::ConversionSummary answer_;
    model::Score score_;
};

void Road::prepareDirectory() {
    std::error_code error;
    fs::create_directories(dir_, error);
    if (error) throw std::runtime_error("cannot create the directory " + dir_ + ": " + error.message());
    // What an earlier run left must not pass for this run's: the solver's
    // answer above all, which a failing solver might not write again.
    for (const char* file : {files::pair, files::model, files::start, files::solverLog, files::solverOut, files::solution,
                             files::resolved, files::resolvedUnimog}) {
        fs::remove(path(file), error);
        if (error) throw std::runtime_error("cannot remove " + path(file) + ": " + error.message());
    }
}

void Road::readGenomes() {
    const std::string source = request_.genomes == "-" ? "standard input" : request_.genomes;
    genomes_ = selectGenomes(readAnyGenomes(request_.genomes), request_.a, request_.b, source);
    summary_["a"] = genomes_[0].name;
    summary_["b"] = genomes_[1].name;
    summary_["genes_a"] = std::to_string(geneCount(genomes_[0]));
    summary_["genes_b"] = std::to_string(geneCount(genomes_[1]));
    const std::set<std::string> inA = familiesOf(genomes_[0]);
    std::size_t both = 0;
    for (const std::string& f : familiesOf(genomes_[1])) both += inA.count(f);
    summary_["families_both"] = std::to_string(both);
    try {
        io::writeOutputFile(path(files::pair), [&](std::ostream& out) { writeStructures(out, genomes_); });
    } catch (const std::invalid_argument& e) {
        throw StageError(source + ": " + e.what());
    }
    say("genomes " + genomes_[0].name + " (" + summary_["genes_a"] + " genes) and " + genomes_[1].name + " (" +
        summary_["genes_b"] + " genes) from " + source + ", " + summary_["families_both"] + " families in both");
}

// The model of the request, its bounds file read.
model::MatchingModel Road::matchingModel() const {
    model::MatchingModel result;
    result.kind = request_.model;
    if (!request_.bounds.empty()) {
        io::InputFile bounds(request_.bounds);
        result.boundsSource = bounds.name();
        result.bounds = model::readFamilyBounds(bounds.stream(), bounds.name());
    }
    return result;
}

// Copies of families that would run short of free indices are numbered
// from kCopySlots up in A and B (pair.txt written again), so that
// resolve-paralogs can move unmatched copies of A to the indices below.
void Road::numberCopies() {
    matching_ = matchingModel();
    const std::vector<std::string> families = familiesShortOfFreeIndices(genomes_[0], genomes_[1], matching_);
    if (families.empty()) return;
    numberCopiesAbove(genomes_[0], genomes_[1], families);
    io::writeOutputFile(path(files::pair), [&](std::ostream& out) { writeStructures(out, genomes_); });
    std::string listed;
    for (const std::string& family : families) listed += (listed.empty() ? "" : ", ") + family;
    say("copies numbered from " + std::to_string(kCopySlots) + " up in A and B (family " + listed +
        "), so that unmatched copies of A can move to a free index");
}

// A greedy matching's values beside the reduced program, for CBC's
// mipstart: every run then has an answer and an upper bound from its start.
void Road::writeStart(const model::DcjReducedProgram& program, const model::GenomePair& pair,
                      const model::MatchingModel& matching) {
    const model::Matching start = model::greedyDcjMatching(pair, matching);
    const std::vector<std::int64_t> values = model::dcjStartValues(program, pair, start);
    const std::int64_t distance = model::objectiveAt(program.lp, values);
    io::writeOutputFile(path(files::start),
                        [&](std::ostream& out) { model::writeCbcStart(out, program.lp, values, distance); });
    say("start: a greedy matching of distance " + std::to_string(distance) + " for CBC");
}

void Road::writeModel() {
    const model::MatchingModel& matching = matching_;
    const model::GenomePair pair = model::selectPair(genomes_, 2);
    model::checkBounds(matching, pair);
    std::vector<std::string> comment{
        "paralogs pair " + summary_["pair"] + ": " + genomes_[0].name + " and " + genomes_[1].name,
        "distance " + std::string(measureName(request_.measure)) + ", model " + model::describeModel(matching)};
    std::string counts;
    if (request_.measure == Measure::breakpoint) {
        const model::MatchingProgram program = model::buildMatchingProgram(pair, matching);
        pairs_ = program.pairs;
        counts = std::to_string(program.variables()) + " variables (" + std::to_string(program.zNames.size()) +
                 " z), " + std::to_string(program.rows.size()) + " constraints";
        comment.push_back(counts);
        comment.push_back(
            "maximise 2 x conserved adjacencies + conserved telomeres; z_F.I.J = 1: copy I of A is copy J of B");
        io::writeOutputFile(path(files::model), [&](std::ostream& out) { model::writeLp(out, program, comment); });
    } else {
        const model::DcjReducedProgram program = model::buildDcjReducedProgram(pair, matching);
        counts = std::to_string(program.lp.columns.size()) + " variables (" +
                 std::to_string(program.counts.freeZ) + " z free, " + std::to_string(program.counts.fixedPairs) +
                 " pairs decided), " + std::to_string(program.lp.rows.size()) + " constraints";
        comment.push_back(counts);
        comment.push_back(
            "minimise the DCJ-indel distance (reduced program, without capping); z_F.I.J = 1: copy I of A is copy J "
            "of B");
        io::writeOutputFile(path(files::model),
                            [&](std::ostream& out) { model::writeLpProgram(out, program.lp, comment); });
        if (request_.solver.kind == SolverKind::cbc) writeStart(program, pair, matching);
    }
    say("model " + summary_["model"] + " (" + std::string(measureName(request_.measure)) + "): " + counts);
}

void Road::solve() {
    SolverJob job;
    job.lp = path(files::model);
    job.solution = path(files::solverOut);
    job.timeLimit = request_.timeLimit;
    job.threads = request_.threads;
    job.highsScript = request_.highsScript;
    if (fs::exists(path(files::start))) job.start = path(files::start);
    if (request_.solver.kind == SolverKind::highs && !fs::exists(request_.highsScript))
        throw StageError("the HiGHS script " + request_.highsScript + " is missing (make deps installs HiGHS)");
    ChildLimits limits;
    const double grace = request_.grace >= 0 ? request_.grace : 0.1 * request_.timeLimit + 10;
    limits.killAfterSeconds = request_.timeLimit + grace;
    limits.termGraceSeconds = request_.termGrace;
    say("solver " + summary_["solver"] + ": time limit " + std::to_string(request_.timeLimit) + " s, log in " +
        path(files::solverLog));
    const ChildResult run = runChild(solverArguments(request_.solver, job), path(files::solverLog), limits);
    char wall[32];
    std::snprintf(wall, sizeof wall, "%.3f", run.wallSeconds);
    summary_["wall_s"] = wall;
    if (run.killedByUs)
        throw StageError("the solver ran past its time limit of " + std::to_string(request_.timeLimit) +
                         " s by more than " + formatG(grace) + " s and was ended");
    if (!run.exited || run.exitStatus != 0) {
        const std::string last = lastLine(path(files::solverLog));
        throw StageError("the solver ended with " + describeEnding(run) +
                         (last.empty() ? std::string() : " (" + path(files::solverLog) + " ends: " + last + ")"));
    }
    if (!fs::exists(path(files::solverOut)))
        throw StageError("the solver wrote no answer to " + path(files::solverOut));
    say(std::string("solver ended after ") + wall + " s");
}

void Road::convertAnswer() {
    io::InputFile input(path(files::solverOut));
    io::OutputFile output(path(files::solution), io::OutputFile::InPlace::atCommit);
    solvers::ConversionOptions options;
    if (output.restartable()) options.restartOutput = [&output] { output.restart(); };
    try {
        answer_ = solvers::convertSolution(*input.stream().rdbuf(), output.stream(), options);
    } catch (const solvers::SolutionError& e) {
        throw StageError(input.name() + ": " + e.what());
    }
    output.commit();
    summary_["status"] = std::string(solvers::outcomeName(answer_.header.outcome));
    summary_["solver_status"] = answer_.header.status;
    if (answer_.objective) summary_["objective"] = formatG(*answer_.objective);
    say("answer: " + summary_["status"] + " (" + std::string(solvers::formatName(answer_.header.format)) +
        (answer_.header.status.empty() ? "" : ", \"" + answer_.header.status + "\"") + "), objective " +
        (summary_["objective"].empty() ? std::string("not given") : summary_["objective"]));
}

// The matching applied as resolve-paralogs applies it: its readers of the
// structures file and of the solution, its renumbering, its result writer.
void Road::resolve() {
    std::ifstream solution(path(files::solution), std::ios::binary);
    std::ifstream structs(path(files::pair), std::ios::binary);
    if (!solution || !structs) throw StageError("cannot read back " + path(files::pair) + " and " + path(files::solution));
    const AssignmentMap decisions = readSolution(solution);
    readFamilyTable(structs);
    resolved_ = readStructures(structs);
    renumberCopies(decisions, resolved_);
    std::string past;
    for (const std::string& family : familiesWithUnmovedCopies(resolved_.front(), decisions))
        past += (past.empty() ? "" : ",") + family;
    summary_["index_limit"] = past;
    io::writeOutputFile(path(files::resolved), [&](std::ostream& out) { writeResults(out, resolved_); });
    io::writeOutputFile(path(files::resolvedUnimog),
                        [&](std::ostream& out) { unimog::writeUnimog(out, resolved_); });
}

void Road::scoreResolved() {
    const model::GenomePair pair = model::selectPair(resolved_, 2);
    score_ = model::scoreMatching(*pair.a, *pair.b, model::matchByLabels(pair));
    summary_["matched"] = std::to_string(score_.matched);
    summary_["adjacencies"] = std::to_string(score_.adjacencies);
    summary_["telomeres"] = std::to_string(score_.telomeres);
    summary_["breakpoint_distance"] = model::formatDistance(score_);
    double scored = static_cast<double>(score_.objective());
    if (request_.measure == Measure::dcj) {
        const model::DcjScore dcj = model::scoreDcj(*pair.a, *pair.b, model::matchByLabels(pair));
        scored = static_cast<double>(dcj.distance);
        summary_["score"] = std::to_string(dcj.distance);
        summary_["distance"] = summary_["score"];
    } else {
        summary_["score"] = std::to_string(score_.objective());
        summary_["distance"] = summary_["breakpoint_distance"];
    }
    std::string equal = "unknown";
    if (answer_.objective) {
        const double objective = *answer_.objective;
        equal = std::fabs(scored - objective) <= 1e-6 * std::max(1.0, std::fabs(objective)) ? "yes" : "no";
    }
    summary_["score_equals_objective"] = equal;
    say("resolved: score " + summary_["score"] + ", " + summary_["measure"] + " distance " + summary_["distance"]);
}

// The status's note, the lower bound, and the check that an optimal answer
// scores its objective.
void Road::judge() {
    const std::string& status = summary_["status"];
    std::vector<std::string> notes;
    if (status == "optimal") {
        summary_["lower_bound"] = summary_["distance"];
    } else if (status == "limit") {
        notes.push_back("the solver stopped on a limit: the matching may not be optimal");
        const bool dcj = request_.measure == Measure::dcj;
        const std::optional<double> bound = reportedBound(answer_.header.format, readText(path(files::solverLog)),
                                                          dcj ? Sense::minimise : Sense::maximise);
        if (bound) summary_["lower_bound"] = dcj ? dcjLowerBound(*bound) : breakpointLowerBound(*bound, pairs_);
    } else {
        notes.push_back("the solver's answer says nothing of optimality");
    }
    std::string note;
    for (const std::string& n : notes) note += (note.empty() ? "" : "; ") + n;
    summary_["note"] = note;
    if (status == "optimal" && summary_["score_equals_objective"] == "no" &&
        summary_["index_limit"].empty())
        throw StageError("the resolved genomes score " + summary_["score"] +
                         ", the solver's optimal objective is " + summary_["objective"]);
}

PairOutcome Road::run() {
    summary_["pair"] = request_.name.empty() ? defaultPairName(dir_) : request_.name;
    summary_["a"] = request_.a;
    summary_["b"] = request_.b;
    summary_["solver"] = std::string(solverName(request_.solver.kind));
    summary_["measure"] = std::string(measureName(request_.measure));
    summary_["model"] = std::string(model::modelName(request_.model)) + (request_.bounds.empty() ? "" : "+bounds");
    prepareDirectory();
    PairOutcome outcome;
    try {
        readGenomes();
        numberCopies();
        writeModel();
        solve();
        convertAnswer();
        resolve();
        scoreResolved();
        judge();
    } catch (const std::bad_alloc&) {
        outcome.failed = true;
        outcome.error = "out of memory";
    } catch (const std::exception& e) {
        outcome.failed = true;
        outcome.error = e.what();
    }
    if (outcome.failed) {
        summary_["status"] = "failed";
        summary_["distance"].clear();
        summary_["lower_bound"].clear();
        summary_["note"] = outcome.error;
    }
    io::writeOutputFile(path(files::summary), [&](std::ostream& out) { writeSummary(out, summary_); });
    outcome.summary = summary_;
    return outcome;
}

}  // namespace

Measure parseMeasure(std::string_view text) {
    if (text == "breakpoint") return Measure::breakpoint;
    if (text == "dcj") return Measure::dcj;
    throw std::invalid_argument("unknown distance \"" + std::string(text) + "\" (breakpoint or dcj)");
}

std::string_view measureName(Measure measure) { return measure == Measure::dcj ? "dcj" : "breakpoint"; }

std::string defaultPairName(const std::string& directory) {
    fs::path p = fs::absolute(fs::path(directory)).lexically_normal();
    if (!p.has_filename()) p = p.parent_path();
    return p.filename().string();
}

std::string breakpointLowerBound(double bound, std::size_t pairs) {
    // The objective is whole: a bound printed a hair above a whole number
    // proves that number.
    const double whole = std::floor(bound + 1e-6 * std::max(1.0, std::fabs(bound)));
    const double twice = std::max(0.0, 2.0 * static_cast<double>(pairs) - whole);
    const auto halves = static_cast<long long>(twice);
    return std::to_string(halves / 2) + (halves % 2 != 0 ? ".5" : ".0");
}

std::string dcjLowerBound(double bound) {
    // The distance is whole: a bound printed a hair below a whole number
    // proves that number.
    const double whole = std::ceil(bound - 1e-6 * std::max(1.0, std::fabs(bound)));
    return std::to_string(static_cast<long long>(std::max(0.0, whole)));
}

PairOutcome runPair(const PairRequest& request, const Progress& progress) {
    Road road(request, progress);
    return road.run();
}

}  // namespace rp::pair
