// Variables kept aside in a temporary file, for formats that say which
// solution counts (or what its status is) only after listing its variables:
// memory stays the same whatever their number.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "solvers/variable_sink.hpp"

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
    // The records go through one block in memory, written to the file when
    // full; the file is made then, so a spool that fits in the block makes
    // none.
    void writeBlock();
    void grow(std::size_t bytes);

    std::FILE* file_ = nullptr;  // made at the first write
    int fd_ = -1;
    std::uint64_t count_ = 0;
    std::uint64_t fileBytes_ = 0;  // records written to the file
    std::unique_ptr<char[]> block_;  // not zeroed: only [0, used_) is read
    std::size_t capacity_ = 0;
    std::size_t used_ = 0;
};

}  // namespace rp::solvers
