// Properties that every input, however broken, must keep: shared by the fuzz
// targets and by the test that replays the inputs they found.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace rp::fuzz {

// A property the system did not keep, with what went wrong.
class CheckFailure : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// The steps whose failure messages are checked.
enum class Step { structs, zname, solution, run };

// Whether `message` is one that `step` reports: the conversion and container
// messages, the solution reader's missing nodes, bad float data, XML parse
// errors ("<unspecified file>(LINE): ...") and deep nesting.
bool isMessageOf(Step step, std::string_view message);

// Family table and structures from the bytes; any failure must carry one of
// the reader's messages. What was read is written, and the written
// chromosomes, read again, must give the same types and genes wherever the
// chromosome form can carry them (no negative copy index, no "." in a name).
void checkStructs(std::string_view input);

// The streaming and the exact solution readers on the same bytes: they differ
// at most by the streaming one declining, and it declines whenever the exact
// one fails. The exact reader keeps the outcome of the plain XML library
// read, and refuses deep documents only where the parser would go that deep.
void checkSolution(std::string_view input);

// parseZVariableName on the bytes returns or throws one of its messages.
void checkZName(std::string_view input);

// The whole run in memory. The input is the structures file, a NUL byte and
// the solution document. Renumbering changes only copy indices of the first
// structure, phase 1 as the decisions say, phase 2 to the lowest index from
// 1 to 19 free in its family, never one index twice.
void checkRun(std::string_view input);

// paralogs solution on the bytes: recognition and then every reader,
// whatever the bytes look like. Each fails with a SolutionError or writes a
// document that reads back completely, with as many variables as it counted
// and, for resolve-paralogs (the streaming and the exact reader alike),
// exactly one decision per z variable at 1.
void checkSolvers(std::string_view input);

// The UniMoG reader on the bytes returns or throws its own messages, naming
// a line the input has; what it reads is written as a structures file and as
// UniMoG, each recognised as what it is and read back to the same genomes,
// and UniMoG written again from what was read back is the same bytes.
void checkUnimog(std::string_view input);

// Byte that separates the structures file from the solution in checkRun.
inline constexpr char kRunSeparator = '\0';

// The companion program's genomes reader: a read either succeeds, and what
// it read written as a result file reads back the same, or fails with a
// message that says where ("NAME: line L: ..."); the score by labels and the
// matching program and the DCJ-indel program of the first two structures
// refuse only with their messages, and the programs' lines stay within the
// LP limit.
void checkGenomes(std::string_view input);

// The bounds-file reader of paralogs model: a read either succeeds, with
// distinct non-empty families, lower <= upper and increasing line numbers,
// and the bounds written back as a file read the same; or fails with a
// message "SOURCE line N: ..." naming a line the input has.
void checkBounds(std::string_view input);

// The reader of a solver's log (the bound of a limit) on the bytes, for
// each solver whose log is read: a finite bound or none, never a failure;
// CBC's bound changes only its sign between the senses, HiGHS' not at all.
void checkSolverLog(std::string_view input);

// The GRIMM reader (fuzz/grimm_checks.cpp): a read either succeeds, and
// the genomes written in every format read back the same, or fails with
// "NAME: ...".
void checkGrimm(std::string_view input);

// The reader of sheets of pairs (fuzz/sheet_checks.cpp): a read either
// succeeds, with usable and distinct pair names, both genome names or
// neither, values without tabs or blanks at their ends, increasing line
// numbers, and the rows written back as a sheet read the same; or fails
// with "NAME line N: ..." naming a line the input has, or "NAME: empty".
void checkSheet(std::string_view input);

// The companion program's argument vector (fuzz/args_checks.cpp): the
// bytes split at NUL bytes give argv[1], argv[2], ... ("/" and "{" become
// "_", so that no argument names a place outside the scratch directory or a
// solver command). The program runs in memory in a scratch directory with
// small inputs (g.txt, g.unimog, g.grimm, s.xml, b.tsv) and no solver on
// PATH, and must end with an exit status of 0, 1 or 2 and no exception.
void checkArgs(std::string_view input);

// The argument vector checkArgs runs ("paralogs" first); longer vectors than
// kMaxArguments are not run.
std::vector<std::string> argumentsOf(std::string_view input);
inline constexpr std::size_t kMaxArguments = 64;

using Check = void (*)(std::string_view);

// The check of a target by name ("structs", "solution", "zname", "run",
// "genomes", "solvers", "unimog", "bounds", "solverlog", "grimm", "sheet",
// "args"), or
// nullptr.
Check checkFor(std::string_view target);

// Runs `check` on the bytes as a libFuzzer entry point does: a broken
// property is printed and ends the process with abort().
int fuzzOne(Check check, const std::uint8_t* data, std::size_t size);

}  // namespace rp::fuzz
