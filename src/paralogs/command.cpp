#include "paralogs/command.hpp"

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <new>

#include "text/quoting.hpp"

namespace rp::paralogs {

namespace {

// The user's words inside a command-line error of Boost's: its message
// replaces each placeholder of its template ("%value%", "%option%", ...) by
// a word, again while the placeholder is found, so a word holding one would
// never end or would be mangled. Their '%' are set aside while the message
// is made and put back after.
struct ErrorWords : po::error_with_option_name {
    static std::map<std::string, std::string>& of(po::error_with_option_name& e) {
        return e.*(&ErrorWords::m_substitutions);
    }
};

std::string messageOf(po::error& e) {
    auto* named = dynamic_cast<po::error_with_option_name*>(&e);
    if (named == nullptr) return e.what();
    constexpr char kAside = '\x01';
    for (auto& [placeholder, word] : ErrorWords::of(*named)) std::replace(word.begin(), word.end(), '%', kAside);
    std::string message = e.what();
    std::replace(message.begin(), message.end(), kAside, '%');
    return message;
}

// The value of --max-input-size, read as Boost reads any option's value.
struct InputSize {
    std::uint64_t bytes = io::kDefaultMaxInputBytes;
};

void validate(boost::any& value, const std::vector<std::string>& words, InputSize*, int) {
    po::validators::check_first_occurrence(value);
    const std::string& word = po::validators::get_single_string(words);
    const std::optional<std::uint64_t> bytes = io::parseInputSize(word);
    if (!bytes) {
        po::error_with_option_name error("the argument ('%value%') for option '%canonical_option%' is invalid: a "
                                         "size is a whole number of bytes, or of K, M or G (0 or none: no bound)");
        error.set_substitute("value", word);
        throw error;
    }
    value = InputSize{*bytes};
}

void printUsage(std::ostream& out, const CommandInfo& command) {
    out << "Usage: paralogs " << command.name << ' ' << command.usage << '\n';
}

}  // namespace

void printMessage(std::string_view line) { std::cerr << escapeForTerminal(line) << '\n'; }

void printSummary(const CommandInfo& command, std::string_view line) {
    printMessage("paralogs " + std::string(command.name) + ": " + std::string(line));
}

void printWarning(const CommandInfo& command, std::string_view line) {
    printSummary(command, "warning: " + std::string(line));
}

io::InputOptions inputOptions(const po::variables_map& values) {
    return io::InputOptions{values["max-input-size"].as<InputSize>().bytes};
}

int runCommand(const CommandInfo& command, const po::options_description& options, int argc,
               const char* const argv[], const std::function<void(const po::variables_map&)>& body) {
    po::options_description all("Options");
    po::options_description shared;
    shared.add_options()("max-input-size",
                         po::value<InputSize>()->value_name("SIZE")->default_value(
                             InputSize{}, io::inputSizeText(io::kDefaultMaxInputBytes)),
                         "the most bytes one input may hold once decompressed: bytes, or K, M or G (0 or none: "
                         "no bound)")("help,h", "show this help and exit");
    // The command's own options first, then those every command takes.
    all.add(options).add(shared);
    po::variables_map values;
    try {
        // No positional words: a stray one is an error, not passed over.
        const po::positional_options_description none;
        po::store(po::command_line_parser(argc, argv).options(all).positional(none).run(), values);
        if (values.count("help") != 0) {
            printUsage(std::cout, command);
            std::cout << '\n' << command.purpose << "\n\n" << all;
            return 0;
        }
        po::notify(values);
    } catch (po::error& e) {
        printSummary(command, messageOf(e));
        printUsage(std::cerr, command);
        return 2;
    }
    try {
        body(values);
        return 0;
    } catch (const UsageError& e) {
        printSummary(command, e.what());
        printUsage(std::cerr, command);
        return 2;
    } catch (const std::bad_alloc&) {
        printSummary(command, "out of memory");
    } catch (const std::exception& e) {
        printSummary(command, e.what());
    }
    return 1;
}

}  // namespace rp::paralogs
