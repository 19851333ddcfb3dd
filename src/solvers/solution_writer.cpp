#include "solvers/solution_writer.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

namespace rp::solvers {

namespace {
constexpr std::size_t kFlushBytes = std::size_t{1} << 20;
// The buffer starts smaller and doubles up to kFlushBytes before anything is
// handed to the stream, so a small solution takes no megabyte.
constexpr std::size_t kFirstChunkBytes = std::size_t{64} << 10;
}

void appendEscaped(std::string& out, std::string_view text) {
    std::size_t run = 0;  // start of the plain run not yet appended
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char* escaped = nullptr;
        switch (c) {
            case '&': escaped = "&amp;"; break;
            case '<': escaped = "&lt;"; break;
            case '>': escaped = "&gt;"; break;
            case '"': escaped = "&quot;"; break;
            case '\'': escaped = "&apos;"; break;
            case '\t': escaped = "&#9;"; break;
            case '\n': escaped = "&#10;"; break;
            case '\r': escaped = "&#13;"; break;
            default: continue;
        }
        out.append(text.data() + run, i - run);
        out += escaped;
        run = i + 1;
    }
    out.append(text.data() + run, text.size() - run);
}

char* writeNumber(char* at, double value) {
    // Integral values, the common case, take the quicker integer form; it is
    // the shortest form too below 10^15.
    if (value == 0) {
        if (std::signbit(value)) *at++ = '-';
        *at++ = '0';
        return at;
    }
    if (std::fabs(value) < 1e15 && value == std::trunc(value))
        return std::to_chars(at, at + 32, static_cast<long long>(value)).ptr;
    return std::to_chars(at, at + 32, value).ptr;
}

void appendNumber(std::string& out, double value) {
    char text[32];
    out.append(text, writeNumber(text, value));
}

void SolutionWriter::begin(const SolutionHeader& header, const double* objective) {
    buffer_ += "<?xml version = \"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
    buffer_ += "<CPLEXSolution version=\"1.2\">\n <header\n   sourceFormat=\"";
    buffer_ += formatName(header.format);
    buffer_ += "\"\n   solutionStatusString=\"";
    appendEscaped(buffer_, header.status);
    buffer_ += '"';
    if (objective != nullptr) {
        buffer_ += "\n   objectiveValue=\"";
        appendNumber(buffer_, *objective);
        buffer_ += '"';
    }
    buffer_ += "\n   outcome=\"";
    buffer_ += outcomeName(header.outcome);
    buffer_ += "\"/>\n <variables>\n";
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    buffer_.clear();
    chunk_.reset(new char[kFirstChunkBytes]);
    capacity_ = kFirstChunkBytes;
    numbers_.reset(new NumberText[kNumberSlots]);
}

char* SolutionWriter::room(std::size_t bytes) {
    if (used_ + bytes > capacity_) {
        if (capacity_ < kFlushBytes) {
            const std::size_t larger = std::max(used_ + bytes, std::min(capacity_ * 2, kFlushBytes));
            std::unique_ptr<char[]> grown(new char[larger]);
            if (used_ > 0) std::memcpy(grown.get(), chunk_.get(), used_);
            chunk_ = std::move(grown);
            capacity_ = larger;
        } else {
            writeOut();
            if (bytes > capacity_) {
                chunk_.reset(new char[bytes]);
                capacity_ = bytes;
            }
        }
    }
    return chunk_.get() + used_;
}

void SolutionWriter::writeOut() {
    if (used_ > 0) out_.write(chunk_.get(), static_cast<std::streamsize>(used_));
    used_ = 0;
}

namespace {

constexpr std::string_view kOpen = "  <variable name=\"";
constexpr std::string_view kIndex = "\" index=\"";
constexpr std::string_view kValue = "\" value=\"";
constexpr std::string_view kClose = "\"/>\n";

// The bytes appendEscaped replaces.
constexpr std::array<bool, 256> kEscaped = [] {
    std::array<bool, 256> escaped{};
    for (std::size_t c = 0; c < 256; ++c) escaped[c] = escapedInXml(static_cast<char>(c));
    return escaped;
}();

bool needsEscape(std::string_view text) {
    bool any = false;
    for (const char c : text) any |= kEscaped[static_cast<unsigned char>(c)];
    return any;
}

char* put(char* at, std::string_view text) {
    std::memcpy(at, text.data(), text.size());
    return at + text.size();
}

}  // namespace

void SolutionWriter::variable(std::string_view name, double value) { variable(name, value, needsEscape(name)); }

void SolutionWriter::variable(std::string_view name, double value, bool escape) {
    if (escape) {
        buffer_.clear();
        appendEscaped(buffer_, name);
        name = buffer_;
    }
    char* const start = room(kOpen.size() + name.size() + kIndex.size() + 24 + kValue.size() + 32 + kClose.size());
    char* at = put(start, kOpen);
    if (!name.empty()) at = put(at, name);
    at = put(at, kIndex);
    std::memcpy(at, indexText_, sizeof indexText_);
    at += indexSize_;
    at = put(at, kValue);
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    NumberText& number = numbers_[((bits * 0x9E3779B97F4A7C15ULL) >> 56) % kNumberSlots];
    if (number.size == 0 || number.bits != bits) {
        number.bits = bits;
        number.size = static_cast<std::uint8_t>(writeNumber(number.text, value) - number.text);
    }
    std::memcpy(at, number.text, sizeof number.text);
    at += number.size;
    at = put(at, kClose);
    used_ += static_cast<std::size_t>(at - start);
    // The next index: the last digits that are 9 turn to 0 and the one
    // before them goes up, or a 1 comes first when all were 9.
    ++index_;
    std::size_t i = indexSize_;
    while (i > 0 && indexText_[i - 1] == '9') indexText_[--i] = '0';
    if (i > 0) {
        ++indexText_[i - 1];
    } else {
        indexText_[0] = '1';
        indexText_[indexSize_++] = '0';
    }
}

void SolutionWriter::restart() {
    buffer_.clear();
    used_ = 0;
    index_ = 0;
    indexText_[0] = '0';
    indexSize_ = 1;
}

void SolutionWriter::finish() {
    writeOut();
    static constexpr std::string_view kEnd = " </variables>\n</CPLEXSolution>\n";
    out_.write(kEnd.data(), static_cast<std::streamsize>(kEnd.size()));
    out_.flush();
}

}  // namespace rp::solvers
