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

// The dialect a marker line's terminators show, or unknown.
TextKind terminatorKind(std::string_view line) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (i + 1 < line.size() && !isSpace(line[i + 1])) continue;  // not the end of a word
        switch (line[i]) {
            case '$':
            case '@':
                return TextKind::grimm;
            case '|':
            case ')':
                return TextKind::unimog;
            default:
                break;
        }
    }
    return TextKind::unknown;
}

}  // namespace

std::string_view formatName(GenomesFileFormat format) {
    switch (format) {
        case GenomesFileFormat::structures:
            return "structures file";
        case GenomesFileFormat::result:
            return "result file";
        case GenomesFileFormat::unimog:
            return "UniMoG";
        case GenomesFileFormat::grimm:
            return "GRIMM";
    }
    return "";
}

std::string_view formatName(OutputFormat format) {
    switch (format) {
        case OutputFormat::structures:
            return "structures file";
        case OutputFormat::unimog:
            return "UniMoG";
        case OutputFormat::grimm:
            return "GRIMM";
    }
    return "";
}

TextKind recogniseText(std::string_view text) {
    if (unimog::recognise(text) == unimog::InputKind::genomes) return TextKind::counted;
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
        } else if (const TextKind kind = terminatorKind(line); kind != TextKind::unknown) {
            return kind;
        }
    }
    if (!inGenome) return TextKind::unknown;
    return hashLine ? TextKind::grimm : TextKind::unimog;
}

GenomesRead readAnyGenomes(std::string_view text, const std::string& name, UnknownText unknown) {
    TextKind kind = recogniseText(text);
    if (kind == TextKind::unknown) {
        if (unknown == UnknownText::refuse)
            throw std::runtime_error(name +
                                     ": not genomes: neither a structures or result file (whose first item "
                                     "is a count) nor UniMoG or GRIMM (no line begins with '>')");
        kind = unknown == UnknownText::readAsStructures ? TextKind::counted : TextKind::unimog;
    }
    GenomesRead read;
    switch (kind) {
        case TextKind::counted: {
            Genomes genomes = readGenomesText(text, name);
            read.format = genomes.format == GenomesFormat::result ? GenomesFileFormat::result
                                                                  : GenomesFileFormat::structures;
            read.structures = std::move(genomes.structures);
            break;
        }
        case TextKind::grimm:
            read.format = GenomesFileFormat::grimm;
            read.structures = readGrimm(text, name);
            break;
        default:
            read.format = GenomesFileFormat::unimog;
            read.structures = unimog::readUnimog(text, name);
            break;
    }
    return read;
}

InputText readInputText(const std::string& path) {
    InputText input;
    io::InputFile file(path);
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

void writeGenomes(std::ostream& out, const std::vector<Structure>& genomes, OutputFormat format,
                  unimog::MarkerLabels labels) {
    switch (format) {
        case OutputFormat::structures:
            if (labels != unimog::MarkerLabels::familyAndCopy)
                throw std::invalid_argument("a structures file holds copy indices: family names alone are "
                                            "written in UniMoG or GRIMM only");
            writeStructures(out, genomes);
            return;
        case OutputFormat::unimog:
            unimog::writeMarkers(out, genomes, unimog::kUnimogDialect, labels);
            return;
        case OutputFormat::grimm:
            writeGrimm(out, genomes, labels);
            return;
    }
}

}  // namespace rp::formats
