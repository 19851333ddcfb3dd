#include "structs/structs_reader.hpp"

#include <limits>
#include <stdexcept>

#include "structs/reservation.hpp"
#include "text/characters.hpp"

namespace rp {
namespace {

constexpr int kEof = std::char_traits<char>::eof();

// The three kinds of read of the structures file, straight off the stream's
// buffer. Each skips blanks first; a read that cannot be done leaves its
// target unchanged and sets the stream's failbit, after which every read
// fails the same way.
class ItemReader {
public:
    explicit ItemReader(std::istream& in) : in_(in), buf_(in.rdbuf()) {
        if (buf_ == nullptr) in_.setstate(std::ios::badbit);
    }

    bool failed() const { return in_.fail(); }

    void readInt(std::int32_t& target) {
        int c = skipBlanks();
        if (c == kEof) return fail();
        bool negative = false;
        if (c == '+' || c == '-') {
            negative = c == '-';
            c = buf_->snextc();
        }
        if (!isDigit(c)) return fail();
        // Saturating accumulation: any value past the 32-bit range fails.
        std::int64_t value = 0;
        constexpr std::int64_t kCap = std::int64_t{1} << 32;
        do {
            if (value < kCap) value = value * 10 + (c - '0');
            c = buf_->snextc();
        } while (isDigit(c));
        if (negative) value = -value;
        if (value < std::numeric_limits<std::int32_t>::min() ||
            value > std::numeric_limits<std::int32_t>::max())
            return fail();
        target = static_cast<std::int32_t>(value);
    }

    void readWord(std::string& target) {
        int c = skipBlanks();
        if (c == kEof) return fail();
        target.clear();
        do {
            target.push_back(static_cast<char>(c));
            c = buf_->snextc();
        } while (c != kEof && !isSpace(c));
    }

    void readChar(char& target) {
        const int c = skipBlanks();
        if (c == kEof) return fail();
        target = static_cast<char>(c);
        buf_->sbumpc();
    }

private:
    int skipBlanks() {
        if (in_.fail()) return kEof;
        int c = buf_->sgetc();
        while (isSpace(c)) c = buf_->snextc();
        return c;
    }

    void fail() { in_.setstate(std::ios::failbit); }

    std::istream& in_;
    std::streambuf* buf_;
};

void failIfNegative(std::int32_t count) {
    if (count < 0) throw std::length_error(kTooLong);
}

// Runs a read; an input that cannot be read at all (a directory, an I/O
// error) is reported rather than taken for the end of the file, which would
// silently drop what follows.
template <class Read>
auto reportingReadErrors(Read&& read) {
    try {
        return read();
    } catch (const std::ios_base::failure&) {
        throw std::runtime_error(kUnreadable);
    }
}

FamilyTable readFamilyTableFrom(std::istream& in) {
    ItemReader reader(in);
    FamilyTable table;
    std::int32_t count = 0;
    reader.readInt(count);
    failIfNegative(count);
    std::string name;
    for (std::int32_t i = 0; i < count; ++i) {
        // Once reading has failed nothing more can be stored.
        if (reader.failed()) break;
        std::int32_t value = 0;
        reader.readWord(name);
        reader.readInt(value);
        if (!reader.failed()) table[name] = value;
    }
    return table;
}

std::vector<Structure> readStructuresFrom(std::istream& in) {
    ItemReader reader(in);
    std::int32_t structureCount = 0;
    reader.readInt(structureCount);
    failIfNegative(structureCount);
    std::vector<Structure> structures;
    reserveOrFail(structures, static_cast<std::size_t>(structureCount));

    std::string geneList;
    for (std::int32_t s = 0; s < structureCount; ++s) {
        // Once reading has failed every read leaves its target as it was, so
        // each structure still declared is an empty one without a name.
        if (reader.failed()) {
            structures.resize(static_cast<std::size_t>(structureCount));
            break;
        }
        Structure structure;
        std::int32_t chromosomeCount = 0;
        char separator = 0;
        reader.readWord(structure.name);
        reader.readInt(structure.headerNumber);
        reader.readChar(separator);
        reader.readInt(chromosomeCount);
        reader.readChar(separator);
        failIfNegative(chromosomeCount);
        reserveOrFail(structure.chromosomes, static_cast<std::size_t>(chromosomeCount));

        for (std::int32_t c = 0; c < chromosomeCount; ++c) {
            // ... and each chromosome still declared an empty linear one.
            if (reader.failed()) {
                structure.chromosomes.resize(static_cast<std::size_t>(chromosomeCount));
                break;
            }
            char type = 'L';  // a type that cannot be read gives a linear chromosome
            std::int32_t geneCount = 0;
            reader.readChar(type);
            reader.readInt(geneCount);
            reader.readChar(separator);
            Chromosome chromosome;
            chromosome.circular = type == 'C';
            failIfNegative(geneCount);
            reserveOrFail(chromosome.genes, static_cast<std::size_t>(geneCount));
            geneList.clear();  // a list that cannot be read holds no genes
            reader.readWord(geneList);
            forEachGenePiece(geneList, [&](std::string_view piece) {
                chromosome.genes.push_back(parseGene(piece));
            });
            structure.chromosomes.push_back(std::move(chromosome));
        }
        structures.push_back(std::move(structure));
    }
    return structures;
}

}  // namespace

FamilyTable readFamilyTable(std::istream& in) {
    return reportingReadErrors([&] { return readFamilyTableFrom(in); });
}

std::vector<Structure> readStructures(std::istream& in) {
    return reportingReadErrors([&] { return readStructuresFrom(in); });
}

Gene parseGene(std::string_view piece) {
    Gene gene;
    gene.strand = !piece.empty() && piece[0] == '-' ? -1 : 1;
    const std::size_t dot = piece.find('.');
    if (dot == std::string_view::npos) {
        gene.name.assign(piece.substr(piece.empty() ? 0 : 1));
        throw std::invalid_argument(kInvalidStoi);
    }
    gene.name.assign(dot == 0 ? piece.substr(1) : piece.substr(1, dot - 1));
    std::size_t i = dot + 1;
    if (i >= piece.size() || !isDigit(piece[i])) throw std::invalid_argument(kInvalidStoi);
    std::int64_t value = 0;
    for (; i < piece.size() && isDigit(piece[i]); ++i) {
        value = value * 10 + (piece[i] - '0');
        if (value > std::numeric_limits<std::int32_t>::max())
            throw std::out_of_range(kStoiOutOfRange);
    }
    gene.copy = static_cast<std::int32_t>(value);
    return gene;
}

}  // namespace rp
