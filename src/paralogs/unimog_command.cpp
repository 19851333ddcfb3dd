#include <string>

#include "paralogs/commands.hpp"
#include "paralogs/conversion.hpp"

namespace rp::paralogs {

namespace {

constexpr CommandInfo kInfo{"unimog", "-i IN -o OUT [--families]",
                            "Convert genomes: a UniMoG (or GRIMM) file becomes a structures file; a structures\n"
                            "file or a result file of resolve-paralogs becomes UniMoG. The direction follows\n"
                            "the content of IN."};

}  // namespace

int runUnimog(int argc, const char* const argv[]) {
    po::options_description options;
    options.add_options()("input,i", po::value<std::string>()->required()->value_name("IN"),
                          "genomes to convert: UniMoG, a structures file or a result file; - for standard input")(
        "output,o", po::value<std::string>()->required()->value_name("OUT"),
        "the converted genomes; - for standard output")(
        "families", "UniMoG markers name the family alone, without the copy index (structures or result "
                    "file input only)");
    return runCommand(kInfo, options, argc, argv, [](const po::variables_map& values) {
        ConversionRequest request;
        request.input = values["input"].as<std::string>();
        request.inputOptions = inputOptions(values);
        request.output = values["output"].as<std::string>();
        if (values.count("families") != 0) request.labels = unimog::MarkerLabels::families;
        convertGenomes(kInfo, request);
    });
}

}  // namespace rp::paralogs
