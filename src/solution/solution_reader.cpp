#include "solution/solution_reader.hpp"

#include <pthread.h>

#include <algorithm>
#include <exception>
#include <fstream>
#include <iostream>
#include <new>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <vector>

#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>

#include "solution/fast_reader.hpp"
#include "solution/variable_value.hpp"
#include "solution/z_variable.hpp"

namespace rp {

namespace pt = boost::property_tree;

namespace {

// The character classes of the property tree's XML parser, as it reads a
// document: its whitespace, the bytes of element names and of attribute
// names (every byte but the ones that end them).
constexpr bool isWhitespace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
constexpr bool isNameChar(char c) { return c != '\0' && !isWhitespace(c) && c != '/' && c != '>' && c != '?'; }
constexpr bool isAttributeNameChar(char c) {
    return isNameChar(c) && c != '!' && c != '<' && c != '=';
}

// Whether the NUL-terminated text at `p` begins with `text`. Compares without
// reading past the first byte that differs, so never past the terminating NUL.
bool hasPrefixAt(const char* p, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i)
        if (p[i] != text[i]) return false;
    return true;
}

constexpr std::size_t kNowhere = static_cast<std::size_t>(-1);

// How deep the elements of a document nest, as the XML parser reads it.
struct Nesting {
    std::size_t deepest = 0;          // deepest element nesting reached
    std::size_t tooDeepAt = kNowhere;  // offset of the "<" that opens the first
                                       // element nested deeper than the limit
};

// Follows the XML parser's reading of the NUL-terminated `text` (read_xml's
// default flags: comments kept, entities expanded, nothing trimmed) and keeps
// track of element nesting. Up to the parser's first failure the scan opens
// and closes elements where the parser does; where the parser fails, the scan
// stops there or goes on, never deeper than the parser would have gone before.
Nesting scanNesting(const char* text, std::size_t limit) {
    Nesting nesting;
    const char* p = text;
    auto skipWhitespace = [&p] {
        while (isWhitespace(*p)) ++p;
    };
    auto skipPast = [&p](std::string_view end) {
        while (!hasPrefixAt(p, end)) {
            if (*p == '\0') return false;
            ++p;
        }
        p += end.size();
        return true;
    };

    if (hasPrefixAt(p, "\xEF\xBB\xBF")) p += 3;
    std::size_t depth = 0;
    for (;;) {
        if (depth == 0) {
            skipWhitespace();
            if (*p != '<') return nesting;  // the end of the document, or a parse failure
        } else {
            while (*p != '<' && *p != '\0') ++p;  // character data
            if (*p == '\0') return nesting;
            if (p[1] == '/') {  // closing tag; its name is not checked
                p += 2;
                while (isNameChar(*p)) ++p;
                skipWhitespace();
                if (*p != '>') return nesting;
                ++p;
                --depth;
                continue;
            }
        }
        const char* const open = p++;
        if (*p == '?') {  // declaration or processing instruction
            ++p;
            if (!skipPast("?>")) return nesting;
            continue;
        }
        if (*p == '!') {
            if (hasPrefixAt(p + 1, "--")) {
                p += 3;
                if (!skipPast("-->")) return nesting;
            } else if (hasPrefixAt(p + 1, "[CDATA[")) {
                p += 8;
                if (!skipPast("]]>")) return nesting;
            } else if (hasPrefixAt(p + 1, "DOCTYPE") && isWhitespace(p[8])) {
                p += 9;
                while (*p != '>') {
                    if (*p == '\0') return nesting;
                    if (*p++ != '[') continue;
                    for (int brackets = 1; brackets > 0; ++p) {
                        if (*p == '\0') return nesting;
                        if (*p == '[') ++brackets;
                        if (*p == ']') --brackets;
                    }
                }
                ++p;
            } else {  // any other "<!": skipped up to the next ">"
                ++p;
                while (*p != '>') {
                    if (*p == '\0') return nesting;
                    ++p;
                }
                ++p;
            }
            continue;
        }
        // An element.
        if (depth == limit) {
            nesting.tooDeepAt = static_cast<std::size_t>(open - text);
            return nesting;
        }
        const char* const name = p;
        while (isNameChar(*p)) ++p;
        if (p == name) return nesting;
        skipWhitespace();
        while (isAttributeNameChar(*p)) {
            while (isAttributeNameChar(*p)) ++p;
            skipWhitespace();
            if (*p != '=') return nesting;
            ++p;
            skipWhitespace();
            const char quote = *p;
            if (quote != '"' && quote != '\'') return nesting;
            ++p;
            while (*p != quote && *p != '\0') ++p;
            if (*p != quote) return nesting;
            ++p;
            skipWhitespace();
        }
        if (*p == '>') {
            ++p;
            nesting.deepest = std::max(nesting.deepest, ++depth);
        } else if (hasPrefixAt(p, "/>")) {
            p += 2;
            nesting.deepest = std::max(nesting.deepest, depth + 1);
        } else {
            return nesting;
        }
    }
}

// Nesting up to which a document is read on the calling thread's stack.
constexpr std::size_t kDepthOnCallerStack = 256;

// Stack for reading a document nested `depth` deep: the parser, the tree
// conversion and the tree's destruction each recurse once per level, with
// frames of a few hundred bytes (a few kilobytes in sanitizer builds).
std::size_t stackFor(std::size_t depth) { return (std::size_t{4} << 20) + depth * 4096; }

// Runs `job` on a thread of its own with a stack of `stackBytes` and waits for
// it; whatever the job throws is thrown again here. A thread that cannot be
// started is an allocation failure.
template <class Job>
void runWithStack(std::size_t stackBytes, Job& job) {
    struct Call {
        Job* job;
        std::exception_ptr failure;
    } call{&job, nullptr};
    void* (*const body)(void*) = [](void* argument) -> void* {
        Call& c = *static_cast<Call*>(argument);
        try {
            (*c.job)();
        } catch (...) {
            c.failure = std::current_exception();
        }
        return nullptr;
    };
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) throw std::bad_alloc();
    pthread_t thread;
    const bool started = pthread_attr_setstacksize(&attributes, stackBytes) == 0 &&
                         pthread_create(&thread, &attributes, body, &call) == 0;
    pthread_attr_destroy(&attributes);
    if (!started) throw std::bad_alloc();
    pthread_join(thread, nullptr);
    if (call.failure) std::rethrow_exception(call.failure);
}

// Runs `job`, which recurses `depth` levels deep, where the stack holds it.
template <class Job>
void runForDepth(std::size_t depth, Job&& job) {
    if (depth <= kDepthOnCallerStack)
        job();
    else
        runWithStack(stackFor(depth), job);
}

// A read-only stream buffer over bytes held elsewhere.
class ByteView : public std::streambuf {
public:
    ByteView(char* data, std::size_t size) { setg(data, data, data + size); }
};

// The document nests an element deeper than the limit at `tooDeepAt`. The
// parser may still fail before it gets there: it reads the text before that
// "<" exactly as it reads the whole document, so that text alone, ending
// there, gives the same failure. Only when it ends for want of data at that
// point does the parser of the whole document go deeper than the limit.
[[noreturn]] void failTooDeep(const std::vector<char>& document, std::size_t tooDeepAt) {
    const auto end = document.begin() + static_cast<std::ptrdiff_t>(tooDeepAt);
    std::vector<char> head(document.begin(), end);
    ByteView bytes(head.data(), head.size());
    std::istream text(&bytes);
    try {
        pt::ptree tree;
        pt::read_xml(text, tree, 0);
    } catch (const pt::xml_parser_error& e) {
        // The parser reads up to the first zero byte it meets and reports the
        // end of the data there; the head ran out at its end only when it
        // holds no zero byte before.
        const bool ranOut = e.message() == "unexpected end of data" && std::find(head.begin(), head.end(), '\0') == head.end();
        if (!ranOut) throw pt::xml_parser_error(e.message(), std::string(), e.line());
    }
    throw std::runtime_error(kNestedTooDeeply);
}

// The bytes from the stream's position to its end, as an istreambuf_iterator
// walk gives them, taken a block at a time.
std::vector<char> readRest(std::istream& in) {
    std::vector<char> bytes;
    std::streambuf* const source = in.rdbuf();
    if (source == nullptr) return bytes;
    std::size_t size = 0;
    for (;;) {
        if (bytes.size() - size < 4096) bytes.resize(std::max<std::size_t>(4096, bytes.size() * 2));
        const std::streamsize got =
            source->sgetn(bytes.data() + size, static_cast<std::streamsize>(bytes.size() - size));
        if (got <= 0) break;
        size += static_cast<std::size_t>(got);
    }
    bytes.resize(size);
    return bytes;
}

AssignmentMap readDocument(std::vector<char>& document) {
    ByteView bytes(document.data(), document.size() - 1);  // without the NUL
    std::istream text(&bytes);
    pt::ptree tree;
    pt::read_xml(text, tree, 0);
    return decisionsOfTree(tree);
}

}  // namespace

AssignmentMap decisionsOfTree(const pt::ptree& tree) {
    AssignmentMap decisions;
    const pt::ptree& variables = tree.get_child("CPLEXSolution.variables");
    for (const auto& [key, variable] : variables) {
        if (key != "variable") continue;
        const std::string& name = variable.get_child("<xmlattr>.name").data();
        const std::string& valueText = variable.get_child("<xmlattr>.value").data();
        float value = 0;
        if (!convertValue(valueText, value))
            throw pt::ptree_bad_data("conversion of data to type \"float\" failed", valueText);
        if (selectsDecision(name, value)) addAssignment(decisions, parseZVariableName(name));
    }
    return decisions;
}

AssignmentMap readSolutionExact(std::istream& in) { return readSolutionExact(in, kMaxElementDepth); }

AssignmentMap readSolutionExact(std::istream& in, std::size_t maxDepth) {
    // Loaded as read_xml loads it, which also makes its "read error" ours.
    std::vector<char> document = readRest(in);
    if (!in.good()) throw pt::xml_parser_error("read error", std::string(), 0);
    document.push_back('\0');

    const Nesting nesting = scanNesting(document.data(), maxDepth);
    if (nesting.tooDeepAt != kNowhere)
        runForDepth(maxDepth, [&] { failTooDeep(document, nesting.tooDeepAt); });
    AssignmentMap decisions;
    runForDepth(nesting.deepest, [&] { decisions = readDocument(document); });
    return decisions;
}

AssignmentMap readSolutionFile(const std::string& path) {
    std::cout << "Reading z variables from ilp solution...\n";
    std::ifstream in(path);
    if (!in.is_open()) throw std::runtime_error("failed to open ilp solution file");
    return readSolution(in);
}

AssignmentMap readSolution(std::istream& in) {
    // The streaming reader handles the common case; whatever it declines is
    // read again from the start by the exact reader. A stream that cannot be
    // rewound goes to the exact reader directly.
    if (in.tellg() == std::streampos(0)) {
        if (auto decisions = tryReadSolutionFast(in)) return std::move(*decisions);
        in.clear();
        in.seekg(0);
    }
    return readSolutionExact(in);
}

}  // namespace rp
