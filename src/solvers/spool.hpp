// Variables kept aside in a temporary file, for formats that say which
// solution counts (or what its status is) only after listing its variables:
// memory stays the same whatever their number.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "solvers/solution_source.hpp"

namespace rp::solvers {

class VariableSpool {
public:
    VariableSpool();
    ~VariableSpool();
    VariableSpool(const VariableSpool&) = delete;
    VariableSpool& operator=(const VariableSpool&) = delete;

    void add(std::string_view name, std::string_view value, std::uint64_t line, bool named = true);
    // Forgets every variable added.
    void clear();
    std::uint64_t size() const { return count_; }
    // Hands every variable, in the order added, to `sink` (not its header).
    void replay(VariableSink& sink);

private:
    std::FILE* file_ = nullptr;
    std::uint64_t count_ = 0;
    std::string name_;
    std::string value_;
};

}  // namespace rp::solvers
