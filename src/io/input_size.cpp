#include "io/input_size.hpp"

#include <charconv>

namespace rp::io {
namespace {

struct Unit {
    char suffix;         // on the command line
    const char* name;    // in messages
    unsigned shift;      // 2^shift bytes
};

// Largest first.
constexpr Unit kUnits[] = {{'G', "GiB", 30}, {'M', "MiB", 20}, {'K', "KiB", 10}};

// The largest unit that divides `bytes` (not 0), or nothing.
const Unit* unitOf(std::uint64_t bytes) {
    for (const Unit& unit : kUnits)
        if (bytes != 0 && bytes % (std::uint64_t{1} << unit.shift) == 0) return &unit;
    return nullptr;
}

}  // namespace

std::optional<std::uint64_t> parseInputSize(std::string_view text) {
    if (text == "none") return kNoInputBound;
    unsigned shift = 0;
    if (!text.empty()) {
        const char last = text.back();
        for (const Unit& unit : kUnits)
            if (last == unit.suffix || last == unit.suffix - 'A' + 'a') shift = unit.shift;
        if (shift != 0) text.remove_suffix(1);
    }
    std::uint64_t number = 0;
    if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (number == 0) return kNoInputBound;
    if (number > (kNoInputBound >> shift)) return std::nullopt;
    return number << shift;
}

std::string inputSizeText(std::uint64_t bytes) {
    if (bytes == kNoInputBound) return "none";
    const Unit* unit = unitOf(bytes);
    return unit == nullptr ? std::to_string(bytes) : std::to_string(bytes >> unit->shift) + unit->suffix;
}

std::string describeInputSize(std::uint64_t bytes) {
    if (bytes == kNoInputBound) return "no bound";
    const Unit* unit = unitOf(bytes);
    if (unit == nullptr) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
    return std::to_string(bytes >> unit->shift) + ' ' + unit->name;
}

}  // namespace rp::io
