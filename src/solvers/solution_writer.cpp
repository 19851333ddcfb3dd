#include "solvers/solution_writer.hpp"

#include <charconv>

namespace rp::solvers {

namespace {
constexpr std::size_t kFlushBytes = std::size_t{1} << 20;
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

void appendNumber(std::string& out, double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
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
}

void SolutionWriter::variable(std::string_view name, double value) {
    buffer_ += "  <variable name=\"";
    appendEscaped(buffer_, name);
    buffer_ += "\" index=\"";
    char text[24];
    const auto result = std::to_chars(text, text + sizeof text, index_++);
    buffer_.append(text, result.ptr);
    buffer_ += "\" value=\"";
    appendNumber(buffer_, value);
    buffer_ += "\"/>\n";
    flushIfFull();
}

void SolutionWriter::finish() {
    buffer_ += " </variables>\n</CPLEXSolution>\n";
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    buffer_.clear();
    out_.flush();
}

void SolutionWriter::flushIfFull() {
    if (buffer_.size() < kFlushBytes) return;
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    buffer_.clear();
}

}  // namespace rp::solvers
