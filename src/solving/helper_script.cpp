#include "solving/helper_script.hpp"

#include <cstdlib>
#include <filesystem>

namespace rp::solving {

namespace fs = std::filesystem;

std::vector<std::string> helperScriptPlaces(const std::string& script, const std::string& variable,
                                            const std::string& programDir) {
    std::vector<std::string> places;
    if (!variable.empty()) places.push_back(variable);
    if (!programDir.empty()) {
        const fs::path dir(programDir);
        places.push_back((dir.parent_path() / "share" / "paralogs" / script).lexically_normal().string());
        places.push_back((dir / "share" / "paralogs" / script).lexically_normal().string());
    }
    return places;
}

std::string findHelperScript(const SolverDescriptor& solver) {
    if (solver.script.empty()) return {};
    const char* set = std::getenv(std::string(solver.scriptVariable).c_str());
    const std::vector<std::string> places =
        helperScriptPlaces(std::string(solver.script), set != nullptr ? set : "", runningProgramDirectory());
    if (places.empty()) return std::string(solver.script);
    // A variable that is set is the user's word: it is not looked past.
    if (set != nullptr && *set != '\0') return places.front();
    for (const std::string& place : places) {
        std::error_code error;
        if (fs::is_regular_file(place, error)) return place;
    }
    return places.front();
}

std::string runningProgramDirectory() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return program.parent_path().string();
}

}  // namespace rp::solving
