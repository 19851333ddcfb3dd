#include "collection/genome_collection.hpp"

#include <algorithm>
#include <stdexcept>

#include "formats/genomes_formats.hpp"

namespace rp::collection {

std::optional<std::size_t> GenomeCollection::find(std::string_view name) const {
    const auto found = byName.find(std::string(name));
    if (found == byName.end()) return std::nullopt;
    return found->second;
}

std::string GenomeCollection::fileName(std::size_t file) const {
    return files[file] == "-" ? std::string("standard input") : files[file];
}

void addGenomes(GenomeCollection& collection, const std::string& path, std::vector<Structure> genomes) {
    const std::size_t file = collection.files.size();
    collection.files.push_back(path);
    for (Structure& genome : genomes) {
        const auto [at, added] = collection.byName.emplace(genome.name, collection.genomes.size());
        if (!added) {
            const std::size_t first = collection.fileOf[at->second];
            const std::string where =
                first == file ? "twice in " + collection.fileName(file)
                              : "in both " + collection.fileName(first) + " and " + collection.fileName(file);
            throw std::runtime_error("genome " + genome.name + " is " + where +
                                     "; genome names must be unique across the collection");
        }
        collection.genomes.push_back(std::move(genome));
        collection.fileOf.push_back(file);
    }
}

GenomeCollection readCollection(const std::vector<std::string>& paths, const io::InputOptions& options) {
    GenomeCollection collection;
    for (const std::string& path : paths) {
        if (std::find(collection.files.begin(), collection.files.end(), path) != collection.files.end())
            throw std::runtime_error((path == "-" ? std::string("standard input") : path) +
                                     " is given twice; each genomes file of a collection is given once");
        const formats::InputText input = formats::readInputText(path, options);
        addGenomes(collection, path,
                   formats::readAnyGenomes(input.text, input.name, formats::UnknownText::readAsStructures).structures);
    }
    return collection;
}

}  // namespace rp::collection
