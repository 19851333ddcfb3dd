// Helpers of the solvers' tests: a conversion in memory, and the written
// document read back.
#pragma once

#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "solution/fast_reader.hpp"
#include "solution/solution_reader.hpp"
#include "solvers/conversion.hpp"

namespace rp::solvers::test {

struct Converted {
    bool ok = false;
    std::string document;  // what was written
    std::string message;   // the failure
    ConversionSummary summary;
};

inline Converted convert(const std::string& input, const ConversionOptions& options = {}) {
    std::istringstream in(input);
    std::ostringstream out;
    Converted result;
    try {
        result.summary = convertSolution(*in.rdbuf(), out, options);
        result.ok = true;
    } catch (const std::exception& e) {
        result.message = e.what();
    }
    result.document = out.str();
    return result;
}

// The variables of a written document, as the streaming reader walks them.
struct WrittenVariables : SolutionVisitor {
    std::vector<std::pair<std::string, std::string>> variables;
    bool variable(std::size_t, const WalkedAttribute& name, const WalkedAttribute& value) override {
        variables.emplace_back(std::string(name.text), std::string(value.text));
        return true;
    }
};

inline std::vector<std::pair<std::string, std::string>> readBack(const std::string& document) {
    std::istringstream in(document);
    WrittenVariables walked;
    const WalkOutcome outcome = walkSolution(in, walked, WalkedMembers::firstTopLevel);
    if (!outcome.completed) throw std::runtime_error("the written document does not read back");
    return walked.variables;
}

// The value text written for `name`, or nothing.
inline std::optional<std::string> valueOf(const std::string& document, const std::string& name) {
    for (const auto& [n, v] : readBack(document))
        if (n == name) return v;
    return std::nullopt;
}

// resolve-paralogs' decisions from the written document.
inline AssignmentMap decisionsOf(const std::string& document) {
    std::istringstream in(document);
    return readSolution(in);
}

}  // namespace rp::solvers::test
