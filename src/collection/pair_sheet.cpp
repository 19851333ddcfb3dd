#include "collection/pair_sheet.hpp"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <unordered_map>

#include "collection/pair_names.hpp"

namespace rp::collection {

namespace {

std::string_view stripped(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n\v\f");
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(" \t\r\n\v\f");
    return text.substr(first, last - first + 1);
}

std::vector<std::string> fieldsOf(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        fields.emplace_back(stripped(line.substr(start, tab == std::string_view::npos ? tab : tab - start)));
        if (tab == std::string_view::npos) return fields;
        start = tab + 1;
    }
}

// Where each column the reader uses stands in the header.
struct Columns {
    std::size_t count = 0;
    std::size_t pair = 0, genomes = 0;
    std::optional<std::size_t> a, b;
};

Columns columnsOf(const std::vector<std::string>& header, const std::string& where) {
    Columns columns;
    columns.count = header.size();
    std::optional<std::size_t> pair, genomes;
    for (std::size_t i = 0; i < header.size(); ++i) {
        if (std::find(header.begin(), header.begin() + static_cast<std::ptrdiff_t>(i), header[i]) !=
                header.begin() + static_cast<std::ptrdiff_t>(i) &&
            !header[i].empty())
            throw std::runtime_error(where + ": the header names column \"" + header[i] + "\" twice");
        if (header[i] == "pair") pair = i;
        if (header[i] == "genomes") genomes = i;
        if (header[i] == "a") columns.a = i;
        if (header[i] == "b") columns.b = i;
    }
    for (const auto& [column, at] : {std::pair{"pair", pair}, std::pair{"genomes", genomes}})
        if (!at)
            throw std::runtime_error(where + ": the header has no column \"" + column +
                                     "\" (a sheet of pairs "
                                     "has the columns pair, genomes and optionally a and b)");
    if (columns.a.has_value() != columns.b.has_value())
        throw std::runtime_error(where + ": the header has the column \"" + (columns.a ? "a" : "b") +
                                 "\" without the column \"" + (columns.a ? "b" : "a") + "\"");
    columns.pair = *pair;
    columns.genomes = *genomes;
    return columns;
}

SheetRow rowOf(std::vector<std::string> fields, const Columns& columns, const std::string& where) {
    if (fields.size() > columns.count)
        throw std::runtime_error(where + ": " + std::to_string(fields.size()) + " fields, the header has " +
                                 std::to_string(columns.count));
    fields.resize(columns.count);
    SheetRow row;
    row.pair = fields[columns.pair];
    row.genomes = fields[columns.genomes];
    if (columns.a) row.a = fields[*columns.a];
    if (columns.b) row.b = fields[*columns.b];
    if (!isUsablePairName(row.pair))
        throw std::runtime_error(where + ": pair name \"" + row.pair +
                                 "\" must be letters, digits, '.', '_' and '-' (not . or ..), at most " +
                                 std::to_string(kLongestUsablePairName) + " of them");
    if (row.a.empty() != row.b.empty())
        throw std::runtime_error(where + ": pair " + row.pair + " names one genome; name both or neither");
    if (!row.a.empty() && row.a == row.b)
        throw std::runtime_error(where + ": pair " + row.pair + " names genome " + row.a + " twice");
    if (row.genomes.empty() && row.a.empty())
        throw std::runtime_error(where + ": pair " + row.pair + " has no genomes file and names no genomes");
    return row;
}

}  // namespace

std::vector<SheetRow> readPairSheet(std::istream& in, const std::string& name) {
    std::optional<Columns> columns;
    std::vector<SheetRow> rows;
    std::unordered_map<std::string, std::size_t> lineOf;
    std::string line;
    for (std::size_t number = 1; std::getline(in, line); ++number) {
        if (line.starts_with('#') || stripped(line).empty()) continue;
        const std::string where = name + " line " + std::to_string(number);
        if (!columns) {
            columns = columnsOf(fieldsOf(line), where);
            continue;
        }
        SheetRow row = rowOf(fieldsOf(line), *columns, where);
        row.line = number;
        const auto [at, added] = lineOf.emplace(row.pair, number);
        if (!added)
            throw std::runtime_error(where + ": pair " + row.pair + " is listed twice (first on line " +
                                     std::to_string(at->second) + ")");
        rows.push_back(std::move(row));
    }
    if (!columns) throw std::runtime_error(name + ": empty; a sheet of pairs starts with a header line");
    return rows;
}

}  // namespace rp::collection
