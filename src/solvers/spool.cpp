#include "solvers/spool.hpp"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace rp::solvers {

namespace {

struct Record {
    std::uint32_t nameBytes;
    std::uint32_t valueBytes;
    std::uint64_t line;
    std::uint32_t named;
};

[[noreturn]] void failSpool() {
    throw SolutionError(std::string("cannot keep variables in a temporary file: ") + std::strerror(errno));
}

}  // namespace

VariableSpool::VariableSpool() {
    file_ = std::tmpfile();
    if (file_ == nullptr) failSpool();
    std::setvbuf(file_, nullptr, _IOFBF, std::size_t{1} << 20);
}

VariableSpool::~VariableSpool() {
    if (file_ != nullptr) std::fclose(file_);
}

void VariableSpool::add(std::string_view name, std::string_view value, std::uint64_t line, bool named) {
    if (name.size() > UINT32_MAX || value.size() > UINT32_MAX) throw SolutionError("variable too long");
    const Record record{static_cast<std::uint32_t>(name.size()), static_cast<std::uint32_t>(value.size()),
                        line, named ? 1u : 0u};
    // Empty texts may have no storage at all: nothing is written for them. The
    // file is used by this object alone: no locking.
    if (fwrite_unlocked(&record, sizeof record, 1, file_) != 1 ||
        (!name.empty() && fwrite_unlocked(name.data(), 1, name.size(), file_) != name.size()) ||
        (!value.empty() && fwrite_unlocked(value.data(), 1, value.size(), file_) != value.size()))
        failSpool();
    ++count_;
}

void VariableSpool::clear() {
    std::fflush(file_);
    std::rewind(file_);
    if (ftruncate(fileno(file_), 0) != 0) failSpool();
    count_ = 0;
}

void VariableSpool::replay(VariableSink& sink) {
    if (std::fflush(file_) != 0) failSpool();
    std::rewind(file_);
    for (std::uint64_t i = 0; i < count_; ++i) {
        Record record{};
        if (fread_unlocked(&record, sizeof record, 1, file_) != 1) failSpool();
        name_.resize(record.nameBytes);
        value_.resize(record.valueBytes);
        if ((!name_.empty() && fread_unlocked(name_.data(), 1, name_.size(), file_) != name_.size()) ||
            (!value_.empty() && fread_unlocked(value_.data(), 1, value_.size(), file_) != value_.size()))
            failSpool();
        sink.variable(name_, value_, record.line, record.named != 0);
    }
}

}  // namespace rp::solvers
