// The solvers as real processes on an LP file in a directory: CBC's and
// GLPK's answers as a status, an objective and the variables' values.
#pragma once

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace rp::test {

struct SolverAnswer {
    bool optimal = false;
    double objective = 0;
    std::map<std::string, double> values;  // CBC: the variables not at 0
    std::string log;
};

inline bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path == nullptr ? "" : path);
    std::string dir;
    while (std::getline(dirs, dir, ':'))
        if (!dir.empty() && std::system(("test -x '" + dir + "/" + program + "'").c_str()) == 0) return true;
    return false;
}

inline std::string pathOf(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path == nullptr ? "" : path);
    std::string dir;
    while (std::getline(dirs, dir, ':'))
        if (!dir.empty() && std::system(("test -x '" + dir + "/" + program + "'").c_str()) == 0)
            return dir + "/" + program;
    return program;
}

// `cbc LP [OPTIONS] solve solu OUT`; the solution file's first line is the
// status and the objective, then one line per variable not at 0: index, name,
// value, reduced cost.
inline SolverAnswer runCbc(const TempDir& dir, const std::string& lp, const std::vector<std::string>& options = {}) {
    static const std::string cbc = pathOf("cbc");
    std::vector<std::string> args{lp};
    args.insert(args.end(), options.begin(), options.end());
    for (const char* word : {"solve", "solu", "cbc.sol"}) args.emplace_back(word);
    const ProcessResult run = runProcess(cbc, args, dir.path());
    SolverAnswer answer;
    answer.log = run.out + run.err;
    if (run.status != 0 || !dir.exists("cbc.sol")) return answer;
    std::istringstream sol(dir.read("cbc.sol"));
    std::string status;
    std::getline(sol, status);
    answer.optimal = status.rfind("Optimal", 0) == 0;
    const auto at = status.find("objective value");
    if (at != std::string::npos) answer.objective = std::stod(status.substr(at + 15));
    std::string line;
    while (std::getline(sol, line)) {
        std::istringstream fields(line);
        std::string index, name;
        double value = 0;
        fields >> index;
        if (index == "**") fields >> index;
        if (fields >> name >> value) answer.values[name] = value;
    }
    return answer;
}

// `glpsol --lp LP -o OUT`: the status and objective of its report.
inline SolverAnswer runGlpk(const TempDir& dir, const std::string& lp) {
    static const std::string glpsol = pathOf("glpsol");
    const ProcessResult run = runProcess(glpsol, {"--lp", lp, "-o", "glpk.txt"}, dir.path());
    SolverAnswer answer;
    answer.log = run.out + run.err;
    if (run.status != 0 || !dir.exists("glpk.txt")) return answer;
    std::istringstream report(dir.read("glpk.txt"));
    std::string line;
    while (std::getline(report, line)) {
        if (line.rfind("Status:", 0) == 0) answer.optimal = line.find("INTEGER OPTIMAL") != std::string::npos;
        if (line.rfind("Objective:", 0) == 0) {
            const auto eq = line.find('=');
            if (eq != std::string::npos) answer.objective = std::stod(line.substr(eq + 1));
        }
    }
    return answer;
}

}  // namespace rp::test
