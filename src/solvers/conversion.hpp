// Converting any solver's solution to the CPLEX XML document resolve-paralogs
// reads: the format recognised from the content, the solution streamed from
// its reader through the checks to the writer in one pass.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string>

#include "solvers/variable_sink.hpp"

namespace rp::solvers {

struct ConversionOptions {
    std::optional<std::size_t> member;  // --solution K (CPLEX pools)
    double tolerance = 1e-5;            // integrality of the z variables
    // When set, empties the output so that it is written again from its
    // start (a regular file can; standard output cannot). A CBC solution is
    // then written as it is read, and written again should rows turn out to
    // have come first, instead of being kept aside until the end.
    std::function<void()> restartOutput;
};

struct ConversionSummary {
    SolutionHeader header;
    std::optional<double> objective;
    std::uint64_t variables = 0;
    std::uint64_t zAtOne = 0;
    std::uint64_t families = 0;
};

// Reads the solution in `in` and writes it to `out`. Throws SolutionError for
// an input that cannot be converted (unknown format, no solution, a check
// that fails), with a message that does not name the input; failures of the
// input itself (rp::io::InputError) pass through.
ConversionSummary convertSolution(std::streambuf& in, std::ostream& out, const ConversionOptions& options);

struct FormatReader;

// The same with a given reader, whatever the first lines show.
ConversionSummary convertSolutionWith(const FormatReader& reader, std::streambuf& in, std::ostream& out,
                                      const ConversionOptions& options);

// The z variable name cut as resolve-paralogs cuts it, when it has the one
// shape it reads as a decision without surprise: "z", one byte, a nonempty
// family, ".", 1 to 7 decimal digits, ".", 1 to 7 decimal digits.
struct ZName {
    std::string_view family;
    std::uint32_t from = 0;
    std::uint32_t to = 0;
};
std::optional<ZName> cutZName(std::string_view name);

}  // namespace rp::solvers
