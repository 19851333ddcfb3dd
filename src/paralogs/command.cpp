#include "paralogs/command.hpp"

#include <algorithm>
#include <iostream>
#include <map>
#include <string>
#include <new>

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

void printUsage(std::ostream& out, const CommandInfo& command) {
    out << "Usage: paralogs " << command.name << ' ' << command.usage << '\n';
}

}  // namespace

void printSummary(const CommandInfo& command, std::string_view line) {
    std::cerr << "paralogs " << command.name << ": " << line << '\n';
}

void printWarning(const CommandInfo& command, std::string_view line) {
    std::cerr << "paralogs " << command.name << ": warning: " << line << '\n';
}

int runCommand(const CommandInfo& command, const po::options_description& options, int argc,
               const char* const argv[], const std::function<void(const po::variables_map&)>& body) {
    po::options_description all("Options");
    all.add(options);
    all.add_options()("help,h", "show this help and exit");
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
        std::cerr << "paralogs " << command.name << ": " << messageOf(e) << '\n';
        printUsage(std::cerr, command);
        return 2;
    }
    try {
        body(values);
        return 0;
    } catch (const UsageError& e) {
        std::cerr << "paralogs " << command.name << ": " << e.what() << '\n';
        printUsage(std::cerr, command);
        return 2;
    } catch (const std::bad_alloc&) {
        std::cerr << "paralogs " << command.name << ": out of memory\n";
    } catch (const std::exception& e) {
        std::cerr << "paralogs " << command.name << ": " << e.what() << '\n';
    }
    return 1;
}

}  // namespace rp::paralogs
