#include "solution/solution_walk.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "text/characters.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The document is read as the property tree's XML parser reads it: the same
// whitespace, the same end of names, attribute values and character data, the
// same expansion of character references in attribute values, closing tags
// whose names are not compared, and the end of the data as a zero byte. Only
// the common subset is accepted; every other construct, and every error,
// declines. Each piece of markup is parsed from a buffer that holds it whole:
// a piece that meets the end of the buffered data is parsed again from its
// start once more data has been read.

namespace rp {
namespace {

// Zero bytes kept after the buffered data: every scan stops at the first one,
// and a scan may read one 16-byte block past it.
constexpr std::size_t kPaddingBytes = 64;
// Room the buffer starts with; it doubles up to the chunk size while reads
// fill it, so a small document takes no chunk-sized buffer.
constexpr std::size_t kFirstRoomBytes = std::size_t{64} << 10;
// Deeper documents are left to the exact reader.
constexpr int kMaxDepth = 256;
// Largest code point a numeric character reference may name.
constexpr unsigned long kMaxCodePoint = 0x10FFFF;

// Character classes of the scanner, one bit each.
enum : unsigned char {
    kSpace = 1,      // the parser's whitespace: space, tab, line feed, carriage return
    kName = 2,       // accepted in element and attribute names: A-Z a-z 0-9 _ : . -
    kTagNameEnd = 4  // ends the name of a closing tag: whitespace, '/', '>', '?', zero byte
};

constexpr std::array<unsigned char, 256> makeClasses() {
    std::array<unsigned char, 256> classes{};
    for (unsigned char c : {' ', '\t', '\n', '\r'}) classes[c] |= kSpace | kTagNameEnd;
    for (int c = 0; c < 256; ++c) {
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        const bool digit = c >= '0' && c <= '9';
        if (letter || digit || c == '_' || c == ':' || c == '.' || c == '-') classes[c] |= kName;
    }
    for (unsigned char c : {'/', '>', '?', '\0'}) classes[c] |= kTagNameEnd;
    return classes;
}

constexpr std::array<unsigned char, 256> kClasses = makeClasses();

inline bool hasClass(char c, unsigned char mask) {
    return (kClasses[static_cast<unsigned char>(c)] & mask) != 0;
}

// The first byte at or after `p` that is a quote, '&' or zero: the end of a
// plain run of an attribute value. The zero byte after the buffered data must
// be followed by at least 15 readable bytes.
inline const char* findValueStop(const char* p) {
#if defined(__SSE2__)
    const __m128i doubleQuote = _mm_set1_epi8('"');
    const __m128i singleQuote = _mm_set1_epi8('\'');
    const __m128i ampersand = _mm_set1_epi8('&');
    const __m128i zero = _mm_setzero_si128();
    for (;; p += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i stops = _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(block, doubleQuote), _mm_cmpeq_epi8(block, singleQuote)),
            _mm_or_si128(_mm_cmpeq_epi8(block, ampersand), _mm_cmpeq_epi8(block, zero)));
        const auto mask = static_cast<unsigned>(_mm_movemask_epi8(stops));
        if (mask != 0) return p + __builtin_ctz(mask);
    }
#else
    while (*p != '"' && *p != '\'' && *p != '&' && *p != '\0') ++p;
    return p;
#endif
}

inline int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads the digits of a numeric character reference after "&#" in
// [text, end): hexadecimal after 'x', decimal otherwise. Returns the position
// after the digits. `code` is the code point named, or 0 when it is 0, above
// kMaxCodePoint, or when a decimal reference goes on with a hexadecimal letter
// (then the position returned is that of the letter).
const char* readCodePoint(const char* text, const char* end, unsigned long& code) {
    code = 0;
    bool inRange = true;
    if (text < end && *text == 'x') {
        for (++text; text < end; ++text) {
            const int digit = hexValue(*text);
            if (digit < 0) break;
            code = code * 16 + static_cast<unsigned long>(digit);
            if (code > kMaxCodePoint) {
                inRange = false;
                code = kMaxCodePoint + 1;  // stays above the range however many digits follow
            }
        }
    } else {
        for (; text < end && isDigit(*text); ++text) {
            code = code * 10 + static_cast<unsigned long>(*text - '0');
            if (code > kMaxCodePoint) {
                inRange = false;
                code = kMaxCodePoint + 1;  // stays above the range however many digits follow
            }
        }
        if (text < end && hexValue(*text) >= 0) inRange = false;
    }
    if (!inRange) code = 0;
    return text;
}

void appendUtf8(std::string& out, unsigned long code) {
    auto byte = [](unsigned long bits) {
        return static_cast<char>(static_cast<unsigned char>(bits));
    };
    if (code < 0x80) {
        out += byte(code);
    } else if (code < 0x800) {
        out += byte(0xC0 | (code >> 6));
        out += byte(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += byte(0xE0 | (code >> 12));
        out += byte(0x80 | ((code >> 6) & 0x3F));
        out += byte(0x80 | (code & 0x3F));
    } else {
        out += byte(0xF0 | (code >> 18));
        out += byte(0x80 | ((code >> 12) & 0x3F));
        out += byte(0x80 | ((code >> 6) & 0x3F));
        out += byte(0x80 | (code & 0x3F));
    }
}

// The predefined entities and the characters they stand for.
struct Entity {
    std::string_view text;
    char character;
};
constexpr Entity kEntities[] = {
    {"&amp;", '&'}, {"&apos;", '\''}, {"&quot;", '"'}, {"&gt;", '>'}, {"&lt;", '<'}};

// Expands the references of a raw attribute value as the parser does: the five
// predefined entities and numeric references; any other '&' stays as it is.
// False for a numeric reference the scanner would not have accepted.
bool expandReferences(std::string_view raw, std::string& out) {
    out.clear();
    const char* text = raw.data();
    const char* const end = text + raw.size();
    auto startsWith = [&](std::string_view word) {
        return static_cast<std::size_t>(end - text) >= word.size() &&
               std::memcmp(text, word.data(), word.size()) == 0;
    };
    while (text < end) {
        if (*text != '&') {
            out += *text++;
            continue;
        }
        if (const auto entity = std::find_if(std::begin(kEntities), std::end(kEntities),
                                             [&](const Entity& e) { return startsWith(e.text); });
            entity != std::end(kEntities)) {
            out += entity->character;
            text += entity->text.size();
        } else if (startsWith("&#")) {
            unsigned long code = 0;
            const char* after = readCodePoint(text + 2, end, code);
            if (code == 0 || after == end || *after != ';') return false;
            appendUtf8(out, code);
            text = after + 1;
        } else {
            out += *text++;
        }
    }
    return true;
}



enum class Step { Ok, NeedMore, Decline, Finished };

// One raw attribute value of an element being read.
struct RawAttribute {
    const char* text = nullptr;
    std::size_t size = 0;
    bool hasReference = false;

    std::string_view view() const { return {text, size}; }
};

// What an element of interest is, by its place in the document.
enum class Role { other, variable, header, objective };

class SolutionScanner {
public:
    SolutionScanner(std::streambuf& source, std::size_t chunkBytes, SolutionVisitor& visitor,
                    WalkedMembers members)
        : source_(source),
          capacity_(chunkBytes == 0 ? 1 : chunkBytes),
          storage_(std::min(capacity_, kFirstRoomBytes) + kPaddingBytes, '\0'),
          pos_(storage_.data()),
          end_(storage_.data()),
          visitor_(visitor),
          poolsAllowed_(members == WalkedMembers::poolMembers) {}

    WalkOutcome run() {
        WalkOutcome outcome;
        outcome.completed = walk();
        outcome.stoppedAt = consumed_ + static_cast<std::uint64_t>(pos_ - storage_.data());
        outcome.pool = pool_;
        outcome.members = members_;
        outcome.variablesSeen = anyVariables_;
        return outcome;
    }

private:
    bool walk() {
        for (;;) {
            const char* next = pos_;
            const Step step = depth_ == 0 ? stepDocument(pos_, next) : stepContent(pos_, next);
            switch (step) {
                case Step::Ok:
                    pos_ = next;
                    break;
                case Step::NeedMore:
                    if (eof_ || !refill()) return false;
                    break;
                case Step::Decline:
                    return false;
                case Step::Finished:
                    return true;
            }
        }
    }

    // Keeps the unparsed data from pos_ on and reads more after it.
    bool refill() {
        const auto kept = static_cast<std::size_t>(end_ - pos_);
        if (kept >= capacity_) return false;
        std::size_t room = storage_.size() - kPaddingBytes;
        const bool full = end_ == storage_.data() + room;  // the last read reached the end
        consumed_ += static_cast<std::uint64_t>(pos_ - storage_.data());
        std::memmove(storage_.data(), pos_, kept);
        if (full && room < capacity_) {
            room = std::min(room * 2, capacity_);
            storage_.resize(room + kPaddingBytes);
        }
        char* const buffer = storage_.data();
        const std::streamsize got =
            source_.sgetn(buffer + kept, static_cast<std::streamsize>(room - kept));
        if (got <= 0) eof_ = true;
        pos_ = buffer;
        const std::size_t filled = kept + static_cast<std::size_t>(got > 0 ? got : 0);
        std::memset(buffer + filled, 0, kPaddingBytes);
        end_ = buffer + filled;
        return true;
    }

    // The outcome at an unexpected character: a zero byte past the buffered
    // data asks for more, anything else declines.
    Step stopAt(const char* p) const { return p >= end_ ? Step::NeedMore : Step::Decline; }

    // Between top-level nodes: whitespace and markup only.
    Step stepDocument(const char* p, const char*& next) {
        const char* q = p;
        while (hasClass(*q, kSpace)) ++q;
        if (q != p) {
            next = q;
            return Step::Ok;
        }
        if (*q == '<') return parseMarkup(q, next);
        if (*q == '\0' && q >= end_) return eof_ ? Step::Finished : Step::NeedMore;
        return Step::Decline;
    }

    // Inside an element: character data and markup.
    Step stepContent(const char* p, const char*& next) {
        if (*p == '<') return parseMarkup(p, next);
        if (*p == '\0') return stopAt(p);
        return scanText(p, next);
    }

    // Character data is ignored but its numeric references must be valid. A
    // run is taken up to the end of the buffered data, except a reference that
    // may continue after it.
    Step scanText(const char* p, const char*& next) {
        const char* q = p;
        for (;;) {
            while (*q != '<' && *q != '&' && *q != '\0') ++q;
            if (*q == '<') break;
            if (*q == '&') {
                if (q[1] == '#') {
                    const char* after = nullptr;
                    const Step step = checkNumericReference(q, after);
                    if (step == Step::Ok) {
                        q = after;
                        continue;
                    }
                    if (step == Step::Decline) return step;
                    break;  // continues after the buffered data
                }
                if (q[1] == '\0' && q + 1 >= end_) break;
                ++q;
                continue;
            }
            if (q < end_) return Step::Decline;  // a zero byte in the data
            break;
        }
        if (q == p) return Step::NeedMore;
        next = q;
        return Step::Ok;
    }

    // Checks the numeric reference at `ref` ("&#..."); `after` is set past its
    // ';'. The digits end at the latest at the zero byte after the data.
    Step checkNumericReference(const char* ref, const char*& after) const {
        unsigned long code = 0;
        const char* digitsEnd = readCodePoint(ref + 2, end_ + 1, code);
        if (*digitsEnd != ';') return stopAt(digitsEnd);
        if (code == 0) return Step::Decline;
        after = digitsEnd + 1;
        return Step::Ok;
    }

    // Markup starting at '<': a start tag, a closing tag, a comment, a
    // processing instruction or declaration.
    Step parseMarkup(const char* p, const char*& next) {
        switch (p[1]) {
            case '/':
                if (depth_ == 0) return Step::Decline;
                return parseClosingTag(p + 2, next);
            case '?':
                return skipUntil(p + 2, "?>", next);
            case '!':
                if (p[2] == '-' && p[3] == '-') return skipUntil(p + 4, "-->", next);
                if (p[2] == '\0') return stopAt(p + 2);
                if (p[2] == '-' && p[3] == '\0') return stopAt(p + 3);
                return Step::Decline;  // CDATA, DOCTYPE and other declarations
            case '\0':
                return stopAt(p + 1);
            default:
                return parseStartTag(p + 1, next);
        }
    }

    // Skips to the first `terminator` at or after `p`, which must come before
    // any zero byte.
    Step skipUntil(const char* p, std::string_view terminator, const char*& next) const {
        for (;;) {
            const char* found = static_cast<const char*>(
                std::memchr(p, terminator[0], static_cast<std::size_t>(end_ - p)));
            const char* limit = found != nullptr ? found : end_;
            if (std::memchr(p, '\0', static_cast<std::size_t>(limit - p)) != nullptr)
                return Step::Decline;
            if (found == nullptr) return Step::NeedMore;
            std::size_t matched = 1;
            while (matched < terminator.size() && found[matched] == terminator[matched]) ++matched;
            if (matched == terminator.size()) {
                next = found + matched;
                return Step::Ok;
            }
            p = found + 1;
        }
    }

    // The name of a closing tag is not compared with the open element.
    Step parseClosingTag(const char* p, const char*& next) {
        while (!hasClass(*p, kTagNameEnd)) ++p;
        while (hasClass(*p, kSpace)) ++p;
        if (*p != '>') return stopAt(p);
        --depth_;
        if (inSolution_ && depth_ == solutionDepth_) {
            inSolution_ = false;
            if (!visitor_.endMember(members_ - 1)) return Step::Decline;
        }
        if (depth_ == solutionDepth_ + 1) {
            inVariables_ = false;
            inObjectives_ = false;
        }
        if (depth_ == 0) inPool_ = false;
        next = p + 1;
        return Step::Ok;
    }

    Step parseStartTag(const char* p, const char*& next) {
        const char* const name = p;
        while (hasClass(*p, kName)) ++p;
        const std::string_view elementName(name, static_cast<std::size_t>(p - name));
        if (elementName.empty()) return stopAt(p);
        if (!hasClass(*p, kSpace) && *p != '>' && *p != '/') return stopAt(p);

        Role role = Role::other;
        if (inSolution_) {
            if (depth_ == solutionDepth_ + 2 && inVariables_ && elementName == "variable") {
                role = Role::variable;
            } else if (depth_ == solutionDepth_ + 1 && !headerSeen_ && elementName == "header") {
                role = Role::header;
            } else if (depth_ == solutionDepth_ + 2 && inObjectives_ && !objectiveSeen_ &&
                       elementName == "objective") {
                role = Role::objective;
            }
        }
        RawAttribute slots[3];
        while (hasClass(*p, kSpace)) ++p;
        while (hasClass(*p, kName)) {
            const char* const attributeName = p;
            while (hasClass(*p, kName)) ++p;
            const std::string_view key(attributeName, static_cast<std::size_t>(p - attributeName));
            while (hasClass(*p, kSpace)) ++p;
            if (*p != '=') return stopAt(p);
            ++p;
            while (hasClass(*p, kSpace)) ++p;
            const char quote = *p;
            if (quote != '"' && quote != '\'') return stopAt(p);
            const char* const value = ++p;
            bool hasReference = false;
            for (;;) {
                p = findValueStop(p);
                if (*p == quote) break;
                if (*p == '&') {
                    hasReference = true;
                    if (p[1] == '#') {
                        const char* after = nullptr;
                        const Step step = checkNumericReference(p, after);
                        if (step != Step::Ok) return step;
                        p = after;
                    } else {
                        ++p;
                    }
                    continue;
                }
                if (*p == '\0') return stopAt(p);
                ++p;  // the other quote
            }
            const RawAttribute attribute{value, static_cast<std::size_t>(p - value), hasReference};
            ++p;
            if (role != Role::other) {
                RawAttribute* slot = nullptr;
                if (role == Role::variable) {
                    slot = key == "name" ? &slots[0] : key == "value" ? &slots[1] : nullptr;
                    if (slot != nullptr && slot->text != nullptr) return Step::Decline;  // given twice
                } else if (role == Role::header) {
                    slot = key == "solutionStatusString" ? &slots[0]
                           : key == "objectiveValue"     ? &slots[1]
                           : key == "solutionIndex"      ? &slots[2]
                                                         : nullptr;
                    if (slot != nullptr && slot->text != nullptr) slot = nullptr;  // the first counts
                } else {
                    slot = key == "value" && slots[0].text == nullptr ? &slots[0] : nullptr;
                }
                if (slot != nullptr) *slot = attribute;
            }
            while (hasClass(*p, kSpace)) ++p;
        }

        bool open = false;
        if (*p == '>') {
            open = true;
            ++p;
        } else if (*p == '/') {
            if (p[1] != '>') return stopAt(p + 1);
            p += 2;
        } else {
            return stopAt(p);
        }

        if (role != Role::other && !takeElement(role, slots)) return Step::Decline;
        if (depth_ == 0 && !solutionSeen_ && elementName == "CPLEXSolution") {
            solutionSeen_ = true;
            if (!beginMember(0, open)) return Step::Decline;
        } else if (depth_ == 0 && poolsAllowed_ && !solutionSeen_ && elementName == "CPLEXSolutions") {
            solutionSeen_ = true;
            pool_ = true;
            inPool_ = open;
        } else if (depth_ == 1 && inPool_ && elementName == "CPLEXSolution") {
            if (!beginMember(1, open)) return Step::Decline;
        } else if (inSolution_ && depth_ == solutionDepth_ + 1) {
            if (!variablesSeen_ && elementName == "variables") {
                variablesSeen_ = true;
                anyVariables_ = true;
                inVariables_ = open;
            } else if (elementName == "header") {
                headerSeen_ = true;
            } else if (!objectivesSeen_ && elementName == "objectiveValues") {
                objectivesSeen_ = true;
                inObjectives_ = open;
            }
        }
        if (open && ++depth_ > kMaxDepth) return Step::Decline;
        next = p;
        return Step::Ok;
    }

    // A CPLEXSolution begins at `depth`; one closed at once ends at once.
    bool beginMember(int depth, bool open) {
        solutionDepth_ = depth;
        variablesSeen_ = headerSeen_ = objectivesSeen_ = objectiveSeen_ = false;
        const std::size_t member = members_++;
        if (!visitor_.beginMember(member)) return false;
        inSolution_ = open;
        return open || visitor_.endMember(member);
    }

    WalkedAttribute expand(const RawAttribute& raw, std::string& scratch) {
        WalkedAttribute walked;
        if (raw.text == nullptr) return walked;
        walked.present = true;
        walked.hadReference = raw.hasReference;
        walked.text = raw.view();
        if (raw.hasReference) {
            if (!expandReferences(raw.view(), scratch)) throw std::invalid_argument("reference");
            walked.text = scratch;
        }
        return walked;
    }

    // Hands one element of interest to the visitor; false declines.
    bool takeElement(Role role, const RawAttribute (&slots)[3]) {
        try {
            const std::size_t member = members_ - 1;
            if (role == Role::variable)
                return visitor_.variable(member, expand(slots[0], scratch_[0]), expand(slots[1], scratch_[1]));
            if (role == Role::header) {
                const WalkedHeader header{expand(slots[0], scratch_[0]), expand(slots[1], scratch_[1]),
                                          expand(slots[2], scratch_[2])};
                return visitor_.header(member, header);
            }
            objectiveSeen_ = true;
            return visitor_.objective(member, expand(slots[0], scratch_[0]));
        } catch (const std::invalid_argument&) {
            return false;  // a reference the parser would not take
        }
    }

    std::streambuf& source_;
    const std::size_t capacity_;
    std::vector<char> storage_;
    const char* pos_;  // first byte not yet parsed
    const char* end_;  // end of the buffered data, followed by zero bytes
    std::uint64_t consumed_ = 0;  // bytes before the buffer's start
    bool eof_ = false;
    SolutionVisitor& visitor_;
    const bool poolsAllowed_;

    int depth_ = 0;               // open elements
    bool solutionSeen_ = false;   // the first top-level CPLEXSolution(s) was opened
    bool pool_ = false;           // ... and it is a CPLEXSolutions
    bool inPool_ = false;         // ... which is open now
    std::size_t members_ = 0;     // CPLEXSolution elements begun
    int solutionDepth_ = 0;       // depth of the member being walked
    bool inSolution_ = false;     // a member is open now
    bool variablesSeen_ = false;  // its first variables child was opened
    bool inVariables_ = false;    // ... and is open now
    bool headerSeen_ = false;     // its header was read
    bool objectivesSeen_ = false; // its first objectiveValues was opened
    bool inObjectives_ = false;   // ... and is open now
    bool objectiveSeen_ = false;  // its first objective was read
    bool anyVariables_ = false;
    std::string scratch_[3];
};

// Skips a UTF-8 byte order mark at the very start, as the XML parser does; a
// partial one is an error there.
bool skipByteOrderMark(std::streambuf& source) {
    if (source.sgetc() == 0xEF) {
        if (source.snextc() != 0xBB || source.snextc() != 0xBF) return false;
        source.sbumpc();
    }
    return true;
}

}  // namespace

WalkOutcome walkSolution(std::istream& in, SolutionVisitor& visitor, WalkedMembers members,
                         std::size_t chunkBytes) {
    if (!in.good() || in.rdbuf() == nullptr) return {};
    std::streambuf& source = *in.rdbuf();
    if (!skipByteOrderMark(source)) return {};
    SolutionScanner scanner(source, chunkBytes, visitor, members);
    return scanner.run();
}

}  // namespace rp
