// The bound on what one input may give once decompressed: its default, how a
// command line writes it ("512M") and how messages say it ("512 MiB").
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace rp::io {

// No bound at all.
inline constexpr std::uint64_t kNoInputBound = std::numeric_limits<std::uint64_t>::max();

// The bound unless told otherwise: 256 MiB, some 1,500 genomes of 20,000
// genes in one structures file (thousands of bacterial ones), while a bomb
// stops at it within about a second in every format.
inline constexpr std::uint64_t kDefaultMaxInputBytes = std::uint64_t{256} << 20;

// A size of the command line: a whole number of bytes, or of K, M or G
// (binary multiples, either case); "0" and "none" are kNoInputBound. Nothing
// for anything else, or a size past 2^64 - 1 bytes.
std::optional<std::uint64_t> parseInputSize(std::string_view text);

// The size as parseInputSize reads it back, in the largest unit that
// divides it: "1G", "1536M", "1000"; "none" for kNoInputBound.
std::string inputSizeText(std::uint64_t bytes);

// The size for a reader: "1 GiB", "1536 MiB", "1000 bytes"; "no bound" for
// kNoInputBound.
std::string describeInputSize(std::uint64_t bytes);

}  // namespace rp::io
