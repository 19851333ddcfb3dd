// paralogs solution: any solver's answer to the one CPLEX XML form that
// resolve-paralogs reads.
#include <sstream>

#include "text/quoting.hpp"
#include "io/input_file.hpp"
#include "io/output_file.hpp"
#include "paralogs/command.hpp"
#include "paralogs/commands.hpp"
#include "solvers/conversion.hpp"
#include "solvers/solution_writer.hpp"

namespace rp::paralogs {

int runSolution(int argc, const char* const argv[]) {
    static constexpr CommandInfo kInfo{
        "solution", "-i SOLUTION -o OUT.xml [--solution K] [--tolerance T]",
        "Converts a solver's solution (CPLEX XML, Gurobi, COPT, CBC, GLPK, lp_solve, SCIP, HiGHS, "
        "MIPLIB, MOSEK; compressed or not) to the CPLEX XML document resolve-paralogs reads."};
    po::options_description options;
    options.add_options()
        ("input,i", po::value<std::string>()->required(), "the solver's solution (- for standard input)")
        ("output,o", po::value<std::string>()->required(), "the CPLEX XML document written (- for standard output)")
        ("solution", po::value<long long>(), "member K (from 0) of a CPLEX solution pool or MIP start file")
        ("tolerance", po::value<double>()->default_value(1e-5, "1e-5"),
         "distance from an integer within which a z variable counts as that integer");
    return runCommand(kInfo, options, argc, argv, [](const po::variables_map& values) {
        solvers::ConversionOptions conversion;
        conversion.tolerance = values["tolerance"].as<double>();
        if (!(conversion.tolerance >= 0 && conversion.tolerance < 0.5))
            throw UsageError("--tolerance must be at least 0 and below 0.5");
        if (values.count("solution") != 0) {
            const long long member = values["solution"].as<long long>();
            if (member < 0) throw UsageError("--solution must be 0 or more");
            conversion.member = static_cast<std::size_t>(member);
        }
        io::InputFile input(values["input"].as<std::string>(), inputOptions(values));
        solvers::ConversionSummary summary;
        io::OutputFile output(values["output"].as<std::string>(), io::OutputFile::InPlace::atCommit);
        if (output.restartable()) conversion.restartOutput = [&output] { output.restart(); };
        try {
            summary = solvers::convertSolution(*input.stream().rdbuf(), output.stream(), conversion);
        } catch (const solvers::SolutionError& e) {
            throw std::runtime_error(input.name() + ": " + e.what());
        }
        output.commit();
        printSummary(kInfo, "format " + std::string(solvers::formatName(summary.header.format)));
        printSummary(kInfo, "status " + (summary.header.status.empty() ? std::string("(none given)")
                                                                         : summary.header.status));
        std::string objective = "objective ";
        if (summary.objective)
            solvers::appendNumber(objective, *summary.objective);
        else
            objective += "(not given)";
        printSummary(kInfo, objective);
        std::ostringstream counts;
        counts << summary.variables << " variables, " << summary.zAtOne << " z variables at 1, "
               << summary.families << " families";
        printSummary(kInfo, counts.str());
        if (summary.header.outcome == solvers::Outcome::limit)
            printWarning(kInfo, "the solver stopped at a limit (status " + quoteInput(summary.header.status, 200) +
                                    "): the matching may not be optimal");
    });
}

}  // namespace rp::paralogs
