#include "pair/pair_folder.hpp"

#include <algorithm>
#include <filesystem>
#include <string_view>

#include "io/output_file.hpp"

namespace rp::pair {

namespace fs = std::filesystem;

namespace {

bool isRoadFile(std::string_view name) {
    return std::find(kRoadFiles.begin(), kRoadFiles.end(), name) != kRoadFiles.end();
}

// ".NAME.XXXXXX" of a road file or of the mark.
bool isRoadTemporary(const std::string& name) {
    if (name.size() < 9 || name[0] != '.' || name[name.size() - 7] != '.') return false;
    const std::string_view of = std::string_view(name).substr(1, name.size() - 8);
    return of == files::mark || isRoadFile(of);
}

bool same(const fs::path& a, const fs::path& b) {
    std::error_code error;
    return fs::equivalent(a, b, error);
}

// An input that is the folder itself or one of the road's files in it.
void refuseInputs(const fs::path& dir, const std::vector<std::string>& inputs) {
    for (const std::string& input : inputs) {
        if (input.empty() || input == "-") continue;
        if (same(input, dir))
            throw FolderError(dir.string() + " is one of this run's inputs, not a folder for the pair's files");
        for (const char* file : kRoadFiles)
            if (same(input, dir / file))
                throw FolderError("the input " + input + " is the file " + file + " of the pair's folder " +
                                  dir.string() + ", which the run replaces: copy it elsewhere first");
    }
}

// The first entry of an unmarked folder that is not the road's, or "".
std::string foreignEntry(const fs::path& dir) {
    std::error_code error;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        std::error_code kind;
        if (!(isRoadFile(name) || isRoadTemporary(name)) || it->is_directory(kind)) return name;
    }
    if (error) throw FolderError("cannot read the folder " + dir.string() + ": " + error.message());
    return {};
}

void checkOrCreate(const fs::path& dir) {
    std::error_code error;
    const fs::file_status status = fs::status(dir, error);
    if (!fs::exists(status)) {
        fs::create_directories(dir, error);
        if (error) throw FolderError("cannot create the directory " + dir.string() + ": " + error.message());
        return;
    }
    if (!fs::is_directory(status)) throw FolderError(dir.string() + " exists and is not a folder");
    if (fs::exists(dir / files::mark, error)) return;
    const std::string foreign = foreignEntry(dir);
    if (!foreign.empty())
        throw FolderError(dir.string() + " holds " + foreign +
                          ", which paralogs pair did not write: give a new or empty folder for the pair");
}

void removeTemporaries(const fs::path& dir) {
    for (const char* file : kRoadFiles) io::removeStaleTemporaries(dir.string(), file);
    io::removeStaleTemporaries(dir.string(), files::mark);
}

}  // namespace

void claimFolder(const std::string& directory, const std::vector<std::string>& inputs) {
    const fs::path dir(directory);
    refuseInputs(dir, inputs);
    checkOrCreate(dir);
    io::writeOutputFile((dir / files::mark).string(), [](std::ostream& out) {
        out << "A folder of paralogs pair: it removes and replaces only its own files here.\n";
    });
    for (const char* file : kRoadFiles) {
        std::error_code error;
        fs::remove(dir / file, error);
        if (error) throw FolderError("cannot remove " + (dir / file).string() + ": " + error.message());
    }
    removeTemporaries(dir);
}

void releaseFolder(const std::string& directory) {
    const fs::path dir(directory);
    std::error_code error;
    for (const char* file : kRoadFiles) fs::remove(dir / file, error);
    removeTemporaries(dir);
    fs::remove(dir / files::mark, error);
    fs::remove(dir, error);  // only when empty
}

}  // namespace rp::pair
