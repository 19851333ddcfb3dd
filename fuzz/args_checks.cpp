// The companion program's command line under any argument vector: run in
// memory, inside a scratch directory of its own, with no solver to be found.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <streambuf>
#include <string>
#include <vector>

#include "checks.hpp"
#include "paralogs/program.hpp"

namespace rp::fuzz {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void fail(const std::string& what) { throw CheckFailure(what); }

// Inputs the arguments may name: two genomes in each format and a solution.
constexpr const char* kInputs[][2] = {
    {"g.txt", "2\na 2\nb 1\n2\ng1 0 ; 1 ;\nL 3 : +a.1-b.1+a.2;\ng2 0 ; 1 ;\nC 3 : +a.1+a.2+b.1;\n"},
    {"g.unimog", ">g1\na -b a |\n>g2\na a b )\n"},
    {"g.grimm", ">g1\na -b a $\n>g2\na a b $\n"},
    {"s.xml",
     "<CPLEXSolution><variables><variable name=\"z_a.1.2\" value=\"1\"/>"
     "<variable name=\"z_a.2.1\" value=\"1\"/></variables></CPLEXSolution>\n"},
    {"b.tsv", "a\t1\t2\n"},
};

// A stream buffer that takes every character and keeps none.
class Discard : public std::streambuf {
protected:
    int overflow(int c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// A PATH under which no solver can be found. One fixed text: the C library
// keeps every value given to setenv, so a new one for each input would grow
// without end (and have every input checked for leaks).
constexpr const char* kNoSolverPath = "/nonexistent/rp-fuzz-args/no-solver-here";

// While it lives: the working directory is DIR/work in a new temporary DIR
// holding the inputs, PATH names no directory (so no solver starts),
// standard input is empty, standard output and the program's streams go
// nowhere. All is put back and DIR removed when it ends.
class Scratch {
public:
    Scratch() {
        // In memory where the system has it: the files come and go with
        // every input.
        std::string pattern = fs::is_directory("/dev/shm") ? "/dev/shm/rp-fuzz-args-XXXXXX" : "/tmp/rp-fuzz-args-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) fail("cannot make a scratch directory");
        root_ = pattern;
        fs::create_directory(root_ / "work");
        for (const auto& [name, text] : kInputs) std::ofstream(root_ / "work" / name) << text;
        previousDirectory_ = fs::current_path();
        fs::current_path(root_ / "work");
        const char* path = std::getenv("PATH");
        previousPath_ = path != nullptr ? path : "";
        setenv("PATH", kNoSolverPath, 1);
        savedIn_ = dup(0);
        savedOut_ = dup(1);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        close(null);
        previousCout_ = std::cout.rdbuf(&discard_);
        previousCerr_ = std::cerr.rdbuf(&discard_);
    }

    ~Scratch() {
        std::cout.rdbuf(previousCout_);
        std::cerr.rdbuf(previousCerr_);
        std::cout.clear();
        std::cerr.clear();
        std::cin.clear();
        dup2(savedIn_, 0);
        dup2(savedOut_, 1);
        close(savedIn_);
        close(savedOut_);
        setenv("PATH", previousPath_.c_str(), 1);
        std::error_code ignored;
        fs::current_path(previousDirectory_, ignored);
        fs::remove_all(root_, ignored);
    }

    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

private:
    fs::path root_;
    fs::path previousDirectory_;
    std::string previousPath_;
    int savedIn_ = -1;
    int savedOut_ = -1;
    Discard discard_;
    std::streambuf* previousCout_ = nullptr;
    std::streambuf* previousCerr_ = nullptr;
};

}  // namespace

std::vector<std::string> argumentsOf(std::string_view input) {
    std::vector<std::string> args{"paralogs"};
    if (input.empty()) return args;
    std::string current;
    for (const char c : input) {
        if (c == '\0') {
            args.push_back(current);
            current.clear();
        } else {
            current += (c == '/' || c == '{') ? '_' : c;
        }
    }
    args.push_back(current);
    return args;
}

void checkArgs(std::string_view input) {
    const std::vector<std::string> args = argumentsOf(input);
    if (args.size() > kMaxArguments) return;
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    argv.push_back(nullptr);
    int status = -1;
    {
        Scratch scratch;
        try {
            status = paralogs::runProgram(static_cast<int>(args.size()), argv.data());
        } catch (const std::exception& e) {
            fail(std::string("an exception left the program: ") + e.what());
        } catch (...) {
            fail("an exception that is no standard exception left the program");
        }
    }
    if (status < 0 || status > 2) fail("exit status " + std::to_string(status));
}

}  // namespace rp::fuzz
