// libFuzzer entry point; RP_FUZZ_TARGET names the check this executable runs.
#include <cstddef>
#include <cstdint>

#include "checks.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return rp::fuzz::fuzzOne(rp::fuzz::checkFor(RP_FUZZ_TARGET), data, size);
}
