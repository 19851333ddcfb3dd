// The check of the genomes reader of the companion program, and of what is
// made of the genomes it reads: the scores by labels and the matching program.
#include <sstream>
#include <string>

#include "checks.hpp"
#include "dcj/dcj_program.hpp"
#include "dcj/dcj_reduced_program.hpp"
#include "dcj/dcj_warm_start.hpp"
#include "dcj/dcj_score.hpp"
#include "model/matching_model.hpp"
#include "lp/lp_text.hpp"
#include "breakpoint/matching_program.hpp"
#include "breakpoint/score.hpp"
#include "genomes/genomes_reader.hpp"
#include "structs/result_writer.hpp"

namespace rp::fuzz {
namespace {

[[noreturn]] void fail(const std::string& what) { throw CheckFailure(what); }

std::string resultText(const std::vector<Structure>& structures) {
    std::ostringstream out;
    writeResults(out, structures);
    return out.str();
}

std::size_t genesOf(const Structure& s) {
    std::size_t n = 0;
    for (const Chromosome& c : s.chromosomes) n += c.genes.size();
    return n;
}

// The DCJ-indel program of the pair refuses only with its messages, and its
// lines stay within the LP limit.
void checkDcjProgram(const model::GenomePair& pair) {
    model::DcjProgram program;
    try {
        program = model::buildDcjProgram(pair, model::MatchingModel{model::ModelKind::intermediate, {}, ""});
    } catch (const std::runtime_error& e) {
        const std::string message = e.what();
        if (message.rfind("label ", 0) != 0 && message.rfind("family \"", 0) != 0 &&
            message.rfind("the program would be too large", 0) != 0)
            fail("DCJ program: " + message);
        return;
    }
    std::ostringstream out;
    lp::writeProgram(out, program.lp, {"fuzz"});
    std::istringstream lines(out.str());
    std::string line;
    while (std::getline(lines, line))
        if (line.size() > lp::kMaxLpLineBytes) fail("DCJ LP line of " + std::to_string(line.size()) + " bytes");
}

// The reduced DCJ-indel program refuses only with its messages, its lines
// stay within the LP limit, and the greedy start is a feasible point whose
// objective is its matching's distance.
void checkReducedDcjProgram(const model::GenomePair& pair) {
    const model::MatchingModel intermediate{model::ModelKind::intermediate, {}, ""};
    model::DcjReducedProgram program;
    try {
        program = model::buildDcjReducedProgram(pair, intermediate);
    } catch (const std::runtime_error& e) {
        const std::string message = e.what();
        if (message.rfind("label ", 0) != 0 && message.rfind("family \"", 0) != 0 &&
            message.rfind("the program would be too large", 0) != 0)
            fail("reduced DCJ program: " + message);
        return;
    }
    std::ostringstream out;
    lp::writeProgram(out, program.lp, {"fuzz"});
    std::istringstream lines(out.str());
    std::string line;
    while (std::getline(lines, line))
        if (line.size() > 255) fail("reduced DCJ LP line of " + std::to_string(line.size()) + " bytes");
    const model::Matching greedy = model::greedyDcjMatching(pair, intermediate);
    const std::vector<std::int64_t> start = model::dcjStartValues(program, pair, greedy);
    const std::string broken = lp::firstViolation(program.lp, start);
    if (!broken.empty()) fail("reduced DCJ start breaks " + broken);
    if (lp::objectiveAt(program.lp, start) != model::scoreDcj(*pair.a, *pair.b, greedy).distance)
        fail("reduced DCJ start's objective is not its distance");
}

// The DCJ-indel distance: each genome with singular genes needs an indel, and
// the distance does not depend on which genome is A.
void checkDcj(const model::GenomePair& pair, const model::Matching& matching) {
    const model::DcjScore score = model::scoreDcj(*pair.a, *pair.b, matching);
    if (score.distance < (score.deleted > 0 ? 1 : 0) + (score.inserted > 0 ? 1 : 0))
        fail("DCJ-indel distance " + std::to_string(score.distance) + " below its indels");
    model::Matching swapped;
    for (const model::MatchedPair& m : matching) swapped.push_back({m.b, m.a});
    if (model::scoreDcj(*pair.b, *pair.a, swapped).distance != score.distance)
        fail("DCJ-indel distance depends on which genome is A");
}

// The scores and the program of the first two structures; small genomes only,
// since families of many copies side by side make programs of any size.
void checkPair(const std::vector<Structure>& structures) {
    if (structures.size() < 2 || genesOf(structures[0]) > 64 || genesOf(structures[1]) > 64) return;
    const model::GenomePair pair = model::selectPair(structures, 2);
    try {
        const model::Matching matching = model::matchByLabels(pair);
        const model::Score score = model::scoreMatching(*pair.a, *pair.b, matching);
        if (score.objective() > 2 * score.matched) fail("score above twice the pairs");
        checkDcj(pair, matching);
    } catch (const std::runtime_error& e) {
        if (std::string(e.what()).rfind("label ", 0) != 0) fail(std::string("score: ") + e.what());
    }
    for (const model::ModelKind kind :
         {model::ModelKind::maximum, model::ModelKind::exemplar, model::ModelKind::intermediate}) {
        model::MatchingModel matchingModel;
        matchingModel.kind = kind;
        model::MatchingProgram program;
        try {
            program = model::buildMatchingProgram(pair, matchingModel);
        } catch (const std::runtime_error& e) {
            const std::string message = e.what();
            if (message.rfind("label ", 0) != 0 && message.rfind("family \"", 0) != 0)
                fail("program: " + message);
            continue;
        }
        std::ostringstream out;
        lp::writeProgram(out, program, {"fuzz"});
        std::istringstream lines(out.str());
        std::string line;
        while (std::getline(lines, line))
            if (line.size() > lp::kMaxLpLineBytes) fail("LP line of " + std::to_string(line.size()) + " bytes");
    }
    checkDcjProgram(pair);
    checkReducedDcjProgram(pair);
}

}  // namespace

void checkGenomes(std::string_view input) {
    Genomes genomes;
    try {
        genomes = readGenomesText(input, "fuzz");
    } catch (const std::runtime_error& e) {
        if (std::string(e.what()).rfind("fuzz: line ", 0) != 0) fail(std::string("message: ") + e.what());
        return;
    }
    // What was read, written as a result file, reads back the same.
    const std::string written = resultText(genomes.structures);
    const Genomes again = readGenomesText(written, "written");
    if (again.format != GenomeFormat::result || resultText(again.structures) != written)
        fail("the written genomes read back differently");
    checkPair(genomes.structures);
}

}  // namespace rp::fuzz
