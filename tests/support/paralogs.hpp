// The companion program as the command tests run it: a subcommand in a
// temporary directory, a shell line with $P naming the program, and what it
// printed and wrote (lines, the last line, a pair's summary.tsv).
// Header-only: RP_PARALOGS_PATH is each test target's own definition.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace rp::test {

// `paralogs ARGS...` in `dir`.
inline ProcessResult runParalogs(const TempDir& dir, const std::vector<std::string>& args) {
    return runProcess(RP_PARALOGS_PATH, args, dir.path());
}

// `paralogs COMMAND ARGS...` in `dir`.
inline ProcessResult runParalogs(const TempDir& dir, const std::string& command, std::vector<std::string> args) {
    args.insert(args.begin(), command);
    return runParalogs(dir, args);
}

// `/bin/sh -c LINE` in `dir`, with $P the program's path.
inline ProcessResult runShell(const TempDir& dir, const std::string& line) {
    return runProcess("/bin/sh", {"-c", "P='" RP_PARALOGS_PATH "'; " + line}, dir.path());
}

// The lines of a text, without their line breaks.
inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

// The last line of a text, without trailing line breaks.
inline std::string lastLine(const std::string& text) {
    std::string t = text;
    while (!t.empty() && t.back() == '\n') t.pop_back();
    return t.substr(t.find_last_of('\n') + 1);
}

// The fields of a tab-separated line.
inline std::vector<std::string> tabFields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

using Summary = std::map<std::string, std::string>;

// The one line of a summary.tsv by column; fails the test unless the header
// is `columns`, in their order, and the line has as many fields.
template <class Columns>
Summary readSummary(const std::string& path, const Columns& columns) {
    std::istringstream text(readFile(path));
    std::string header, line;
    std::getline(text, header);
    std::getline(text, line);
    const std::vector<std::string> names = tabFields(header), values = tabFields(line);
    EXPECT_EQ(names.size(), columns.size()) << path;
    EXPECT_EQ(values.size(), columns.size()) << path;
    Summary summary;
    for (std::size_t i = 0; i < names.size() && i < values.size(); ++i) {
        if (i < columns.size()) {
            EXPECT_EQ(names[i], columns[i]) << path;
        }
        summary[names[i]] = values[i];
    }
    return summary;
}

}  // namespace rp::test
