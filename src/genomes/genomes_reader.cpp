#include "genomes/genomes_reader.hpp"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <limits>
#include <stdexcept>

#include "structs/structs_reader.hpp"
#include "text/characters.hpp"
#include "text/quoting.hpp"

namespace rp {
namespace {

// Reads the items of a genomes file off the text, keeping track of where it
// is (structure, chromosome) for the messages of the reads that fail.
class GenomesParser {
public:
    GenomesParser(std::string_view text, const std::string& name) : text_(text), name_(name) {}

    // Where the reads are: "family table", "structure 2 (g2)", ...
    void setPlace(std::string place) { place_ = std::move(place); }
    const std::string& place() const { return place_; }

    [[noreturn]] void fail(std::string_view what, std::size_t at) const {
        const auto line = 1 + std::count(text_.begin(), text_.begin() + static_cast<std::ptrdiff_t>(at), '\n');
        std::string message = name_ + ": line " + std::to_string(line) + ": ";
        if (!place_.empty()) message += place_ + ": ";
        message += what;
        throw std::runtime_error(message);
    }

    // Fails with "expected WHAT" and what stands there instead.
    [[noreturn]] void expected(std::string_view what) {
        skipBlanks();
        std::string message = "expected " + std::string(what);
        if (pos_ >= text_.size()) {
            // At the end of the file, the line where its text ends.
            std::size_t end = text_.size();
            while (end > 0 && isSpace(text_[end - 1])) --end;
            fail(message + ", found the end of the file", end);
        } else {
            std::size_t end = pos_;
            while (end < text_.size() && !isSpace(text_[end]) && end - pos_ < 40) ++end;
            message += ", found " + quoteInput(text_.substr(pos_, end - pos_));
        }
        fail(message, pos_);
    }

    bool atEnd() {
        skipBlanks();
        return pos_ >= text_.size();
    }

    std::size_t position() {
        skipBlanks();
        return pos_;
    }

    // An optionally signed decimal integer that fits 32 bits, as the
    // structures reader takes it: it ends at the first byte that is not a
    // digit.
    std::int32_t readInt(std::string_view what) {
        skipBlanks();
        std::size_t i = pos_;
        bool negative = false;
        if (i < text_.size() && (text_[i] == '+' || text_[i] == '-')) negative = text_[i++] == '-';
        if (i >= text_.size() || !isDigit(text_[i])) expected(what);
        std::int64_t value = 0;
        for (; i < text_.size() && isDigit(text_[i]); ++i) {
            value = value * 10 + (text_[i] - '0');
            if (value > std::int64_t{1} << 32) value = std::int64_t{1} << 32;
        }
        if (negative) value = -value;
        if (value < std::numeric_limits<std::int32_t>::min() ||
            value > std::numeric_limits<std::int32_t>::max())
            fail("expected " + std::string(what) + ", found " + std::string(text_.substr(pos_, i - pos_)) +
                     " (out of range)",
                 pos_);
        pos_ = i;
        return static_cast<std::int32_t>(value);
    }

    // A count: an integer that is not negative.
    std::int32_t readCount(std::string_view what) {
        const std::size_t at = position();
        const std::int32_t count = readInt(what);
        if (count < 0) fail("expected " + std::string(what) + ", found " + std::to_string(count), at);
        return count;
    }

    std::string_view readWord(std::string_view what) {
        skipBlanks();
        if (pos_ >= text_.size()) expected(what);
        const std::size_t start = pos_;
        while (pos_ < text_.size() && !isSpace(text_[pos_])) ++pos_;
        return text_.substr(start, pos_ - start);
    }

    // One of the bytes of `allowed`.
    char readOneOf(std::string_view allowed, std::string_view what) {
        skipBlanks();
        if (pos_ >= text_.size() || allowed.find(text_[pos_]) == std::string_view::npos) expected(what);
        return text_[pos_++];
    }

    char readChar(std::string_view what) {
        skipBlanks();
        if (pos_ >= text_.size()) expected(what);
        return text_[pos_++];
    }

    // The next byte, which must be `c`, with no blank before it.
    void readExactly(char c, std::string_view what) {
        if (pos_ >= text_.size() || text_[pos_] != c) expected(what);
        ++pos_;
    }

private:
    void skipBlanks() {
        while (pos_ < text_.size() && isSpace(text_[pos_])) ++pos_;
    }

    std::string_view text_;
    const std::string& name_;
    std::size_t pos_ = 0;
    std::string place_;
};

// The genes of a gene list, cut as resolve-paralogs cuts them; a gene must
// begin with its sign, its copy index must be all digits, and the list must
// end with ";" (the structures reader drops what follows the last cut).
void readGeneList(GenomesParser& reader, std::string_view list, std::size_t at, Chromosome& chromosome) {
    std::size_t start = 0;
    std::size_t number = 0;
    const auto gene = [&](std::string_view piece) {
        ++number;
        const auto failGene = [&](std::string_view what) {
            reader.fail("gene " + std::to_string(number) + " " + quoteInput(piece) + ": " +
                            std::string(what),
                        at);
        };
        if (piece.empty() || (piece[0] != '+' && piece[0] != '-')) failGene("expected a sign, + or -");
        const std::size_t dot = piece.find('.');
        if (dot == std::string_view::npos) failGene("expected \".\" and a copy index");
        const std::string_view digits = piece.substr(dot + 1);
        if (digits.empty() || !std::all_of(digits.begin(), digits.end(), isDigit))
            failGene("the copy index is not a number");
        try {
            chromosome.genes.push_back(parseGene(piece));
        } catch (const std::out_of_range&) {
            failGene("the copy index is out of range");
        }
    };
    for (std::size_t i = 1; i < list.size(); ++i) {
        const char c = list[i];
        if (c == '+' || c == '-' || c == ';') {
            gene(list.substr(start, i - start));
            start = i;
        }
    }
    if (list.substr(start) != ";")
        reader.fail("the gene list does not end with \";\": " + quoteInput(list.substr(start, 40)),
                    at);
}

std::string structurePlace(std::size_t number, std::string_view name) {
    std::string place = "structure " + std::to_string(number);
    if (!name.empty()) place += " (" + std::string(name) + ")";
    return place;
}

// Reads the name of structure `number` (from 1) into `structure`, in both
// formats its first item; returns the place it gives, now the reader's.
std::string readStructureName(GenomesParser& reader, std::int32_t number, Structure& structure) {
    reader.setPlace(structurePlace(static_cast<std::size_t>(number), ""));
    structure.name = reader.readWord("a structure name");
    std::string place = structurePlace(static_cast<std::size_t>(number), structure.name);
    reader.setPlace(place);
    return place;
}

std::vector<Structure> readStructuresFile(GenomesParser& reader) {
    reader.setPlace("family table");
    const std::int32_t families = reader.readCount("a family count");
    for (std::int32_t f = 0; f < families; ++f) {
        reader.setPlace("family table, entry " + std::to_string(f + 1));
        reader.readWord("a family name");
        reader.readInt("the family's number");
    }
    reader.setPlace("");
    const std::int32_t count = reader.readCount("a structure count");
    std::vector<Structure> structures;
    for (std::int32_t s = 0; s < count; ++s) {
        Structure structure;
        const std::string place = readStructureName(reader, s + 1, structure);
        structure.headerNumber = reader.readInt("the structure's number");
        reader.readChar("a separator");
        const std::int32_t chromosomes = reader.readCount("a chromosome count");
        reader.readChar("a separator");
        for (std::int32_t c = 0; c < chromosomes; ++c) {
            reader.setPlace(place + ", chromosome " + std::to_string(c + 1));
            Chromosome chromosome;
            // resolve-paralogs takes any byte but C as linear; a strict
            // reader takes C and L only, so that a structure with fewer
            // chromosomes than it declares does not read the next header.
            chromosome.circular = reader.readOneOf("CL", "a chromosome type, C or L") == 'C';
            reader.readCount("a gene count");
            reader.readChar("a separator");
            const std::size_t at = reader.position();
            readGeneList(reader, reader.readWord("a gene list"), at, chromosome);
            structure.chromosomes.push_back(std::move(chromosome));
        }
        structures.push_back(std::move(structure));
    }
    return structures;
}

std::vector<Structure> readResultFile(GenomesParser& reader) {
    const std::int32_t count = reader.readCount("a structure count");
    reader.readExactly(';', "\";\" after the structure count");
    std::vector<Structure> structures;
    for (std::int32_t s = 0; s < count; ++s) {
        Structure structure;
        const std::string place = readStructureName(reader, s + 1, structure);
        const std::int32_t chromosomes = reader.readCount("a chromosome count");
        reader.readExactly(';', "\";\" after the chromosome count");
        for (std::int32_t c = 0; c < chromosomes; ++c) {
            reader.setPlace(place + ", chromosome " + std::to_string(c + 1));
            Chromosome chromosome;
            const std::size_t typeAt = reader.position();
            const char type = reader.readChar("a chromosome type, C or L");
            if (type != 'C' && type != 'L')
                reader.fail("expected a chromosome type, C or L, found " + quoteInput(std::string_view(&type, 1)),
                            typeAt);
            chromosome.circular = type == 'C';
            const std::size_t countAt = reader.position();
            const std::int32_t genes = reader.readCount("a gene count");
            reader.readExactly(':', "\":\" after the gene count");
            const std::size_t at = reader.position();
            readGeneList(reader, reader.readWord("a gene list"), at, chromosome);
            if (chromosome.genes.size() != static_cast<std::size_t>(genes))
                reader.fail("the gene count says " + std::to_string(genes) + ", the list holds " +
                                std::to_string(chromosome.genes.size()),
                            countAt);
            structure.chromosomes.push_back(std::move(chromosome));
        }
        structures.push_back(std::move(structure));
    }
    reader.setPlace("");
    if (!reader.atEnd()) reader.fail("text after the last structure", reader.position());
    return structures;
}

// A result file starts with its structure count and ";".
bool isResultFile(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i])) ++i;
    const std::size_t digits = i;
    while (i < text.size() && isDigit(text[i])) ++i;
    return i > digits && i < text.size() && text[i] == ';';
}

}  // namespace

Genomes readGenomesText(std::string_view text, const std::string& name) {
    GenomesParser reader(text, name);
    Genomes genomes;
    if (isResultFile(text)) {
        genomes.format = GenomeFormat::result;
        genomes.structures = readResultFile(reader);
    } else {
        genomes.format = GenomeFormat::structures;
        genomes.structures = readStructuresFile(reader);
    }
    return genomes;
}

GenomeFormat countedTextFormat(std::string_view text) {
    return isResultFile(text) ? GenomeFormat::result : GenomeFormat::structures;
}

Genomes readGenomes(std::istream& in, const std::string& name) {
    std::string text;
    try {
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure&) {
        throw std::runtime_error(name + ": cannot be read");
    }
    if (in.bad()) throw std::runtime_error(name + ": cannot be read");
    return readGenomesText(text, name);
}

}  // namespace rp
