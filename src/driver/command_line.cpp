#include "driver/command_line.hpp"

#include <cstdlib>
#include <iostream>

#include <boost/filesystem.hpp>
#include <boost/program_options.hpp>

namespace rp {

namespace po = boost::program_options;

std::string invocationName(std::string_view argv0) {
    std::size_t separator = argv0.rfind('\\');
    if (separator == std::string_view::npos) separator = argv0.rfind('/');
    if (separator == std::string_view::npos) return std::string(argv0);
    return std::string(argv0.substr(separator + 1));
}

FilePaths parseCommandLine(int argc, const char* const argv[]) {
    std::cout << "Parsing commandline...\n";

    po::options_description options("Options");
    options.add_options()
        ("help,h", "Show help")
        ("structs,s", po::value<std::string>(), "File with initial structs")
        ("ilp,i", po::value<std::string>(), "Linear programming task")
        ("output,o", po::value<std::string>(), "Structs with resolved paralogs");

    po::variables_map values;
    po::store(po::parse_command_line(argc, argv, options), values);
    po::notify(values);

    if (values.count("help") != 0) {
        const std::string name = invocationName(argc > 0 && argv[0] != nullptr ? argv[0] : "");
        std::cerr << "Usage: " + name + " -s [file] -i [file] -o [file]\n";
        std::cerr << options;
        std::exit(0);
    }

    const std::string workingDirectory = boost::filesystem::current_path().string();
    FilePaths paths;
    paths.structsPath = workingDirectory + "/" + values["structs"].as<std::string>();
    paths.ilpPath = workingDirectory + "/" + values["ilp"].as<std::string>();
    paths.outputPath = workingDirectory + "/" + values["output"].as<std::string>();
    return paths;
}

}  // namespace rp
