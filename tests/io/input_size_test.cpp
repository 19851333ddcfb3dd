#include "io/input_size.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace rp::io {
namespace {

TEST(InputSize, ParsesBytesAndBinaryMultiples) {
    struct Case {
        std::string text;
        std::optional<std::uint64_t> bytes;
    };
    const std::vector<Case> cases = {
        {"1000", 1000},
        {"1", 1},
        {"1K", 1024},
        {"1k", 1024},
        {"512M", std::uint64_t{512} << 20},
        {"3g", std::uint64_t{3} << 30},
        {"1536M", std::uint64_t{1536} << 20},
        {"0", kNoInputBound},
        {"0G", kNoInputBound},
        {"none", kNoInputBound},
        {"17179869183G", std::uint64_t{17179869183} << 30},
        {"17179869184G", std::nullopt},  // 2^64 bytes
        {"99999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"G", std::nullopt},
        {"-1", std::nullopt},
        {"+1", std::nullopt},
        {" 1", std::nullopt},
        {"1 G", std::nullopt},
        {"1.5G", std::nullopt},
        {"1GB", std::nullopt},
        {"1T", std::nullopt},
        {"None", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(parseInputSize(c.text), c.bytes) << '"' << c.text << '"';
}

TEST(InputSize, WrittenInTheLargestUnitThatDividesIt) {
    struct Case {
        std::uint64_t bytes;
        std::string text;       // as the command line writes it
        std::string described;  // as a message says it
    };
    const std::vector<Case> cases = {
        {kDefaultMaxInputBytes, "256M", "256 MiB"},
        {std::uint64_t{1536} << 20, "1536M", "1536 MiB"},
        {std::uint64_t{5} << 10, "5K", "5 KiB"},
        {1000, "1000", "1000 bytes"},
        {1, "1", "1 byte"},
        {kNoInputBound, "none", "no bound"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(inputSizeText(c.bytes), c.text);
        EXPECT_EQ(describeInputSize(c.bytes), c.described);
        EXPECT_EQ(parseInputSize(c.text), c.bytes) << c.text;
    }
}

}  // namespace
}  // namespace rp::io
