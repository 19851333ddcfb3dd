// What every subcommand of the companion program shares: option parsing with
// --help and --max-input-size, the summary and warning lines on standard
// error (each escaped as a terminal shows it), and the exit statuses (0 done,
// 1 failed, 2 a command line that cannot be used).
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

#include <boost/program_options.hpp>

#include "io/input_file.hpp"

namespace rp::paralogs {

namespace po = boost::program_options;

// A subcommand as the program lists it.
struct CommandInfo {
    std::string_view name;     // "model"
    std::string_view usage;    // "-s STRUCTS -o MODEL.lp [--second N]"
    std::string_view purpose;  // one line
};

// A command line that the command cannot use: exit status 2, with the usage.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Prints `line` and a line break on standard error, the bytes a terminal
// would not show escaped (escapeForTerminal): every message of the program
// goes through here.
void printMessage(std::string_view line);

// Prints "paralogs NAME: LINE" on standard error.
void printSummary(const CommandInfo& command, std::string_view line);

// Prints "paralogs NAME: warning: LINE" on standard error.
void printWarning(const CommandInfo& command, std::string_view line);

// The bound on each input of the command: --max-input-size SIZE (K, M or G;
// 0 or none for no bound), io::kDefaultMaxInputBytes unless given.
io::InputOptions inputOptions(const po::variables_map& values);

// Parses `argv` (argv[0], the command's name, is skipped) against `options` plus
// --max-input-size and -h/--help, then runs `body`. Help goes to standard output with status 0;
// an unusable command line (unknown or missing option, stray word, a
// UsageError from the body) prints "paralogs NAME: MESSAGE" and the usage
// line on standard error with status 2; any other failure prints
// "paralogs NAME: MESSAGE" with status 1. Returns the exit status.
int runCommand(const CommandInfo& command, const po::options_description& options, int argc,
               const char* const argv[], const std::function<void(const po::variables_map&)>& body);

}  // namespace rp::paralogs
