// What a solver's log says of the best bound it proved, for an answer that
// stopped at a limit: CBC's first relaxation, root cuts and "best possible",
// GLPK's bound on its progress lines, HiGHS' "Dual bound".
#pragma once

#include <optional>
#include <string_view>

#include "solvers/variable_sink.hpp"

namespace rp::solving {

enum class Sense { minimise, maximise };

// The best bound on the objective that `log` reports, read by the grammar of
// the solver whose answer has `format` (cbc, glpk, highs; nothing for the
// others): CBC's last of "Continuous objective value is V" (its first LP
// relaxation, in the program's sense), "cuts changed objective from U to V"
// and "best possible V" (these two in CBC's own sense: it minimises, so V
// is the negated bound of a maximisation), the bound after "<=" (maximisation)
// or ">=" (minimisation) on GLPK's last "mip =" progress line, the value of
// the last "Dual bound" line of HiGHS' solving report. Empty when the log
// reports none or an infinite one.
std::optional<double> reportedBound(solvers::Format format, std::string_view log, Sense sense);

// Whether `log` holds the closing summary of the solver's search (CBC's
// "Partial search" or "Search completed"), so that a solver that crashed
// after writing it crashed on its way out, its search and bound complete.
// False for the solvers whose summary this does not know.
bool searchEnded(solvers::Format format, std::string_view log);

}  // namespace rp::solving
