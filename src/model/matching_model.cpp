#include "model/matching_model.hpp"

#include <algorithm>
#include <charconv>
#include <stdexcept>
#include <unordered_map>

namespace rp::model {

std::string_view modelName(ModelKind kind) {
    switch (kind) {
        case ModelKind::maximum: return "maximum";
        case ModelKind::exemplar: return "exemplar";
        case ModelKind::intermediate: return "intermediate";
    }
    return "maximum";
}

ModelKind parseModelKind(std::string_view text) {
    for (const ModelKind kind : {ModelKind::maximum, ModelKind::exemplar, ModelKind::intermediate})
        if (text == modelName(kind)) return kind;
    throw std::invalid_argument("unknown model \"" + std::string(text) +
                                "\" (maximum, exemplar or intermediate)");
}

PairRange kindRange(ModelKind kind, std::uint32_t inA, std::uint32_t inB) {
    if (inA == 0 || inB == 0) return {};
    const std::uint32_t m = std::min(inA, inB);
    switch (kind) {
        case ModelKind::maximum: return {m, m};
        case ModelKind::exemplar: return {1, 1};
        case ModelKind::intermediate: return {1, m};
    }
    return {m, m};
}

PairRange familyRange(const MatchingModel& model, std::string_view family, std::uint32_t inA, std::uint32_t inB) {
    for (const FamilyBound& bound : model.bounds)
        if (bound.family == family) return bound.range;
    return kindRange(model.kind, inA, inB);
}

namespace {

bool isBlank(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

// A count of pairs: decimal digits only.
std::uint32_t parseCount(std::string_view field, std::string_view what) {
    std::string shown(1, '"');
    shown.append(field);
    shown.push_back('"');
    if (!field.empty() && field.front() == '-' && field.size() > 1 &&
        field.find_first_not_of("0123456789", 1) == std::string_view::npos)
        throw std::runtime_error(std::string(what) + " bound " + shown + " is negative");
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (field.empty() || field.front() == '-' || field.front() == '+' || end != field.data() + field.size() ||
        error == std::errc::invalid_argument)
        throw std::runtime_error(std::string(what) + " bound " + shown + " is not a number");
    if (error == std::errc::result_out_of_range)
        throw std::runtime_error(std::string(what) + " bound " + shown + " is too large");
    return value;
}

FamilyBound parseBoundLine(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
    if (fields.size() != 3)
        throw std::runtime_error(std::to_string(fields.size()) +
                                 (fields.size() == 1 ? " field" : " fields") +
                                 ", not 3 (FAMILY<TAB>LOWER<TAB>UPPER)");
    if (fields[0].empty()) throw std::runtime_error("empty family name");
    FamilyBound bound;
    bound.family = std::string(fields[0]);
    bound.range.lower = parseCount(fields[1], "lower");
    bound.range.upper = parseCount(fields[2], "upper");
    if (bound.range.lower > bound.range.upper)
        throw std::runtime_error("family " + bound.family + ": lower bound " + std::to_string(bound.range.lower) +
                                 " is above upper bound " + std::to_string(bound.range.upper));
    return bound;
}

}  // namespace

std::vector<FamilyBound> readFamilyBounds(std::istream& in, const std::string& source) {
    std::vector<FamilyBound> bounds;
    std::unordered_map<std::string, std::size_t> seen;  // family -> line
    std::string text;
    for (std::size_t number = 1; std::getline(in, text); ++number) {
        std::string_view line = text;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (isBlank(line) || line.front() == '#') continue;
        try {
            FamilyBound bound = parseBoundLine(line);
            bound.line = number;
            if (const auto [it, added] = seen.try_emplace(bound.family, number); !added)
                throw std::runtime_error("family " + bound.family + " named twice (first on line " +
                                         std::to_string(it->second) + ")");
            bounds.push_back(std::move(bound));
        } catch (const std::runtime_error& e) {
            throw std::runtime_error(source + " line " + std::to_string(number) + ": " + e.what());
        }
    }
    if (in.bad()) throw std::runtime_error(source + ": read error");
    return bounds;
}

void checkBounds(const MatchingModel& model, const GenomePair& pair) {
    if (model.bounds.empty()) return;
    std::unordered_map<std::string_view, std::pair<std::uint32_t, std::uint32_t>> counts;
    for (const FamilyBound& bound : model.bounds) counts.try_emplace(bound.family, 0, 0);
    const auto tally = [&](const Structure& s, bool isA) {
        for (const Chromosome& c : s.chromosomes)
            for (const Gene& g : c.genes)
                if (const auto it = counts.find(g.name); it != counts.end())
                    ++(isA ? it->second.first : it->second.second);
    };
    tally(*pair.a, true);
    tally(*pair.b, false);
    for (const FamilyBound& bound : model.bounds) {
        const auto [inA, inB] = counts.at(bound.family);
        const std::string where = model.boundsSource + " line " + std::to_string(bound.line) + ": family " +
                                  bound.family;
        const std::string copies = " (" + std::to_string(inA) + " in genome A, " + std::to_string(inB) +
                                   " in genome B)";
        if (inA == 0 || inB == 0) throw std::runtime_error(where + " is not in both genomes" + copies);
        if (bound.range.upper > std::min(inA, inB))
            throw std::runtime_error(where + ": upper bound " + std::to_string(bound.range.upper) +
                                     " is above min(a, b) = " + std::to_string(std::min(inA, inB)) + copies);
    }
}

std::string describeModel(const MatchingModel& model) {
    std::string text(modelName(model.kind));
    if (!model.boundsSource.empty())
        text += ", bounds from " + model.boundsSource + " (" + std::to_string(model.bounds.size()) +
                (model.bounds.size() == 1 ? " family)" : " families)");
    return text;
}

}  // namespace rp::model
