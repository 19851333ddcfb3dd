// Failures raised by the readers with the system's own message texts, so that
// every report reads the same whatever the standard library would have said.
#pragma once

#include <new>
#include <stdexcept>

#include "structs/memory.hpp"

namespace rp {

// An allocation that could not be satisfied.
class AllocationFailure : public std::bad_alloc {
public:
    const char* what() const noexcept override { return "bad allocation"; }
};

inline constexpr const char* kInvalidStoi = "invalid stoi argument";
inline constexpr const char* kStoiOutOfRange = "stoi argument out of range";
inline constexpr const char* kTooLong = "vector<T> too long";
inline constexpr const char* kUnreadable = "failed to read file with initial structs";

// Reservations from this size on are probed before they are made.
inline constexpr std::size_t kProbedReservationBytes = std::size_t{1} << 20;

// Reserves room for `count` elements; an unsatisfiable request is reported as
// an allocation failure with the system's text. Large storage is first asked
// for with the non-throwing allocation, which reports an unsatisfiable size
// as a null pointer under every allocator, including the sanitizer runtimes,
// whose throwing allocation ends the process instead of throwing. The tool is
// single-threaded here, so a size that was just given back is given again.
// A large request must also fit in the memory the machine has available: a
// declared count is filled in whole even when the file ends early, so storage
// the machine cannot back would end in the process being killed.
template <class Vector>
void reserveOrFail(Vector& v, std::size_t count) {
    if (count <= v.capacity()) return;
    if (count > v.max_size()) throw AllocationFailure();
    const std::size_t bytes = count * sizeof(typename Vector::value_type);
    if (bytes >= kCheckedReservationBytes && !reservationFits(bytes, availableMemoryBytes()))
        throw AllocationFailure();
    if (bytes >= kProbedReservationBytes) {
        void* probe = ::operator new(bytes, std::nothrow);
        if (probe == nullptr) throw AllocationFailure();
        ::operator delete(probe);
    }
    try {
        v.reserve(count);
    } catch (const std::bad_alloc&) {
        throw AllocationFailure();
    } catch (const std::length_error&) {
        throw AllocationFailure();
    }
}

}  // namespace rp
