// The reader of a solver's log (paralogs pair's bound of a limit): any bytes
// give a finite bound or none, never a failure, and the two senses agree
// where the grammar says they must; whether the search ended is read from
// CBC's log alone.
#include <cmath>
#include <string>

#include "checks.hpp"
#include "solving/solver_log.hpp"

namespace rp::fuzz {

void checkSolverLog(std::string_view input) {
    using solving::Sense;
    using solvers::Format;
    for (const Format format : {Format::cbc, Format::glpk, Format::highs, Format::gurobi}) {
        const std::optional<double> most = solving::reportedBound(format, input, Sense::maximise);
        const std::optional<double> least = solving::reportedBound(format, input, Sense::minimise);
        for (const std::optional<double>& bound : {most, least})
            if (bound && !std::isfinite(*bound))
                throw CheckFailure("an infinite bound from the log of " + std::string(solvers::formatName(format)));
        // CBC minimises internally: a maximisation's bound is the negated
        // one, except its first relaxation's, written in the program's sense.
        if (format == Format::cbc &&
            (most.has_value() != least.has_value() || (most && std::fabs(*most) != std::fabs(*least))))
            throw CheckFailure("CBC's bound differs by more than its sign between the senses");
        // HiGHS reports the bound in the problem's own sense.
        if (format == Format::highs && most != least) throw CheckFailure("HiGHS' bound depends on the sense");
        if (format == Format::gurobi && (most || least)) throw CheckFailure("a bound from a log that is not read");
        // Only CBC's closing summary is known.
        if (solving::searchEnded(format, input) && format != Format::cbc)
            throw CheckFailure("a search's end read from the log of " + std::string(solvers::formatName(format)));
    }
}

}  // namespace rp::fuzz
