// rp-bench-generate: makes (or reuses) the benchmark inputs of one size.
//
//   rp-bench-generate SIZE DIRECTORY [SEED]
//
// SIZE is small, medium or large; SEED defaults to 1. Prints whether the
// files were generated or reused, then one "structs PATH", "solution PATH"
// and "info PATH" line each.
#include <charconv>
#include <cstdint>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>

#include "input_generator.hpp"

int main(int argc, char* argv[]) {
    if (argc < 3 || argc > 4) {
        std::cerr << "usage: rp-bench-generate small|medium|large DIRECTORY [SEED]\n";
        return 2;
    }
    const auto size = rp::bench::namedSize(argv[1]);
    if (!size) {
        std::cerr << "unknown size: " << argv[1] << "\n";
        return 2;
    }
    std::uint64_t seed = 1;
    if (argc == 4) {
        const std::string_view text = argv[3];
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seed);
        if (error != std::errc() || end != text.data() + text.size()) {
            std::cerr << "seed is no number: " << text << "\n";
            return 2;
        }
    }
    try {
        const rp::bench::InputFiles files = rp::bench::inputFiles(argv[2], *size, seed);
        const bool generated = rp::bench::generateInputFiles(files, *size, seed);
        std::cout << (generated ? "generated " : "reusing ") << size->name << " inputs, seed " << seed
                  << "\nstructs " << files.structs << "\nsolution " << files.solution << "\ninfo "
                  << files.info << "\n";
    } catch (const std::exception& e) {
        std::cerr << "rp-bench-generate: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
