#include "structs/memory.hpp"

#include <charconv>
#include <fstream>
#include <iterator>
#include <string>

namespace rp {

std::optional<std::size_t> parseMemAvailable(std::string_view meminfo) {
    constexpr std::string_view kKey = "MemAvailable:";
    std::size_t at = 0;
    while (at < meminfo.size()) {
        const std::size_t end = std::min(meminfo.find('\n', at), meminfo.size());
        std::string_view line = meminfo.substr(at, end - at);
        at = end + 1;
        if (line.substr(0, kKey.size()) != kKey) continue;
        line.remove_prefix(kKey.size());
        while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
        std::size_t kib = 0;
        const auto [rest, error] = std::from_chars(line.data(), line.data() + line.size(), kib);
        if (error != std::errc() || std::string_view(rest, line.data() + line.size() - rest) != " kB")
            return std::nullopt;
        if (kib > SIZE_MAX / 1024) return SIZE_MAX;
        return kib * 1024;
    }
    return std::nullopt;
}

std::optional<std::size_t> availableMemoryBytes() {
    std::ifstream in("/proc/meminfo");
    if (!in) return std::nullopt;
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return parseMemAvailable(text);
}

bool reservationFits(std::size_t bytes, std::optional<std::size_t> available) {
    return bytes < kCheckedReservationBytes || !available || bytes <= *available;
}

}  // namespace rp
