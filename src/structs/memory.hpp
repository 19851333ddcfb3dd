// How much memory the machine can still give: a reservation larger than that
// could only end with the process killed for want of memory, so it is refused
// as an allocation failure instead.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace rp {

// Reservations from this size on are checked against the available memory.
inline constexpr std::size_t kCheckedReservationBytes = std::size_t{1} << 30;

// The "MemAvailable:" figure of a /proc/meminfo text, in bytes.
std::optional<std::size_t> parseMemAvailable(std::string_view meminfo);

// The memory the machine can still give, or nothing where it cannot be told.
std::optional<std::size_t> availableMemoryBytes();

// Whether a reservation of `bytes` may be made: small ones always, large ones
// when they fit in the available memory (or when that is unknown).
bool reservationFits(std::size_t bytes, std::optional<std::size_t> available);

}  // namespace rp
