#include "paralogs/distance_option.hpp"

#include <stdexcept>
#include <string>

namespace rp::paralogs {

const distance::DistanceEntry& distanceOption(const po::variables_map& values) {
    try {
        return distance::parseDistance(values["distance"].as<std::string>());
    } catch (const std::invalid_argument& e) {
        throw UsageError(e.what());
    }
}

}  // namespace rp::paralogs
