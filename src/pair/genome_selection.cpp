#include "pair/genome_selection.hpp"

#include <algorithm>
#include <stdexcept>

#include "io/input_file.hpp"
#include "structs/genomes_reader.hpp"
#include "unimog/unimog_reader.hpp"

namespace rp::pair {

std::vector<Structure> readAnyGenomes(const std::string& path) {
    const std::string name = path == "-" ? "standard input" : path;
    const std::string text = io::readWholeInput(path);
    if (unimog::recognise(text) == unimog::InputKind::unimog) return unimog::readUnimog(text, name);
    return readGenomesText(text, name).structures;
}

std::vector<Structure> selectGenomes(std::vector<Structure> genomes, const std::string& a, const std::string& b,
                                     const std::string& source) {
    if (genomes.size() < 2)
        throw std::runtime_error(source + " holds " + std::to_string(genomes.size()) + " genome" +
                                 (genomes.size() == 1 ? "" : "s") + ", a pair needs two");
    if (a.empty() && b.empty()) {
        genomes.resize(2);
        return genomes;
    }
    std::vector<Structure> chosen;
    for (const std::string& name : {a, b}) {
        const auto named = [&](const Structure& s) { return s.name == name; };
        const auto count = std::count_if(genomes.begin(), genomes.end(), named);
        if (count != 1) {
            std::string names;
            for (std::size_t i = 0; i < genomes.size() && i < 20; ++i) names += (i ? " " : "") + genomes[i].name;
            if (genomes.size() > 20) names += " ...";
            throw std::runtime_error(source + ": genome " + name +
                                     (count == 0 ? " is not in the file" : " is in the file more than once") +
                                     " (genomes: " + names + ")");
        }
        chosen.push_back(*std::find_if(genomes.begin(), genomes.end(), named));
    }
    return chosen;
}

}  // namespace rp::pair
