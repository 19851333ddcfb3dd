// A pair's folder and what in it belongs to the road. The road removes and
// replaces only its own files, in a folder that is its own: one this run
// makes, one an earlier run marked (the mark file, written before any other
// file), or one that holds nothing but the road's files. Anything else (a
// folder of the user's, a file, one of the run's inputs) is refused before
// anything in it is touched.
#pragma once

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

namespace rp::pair {

// The files of a pair's folder.
namespace files {
inline constexpr const char* pair = "pair.txt";
inline constexpr const char* model = "model.lp";
inline constexpr const char* start = "start.sol";  // dcj, a solver that reads a start: the greedy matching's values
inline constexpr const char* solverLog = "solver.log";
inline constexpr const char* crashedLog = "solver.log.crashed";  // the log of a run that crashed, before its rerun
inline constexpr const char* solverOut = "solver.out";
inline constexpr const char* solution = "solution.xml";
inline constexpr const char* resolved = "resolved.txt";
inline constexpr const char* resolvedUnimog = "resolved.unimog";
inline constexpr const char* summary = "summary.tsv";
// The mark of a folder the road owns.
inline constexpr const char* mark = ".paralogs-pair";
}  // namespace files

// Every file the road writes in a pair's folder, the summary first (it is
// withdrawn first, so that it never describes files of another run).
inline constexpr std::array<const char*, 10> kRoadFiles{
    files::summary, files::pair,      files::model,    files::start,    files::solverLog,
    files::crashedLog, files::solverOut, files::solution, files::resolved, files::resolvedUnimog};

// A folder the road may not use; nothing in it was touched.
class FolderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Makes `directory` the road's: checks it (FolderError when it is one of
// `inputs`, a file, or a folder holding anything but the road's files and
// no mark, or when an input is one of the road's files in it), creates it
// (parents too) when missing, marks it, then removes the road's files of an
// earlier run, summary first, and their stale temporary files.
void claimFolder(const std::string& directory, const std::vector<std::string>& inputs);

// Removes what the road wrote in a folder it claimed: its files, their
// temporary files and its mark, then the folder itself when nothing else is
// left in it. Never throws; what cannot be removed stays.
void releaseFolder(const std::string& directory);

}  // namespace rp::pair
