#include "formats/genomes_formats.hpp"

#include <stdexcept>

#include "formats/grimm.hpp"
#include "io/input_file.hpp"
#include "genomes/genomes_reader.hpp"
#include "genomes/structures_writer.hpp"
#include "text/characters.hpp"
#include "unimog/unimog_reader.hpp"

namespace rp::formats {
namespace {

std::string_view firstWord(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && isSpace(line[i])) ++i;
    return line.substr(i);
}

// The dialect a marker line's terminators show, if any.
std::optional<GenomeFormat> terminatorFormat(std::string_view line) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (i + 1 < line.size() && !isSpace(line[i + 1])) continue;  // not the end of a word
        switch (line[i]) {
            case '$':
            case '@':
                return GenomeFormat::grimm;
            case '|':
            case ')':
                return GenomeFormat::unimog;
            default:
                break;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<GenomeFormat> recogniseText(std::string_view text) {
    if (unimog::beginsWithCount(text)) return countedTextFormat(text);
    bool inGenome = false;
    bool hashLine = false;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = firstWord(text.substr(at, end - at));
        at = end + 1;
        if (line.starts_with('>')) {
            inGenome = true;
        } else if (!inGenome || line.starts_with("//")) {
            continue;
        } else if (line.starts_with('#')) {
            hashLine = true;
        } else if (const std::optional<GenomeFormat> format = terminatorFormat(line)) {
            return format;
        }
    }
    if (!inGenome) return std::nullopt;
    return hashLine ? GenomeFormat::grimm : GenomeFormat::unimog;
}

GenomesRead readAnyGenomes(std::string_view text, const std::string& name, UnknownText unknown) {
    std::optional<GenomeFormat> format = recogniseText(text);
    if (!format) {
        if (unknown == UnknownText::refuse)
            throw std::runtime_error(name +
                                     ": not genomes: neither a structures or result file (whose first item "
                                     "is a count) nor UniMoG or GRIMM (no line begins with '>')");
        format = unknown == UnknownText::readAsStructures ? GenomeFormat::structures : GenomeFormat::unimog;
    }
    GenomesRead read;
    switch (*format) {
        case GenomeFormat::structures:
        case GenomeFormat::result: {
            Genomes genomes = readGenomesText(text, name);
            read.format = genomes.format;
            read.structures = std::move(genomes.structures);
            break;
        }
        case GenomeFormat::grimm:
            read.format = GenomeFormat::grimm;
            read.structures = readGrimm(text, name);
            break;
        case GenomeFormat::unimog:
            read.format = GenomeFormat::unimog;
            read.structures = unimog::readUnimog(text, name);
            break;
    }
    return read;
}

InputText readInputText(const std::string& path, const io::InputOptions& options) {
    InputText input;
    io::InputFile file(path, options);
    input.name = file.name();
    std::streambuf& buf = *file.stream().rdbuf();
    std::string chunk(std::size_t{1} << 16, '\0');
    for (;;) {
        const std::streamsize k = buf.sgetn(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        if (k <= 0) break;
        input.text.append(chunk.data(), static_cast<std::size_t>(k));
    }
    return input;
}

void writeGenomes(std::ostream& out, const std::vector<Structure>& genomes, GenomeFormat format,
                  unimog::MarkerLabels labels) {
    switch (format) {
        case GenomeFormat::result:
            throw std::invalid_argument("a result file is written by resolve-paralogs only");
        case GenomeFormat::structures:
            if (labels != unimog::MarkerLabels::familyAndCopy)
                throw std::invalid_argument("a structures file holds copy indices: family names alone are "
                                            "written in UniMoG or GRIMM only");
            writeStructures(out, genomes);
            return;
        case GenomeFormat::unimog:
            unimog::writeMarkers(out, genomes, unimog::kUnimogDialect, labels);
            return;
        case GenomeFormat::grimm:
            writeGrimm(out, genomes, labels);
            return;
    }
}

}  // namespace rp::formats
