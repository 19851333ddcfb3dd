// Tables of cases for one solver format's reader, run on the reader alone:
// whether it recognises the text, and what it hands its sink (the header,
// every variable with its line) or the failure it reports.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "solvers/format_reader.hpp"

namespace rp::solvers::test {

// What a reader handed over: "name=value@line" per variable.
class RecordingSink : public VariableSink {
public:
    std::optional<SolutionHeader> seen;
    std::vector<std::string> variables;

    void header(const SolutionHeader& h) override { seen = h; }
    void variable(std::string_view name, std::string_view value, std::uint64_t line, bool named) override {
        variables.push_back((named ? std::string(name) : std::string("(unnamed)")) + "=" + std::string(value) +
                            "@" + std::to_string(line));
    }
};

// The first lines of `text` as recognition sees them (no byte order mark in
// these cases).
inline FirstLines firstLinesOfText(const std::string& text, std::vector<std::string>& storage) {
    std::istringstream in(text);
    std::string line;
    while (storage.size() < FirstLines::kCount && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (storage.empty() && line.find_first_not_of(" \t") == std::string::npos) continue;
        storage.push_back(line);
    }
    FirstLines first;
    for (const std::string& l : storage) first.lines.push_back(l);
    return first;
}

struct ReaderCase {
    const char* what;
    std::string input;
    bool recognised;
    // On success: the header and the variables; on failure, `failure` holds
    // a part of the message.
    std::string status;
    std::string objective;
    Outcome outcome;
    std::vector<std::string> variables;
    std::string failure = "";
    std::optional<std::size_t> member = std::nullopt;
};

inline void expectCases(const FormatReader& reader, const std::vector<ReaderCase>& cases) {
    for (const ReaderCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> storage;
        EXPECT_EQ(reader.recognises(firstLinesOfText(c.input, storage)), c.recognised);
        std::istringstream in(c.input);
        RecordingSink sink;
        ReadOptions options;
        options.member = c.member;
        try {
            reader.read(*in.rdbuf(), options, sink);
            EXPECT_EQ(c.failure, "") << "read without the failure expected";
        } catch (const SolutionError& e) {
            EXPECT_NE(c.failure, "") << "unexpected failure: " << e.what();
            EXPECT_NE(std::string(e.what()).find(c.failure), std::string::npos) << e.what();
            continue;
        }
        ASSERT_TRUE(sink.seen.has_value()) << "no header handed over";
        EXPECT_EQ(sink.seen->status, c.status);
        EXPECT_EQ(sink.seen->objective, c.objective);
        EXPECT_EQ(outcomeName(sink.seen->outcome), outcomeName(c.outcome));
        EXPECT_EQ(sink.variables, c.variables);
    }
}

}  // namespace rp::solvers::test
