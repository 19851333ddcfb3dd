// rp-bench-pair: writes two related genomes as a structures file (see
// generateRelatedPair) for bench/dcj.sh; with "symmetry" first, the pair
// that is hard only through symmetry (see generateSymmetryPair).
//
//   rp-bench-pair GENES LINEAR DUPLICATED_PERCENT SEED
//   rp-bench-pair symmetry SINGLES COPIES_A COPIES_B SEED
#include <charconv>
#include <cstdint>
#include <iostream>
#include <string_view>

#include "input_generator.hpp"

int main(int argc, char* argv[]) {
    const bool symmetry = argc > 1 && std::string_view(argv[1]) == "symmetry";
    const int first = symmetry ? 2 : 1;
    if (argc != first + 4) {
        std::cerr << "usage: rp-bench-pair GENES LINEAR DUPLICATED_PERCENT SEED\n"
                     "       rp-bench-pair symmetry SINGLES COPIES_A COPIES_B SEED\n";
        return 2;
    }
    std::int64_t values[4] = {};
    for (int k = 0; k < 4; ++k) {
        const std::string_view text = argv[first + k];
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), values[k]);
        if (error != std::errc() || end != text.data() + text.size() || values[k] < 0) {
            std::cerr << "rp-bench-pair: not a count: " << text << "\n";
            return 2;
        }
    }
    const auto pair =
        symmetry ? rp::bench::generateSymmetryPair(static_cast<std::int32_t>(values[0]), static_cast<std::int32_t>(values[1]),
                                                   static_cast<std::int32_t>(values[2]), static_cast<std::uint64_t>(values[3]))
                 : rp::bench::generateRelatedPair(static_cast<std::int32_t>(values[0]), static_cast<int>(values[2]),
                                                  static_cast<int>(values[1]), static_cast<std::uint64_t>(values[3]));
    rp::bench::writeStructures(std::cout, pair);
    return std::cout.good() ? 0 : 1;
}
