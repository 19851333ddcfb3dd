// What a solver's log says of the best bound it proved, for an answer that
// stopped at a limit: CBC's "best possible", GLPK's bound on its progress
// lines, HiGHS' "Dual bound".
#pragma once

#include <optional>
#include <string_view>

#include "solvers/variable_sink.hpp"

namespace rp::solving {

enum class Sense { minimise, maximise };

// The best bound on the objective that `log` reports, read by the grammar of
// the solver whose answer has `format` (cbc, glpk, highs; nothing for the
// others): CBC's last "best possible V" (CBC minimises internally, so V is
// the negated bound of a maximisation), the bound after "<=" (maximisation)
// or ">=" (minimisation) on GLPK's last "mip =" progress line, the value of
// the last "Dual bound" line of HiGHS' solving report. Empty when the log
// reports none or an infinite one.
std::optional<double> reportedBound(solvers::Format format, std::string_view log, Sense sense);

}  // namespace rp::solving
