#include "unimog/unimog_reader.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <unordered_map>

#include "genomes/structures_writer.hpp"
#include "text/quoting.hpp"
#include "text/characters.hpp"

namespace rp::unimog {
namespace {

// Blanks (isSpace of text/characters.hpp) are those of the structures file, so that what
// one reads the other keeps.

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A name as messages quote it: between single quotes, cut after 60 bytes.
std::string quotedName(std::string_view name) { return rp::quoteInput(name, 60, '\''); }

struct StringHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

class UnimogParser {
public:
    UnimogParser(std::string_view text, const std::string& name, const MarkerDialect& dialect)
        : text_(text), name_(name), dialect_(dialect) {}

    std::vector<Structure> read() {
        std::size_t at = text_.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
        while (at < text_.size()) {
            ++line_;
            const char* begin = text_.data() + at;
            const void* newline = std::memchr(begin, '\n', text_.size() - at);
            const std::size_t end =
                newline == nullptr ? text_.size() : static_cast<std::size_t>(static_cast<const char*>(newline) - text_.data());
            readLine(text_.substr(at, end - at));
            at = end + 1;
        }
        if (!inGenome_) throw UnimogError(name_ + ": no genome (no line begins with '>')");
        endGenome();
        return std::move(genomes_);
    }

private:
    // A marker without its copy yet, by where it is in the current genome.
    struct Unnumbered {
        std::uint32_t chromosome;
        std::uint32_t gene;
        std::uint32_t family;
    };

    // Numbering of one family's unnumbered markers within a genome.
    struct Numbering {
        bool touched = false;
        std::size_t next = 0;  // first explicit copy not yet passed
        std::size_t end = 0;
        std::int64_t copy = 1;
    };

    [[noreturn]] void fail(const std::string& message) const {
        throw UnimogError(name_ + ": line " + std::to_string(line_) + ": " + message);
    }

    void readLine(std::string_view line) {
        std::size_t i = 0;
        while (i < line.size() && isSpace(line[i])) ++i;
        if (i == line.size()) return;
        if (line.substr(i).starts_with(dialect_.comment)) return;
        if (line[i] == '>') return startGenome(line.substr(i + 1));
        if (!inGenome_) return;  // comment text before the first genome
        while (i < line.size()) {
            const std::size_t start = i;
            while (i < line.size() && !isSpace(line[i])) ++i;
            readToken(line.substr(start, i - start));
            while (i < line.size() && isSpace(line[i])) ++i;
        }
        if (pendingSign_ != 0) fail(std::string("sign '") + pendingSign_ + "' without a marker");
    }

    bool isTerminator(char c) const { return c == dialect_.linearEnd || c == dialect_.circularEnd; }

    void readToken(std::string_view token) {
        std::size_t markerEnd = token.size();
        while (markerEnd > 0 && isTerminator(token[markerEnd - 1])) --markerEnd;
        std::string_view marker = token.substr(0, markerEnd);
        if (!marker.empty()) {
            int strand = 1;
            if (pendingSign_ != 0) {
                strand = pendingSign_ == '-' ? -1 : 1;
                pendingSign_ = 0;
            } else if (marker[0] == '-' || marker[0] == '+') {
                strand = marker[0] == '-' ? -1 : 1;
                if (marker.size() == 1) {
                    if (markerEnd < token.size()) fail(std::string("sign '") + marker[0] + "' without a marker");
                    pendingSign_ = marker[0];
                    return;
                }
                marker.remove_prefix(1);
            }
            addMarker(marker, strand);
        }
        for (std::size_t t = markerEnd; t < token.size(); ++t) {
            if (pendingSign_ != 0) fail(std::string("sign '") + pendingSign_ + "' without a marker");
            endChromosome(token[t] == dialect_.circularEnd);
        }
    }

    void addMarker(std::string_view marker, int strand) {
        // "NAME.K": the last "." followed by digits only.
        std::string_view family = marker;
        std::int64_t copy = -1;
        const std::size_t dot = marker.rfind('.');
        if (dot != std::string_view::npos && dot + 1 < marker.size() &&
            std::all_of(marker.begin() + static_cast<std::ptrdiff_t>(dot) + 1, marker.end(), isDigit)) {
            family = marker.substr(0, dot);
            copy = 0;
            for (std::size_t k = dot + 1; k < marker.size(); ++k) {
                copy = copy * 10 + (marker[k] - '0');
                if (copy > std::numeric_limits<std::int32_t>::max())
                    fail("marker " + quotedName(marker) + ": copy number out of range");
            }
        }
        if (const char* problem = familyNameProblem(family))
            fail("marker " + quotedName(marker) + ": the structures format cannot carry " + problem);

        auto it = familyIds_.find(family);
        if (it == familyIds_.end())
            it = familyIds_.emplace(std::string(family), static_cast<std::uint32_t>(familyIds_.size())).first;
        const std::uint32_t id = it->second;
        Gene gene;
        gene.name = it->first;
        gene.strand = strand;
        if (copy >= 0) {
            gene.copy = static_cast<std::int32_t>(copy);
            explicitCopies_.emplace_back(id, gene.copy);
        } else {
            unnumbered_.push_back({static_cast<std::uint32_t>(genomes_.back().chromosomes.size()),
                                   static_cast<std::uint32_t>(open_.genes.size()), id});
        }
        open_.genes.push_back(std::move(gene));
    }

    void endChromosome(bool circular) {
        open_.circular = circular;
        genomes_.back().chromosomes.push_back(std::move(open_));
        open_ = Chromosome();
    }

    void startGenome(std::string_view header) {
        if (inGenome_) endGenome();
        while (!header.empty() && isSpace(header.front())) header.remove_prefix(1);
        while (!header.empty() && isSpace(header.back())) header.remove_suffix(1);
        if (const char* problem = genomeNameProblem(header))
            fail("genome " + quotedName(header) + ": the structures format cannot carry " + problem);
        inGenome_ = true;
        genomes_.emplace_back();
        genomes_.back().name.assign(header);
    }

    void endGenome() {
        if (!open_.genes.empty()) endChromosome(false);
        numberCopies(genomes_.back());
        explicitCopies_.clear();
        unnumbered_.clear();
    }

    // The copies of the markers that name none: 1, 2, ... per family in
    // order, passing over the copies the genome's "NAME.K" markers use.
    void numberCopies(Structure& genome) {
        if (unnumbered_.empty()) return;
        std::sort(explicitCopies_.begin(), explicitCopies_.end());
        numbering_.resize(familyIds_.size());
        for (std::size_t i = 0; i < explicitCopies_.size(); ++i) {
            Numbering& n = numbering_[explicitCopies_[i].first];
            if (!n.touched) {
                n.touched = true;
                n.next = i;
            }
            n.end = i + 1;
        }
        for (const Unnumbered& u : unnumbered_) {
            Numbering& n = numbering_[u.family];
            n.touched = true;
            for (;;) {
                while (n.next < n.end && explicitCopies_[n.next].second < n.copy) ++n.next;
                if (n.next < n.end && explicitCopies_[n.next].second == n.copy) {
                    ++n.copy;
                    continue;
                }
                break;
            }
            if (n.copy > std::numeric_limits<std::int32_t>::max())
                throw UnimogError(name_ + ": genome " + quotedName(genome.name) + ": copy number out of range");
            genome.chromosomes[u.chromosome].genes[u.gene].copy = static_cast<std::int32_t>(n.copy++);
        }
        for (const auto& [family, copy] : explicitCopies_) numbering_[family] = Numbering();
        for (const Unnumbered& u : unnumbered_) numbering_[u.family] = Numbering();
    }

    std::string_view text_;
    const std::string& name_;
    const MarkerDialect& dialect_;
    std::size_t line_ = 0;
    bool inGenome_ = false;
    char pendingSign_ = 0;
    Chromosome open_;
    std::vector<Structure> genomes_;
    std::unordered_map<std::string, std::uint32_t, StringHash, std::equal_to<>> familyIds_;
    std::vector<std::pair<std::uint32_t, std::int32_t>> explicitCopies_;
    std::vector<Unnumbered> unnumbered_;
    std::vector<Numbering> numbering_;
};

}  // namespace

bool beginsWithCount(std::string_view text) {
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i])) ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t digits = i;
    while (i < text.size() && isDigit(text[i])) ++i;
    if (i == digits) return false;
    if (i < text.size() && text[i] == ';') ++i;
    return i == text.size() || isSpace(text[i]);
}

std::vector<Structure> readMarkers(std::string_view text, const std::string& name, const MarkerDialect& dialect) {
    return UnimogParser(text, name, dialect).read();
}

std::vector<Structure> readUnimog(std::string_view text, const std::string& name) {
    return readMarkers(text, name, kUnimogDialect);
}

}  // namespace rp::unimog
