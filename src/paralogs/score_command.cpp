#include "paralogs/command.hpp"
#include "paralogs/commands.hpp"

namespace rp::paralogs {

int runScore(int argc, const char* const argv[]) {
    static constexpr CommandInfo kInfo{"score", "[OPTIONS]", "not built yet"};
    po::options_description options;
    return runCommand(kInfo, options, argc, argv, [](const po::variables_map&) {
        throw std::runtime_error("not built yet");
    });
}

}  // namespace rp::paralogs
