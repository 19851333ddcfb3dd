#include "paralogs/command.hpp"
#include "paralogs/commands.hpp"

namespace rp::paralogs {

int runUnimog(int argc, const char* const argv[]) {
    static constexpr CommandInfo kInfo{"unimog", "[OPTIONS]", "not built yet"};
    po::options_description options;
    return runCommand(kInfo, options, argc, argv, [](const po::variables_map&) {
        throw std::runtime_error("not built yet");
    });
}

}  // namespace rp::paralogs
