#include "pair/pair_road.hpp"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <stdexcept>

#include "io/input_file.hpp"
#include "io/output_file.hpp"
#include "model/matching_model.hpp"
#include "breakpoint/matching_program.hpp"
#include "breakpoint/score.hpp"
#include "dcj/dcj_warm_start.hpp"
#include "distance/distances.hpp"
#include "pair/copy_numbering.hpp"
#include "pair/forced_answer.hpp"
#include "pair/genome_selection.hpp"
#include "resolve/renumber.hpp"
#include "solution/solution_reader.hpp"
#include "solvers/conversion.hpp"
#include "solvers/solution_writer.hpp"
#include "solving/child_process.hpp"
#include "solving/helper_script.hpp"
#include "solving/solver_log.hpp"
#include "structs/result_writer.hpp"
#include "structs/structs_reader.hpp"
#include "genomes/structures_writer.hpp"
#include "unimog/unimog_writer.hpp"

namespace rp::pair {

namespace fs = std::filesystem;
using solving::SolverDescriptor;

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
    // How the solver's runs ended: with an answer, ended by us past its
    // limit, or crashed (a signal not ours, after its cautious rerun if it
    // has one).
    enum class SolverEnd { answered, endedByUs, crashed, noAnswerInTime };
    solving::ChildResult runSolver(const solving::SolverJob& job, double grace);
    solving::ChildResult runOrRetry(solving::SolverJob job, double grace);
    SolverEnd solve();
    void answerWithoutSolver(const model::GenomePair& pair, const model::Matching& matching, double objective);
    void convertAnswer();
    void answerOrLimit(SolverEnd& end);
    bool answerOfACrash();
    void startAsAnswer(SolverEnd end);
    void resolve();
    void scoreResolved();
    void judge(bool crashed);
    bool searchEnded() const;

    const PairRequest& request_;
    const Progress& progress_;
    std::string dir_;
    const SolverDescriptor& solver_ = solving::describe(request_.solver.kind);
    PairResult result_;
    std::vector<Structure> genomes_;   // A and B
    std::vector<Structure> resolved_;  // after the matching
    std::size_t pairs_ = 0;            // the fewest pairs a matching of the model has
    model::MatchingModel matching_;         // the model of the request, its bounds read
    std::optional<model::Matching> start_;  // the greedy matching, once made
    std::string solverEnding_;              // how a solver without an answer ended
    std::string answerNote_;                // where the answer came from, when not from a solver that ended well
    double lastWallSeconds_ = 0;            // the wall time of the solver's last run
    bool forced_ = false;                   // no free choice: answered without a solver
    bool wholeObjective_ = false;           // every integer point of the program has a whole objective
    solvers::ConversionSummary answer_;
    model::Score score_;
};

// The directory made the road's: what an earlier run left must not pass for
// this run's (its summary above all, and the solver's answer, which a
// failing solver might not write again), and nothing else is touched.
void Road::prepareDirectory() {
    std::vector<std::string> inputs = request_.inputs;
    if (request_.given.empty()) inputs.push_back(request_.genomes);
    inputs.push_back(request_.bounds);
    claimFolder(dir_, inputs);
}

void Road::readGenomes() {
    const std::string source = request_.genomes == "-" ? "standard input" : request_.genomes;
    if (request_.given.empty()) {
        const std::vector<Structure> all = readAnyGenomes(request_.genomes, request_.input);
        const model::GenomePair chosen = model::selectPair(
            all, model::PairChoice{.byName = true, .a = request_.a, .b = request_.b, .source = source});
        genomes_ = {*chosen.a, *chosen.b};
    } else {
        genomes_ = request_.given;
    }
    result_.a = genomes_[0].name;
    result_.b = genomes_[1].name;
    result_.genesA = geneCount(genomes_[0]);
    result_.genesB = geneCount(genomes_[1]);
    const std::set<std::string> inA = familiesOf(genomes_[0]);
    std::size_t both = 0;
    for (const std::string& f : familiesOf(genomes_[1])) both += inA.count(f);
    result_.familiesBoth = both;
    try {
        io::writeOutputFile(path(files::pair), [&](std::ostream& out) { writeStructures(out, genomes_); });
    } catch (const std::invalid_argument& e) {
        throw StageError(source + ": " + e.what());
    }
    say("genomes " + genomes_[0].name + " (" + std::to_string(*result_.genesA) + " genes) and " + genomes_[1].name +
        " (" + std::to_string(*result_.genesB) + " genes) from " + source + ", " + std::to_string(both) +
        " families in both");
}

// The model of the request, its bounds file read.
model::MatchingModel Road::matchingModel() const {
    model::MatchingModel result;
    result.kind = request_.model;
    if (!request_.bounds.empty()) {
        io::InputFile bounds(request_.bounds, request_.input);
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

void Road::writeModel() {
    const model::MatchingModel& matching = matching_;
    const model::GenomePair pair = model::selectPair(genomes_, 2);
    model::checkBounds(matching, pair);
    const distance::DistanceEntry& entry = distance::entryOf(request_.measure);
    const distance::BuiltProgram program = entry.build(pair, matching, distance::Form::reduced);
    pairs_ = program.lowerPairs;
    wholeObjective_ = program.wholeObjective;
    const std::vector<std::string> comment{
        "paralogs pair " + result_.pair + ": " + genomes_[0].name + " and " + genomes_[1].name,
        "distance " + std::string(entry.name) + ", model " + model::describeModel(matching), program.shortCounts,
        program.objectiveLine};
    io::writeOutputFile(path(files::model), [&](std::ostream& out) { program.write(out, comment); });
    if (const auto forced = forcedMatching(pair, matching)) {
        answerWithoutSolver(pair, *forced, entry.score(pair, *forced).objective);
    } else if (program.writeStart && solver_.readsStart) {
        // A start beside the program: every run then has an answer and an
        // upper bound from its start.
        distance::StartWritten start;
        io::writeOutputFile(path(files::start), [&](std::ostream& out) { start = program.writeStart(out); });
        say("start: a greedy matching of distance " + std::to_string(start.objective) + " for " +
            std::string(solver_.name));
    }
    say("model " + result_.model + " (" + std::string(entry.name) + "): " + program.shortCounts);
}

// A program without free choice: its one matching is written as the
// solver's answer, and no solver runs.
void Road::answerWithoutSolver(const model::GenomePair& pair, const model::Matching& matching, double objective) {
    forced_ = true;
    io::writeOutputFile(path(files::solverOut),
                        [&](std::ostream& out) { writeForcedAnswer(out, pair, matching, objective); });
    result_.solver = kNoSolver;
    result_.wallSeconds = 0.0;
    say("no free choice after the reductions: the forced matching is the answer, no solver started");
}

// Whether the solver's log holds its search's closing summary.
bool Road::searchEnded() const {
    return solver_.logGrammar && solving::searchEnded(*solver_.logGrammar, readText(path(files::solverLog)));
}

solving::ChildResult Road::runSolver(const solving::SolverJob& job, double grace) {
    solving::ChildLimits limits;
    limits.killAfterSeconds = request_.timeLimit + grace;
    limits.termGraceSeconds = request_.termGrace;
    const solving::ChildResult run =
        solving::runChild(solving::solverArguments(request_.solver, job), path(files::solverLog), limits);
    result_.wallSeconds = result_.wallSeconds.value_or(0) + run.wallSeconds;
    lastWallSeconds_ = run.wallSeconds;
    return run;
}

// One run, and after a crash mid-search a second one without heuristics
// for a solver that has it. A crash after the search's closing summary is
// one on the way out, which a second run would meet again.
solving::ChildResult Road::runOrRetry(solving::SolverJob job, double grace) {
    const solving::ChildResult run = runSolver(job, grace);
    if (run.exited || run.killedByUs) return run;
    if (searchEnded()) {
        say("solver crashed with " + solving::describeEnding(run) +
            " after its search ended: no second run, its log's bound is kept");
        return run;
    }
    if (!solver_.retriesCautiously) return run;
    say("solver crashed with " + solving::describeEnding(run) + ": once more without its heuristics");
    fs::rename(path(files::solverLog), path(files::crashedLog));
    job.cautious = true;
    return runSolver(job, grace);
}

Road::SolverEnd Road::solve() {
    solving::SolverJob job;
    job.lp = path(files::model);
    job.solution = path(files::solverOut);
    job.timeLimit = request_.timeLimit;
    job.threads = request_.threads;
    job.script = solving::findHelperScript(solver_);
    if (fs::exists(path(files::start))) job.start = path(files::start);
    job.wholeObjective = wholeObjective_;
    if (!solver_.script.empty() && !fs::exists(job.script))
        throw StageError("the " + std::string(solver_.name) + " script " + job.script + " is missing (" +
                         std::string(solver_.scriptInstall) + ")");
    const double grace = solverGrace(request_);
    say("solver " + result_.solver + ": time limit " + std::to_string(request_.timeLimit) + " s, log in " +
        path(files::solverLog));
    const solving::ChildResult run = runOrRetry(job, grace);
    const std::string wall = formatFixed(*result_.wallSeconds, 3);
    if (run.killedByUs) {
        solverEnding_ = "the solver ran past its time limit of " + std::to_string(request_.timeLimit) +
                        " s by more than " + formatG(grace) + " s and was ended";
        return SolverEnd::endedByUs;
    }
    if (!run.exited) {
        const std::string last = lastLine(path(files::solverLog));
        solverEnding_ = "the solver crashed with " + solving::describeEnding(run) +
                        (last.empty() ? std::string() : " (" + path(files::solverLog) + " ends: " + last + ")");
        return SolverEnd::crashed;
    }
    if (run.exitStatus != 0) {
        const std::string last = lastLine(path(files::solverLog));
        throw StageError("the solver ended with " + solving::describeEnding(run) +
                         (last.empty() ? std::string() : " (" + path(files::solverLog) + " ends: " + last + ")"));
    }
    if (!fs::exists(path(files::solverOut)))
        throw StageError("the solver wrote no answer to " + path(files::solverOut));
    say("solver ended after " + wall + " s");
    return SolverEnd::answered;
}

void Road::convertAnswer() {
    io::InputFile input(path(files::solverOut), request_.input);
    io::OutputFile output(path(files::solution), io::OutputFile::InPlace::atCommit);
    solvers::ConversionOptions options;
    if (output.restartable()) options.restartOutput = [&output] { output.restart(); };
    try {
        answer_ = solvers::convertSolution(*input.stream().rdbuf(), output.stream(), options);
    } catch (const solvers::SolutionError& e) {
        throw StageError(input.name() + ": " + e.what());
    }
    output.commit();
    result_.solverStatus = answer_.header.status;
    result_.objective = answer_.objective;
    say("answer: " + std::string(solvers::outcomeName(answer_.header.outcome)) + " (" +
        std::string(solvers::formatName(answer_.header.format)) +
        (answer_.header.status.empty() ? "" : ", \"" + answer_.header.status + "\"") + "), objective " +
        (answer_.objective ? formatG(*answer_.objective) : std::string("not given")));
}

// The solver's answer, converted; an answer that cannot be had (no
// solution in it, above all) from a solver that used its whole time limit
// is a limit reached before any solution.
void Road::answerOrLimit(SolverEnd& end) {
    try {
        convertAnswer();
    } catch (const StageError& e) {
        // A solver stopping on its limit may stop a little short of it.
        if (lastWallSeconds_ < 0.9 * request_.timeLimit) throw;
        solverEnding_ = "the solver gave no answer within its time limit of " + std::to_string(request_.timeLimit) +
                        " s (" + e.what() + ")";
        end = SolverEnd::noAnswerInTime;
        startAsAnswer(end);
    }
}

// Without the solver's answer, the start's matching (made now when the road
// has not made it for the solver) is the answer, at status limit.
void Road::startAsAnswer(SolverEnd end) {
    const model::GenomePair pair = model::selectPair(genomes_, 2);
    if (!start_) start_ = model::greedyDcjMatching(pair, matching_);
    answer_ = {};
    answer_.header.status = end == SolverEnd::crashed      ? "crashed"
                            : end == SolverEnd::endedByUs ? "ended after its time limit"
                                                          : "no answer within its time limit";
    answer_.header.outcome = solvers::Outcome::limit;
    result_.solverStatus = answer_.header.status;
    io::writeOutputFile(path(files::solution), [&](std::ostream& out) {
        solvers::SolutionWriter writer(out);
        writer.begin(answer_.header, nullptr);
        for (const model::MatchedPair& m : *start_) {
            const Gene& a = pair.a->chromosomes[m.a.chromosome].genes[m.a.position];
            const Gene& b = pair.b->chromosomes[m.b.chromosome].genes[m.b.position];
            writer.variable("z_" + a.name + "." + std::to_string(a.copy) + "." + std::to_string(b.copy), 1);
        }
        writer.finish();
    });
    answerNote_ = solverEnding_ + ": the answer is the start's matching";
    say(answerNote_ + " (" + std::to_string(start_->size()) + " pairs)");
}

// A solver that crashed after writing its answer (CBC can, on its way
// out): the answer when it can be read, at status limit at best, since
// nothing the crashed run said is taken as proven.
bool Road::answerOfACrash() {
    if (!fs::exists(path(files::solverOut))) return false;
    try {
        convertAnswer();
    } catch (const StageError&) {
        return false;
    }
    if (answer_.header.outcome == solvers::Outcome::optimal) answer_.header.outcome = solvers::Outcome::limit;
    answerNote_ = solverEnding_ + ": the answer is the one it wrote before";
    say(answerNote_);
    return true;
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
    for (const std::string& family : familiesWithUnmovedCopies(resolved_.front(), decisions))
        result_.indexLimit += (result_.indexLimit.empty() ? "" : ",") + family;
    io::writeOutputFile(path(files::resolved), [&](std::ostream& out) { writeResults(out, resolved_); });
    io::writeOutputFile(path(files::resolvedUnimog),
                        [&](std::ostream& out) { unimog::writeUnimog(out, resolved_); });
}

void Road::scoreResolved() {
    const model::GenomePair pair = model::selectPair(resolved_, 2);
    score_ = model::scoreMatching(*pair.a, *pair.b, model::matchByLabels(pair));
    result_.matched = score_.matched;
    result_.adjacencies = score_.adjacencies;
    result_.telomeres = score_.telomeres;
    result_.breakpointDistance = score_.distance();
    const distance::DistanceScore scored = distance::entryOf(request_.measure).score(pair, model::matchByLabels(pair));
    result_.score = scored.score;
    result_.distance = scored.distance;
    result_.distanceDigits = scored.distanceDigits;
    result_.scoreEqualsObjective = ScoreCheck::unknown;
    if (answer_.objective) {
        const double objective = *answer_.objective;
        result_.scoreEqualsObjective = std::fabs(scored.objective - objective) <= 1e-6 * std::max(1.0, std::fabs(objective))
                                           ? ScoreCheck::yes
                                           : ScoreCheck::no;
    }
    say("resolved: score " + std::to_string(*result_.score) + ", " + result_.measure + " distance " +
        formatFixed(*result_.distance, result_.distanceDigits));
}

// The status's note, the lower bound, and the check that an optimal answer
// scores its objective. At a limit the bound is the solver's when its log
// gives one (after a crash only when the crash came after the search's
// closing summary), else 0, which every distance has.
void Road::judge(bool crashed) {
    const solvers::Outcome outcome = answer_.header.outcome;
    std::vector<std::string> notes;
    if (outcome == solvers::Outcome::optimal) {
        result_.status = PairStatus::optimal;
        result_.lowerBound = result_.distance;
    } else if (outcome == solvers::Outcome::limit) {
        result_.status = PairStatus::limit;
        notes.push_back("the solver stopped on a limit: the matching may not be optimal");
        const distance::DistanceEntry& entry = distance::entryOf(request_.measure);
        const solving::Sense sense =
            entry.direction == lp::Direction::minimize ? solving::Sense::minimise : solving::Sense::maximise;
        const solvers::Format grammar = solver_.logGrammar.value_or(answer_.header.format);
        const std::string log = readText(path(files::solverLog));
        const std::optional<double> bound = crashed && !solving::searchEnded(grammar, log)
                                                ? std::nullopt
                                                : solving::reportedBound(grammar, log, sense);
        result_.lowerBound = bound ? entry.lowerBound(*bound, pairs_) : 0.0;
    } else {
        result_.status = PairStatus::unknown;
        notes.push_back("the solver's answer says nothing of optimality");
    }
    if (!answerNote_.empty()) notes.push_back(answerNote_);
    std::string note;
    for (const std::string& n : notes) note += (note.empty() ? "" : "; ") + n;
    result_.note = note;
    if (outcome == solvers::Outcome::optimal && result_.scoreEqualsObjective == ScoreCheck::no && result_.indexLimit.empty())
        throw StageError("the resolved genomes score " + std::to_string(*result_.score) +
                         ", the solver's optimal objective is " + formatG(*answer_.objective));
}

PairOutcome Road::run() {
    result_.pair = request_.name.empty() ? defaultPairName(dir_) : request_.name;
    result_.a = request_.a;
    result_.b = request_.b;
    result_.solver = std::string(solver_.name);
    result_.measure = std::string(distance::distanceName(request_.measure));
    result_.model = std::string(model::modelName(request_.model)) + (request_.bounds.empty() ? "" : "+bounds");
    prepareDirectory();
    PairOutcome outcome;
    outcome.claimed = true;
    try {
        readGenomes();
        numberCopies();
        writeModel();
        SolverEnd end = forced_ ? SolverEnd::answered : solve();
        if (end == SolverEnd::answered)
            answerOrLimit(end);
        else if (end != SolverEnd::crashed || !answerOfACrash())
            startAsAnswer(end);
        resolve();
        scoreResolved();
        judge(end == SolverEnd::crashed);
    } catch (const std::bad_alloc&) {
        outcome.failed = true;
        outcome.error = "out of memory";
    } catch (const std::exception& e) {
        outcome.failed = true;
        outcome.error = e.what();
    }
    if (outcome.failed) {
        result_.status = PairStatus::failed;
        result_.distance.reset();
        result_.lowerBound.reset();
        result_.note = outcome.error;
    }
    io::writeOutputFile(path(files::summary), [&](std::ostream& out) { writeSummary(out, result_); });
    outcome.result = result_;
    return outcome;
}

}  // namespace

std::string defaultPairName(const std::string& directory) {
    fs::path p = fs::absolute(fs::path(directory)).lexically_normal();
    if (!p.has_filename()) p = p.parent_path();
    return p.filename().string();
}

double solverGrace(const PairRequest& request) {
    return request.grace >= 0 ? request.grace : 0.1 * request.timeLimit + 10;
}

PairOutcome runPair(const PairRequest& request, const Progress& progress) {
    Road road(request, progress);
    return road.run();
}

}  // namespace rp::pair
