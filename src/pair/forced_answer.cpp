#include "pair/forced_answer.hpp"

#include <map>
#include <string>
#include <vector>

#include "solvers/solution_writer.hpp"

namespace rp::pair {

namespace {

// The places of each family's genes in one genome.
std::map<std::string, std::vector<model::GenePlace>> placesOf(const Structure& genome) {
    std::map<std::string, std::vector<model::GenePlace>> places;
    for (std::uint32_t c = 0; c < genome.chromosomes.size(); ++c)
        for (std::uint32_t p = 0; p < genome.chromosomes[c].genes.size(); ++p)
            places[genome.chromosomes[c].genes[p].name].push_back({c, p});
    return places;
}

const Gene& geneAt(const Structure& genome, const model::GenePlace& place) {
    return genome.chromosomes[place.chromosome].genes[place.position];
}

}  // namespace

std::optional<model::Matching> forcedMatching(const model::GenomePair& pair, const model::MatchingModel& model) {
    const auto inA = placesOf(*pair.a);
    const auto inB = placesOf(*pair.b);
    model::Matching matching;
    for (const auto& [family, placesA] : inA) {
        const auto found = inB.find(family);
        if (found == inB.end()) continue;
        const auto& placesB = found->second;
        const model::PairRange range = model::familyRange(model, family, static_cast<std::uint32_t>(placesA.size()),
                                                          static_cast<std::uint32_t>(placesB.size()));
        if (range.upper == 0) continue;
        if (placesA.size() != 1 || placesB.size() != 1 || range.lower < 1) return std::nullopt;
        matching.push_back({placesA.front(), placesB.front()});
    }
    return matching;
}

void writeForcedAnswer(std::ostream& out, const model::GenomePair& pair, const model::Matching& matching,
                       double objective) {
    solvers::SolutionWriter writer(out);
    solvers::SolutionHeader header;
    header.format = solvers::Format::cplex;
    header.status = kForcedStatus;
    header.outcome = solvers::Outcome::optimal;
    writer.begin(header, &objective);
    for (const model::MatchedPair& p : matching) {
        const Gene& a = geneAt(*pair.a, p.a);
        const Gene& b = geneAt(*pair.b, p.b);
        writer.variable("z_" + a.name + "." + std::to_string(a.copy) + "." + std::to_string(b.copy), 1.0);
    }
    writer.finish();
}

}  // namespace rp::pair
