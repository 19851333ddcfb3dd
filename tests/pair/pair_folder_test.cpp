// Which folders the road takes as its own, what it removes in them when it
// claims and releases them, and that a refused folder is left untouched.
#include "pair/pair_folder.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/temp_dir.hpp"

namespace rp::pair {
namespace {

namespace fs = std::filesystem;
using Entries = std::set<std::string>;

Entries entriesOf(const std::string& path) {
    Entries entries;
    if (!fs::is_directory(path)) return entries;
    for (const auto& entry : fs::directory_iterator(path)) entries.insert(entry.path().filename());
    return entries;
}

TEST(PairFolder, ClaimsOnlyFoldersThatAreTheRoads) {
    const struct {
        const char* name;
        std::vector<std::string> files;  // made in the folder "p" first; "dir/" a folder
        std::vector<std::string> inputs;
        const char* refusal;  // empty: claimed
        Entries after;
    } cases[] = {
        {"missing", {}, {}, "", {".paralogs-pair"}},
        {"empty", {"dir/"}, {}, "", {".paralogs-pair"}},
        {"earlier run, temporaries",
         {"summary.tsv", "model.lp", ".model.lp.Ab12Cd", ".summary.tsv.zz99ZZ"},
         {},
         "",
         {".paralogs-pair"}},
        {"foreign file", {"thesis.tex"}, {}, "p holds thesis.tex, which paralogs pair did not write", {"thesis.tex"}},
        {"foreign folder", {"model.lp/"}, {}, "p holds model.lp", {"model.lp"}},
        {"not our temporary", {".model.lp.Ab12"}, {}, "p holds .model.lp.Ab12", {".model.lp.Ab12"}},
        {"marked, with a file of the user's",
         {".paralogs-pair", "notes.txt", "solution.xml", ".start.sol.a1B2c3"},
         {},
         "",
         {".paralogs-pair", "notes.txt"}},
        {"a file", {"=p"}, {}, "p exists and is not a folder", {}},
        {"an input", {"=p"}, {"p"}, "p is one of this run's inputs", {}},
        {"an input is its pair.txt",
         {".paralogs-pair", "pair.txt"},
         {"p/pair.txt"},
         "p/pair.txt is the file pair.txt of the pair's folder",
         {".paralogs-pair", "pair.txt"}},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        const std::string folder = dir.file("p");
        for (const std::string& file : c.files) {
            if (file == "dir/") {
                fs::create_directory(folder);
            } else if (file[0] == '=') {
                dir.write("p", "the user's\n");
            } else if (file.back() == '/') {
                fs::create_directories(folder + "/" + file);
            } else {
                fs::create_directories(folder);
                dir.write("p/" + file, "x\n");
            }
        }
        std::vector<std::string> inputs;
        for (const std::string& input : c.inputs) inputs.push_back(dir.file(input));
        std::string refusal;
        try {
            claimFolder(folder, inputs);
        } catch (const FolderError& e) {
            refusal = e.what();
        }
        if (*c.refusal == '\0') {
            EXPECT_EQ(refusal, "") << c.name;
        } else {
            EXPECT_NE(refusal.find(c.refusal), std::string::npos) << c.name << ": " << refusal;
        }
        EXPECT_EQ(entriesOf(folder), c.after) << c.name;
        if (c.files.size() == 1 && c.files[0] == "=p") {
            EXPECT_EQ(dir.read("p"), "the user's\n") << c.name;
        }
    }
}

TEST(PairFolder, ReleaseRemovesOnlyTheRoadsFiles) {
    const struct {
        std::vector<std::string> files;
        bool folderStays;
        Entries after;
    } cases[] = {
        {{"summary.tsv", "resolved.unimog", ".solver.out.q1W2e3"}, false, {}},
        {{"summary.tsv", "notes.txt", "sub/keep"}, true, {"notes.txt", "sub"}},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        claimFolder(dir.file("p"), {});
        for (const std::string& file : c.files) {
            fs::create_directories(fs::path(dir.file("p/" + file)).parent_path());
            dir.write("p/" + file, "x\n");
        }
        releaseFolder(dir.file("p"));
        EXPECT_EQ(fs::exists(dir.file("p")), c.folderStays);
        EXPECT_EQ(entriesOf(dir.file("p")), c.after);
    }
}

}  // namespace
}  // namespace rp::pair
