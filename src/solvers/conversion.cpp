#include "solvers/conversion.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_map>
#include <unordered_set>

#include "solvers/line_source.hpp"
#include "text/quoting.hpp"
#include "solvers/format_reader.hpp"
#include "solvers/solution_writer.hpp"
#include "solution/z_variable.hpp"

namespace rp::solvers {

namespace {

// The input with its first bytes read ahead for recognition and given back
// to the reader; a UTF-8 byte order mark at the start is dropped.
class PrefixedBuffer : public std::streambuf {
public:
    static constexpr std::size_t kPrefixBytes = 16 * 1024;

    explicit PrefixedBuffer(std::streambuf& source) : source_(source), prefix_(kPrefixBytes, '\0') {
        std::size_t filled = 0;
        while (filled < prefix_.size()) {
            const std::streamsize got =
                source_.sgetn(prefix_.data() + filled, static_cast<std::streamsize>(prefix_.size() - filled));
            if (got <= 0) break;
            filled += static_cast<std::size_t>(got);
        }
        prefix_.resize(filled);
        std::size_t start = prefix_.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
        setg(prefix_.data(), prefix_.data() + start, prefix_.data() + prefix_.size());
    }

    std::string_view prefix() const { return {gptr(), static_cast<std::size_t>(egptr() - gptr())}; }

protected:
    int_type underflow() override {
        if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
        if (chunk_.empty()) chunk_.resize(64 * 1024);
        const std::streamsize got = source_.sgetn(chunk_.data(), static_cast<std::streamsize>(chunk_.size()));
        if (got <= 0) return traits_type::eof();
        setg(chunk_.data(), chunk_.data(), chunk_.data() + got);
        return traits_type::to_int_type(*gptr());
    }

    std::streamsize xsgetn(char* s, std::streamsize n) override {
        std::streamsize done = 0;
        const std::streamsize buffered = std::min<std::streamsize>(n, egptr() - gptr());
        if (buffered > 0) {
            std::memcpy(s, gptr(), static_cast<std::size_t>(buffered));
            gbump(static_cast<int>(buffered));
            done = buffered;
        }
        if (done < n) {
            const std::streamsize got = source_.sgetn(s + done, n - done);
            if (got > 0) done += got;
        }
        return done;
    }

private:
    std::streambuf& source_;
    std::string prefix_;
    std::string chunk_;
};

FirstLines firstLinesOf(std::string_view text) {
    FirstLines first;
    while (!text.empty() && first.lines.size() < FirstLines::kCount) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!first.lines.empty() || !trimBlanks(line).empty()) first.lines.push_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return first;
}

// Reads a number as every solver writes it ("C" printf forms, a leading "+"
// allowed); false for anything else. Infinities and overflow read as
// infinite values.
bool readNumber(std::string_view text, double& value) {
    if (text.size() == 1 && text[0] >= '0' && text[0] <= '9') {  // the common 0 and 1
        value = text[0] - '0';
        return true;
    }
    text = trimBlanks(text);
    if (!text.empty() && text[0] == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (result.ptr != end) return false;
    if (result.ec == std::errc::result_out_of_range) {
        // Out of range: a huge magnitude overflows; a tiny one is zero.
        const bool negative = text[0] == '-';
        std::string_view digits = text.substr(negative ? 1 : 0);
        const std::size_t e = digits.find_first_of("eE");
        const bool tiny = e != std::string_view::npos && e + 1 < digits.size() && digits[e + 1] == '-';
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
        if (negative) value = -value;
        return true;
    }
    return result.ec == std::errc();
}

// readNumber with the texts last read remembered: solutions repeat a few
// values (0, 1, values a hair from them) over and over, and the same text
// always reads as the same number.
class NumberReader {
public:
    bool read(std::string_view text, double& value) {
        if (text.size() > kLongest) return readNumber(text, value);
        Entry& entry = entries_[slotOf(text)];
        if (entry.size == text.size() && std::memcmp(entry.text, text.data(), text.size()) == 0) {
            value = entry.value;
            return true;
        }
        if (!readNumber(text, value)) return false;
        entry.size = static_cast<std::uint8_t>(text.size());
        if (!text.empty()) std::memcpy(entry.text, text.data(), text.size());
        entry.value = value;
        return true;
    }

private:
    static constexpr std::size_t kLongest = 32;
    static constexpr std::size_t kSlots = 1024;

    struct Entry {
        std::uint8_t size = 0xFF;  // no text: matches none
        char text[kLongest];
        double value;
    };

    // From the length and three bytes: quick, and it tells apart the few
    // texts a solution repeats.
    static std::size_t slotOf(std::string_view text) {
        if (text.empty()) return 0;
        const auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(text[i])); };
        const std::uint32_t key = static_cast<std::uint32_t>(text.size()) | byte(0) << 8 |
                                  byte(text.size() / 2) << 16 | byte(text.size() - 1) << 24;
        return ((key * 0x9E3779B1u) >> 22) % kSlots;
    }

    Entry entries_[kSlots];
};

// What the bytes of a name hold, in one pass: a zero byte, a byte XML
// escapes.
constexpr unsigned kZeroByte = 1;
constexpr unsigned kEscapedByte = 2;

constexpr std::array<unsigned char, 256> kNameBytes = [] {
    std::array<unsigned char, 256> kinds{};
    kinds[0] = kZeroByte;
    for (std::size_t c = 0; c < 256; ++c)
        if (escapedInXml(static_cast<char>(c))) kinds[c] |= kEscapedByte;
    return kinds;
}();

unsigned nameBytes(std::string_view name) {
    const auto* p = reinterpret_cast<const unsigned char*>(name.data());
    const auto* const end = p + name.size();
    unsigned kinds = 0;
    for (; end - p >= 4; p += 4)  // four at a time: names are many
        kinds |= kNameBytes[p[0]] | kNameBytes[p[1]] | kNameBytes[p[2]] | kNameBytes[p[3]];
    for (; p < end; ++p) kinds |= kNameBytes[*p];
    return kinds;
}

// The checks between a reader and the writer.
class CheckingSink : public VariableSink {
public:
    CheckingSink(std::ostream& out, const ConversionOptions& options) : writer_(out), options_(options) {}

    void header(const SolutionHeader& header) override {
        if (headerSeen_) throw SolutionError("the solution has two headers");
        headerSeen_ = true;
        summary_.header = header;
        // XML can carry every byte but the zero byte.
        if (header.status.find('\0') != std::string::npos)
            throw SolutionError("the solver's status " + quoteInput(header.status, 200) + " holds a zero byte");
        const std::string status = header.status.empty() ? std::string("none given") : quoteInput(header.status, 200);
        if (header.outcome == Outcome::noSolution)
            throw SolutionError("no solution in the file: the solver's status is " + status);
        if (header.outcome == Outcome::unbounded)
            throw SolutionError("the solution is unbounded (the solver's status is " + status +
                                "): a listed point is no solution");
        double objective = 0;
        if (readNumber(header.objective, objective) && std::isfinite(objective)) summary_.objective = objective;
        writer_.begin(header, summary_.objective ? &*summary_.objective : nullptr);
    }

    void variable(std::string_view name, std::string_view valueText, std::uint64_t line, bool named) override {
        const std::uint64_t position = summary_.variables;
        if (!named || name.empty())
            throw SolutionError(atLine(line) + "variable " + std::to_string(position) +
                                " has no name: the model had no names (write it with names)");
        const unsigned bytes = nameBytes(name);
        if ((bytes & kZeroByte) != 0)
            throw SolutionError(atLine(line) + "the name of variable " + std::to_string(position) +
                                " holds a zero byte");
        double value = 0;
        if (!numbers_.read(valueText, value))
            throw SolutionError(atLine(line) + "the value " + quoteInput(valueText, 40) + " of variable " +
                                quoteInput(name, 200) + " is not a number");
        if (!std::isfinite(value))
            throw SolutionError(atLine(line) + "the value " + quoteInput(valueText, 40) + " of variable " +
                                quoteInput(name, 200) + " is not finite");
        if (std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max()))
            throw SolutionError(atLine(line) + "the value " + quoteInput(valueText, 40) + " of variable " +
                                quoteInput(name, 200) +
                                " does not fit a single-precision number (what resolve-paralogs reads)");
        if (name[0] == 'z') value = checkZ(name, valueText, value, line);
        writer_.variable(name, value, (bytes & kEscapedByte) != 0);
        ++summary_.variables;
    }

    bool canRestart() const override { return static_cast<bool>(options_.restartOutput); }

    void restart() override {
        writer_.restart();
        options_.restartOutput();
        headerSeen_ = false;
        summary_ = ConversionSummary{};
        sources_.clear();
        targets_.clear();
        families_.clear();
    }

    ConversionSummary finish() {
        if (!headerSeen_) throw SolutionError("the file holds no solution");
        writer_.finish();
        summary_.families = families_.size();
        return summary_;
    }

private:
    double checkZ(std::string_view name, std::string_view valueText, double value, std::uint64_t line) {
        const double k = std::nearbyint(value);
        if (!(std::fabs(value - k) <= options_.tolerance))
            throw SolutionError(atLine(line) + "z variable " + quoteInput(name, 200) + " has the value " +
                                quoteInput(valueText, 40) + ", farther than " + tolerance() +
                                " from an integer: the answer is not integral");
        if (k == 0.0) return 0.0;
        const std::optional<ZName> cut = cutZName(name);
        // A name that does not cut as z_FAMILY.FROM.TO is no matching
        // variable (a model's own "zeta"): resolve-paralogs passes over it at
        // any integer but 1, where it would fail on the name.
        if (cut && k != 1.0)
            throw SolutionError(atLine(line) + "z variable " + quoteInput(name, 200) + " has the value " +
                                quoteInput(valueText, 40) + ", neither 0 nor 1: a matching variable is binary");
        if (!cut && k != 1.0) return k;
        if (!cut)
            throw SolutionError(atLine(line) + "z variable " + quoteInput(name, 200) +
                                " is at 1 but resolve-paralogs cannot cut its name into z_FAMILY.FROM.TO: "
                                "the solution does not come from a matching program");
        ++summary_.zAtOne;
        std::string family(cut->family);
        keep(sources_, family, cut->from, name, [&] {
            return "copy " + std::to_string(cut->from) + " of family " + quoteInput(family, 200) + " has two targets";
        });
        keep(targets_, family, cut->to, name, [&] {
            return "two copies of family " + quoteInput(family, 200) + " go to copy " + std::to_string(cut->to);
        });
        families_.insert(std::move(family));
        return 1.0;
    }

    // `problem()` says what two z variables at 1 for one key mean.
    template <class Problem>
    void keep(std::unordered_map<std::string, std::string>& kept, const std::string& family, std::uint32_t copy,
              std::string_view name, const Problem& problem) {
        std::string key = family;
        key += '\0';
        key += std::to_string(copy);
        const auto [at, inserted] = kept.try_emplace(std::move(key), name);
        if (!inserted)
            throw SolutionError("z variables " + quoteInput(at->second, 200) + " and " + quoteInput(name, 200) +
                                " are both at 1: " + problem() + ", so they form no matching");
    }

    std::string tolerance() const {
        std::string text;
        appendNumber(text, options_.tolerance);
        return text;
    }

    SolutionWriter writer_;
    NumberReader numbers_;
    const ConversionOptions& options_;
    bool headerSeen_ = false;
    ConversionSummary summary_;
    std::unordered_map<std::string, std::string> sources_;
    std::unordered_map<std::string, std::string> targets_;
    std::unordered_set<std::string> families_;
};

}  // namespace

ConversionSummary convertSolution(std::streambuf& in, std::ostream& out, const ConversionOptions& options) {
    if (!(options.tolerance >= 0 && options.tolerance < 0.5))
        throw SolutionError("the tolerance must be at least 0 and below 0.5");
    PrefixedBuffer input(in);
    const FirstLines first = firstLinesOf(input.prefix());
    if (first.lines.empty()) throw SolutionError("the input is empty (no solution)");
    const FormatReader* reader = recognise(first);
    if (reader == nullptr)
        throw SolutionError("not a solution format paralogs solution reads; its first line starts " +
                            quoteInput(first.lines[0], 60));
    CheckingSink sink(out, options);
    reader->read(input, ReadOptions{options.member}, sink);
    return sink.finish();
}

ConversionSummary convertSolutionWith(const FormatReader& reader, std::streambuf& in, std::ostream& out,
                                      const ConversionOptions& options) {
    PrefixedBuffer input(in);
    CheckingSink sink(out, options);
    reader.read(input, ReadOptions{options.member}, sink);
    return sink.finish();
}

}  // namespace rp::solvers
