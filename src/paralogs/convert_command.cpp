#include <string>

#include "paralogs/commands.hpp"
#include "paralogs/conversion.hpp"

namespace rp::paralogs {

namespace {

constexpr CommandInfo kInfo{"convert", "-i IN -o OUT --to structures|unimog|grimm [--families]",
                            "Convert genomes between formats. IN is a structures file, a result file of\n"
                            "resolve-paralogs, UniMoG or GRIMM, recognised by its content."};

GenomeFormat parseFormat(const std::string& name) {
    if (name == "structures") return GenomeFormat::structures;
    if (name == "unimog") return GenomeFormat::unimog;
    if (name == "grimm") return GenomeFormat::grimm;
    throw UsageError("--to " + name + ": the formats written are structures, unimog and grimm");
}

}  // namespace

int runConvert(int argc, const char* const argv[]) {
    po::options_description options;
    options.add_options()("input,i", po::value<std::string>()->required()->value_name("IN"),
                          "genomes to convert (any format); - for standard input")(
        "output,o", po::value<std::string>()->required()->value_name("OUT"),
        "the converted genomes; - for standard output")(
        "to", po::value<std::string>()->required()->value_name("FORMAT"),
        "the format to write: structures, unimog or grimm")(
        "families", "UniMoG or GRIMM markers name the family alone, without the copy index");
    return runCommand(kInfo, options, argc, argv, [](const po::variables_map& values) {
        ConversionRequest request;
        request.to = parseFormat(values["to"].as<std::string>());
        if (values.count("families") != 0) {
            if (request.to == GenomeFormat::structures)
                throw UsageError("--families applies to --to unimog and --to grimm: a structures file needs "
                                 "copy indices");
            request.labels = unimog::MarkerLabels::families;
        }
        request.input = values["input"].as<std::string>();
        request.inputOptions = inputOptions(values);
        request.output = values["output"].as<std::string>();
        convertGenomes(kInfo, request);
    });
}

}  // namespace rp::paralogs
