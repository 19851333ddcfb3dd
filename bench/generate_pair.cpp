// rp-bench-pair: writes two related genomes as a structures file (see
// generateRelatedPair) for bench/dcj.sh.
//
//   rp-bench-pair GENES LINEAR DUPLICATED_PERCENT SEED
#include <charconv>
#include <cstdint>
#include <iostream>
#include <string_view>

#include "input_generator.hpp"

int main(int argc, char* argv[]) {
    if (argc != 5) {
        std::cerr << "usage: rp-bench-pair GENES LINEAR DUPLICATED_PERCENT SEED\n";
        return 2;
    }
    std::int64_t values[4] = {};
    for (int k = 0; k < 4; ++k) {
        const std::string_view text = argv[k + 1];
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), values[k]);
        if (error != std::errc() || end != text.data() + text.size() || values[k] < 0) {
            std::cerr << "rp-bench-pair: not a count: " << text << "\n";
            return 2;
        }
    }
    const auto pair = rp::bench::generateRelatedPair(static_cast<std::int32_t>(values[0]), static_cast<int>(values[2]),
                                                     static_cast<int>(values[1]), static_cast<std::uint64_t>(values[3]));
    rp::bench::writeStructures(std::cout, pair);
    return std::cout.good() ? 0 : 1;
}
