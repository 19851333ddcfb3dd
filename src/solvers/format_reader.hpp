// The shape every solver's reader has: it recognises its format from the
// first lines of the (decompressed) content, then reads the whole input and
// streams the solution's header and variables to a sink.
#pragma once

#include <streambuf>
#include <string_view>
#include <vector>

#include "solvers/variable_sink.hpp"

namespace rp::solvers {

// The start of an input as recognition sees it: a byte order mark removed,
// line breaks ("\n", "\r\n") cut off, leading blank lines skipped.
struct FirstLines {
    std::vector<std::string_view> lines;  // at most kCount, the last maybe cut short
    static constexpr std::size_t kCount = 12;
};

struct FormatReader {
    std::string_view name;  // the format, or the family of formats it reads
    bool (*recognises)(const FirstLines& first);
    // Reads from the start of the input; throws SolutionError.
    void (*read)(std::streambuf& in, const ReadOptions& options, VariableSink& sink);
};

// One per format (Gurobi and COPT share theirs), in the order recognition
// asks them.
const FormatReader& cplexReader();
const FormatReader& gurobiReader();
const FormatReader& cbcReader();
const FormatReader& glpkReader();
const FormatReader& lpSolveReader();
const FormatReader& scipReader();
const FormatReader& highsReader();
const FormatReader& miplibReader();
const FormatReader& mosekReader();

// Every reader, in the order above.
const std::vector<const FormatReader*>& allReaders();

// The reader whose format the first lines show, or nullptr. Throws
// SolutionError for content that is recognised as a solution no reader can
// convert (GLPK's raw file, which has no names).
const FormatReader* recognise(const FirstLines& first);

// Fails for --solution K other than 0 in formats holding one solution.
void requireSingleSolution(const ReadOptions& options, std::string_view format);

}  // namespace rp::solvers
