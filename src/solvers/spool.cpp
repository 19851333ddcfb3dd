#include "solvers/spool.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace rp::solvers {

namespace {

constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
// The block starts smaller and doubles up to kBlockBytes before any record
// goes to the file, which is made only then.
constexpr std::size_t kFirstBlockBytes = std::size_t{64} << 10;
constexpr std::uint32_t kUnnamed = std::uint32_t{1} << 31;

// A record: this, then the name's bytes, then the value's.
struct Record {
    std::uint32_t nameBytes;
    std::uint32_t valueBytes;  // kUnnamed added for a variable without a name
    std::uint64_t line;
};
static_assert(sizeof(Record) == 16);

[[noreturn]] void failSpool(int error) {
    throw SolutionError(std::string("cannot keep variables in a temporary file: ") + std::strerror(error));
}

}  // namespace

VariableSpool::VariableSpool() : block_(new char[kFirstBlockBytes]), capacity_(kFirstBlockBytes) {}

VariableSpool::~VariableSpool() {
    if (file_ != nullptr) std::fclose(file_);
}

void VariableSpool::writeBlock() {
    if (file_ == nullptr) {
        file_ = std::tmpfile();
        if (file_ == nullptr) failSpool(errno);
        fd_ = fileno(file_);
    }
    const char* data = block_.get();
    std::size_t left = used_;
    while (left > 0) {
        const ssize_t written = ::write(fd_, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            failSpool(errno);
        }
        if (written == 0) failSpool(EIO);
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    fileBytes_ += used_;
    used_ = 0;
}

void VariableSpool::grow(std::size_t bytes) {
    std::unique_ptr<char[]> larger(new char[bytes]);
    std::memcpy(larger.get(), block_.get(), used_);
    block_ = std::move(larger);
    capacity_ = bytes;
}

void VariableSpool::add(std::string_view name, std::string_view value, std::uint64_t line, bool named) {
    if (name.size() >= kUnnamed || value.size() >= kUnnamed) throw SolutionError("variable too long");
    const Record record{static_cast<std::uint32_t>(name.size()),
                        static_cast<std::uint32_t>(value.size()) | (named ? 0 : kUnnamed), line};
    const std::size_t bytes = sizeof record + name.size() + value.size();
    if (used_ + bytes > capacity_) {
        if (capacity_ < kBlockBytes && fileBytes_ == 0) {
            grow(std::max(used_ + bytes, std::min(capacity_ * 2, kBlockBytes)));
        } else {
            writeBlock();
            if (bytes > capacity_) grow(bytes);
        }
    }
    char* at = block_.get() + used_;
    std::memcpy(at, &record, sizeof record);
    at += sizeof record;
    // Empty texts may have no storage at all: nothing is copied for them.
    if (!name.empty()) std::memcpy(at, name.data(), name.size());
    at += name.size();
    if (!value.empty()) std::memcpy(at, value.data(), value.size());
    used_ += bytes;
    ++count_;
}

void VariableSpool::clear() {
    used_ = 0;
    count_ = 0;
    if (fileBytes_ > 0) {
        if (::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) != 0) failSpool(errno);
        fileBytes_ = 0;
    }
}

void VariableSpool::replay(VariableSink& sink) {
    // A spool that stayed in its block is read there; otherwise the block
    // joins the file, which is read back a block at a time.
    const bool inFile = fileBytes_ > 0;
    if (inFile) {
        writeBlock();
        if (::lseek(fd_, 0, SEEK_SET) != 0) failSpool(errno);
    }
    std::uint64_t unread = fileBytes_;  // bytes of the file not yet in the block
    std::size_t begin = 0;
    for (std::uint64_t i = 0; i < count_; ++i) {
        Record record{};
        const auto recordBytes = [&] {
            return sizeof record + record.nameBytes + (record.valueBytes & ~kUnnamed);
        };
        // Fills the block until it holds `bytes` from `begin`.
        const auto need = [&](std::size_t bytes) {
            if (used_ - begin >= bytes) return;
            if (!inFile) failSpool(EIO);
            std::memmove(block_.get(), block_.get() + begin, used_ - begin);
            used_ -= begin;
            begin = 0;
            if (bytes > capacity_) grow(bytes);
            while (used_ < bytes) {
                if (unread == 0) failSpool(EIO);
                const std::size_t want = static_cast<std::size_t>(
                    std::min<std::uint64_t>(unread, capacity_ - used_));
                const ssize_t got = ::read(fd_, block_.get() + used_, want);
                if (got < 0) {
                    if (errno == EINTR) continue;
                    failSpool(errno);
                }
                if (got == 0) failSpool(EIO);
                used_ += static_cast<std::size_t>(got);
                unread -= static_cast<std::uint64_t>(got);
            }
        };
        need(sizeof record);
        std::memcpy(&record, block_.get() + begin, sizeof record);
        need(recordBytes());
        const char* at = block_.get() + begin + sizeof record;
        const std::string_view name(at, record.nameBytes);
        const std::string_view value(at + record.nameBytes, record.valueBytes & ~kUnnamed);
        begin += recordBytes();
        sink.variable(name, value, record.line, (record.valueBytes & kUnnamed) == 0);
    }
    // Every record is in the file again, which is read from its start by
    // another replay and added to at its end.
    if (inFile) used_ = 0;
}

}  // namespace rp::solvers
