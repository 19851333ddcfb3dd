#include "collection/pair_names.hpp"

#include <cstdint>
#include <cstdio>

namespace rp::collection {

namespace {

bool isNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
           c == '-';
}

// One "_" for each character outside the set; a character of several UTF-8
// bytes is one character, as the workflow counts it.
void appendSafe(std::string& out, std::string_view name) {
    for (const char c : name) {
        if (isNameCharacter(c)) {
            out += c;
        } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            out += '_';
        }
    }
}

// The name itself when short enough, else its stem and its hash.
std::string shortened(std::string name) {
    if (name.size() <= kLongestPairName) return name;
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (const char c : name) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ull;
    }
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
    name.resize(kLongestPairName - 17);
    return name + "-" + digits;
}

}  // namespace

std::string pairName(std::string_view a, std::string_view b) {
    std::string joined;
    joined.reserve(a.size() + b.size() + 2);
    appendSafe(joined, a);
    joined += "__";
    appendSafe(joined, b);
    const std::size_t start = joined.find_first_not_of("._-");
    if (start == std::string::npos) return "pair";
    return shortened(joined.substr(start));
}

bool isUsablePairName(std::string_view name) {
    if (name.empty() || name.size() > kLongestUsablePairName || name == "." || name == "..") return false;
    for (const char c : name)
        if (!isNameCharacter(c)) return false;
    return true;
}

std::string PairNamer::next(std::string_view a, std::string_view b) {
    std::string name = pairName(a, b);
    if (taken_.count(name) != 0) {
        for (unsigned number = 2;; ++number) {
            std::string numbered = name + "." + std::to_string(number);
            if (taken_.count(numbered) == 0) {
                name = std::move(numbered);
                break;
            }
        }
    }
    taken_.insert(name);
    return name;
}

}  // namespace rp::collection
