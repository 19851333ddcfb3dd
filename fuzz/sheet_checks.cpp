// The check of the reader of sheets of pairs (paralogs pair --pairs).
#include <set>
#include <sstream>
#include <string>

#include "checks.hpp"
#include "collection/pair_names.hpp"
#include "collection/pair_sheet.hpp"

namespace rp::fuzz {
namespace {

[[noreturn]] void fail(const std::string& what) {
    throw CheckFailure(what);
}

std::size_t linesIn(std::string_view input) {
    std::size_t lines = 0;
    for (const char c : input) lines += c == '\n';
    return lines + (input.empty() || input.back() == '\n' ? 0 : 1);
}

// A refusal names a line the input has, or says the sheet is empty.
void checkRefusal(std::string_view input, const std::string& message) {
    if (message.rfind("fuzz: empty", 0) == 0) return;
    if (message.rfind("fuzz line ", 0) != 0) fail("message without its line: " + message);
    const std::size_t line = std::stoul(message.substr(10));
    if (line == 0 || line > linesIn(input)) fail("message names line " + std::to_string(line));
}

void checkRow(const collection::SheetRow& row, std::size_t previous, std::size_t lines) {
    if (!collection::isUsablePairName(row.pair)) fail("unusable pair name read: " + row.pair);
    if (row.line <= previous || row.line > lines) fail("line numbers out of order");
    if (row.a.empty() != row.b.empty()) fail("a row names one genome: " + row.pair);
    if (!row.a.empty() && row.a == row.b) fail("a row names one genome twice: " + row.pair);
    if (row.genomes.empty() && row.a.empty()) fail("a row with neither genomes file nor names: " + row.pair);
    for (const std::string* value : {&row.genomes, &row.a, &row.b})
        if (value->find_first_of("\t\n") != std::string::npos ||
            (!value->empty() && (value->front() == ' ' || value->back() == ' ')))
            fail("a value keeps a tab, a line break or a blank at an end: " + row.pair);
}

}  // namespace

void checkSheet(std::string_view input) {
    std::vector<collection::SheetRow> rows;
    try {
        std::istringstream in{std::string(input)};
        rows = collection::readPairSheet(in, "fuzz");
    } catch (const std::runtime_error& e) {
        checkRefusal(input, e.what());
        return;
    }
    std::set<std::string> pairs;
    std::size_t previous = 0;
    std::string written = "pair\tgenomes\ta\tb\n";
    for (const collection::SheetRow& row : rows) {
        checkRow(row, previous, linesIn(input));
        if (!pairs.insert(row.pair).second) fail("pair twice: " + row.pair);
        previous = row.line;
        written += row.pair + "\t" + row.genomes + "\t" + row.a + "\t" + row.b + "\n";
    }
    // Written back, the rows read the same.
    std::istringstream again(written);
    const std::vector<collection::SheetRow> reread = collection::readPairSheet(again, "written");
    if (reread.size() != rows.size()) fail("written sheet read back to another count");
    for (std::size_t k = 0; k < rows.size(); ++k)
        if (reread[k].pair != rows[k].pair || reread[k].genomes != rows[k].genomes || reread[k].a != rows[k].a ||
            reread[k].b != rows[k].b)
            fail("written row read back differently: " + rows[k].pair);
}

}  // namespace rp::fuzz
