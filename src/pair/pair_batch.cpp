#include "pair/pair_batch.hpp"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <unordered_map>

#include "collection/genome_collection.hpp"
#include "collection/pair_sheet.hpp"
#include "formats/genomes_formats.hpp"
#include "io/input_file.hpp"
#include "io/output_file.hpp"

namespace rp::pair {

namespace fs = std::filesystem;
using collection::SheetRow;

namespace {

// The genomes of one file a sheet names, found by name; a name given to more
// than one genome finds none of them.
struct GenomesFile {
    std::string name;  // for messages
    std::vector<Structure> genomes;
    std::unordered_map<std::string, std::size_t> byName;
    std::unordered_map<std::string, std::size_t> counts;
};

// How often the summary of the pairs done so far is written while a sheet runs.
constexpr std::chrono::seconds kSummaryEvery{30};

// A row of the sheet with its genomes found.
struct PlannedPair {
    const SheetRow* row = nullptr;
    const std::vector<Structure>* genomes = nullptr;
    std::size_t a = 0, b = 0;
    std::string source;  // the genomes' file(s), for messages
};

class Planner {
public:
    Planner(const BatchRequest& request, const std::string& sheetName) : request_(request), sheetName_(sheetName) {
        if (request.sheet != "-") folder_ = fs::path(request.sheet).parent_path();
        inputs_ = request.collection;
        inputs_.push_back(request.sheet);
    }
    PlannedPair plan(const SheetRow& row);
    // Every file the sheet's pairs read, the sheet among them.
    const std::vector<std::string>& inputs() const { return inputs_; }

private:
    const GenomesFile& file(const std::string& genomes, const std::string& where);
    PlannedPair fromCollection(const SheetRow& row, const std::string& where);
    PlannedPair fromFile(const SheetRow& row, const std::string& where);

    const BatchRequest& request_;
    std::string sheetName_;
    fs::path folder_;
    std::map<std::string, std::unique_ptr<GenomesFile>> files_;
    std::unique_ptr<collection::GenomeCollection> collection_;
    std::vector<std::string> inputs_;
};

const GenomesFile& Planner::file(const std::string& genomes, const std::string& where) {
    const fs::path path = fs::path(genomes).is_absolute() ? fs::path(genomes) : folder_ / genomes;
    const std::string key = path.lexically_normal().string();
    std::unique_ptr<GenomesFile>& entry = files_[key];
    if (entry) return *entry;
    auto read = std::make_unique<GenomesFile>();
    try {
        const formats::InputText input = formats::readInputText(key, request_.pair.input);
        read->name = input.name;
        read->genomes =
            formats::readAnyGenomes(input.text, input.name, formats::UnknownText::readAsStructures).structures;
    } catch (const std::exception& e) {
        files_.erase(key);
        throw std::runtime_error(where + ": " + e.what());
    }
    for (std::size_t g = 0; g < read->genomes.size(); ++g) {
        read->byName.emplace(read->genomes[g].name, g);
        ++read->counts[read->genomes[g].name];
    }
    entry = std::move(read);
    inputs_.push_back(key);
    return *entry;
}

PlannedPair Planner::fromFile(const SheetRow& row, const std::string& where) {
    if (row.genomes == "-")
        throw std::runtime_error(where + ": pair " + row.pair + ": a sheet names genomes files, not standard input");
    const GenomesFile& genomes = file(row.genomes, where);
    PlannedPair planned{&row, &genomes.genomes, 0, 1, genomes.name};
    if (row.a.empty()) {
        if (genomes.genomes.size() < 2)
            throw std::runtime_error(where + ": " + genomes.name + " holds " + std::to_string(genomes.genomes.size()) +
                                     " genome(s), a pair needs two");
        return planned;
    }
    std::size_t* at[] = {&planned.a, &planned.b};
    for (int k = 0; k < 2; ++k) {
        const std::string& name = k == 0 ? row.a : row.b;
        const auto count = genomes.counts.find(name);
        if (count == genomes.counts.end())
            throw std::runtime_error(where + ": genome " + name + " is not in " + genomes.name);
        if (count->second > 1)
            throw std::runtime_error(where + ": genome " + name + " is in " + genomes.name + " more than once");
        *at[k] = genomes.byName.at(name);
    }
    return planned;
}

PlannedPair Planner::fromCollection(const SheetRow& row, const std::string& where) {
    if (request_.collection.empty())
        throw std::runtime_error(where + ": pair " + row.pair +
                                 " has no genomes file and no collection is given (-s GENOMES)");
    if (!collection_)
        collection_ = std::make_unique<collection::GenomeCollection>(collection::readCollection(request_.collection, request_.pair.input));
    PlannedPair planned{&row, &collection_->genomes, 0, 0, {}};
    std::size_t* at[] = {&planned.a, &planned.b};
    for (int k = 0; k < 2; ++k) {
        const std::string& name = k == 0 ? row.a : row.b;
        const std::optional<std::size_t> found = collection_->find(name);
        if (!found) throw std::runtime_error(where + ": genome " + name + " is not in the collection (-s)");
        *at[k] = *found;
    }
    const std::size_t fileA = collection_->fileOf[planned.a], fileB = collection_->fileOf[planned.b];
    planned.source = collection_->fileName(fileA) + (fileA == fileB ? "" : " and " + collection_->fileName(fileB));
    return planned;
}

PlannedPair Planner::plan(const SheetRow& row) {
    const std::string where = sheetName_ + " line " + std::to_string(row.line);
    if (row.pair == kBatchSummary)
        throw std::runtime_error(where + ": pair " + row.pair + " would take the place of the sheet's summary");
    return row.genomes.empty() ? fromCollection(row, where) : fromFile(row, where);
}

// The summary line of a pair that has no result of its road: one whose
// road could not even start or end (failed: its directory could not be the
// road's, or its summary could not be written), or one not run yet.
PairResult resultWithoutRoad(const PairRequest& request, PairStatus status, const std::string& note) {
    PairResult result;
    result.pair = request.name;
    result.a = request.given.at(0).name;
    result.b = request.given.at(1).name;
    result.solver = std::string(solving::describe(request.solver.kind).name);
    result.measure = std::string(distance::distanceName(request.measure));
    result.model = std::string(model::modelName(request.model)) + (request.bounds.empty() ? "" : "+bounds");
    result.status = status;
    result.note = note;
    return result;
}

std::string progressLine(std::size_t done, std::size_t total, const PairOutcome& outcome, double seconds) {
    const PairResult& r = outcome.result;
    char head[64], time[32];
    std::snprintf(head, sizeof head, "[%zu/%zu] ", done, total);
    std::snprintf(time, sizeof time, "%.2f s", seconds);
    std::string line = head;
    line.append(r.pair).append(": ").append(statusName(r.status));
    if (outcome.failed) return line.append(" (").append(r.note).append("), ").append(time);
    const std::string distance = r.distance ? formatFixed(*r.distance, r.distanceDigits) : "?";
    return line.append(", distance ").append(distance).append(", ").append(time);
}

PairOutcome runOne(const PairRequest& request) {
    try {
        return runPair(request, {});
    } catch (const std::exception& e) {
        PairOutcome outcome;
        outcome.failed = true;
        outcome.error = e.what();
        outcome.result = resultWithoutRoad(request, PairStatus::failed, e.what());
        return outcome;
    }
}

}  // namespace

Keep parseKeep(std::string_view text) {
    if (text == "all") return Keep::all;
    if (text == "failed") return Keep::failed;
    if (text == "none") return Keep::none;
    throw std::invalid_argument("unknown --keep \"" + std::string(text) + "\" (all, failed or none)");
}


namespace {

// The request of one planned pair.
PairRequest requestOf(const BatchRequest& request, const PlannedPair& p, const std::vector<std::string>& inputs) {
    PairRequest one = request.pair;
    one.given = {(*p.genomes)[p.a], (*p.genomes)[p.b]};
    one.genomes = p.source;
    one.a = one.given[0].name;
    one.b = one.given[1].name;
    one.name = p.row->pair;
    one.directory = (fs::path(request.directory) / p.row->pair).string();
    one.inputs = inputs;
    return one;
}

// DIR made ready for the sheet's summary: created when missing; a
// summary.tsv there must be one of ours (its header line), and the
// temporary files of a killed run's summary go.
void prepareBatchDirectory(const std::string& directory, const std::string& summary) {
    std::error_code error;
    fs::create_directories(directory, error);
    if (error) throw std::runtime_error("cannot create the directory " + directory + ": " + error.message());
    if (fs::exists(summary, error)) {
        const std::string expected = summaryHeader();
        std::ifstream in(summary, std::ios::binary);
        std::string header(expected.size(), '\0');
        in.read(header.data(), static_cast<std::streamsize>(header.size()));
        if (!in || header != expected)
            throw std::runtime_error(summary + " exists and is not the summary of a sheet of paralogs pair: "
                                     "give another directory (-d)");
    }
    io::removeStaleTemporaries(directory, kBatchSummary);
}

// The sheet's summary: the lines of the pairs done, then the others as pending.
void writeBatchSummary(const std::string& summary, const std::vector<PairResult>& done,
                       const std::vector<PairResult>& pending) {
    io::writeOutputFile(summary, [&](std::ostream& out) {
        out << summaryHeader();
        for (const PairResult& row : done) writeSummaryLine(out, row);
        for (std::size_t k = done.size(); k < pending.size(); ++k) writeSummaryLine(out, pending[k]);
    });
}

}  // namespace

BatchOutcome runPairs(const BatchRequest& request, const Progress& progress) {
    io::InputFile sheetFile(request.sheet, request.pair.input);
    const std::vector<SheetRow> rows = collection::readPairSheet(sheetFile.stream(), sheetFile.name());
    Planner planner(request, sheetFile.name());
    std::vector<PlannedPair> plan;
    plan.reserve(rows.size());
    for (const SheetRow& row : rows) plan.push_back(planner.plan(row));
    const std::string summary = (fs::path(request.directory) / kBatchSummary).string();
    prepareBatchDirectory(request.directory, summary);
    std::vector<PairRequest> requests;
    std::vector<PairResult> pending;
    for (const PlannedPair& p : plan) {
        requests.push_back(requestOf(request, p, planner.inputs()));
        pending.push_back(resultWithoutRoad(requests.back(), PairStatus::pending, "not run yet"));
    }
    // Before any pair's file, the summary says that no pair is done.
    writeBatchSummary(summary, {}, pending);
    BatchOutcome outcome;
    auto written = std::chrono::steady_clock::now();
    for (std::size_t k = 0; k < requests.size(); ++k) {
        const PairRequest& one = requests[k];
        const auto start = std::chrono::steady_clock::now();
        const PairOutcome result = runOne(one);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        outcome.failed += result.failed ? 1 : 0;
        outcome.rows.push_back(result.result);
        if (result.claimed && (request.keep == Keep::none || (request.keep == Keep::failed && !result.failed)))
            releaseFolder(one.directory);
        if (progress) progress(progressLine(k + 1, requests.size(), result, took.count()));
        // Now and then the pairs done so far, so that an interrupted run
        // keeps them.
        if (std::chrono::steady_clock::now() - written >= kSummaryEvery && k + 1 < requests.size()) {
            writeBatchSummary(summary, outcome.rows, pending);
            written = std::chrono::steady_clock::now();
        }
    }
    writeBatchSummary(summary, outcome.rows, pending);
    return outcome;
}

}  // namespace rp::pair
