#include "checks.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <map>
#include <new>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>

#include "resolve/renumber.hpp"
#include "solution/fast_reader.hpp"
#include "solution/solution_reader.hpp"
#include "solution/z_variable.hpp"
#include "genomes/genomes_reader.hpp"
#include "structs/result_writer.hpp"
#include "structs/structs_reader.hpp"
#include "solvers/conversion.hpp"
#include "solvers/format_reader.hpp"
#include "genomes/structures_writer.hpp"
#include "unimog/unimog_reader.hpp"
#include "unimog/unimog_writer.hpp"

namespace rp::fuzz {
namespace {

namespace pt = boost::property_tree;

[[noreturn]] void fail(const std::string& what) { throw CheckFailure(what); }

constexpr std::string_view kStructsMessages[] = {
    "invalid stoi argument", "stoi argument out of range", "vector<T> too long", "bad allocation",
    "failed to read file with initial structs"};
constexpr std::string_view kZNameMessages[] = {
    "invalid string position", "invalid stof argument", "stof argument out of range"};
constexpr std::string_view kSolutionMessages[] = {
    "bad allocation",
    "No such node (CPLEXSolution.variables)",
    "No such node (<xmlattr>.name)",
    "No such node (<xmlattr>.value)",
    "conversion of data to type \"float\" failed",
    kNestedTooDeeply};
// What the XML parser can say with the flags the reader gives it.
constexpr std::string_view kXmlParserMessages[] = {
    "expected <",          "unexpected end of data", "expected ;", "invalid numeric character entity",
    "expected element name", "expected >",           "expected =", "expected ' or \""};

template <std::size_t N>
bool among(const std::string_view (&messages)[N], std::string_view message) {
    return std::find(std::begin(messages), std::end(messages), message) != std::end(messages);
}

// The line of an XML parse error message "<unspecified file>(LINE): TEXT"
// with one of the parser's texts; nothing for any other message.
std::optional<long> xmlErrorLine(std::string_view message) {
    constexpr std::string_view kHead = "<unspecified file>(";
    if (!message.starts_with(kHead)) return std::nullopt;
    message.remove_prefix(kHead.size());
    long line = 0;
    std::size_t digits = 0;
    for (; digits < message.size() && digits < 12 && message[digits] >= '0' && message[digits] <= '9'; ++digits)
        line = line * 10 + (message[digits] - '0');
    if (digits == 0 || line == 0 || message[0] == '0') return std::nullopt;
    message.remove_prefix(digits);
    if (!message.starts_with("): ") || !among(kXmlParserMessages, message.substr(3))) return std::nullopt;
    return line;
}

// The message a failure reaches the user with, as the driver reports it.
std::string reportedMessage(const std::exception& e) {
    if (dynamic_cast<const std::bad_alloc*>(&e) != nullptr) return "bad allocation";
    return e.what();
}

// What a step gave: its value, or the message of its failure.
template <class T>
struct Outcome {
    std::optional<T> value;
    std::string failure;

    friend bool operator==(const Outcome&, const Outcome&) = default;
};

template <class T>
std::string describe(const Outcome<T>& outcome) {
    return outcome.value ? std::string("success") : "failure \"" + outcome.failure + "\"";
}

// Runs a step; a failure must be a standard exception with one of the
// step's messages.
template <class T, class Run>
Outcome<T> attempt(Step step, Run&& run) {
    Outcome<T> outcome;
    try {
        outcome.value = run();
    } catch (const CheckFailure&) {
        throw;
    } catch (const std::exception& e) {
        outcome.failure = reportedMessage(e);
        if (!isMessageOf(step, outcome.failure)) fail("unexpected failure message: " + outcome.failure);
    } catch (...) {
        fail("a failure that is no standard exception");
    }
    return outcome;
}

std::vector<Structure> readStructsText(const std::string& text) {
    std::istringstream in(text);
    readFamilyTable(in);
    return readStructures(in);
}

bool sameGenes(const Chromosome& a, const Chromosome& b) {
    return a.circular == b.circular &&
           std::equal(a.genes.begin(), a.genes.end(), b.genes.begin(), b.genes.end(),
                      [](const Gene& x, const Gene& y) {
                          return x.strand == y.strand && x.name == y.name && x.copy == y.copy;
                      });
}

// Whether the chromosome form of the structures file can carry every gene of
// the structure: it cannot carry a negative copy index, nor a "." in a name
// (a list that starts with "." gives its first gene a name running to the
// end of the piece).
bool readsBackAsWritten(const Structure& structure) {
    for (const Chromosome& chromosome : structure.chromosomes)
        for (const Gene& gene : chromosome.genes)
            if (gene.copy < 0 || gene.name.find('.') != std::string::npos) return false;
    return true;
}

// The length of the head "NAME COUNT; " that a result line of `structure`
// begins with, or 0 when the line begins otherwise.
std::size_t headSizeOf(std::string_view line, const Structure& structure) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, structure.chromosomes.size()).ptr;
    const std::string_view count(digits, static_cast<std::size_t>(end - digits));
    const std::size_t size = structure.name.size() + 1 + count.size() + 2;
    if (line.size() < size || !line.starts_with(structure.name)) return 0;
    line.remove_prefix(structure.name.size());
    if (line[0] != ' ' || line.substr(1, count.size()) != count || line.substr(1 + count.size(), 2) != "; ")
        return 0;
    return size;
}

// Writes the structures and reads each written chromosome back in the
// chromosome form of the structures file.
void checkWrittenChromosomes(const std::vector<Structure>& structures) {
    std::ostringstream out;
    writeResults(out, structures);
    const std::string written = out.str();
    std::size_t at = 0;
    auto nextLine = [&]() -> std::string_view {
        const std::size_t end = written.find('\n', at);
        if (end == std::string::npos) fail("the result ends without a line break");
        const std::string_view line = std::string_view(written).substr(at, end - at);
        at = end + 1;
        return line;
    };
    if (nextLine() != std::to_string(structures.size()) + ";") fail("wrong count line in the result");
    for (std::size_t s = 0; s < structures.size(); ++s) {
        const Structure& structure = structures[s];
        const std::string_view line = nextLine();
        const std::size_t headSize = headSizeOf(line, structure);
        if (headSize == 0) fail("wrong head of result line " + std::to_string(s + 1));
        if (structure.chromosomes.empty() || !readsBackAsWritten(structure)) continue;
        const std::string again = "0 1 s 0 ; " + std::to_string(structure.chromosomes.size()) + " ; " +
                                  std::string(line.substr(headSize));
        std::vector<Structure> reread;
        try {
            reread = readStructsText(again);
        } catch (const std::exception& e) {
            fail("written chromosomes of structure " + std::to_string(s + 1) +
                 " do not read back: " + e.what());
        }
        const auto& chromosomes = reread.front().chromosomes;
        if (!std::equal(chromosomes.begin(), chromosomes.end(), structure.chromosomes.begin(),
                        structure.chromosomes.end(), sameGenes))
            fail("written chromosomes of structure " + std::to_string(s + 1) + " read back differently");
    }
    if (at != written.size()) fail("text after the last structure line");
}

// The exact reader's work as the XML library alone does it.
AssignmentMap readWithLibrary(const std::string& text) {
    std::istringstream in(text);
    pt::ptree tree;
    pt::read_xml(in, tree, 0);
    return decisionsOfTree(tree);
}

// Deepest element nesting of a parsed tree (attributes and comments are
// children of their own keys, not elements).
std::size_t elementDepth(const pt::ptree& tree) {
    std::size_t deepest = 0;
    for (const auto& [key, child] : tree)
        if (key != "<xmlattr>" && key != "<xmlcomment>") deepest = std::max(deepest, 1 + elementDepth(child));
    return deepest;
}

// Documents up to this size nest too shallowly to endanger the XML library
// on a default stack, so they are also read with it alone.
constexpr std::size_t kLibraryReadLimit = 4096;

// The exact reader with a low nesting limit refuses a document only where
// the whole document nests deeper, and otherwise reads it as without limit.
void checkNestingLimit(const std::string& text, const Outcome<AssignmentMap>& unlimited) {
    for (const std::size_t limit : {std::size_t{2}, std::size_t{3}}) {
        const auto limited = attempt<AssignmentMap>(Step::solution, [&] {
            std::istringstream in(text);
            return readSolutionExact(in, limit);
        });
        if (limited.failure != kNestedTooDeeply) {
            if (limited != unlimited)
                fail("with nesting limit " + std::to_string(limit) + " the reader gives " + describe(limited) +
                     " instead of " + describe(unlimited));
            continue;
        }
        try {
            std::istringstream in(text);
            pt::ptree tree;
            pt::read_xml(in, tree, 0);
            if (elementDepth(tree) <= limit)
                fail("a document nested " + std::to_string(elementDepth(tree)) + " deep is refused at limit " +
                     std::to_string(limit));
        } catch (const pt::xml_parser_error&) {
            // The parser fails somewhere after reaching the refused depth.
        }
    }
}

// Phase 2 of renumbering as the decisions and the structures before it
// define it: the copy index each gene of the first structure must end with.
std::vector<std::int32_t> expectedCopies(const AssignmentMap& decisions, const std::set<std::string>& families,
                                         const std::vector<Structure>& before, std::vector<bool>& decided) {
    std::vector<std::int32_t> copies;
    for (const Chromosome& chromosome : before.front().chromosomes)
        for (const Gene& gene : chromosome.genes) {
            const auto found = decisions.find(CopyKey{gene.name, gene.copy});
            decided.push_back(found != decisions.end());
            copies.push_back(found != decisions.end() ? found->second.toCopy : gene.copy);
        }
    std::map<std::string, std::array<bool, kCopySlots>> used;
    auto record = [&](const std::string& family, std::int32_t copy) {
        auto& row = used[family];
        if (copy >= 0 && copy < kCopySlots) row[static_cast<std::size_t>(copy)] = true;
    };
    std::size_t g = 0;
    for (const Chromosome& chromosome : before.front().chromosomes)
        for (const Gene& gene : chromosome.genes) record(gene.name, copies[g++]);
    for (std::size_t s = 1; s < before.size(); ++s)
        for (const Chromosome& chromosome : before[s].chromosomes)
            for (const Gene& gene : chromosome.genes) record(gene.name, gene.copy);
    g = 0;
    for (const Chromosome& chromosome : before.front().chromosomes)
        for (const Gene& gene : chromosome.genes) {
            const std::size_t i = g++;
            if (decided[i] || !families.contains(gene.name)) continue;
            auto& row = used[gene.name];
            for (std::size_t copy = 1; copy < kCopySlots; ++copy)
                if (!row[copy]) {
                    row[copy] = true;
                    copies[i] = static_cast<std::int32_t>(copy);
                    break;
                }
        }
    return copies;
}

void checkRenumbering(const AssignmentMap& decisions, const std::vector<Structure>& before,
                      const std::vector<Structure>& after) {
    if (after.size() != before.size()) fail("renumbering changed the number of structures");
    if (before.empty()) return;
    for (std::size_t s = 1; s < before.size(); ++s) {
        const Structure& a = after[s];
        const Structure& b = before[s];
        const bool same = a.name == b.name && a.headerNumber == b.headerNumber &&
                          std::equal(a.chromosomes.begin(), a.chromosomes.end(), b.chromosomes.begin(),
                                     b.chromosomes.end(), [](const Chromosome& x, const Chromosome& y) {
                                         return sameGenes(x, y) &&
                                                std::equal(x.genes.begin(), x.genes.end(), y.genes.begin(),
                                                           y.genes.end(), [](const Gene& p, const Gene& q) {
                                                               return p.resolved == q.resolved;
                                                           });
                                     });
        if (!same) fail("renumbering touched structure " + std::to_string(s + 1));
    }

    const Structure& first = after.front();
    const Structure& original = before.front();
    if (first.name != original.name || first.headerNumber != original.headerNumber ||
        first.chromosomes.size() != original.chromosomes.size())
        fail("renumbering changed the first structure's shape");
    std::set<std::string> families;
    for (const auto& entry : decisions) families.insert(entry.first.family);
    std::vector<bool> decided;
    const std::vector<std::int32_t> expected = expectedCopies(decisions, families, before, decided);
    std::map<std::string, std::set<std::int32_t>> given;  // what phase 2 gave, per family
    std::size_t g = 0;
    for (std::size_t c = 0; c < first.chromosomes.size(); ++c) {
        const Chromosome& now = first.chromosomes[c];
        const Chromosome& was = original.chromosomes[c];
        if (now.circular != was.circular || now.genes.size() != was.genes.size())
            fail("renumbering changed a chromosome of the first structure");
        for (std::size_t i = 0; i < now.genes.size(); ++i, ++g) {
            const Gene& gene = now.genes[i];
            const Gene& old = was.genes[i];
            if (gene.name != old.name || gene.strand != old.strand)
                fail("renumbering changed more than a copy index");
            if (gene.resolved != decided[g]) fail("wrong resolved mark on gene " + gene.name);
            if (decided[g]) {
                if (gene.copy != expected[g]) fail("phase 1 did not give gene " + gene.name + " its decided copy");
                continue;
            }
            if (gene.copy == old.copy) {
                if (expected[g] != old.copy) fail("phase 2 left gene " + gene.name + " where an index was free");
                continue;
            }
            if (!families.contains(gene.name)) fail("renumbering moved gene " + gene.name + " of an undecided family");
            if (gene.copy == 0) fail("phase 2 gave index 0 to a gene of family " + gene.name);
            if (!given[gene.name].insert(gene.copy).second)
                fail("phase 2 gave index " + std::to_string(gene.copy) + " of family " + gene.name + " twice");
            if (gene.copy != expected[g])
                fail("phase 2 gave index " + std::to_string(gene.copy) + " of family " + gene.name +
                     " where the lowest free one is " + std::to_string(expected[g]));
        }
    }
}

}  // namespace

bool isMessageOf(Step step, std::string_view message) {
    const bool structs = among(kStructsMessages, message);
    const bool zname = among(kZNameMessages, message);
    const bool solution = zname || among(kSolutionMessages, message) || xmlErrorLine(message).has_value();
    switch (step) {
        case Step::structs: return structs;
        case Step::zname: return zname;
        case Step::solution: return solution;
        case Step::run: return structs || solution;
    }
    return false;
}

void checkStructs(std::string_view input) {
    const auto read = attempt<std::vector<Structure>>(Step::structs, [&] { return readStructsText(std::string(input)); });
    if (read.value) checkWrittenChromosomes(*read.value);
}

void checkSolution(std::string_view input) {
    const std::string text(input);
    const auto exact = attempt<AssignmentMap>(Step::solution, [&] {
        std::istringstream in(text);
        return readSolutionExact(in);
    });

    std::optional<AssignmentMap> fast;
    try {
        std::istringstream in(text);
        fast = tryReadSolutionFast(in);
    } catch (const std::exception& e) {
        fail(std::string("the streaming reader threw: ") + e.what());
    } catch (...) {
        fail("the streaming reader threw");
    }
    if (fast && !exact.value) fail("the streaming reader reads a document the exact one fails with: " + exact.failure);
    if (fast && *fast != *exact.value) fail("the streaming reader's decisions differ from the exact reader's");

    if (text.size() > kLibraryReadLimit) return;
    const auto library = attempt<AssignmentMap>(Step::solution, [&] { return readWithLibrary(text); });
    if (library != exact)
        fail("the exact reader gives " + describe(exact) + " where the XML library gives " + describe(library));
    checkNestingLimit(text, exact);
}

void checkZName(std::string_view input) {
    attempt<CopyAssignment>(Step::zname, [&] { return parseZVariableName(input); });
}

void checkRun(std::string_view input) {
    const std::size_t cut = input.find(kRunSeparator);
    const std::string structsText(input.substr(0, cut));
    const std::string solutionText(cut == std::string_view::npos ? std::string_view() : input.substr(cut + 1));

    const auto decisions = attempt<AssignmentMap>(Step::run, [&] {
        std::istringstream in(solutionText);
        return readSolution(in);
    });
    if (!decisions.value) return;
    const auto read = attempt<std::vector<Structure>>(Step::run, [&] { return readStructsText(structsText); });
    if (!read.value) return;
    std::vector<Structure> structures = *read.value;
    const auto renumbered = attempt<bool>(Step::run, [&] {
        renumberCopies(*decisions.value, structures);
        return true;
    });
    if (!renumbered.value) return;
    checkRenumbering(*decisions.value, *read.value, structures);
    checkWrittenChromosomes(structures);
}

namespace {

// Counts the variables of a written document as the streaming walk sees them.
struct CountingVisitor : SolutionVisitor {
    std::uint64_t variables = 0;
    bool variable(std::size_t, const WalkedAttribute& name, const WalkedAttribute& value) override {
        if (!name.present || !value.present) fail("a written variable lacks its name or value");
        ++variables;
        return true;
    }
};

// One conversion: a SolutionError, or a document with the properties above.
void checkConversion(std::string_view input, const solvers::FormatReader* reader) {
    std::istringstream in{std::string(input)};
    std::ostringstream out;
    solvers::ConversionSummary summary;
    try {
        summary = reader == nullptr ? solvers::convertSolution(*in.rdbuf(), out, {})
                                    : solvers::convertSolutionWith(*reader, *in.rdbuf(), out, {});
    } catch (const solvers::SolutionError&) {
        return;
    } catch (const std::bad_alloc&) {
        return;
    } catch (const std::exception& e) {
        fail(std::string("paralogs solution failed with another exception: ") + e.what());
    }
    const std::string document = out.str();
    std::istringstream walked(document);
    CountingVisitor counter;
    if (!walkSolution(walked, counter, WalkedMembers::firstTopLevel).completed)
        fail("the written document does not read back");
    if (counter.variables != summary.variables) fail("the written document has another number of variables");
    std::istringstream fastIn(document);
    const std::optional<AssignmentMap> fast = tryReadSolutionFast(fastIn);
    if (!fast) fail("resolve-paralogs' streaming reader declines the written document");
    if (fast->size() != summary.zAtOne) fail("resolve-paralogs takes another number of decisions");
    std::set<std::string> families;
    for (const auto& [key, decision] : *fast) families.insert(key.family);
    if (families.size() != summary.families) fail("the decisions concern another number of families");
    std::istringstream exactIn(document);
    if (readSolutionExact(exactIn) != *fast) fail("the exact reader takes other decisions");
}

constexpr std::string_view kUnimogName = "fuzz";
constexpr std::string_view kUnimogProblems[] = {
    "an empty family name", "'+' in a family name", "'-' in a family name", "';' in a family name",
    "'.' in a family name", "a blank in a family name", "an empty genome name", "a blank in a genome name"};

// "fuzz: line L: WHAT" with L a line of the input and WHAT one of the
// reader's texts, or the text of an input without genomes.
bool isUnimogMessage(std::string_view message, std::string_view input) {
    if (message == "fuzz: no genome (no line begins with '>')") return true;
    constexpr std::string_view kHead = "fuzz: line ";
    if (!message.starts_with(kHead)) return false;
    message.remove_prefix(kHead.size());
    std::size_t line = 0;
    std::size_t digits = 0;
    for (; digits < message.size() && digits < 12 && message[digits] >= '0' && message[digits] <= '9'; ++digits)
        line = line * 10 + static_cast<std::size_t>(message[digits] - '0');
    const std::size_t lines = static_cast<std::size_t>(std::count(input.begin(), input.end(), '\n')) + 1;
    if (digits == 0 || line == 0 || line > lines) return false;
    message.remove_prefix(digits);
    if (!message.starts_with(": ")) return false;
    message.remove_prefix(2);
    if ((message == "sign '-' without a marker") || (message == "sign '+' without a marker")) return true;
    // A name is quoted with ' or, when it holds one, with "; past 60 bytes it
    // is cut, and "..." follows its closing quote.
    const bool marker = message.starts_with("marker '") || message.starts_with("marker \"");
    if (!marker && !message.starts_with("genome '") && !message.starts_with("genome \"")) return false;
    const auto endsWithReason = [&](std::string_view reason) {
        for (const char* close : {"'", "'...", "\"", "\"..."})
            if (message.ends_with(std::string(close).append(reason))) return true;
        return false;
    };
    if (marker && endsWithReason(": copy number out of range")) return true;
    for (std::string_view problem : kUnimogProblems)
        if (endsWithReason(std::string(": the structures format cannot carry ").append(problem))) return true;
    return false;
}

bool sameGenomes(const std::vector<Structure>& a, const std::vector<Structure>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const Structure& x, const Structure& y) {
        return x.name == y.name && std::equal(x.chromosomes.begin(), x.chromosomes.end(), y.chromosomes.begin(),
                                              y.chromosomes.end(), sameGenes);
    });
}

}  // namespace

void checkSolvers(std::string_view input) {
    checkConversion(input, nullptr);
    for (const solvers::FormatReader* reader : solvers::allReaders()) checkConversion(input, reader);
}

void checkUnimog(std::string_view input) {
    const std::string name(kUnimogName);
    std::vector<Structure> genomes;
    try {
        genomes = unimog::readUnimog(input, name);
    } catch (const unimog::UnimogError& e) {
        if (!isUnimogMessage(e.what(), input)) fail(std::string("unexpected UniMoG message: ") + e.what());
        return;
    } catch (const std::bad_alloc&) {
        return;  // beyond the memory given
    } catch (const std::exception& e) {
        fail(std::string("a UniMoG failure of another kind: ") + e.what());
    }
    std::ostringstream structures;
    std::ostringstream text;
    try {
        writeStructures(structures, genomes);
        unimog::writeUnimog(text, genomes);
    } catch (const std::exception& e) {
        fail(std::string("what was read cannot be written: ") + e.what());
    }
    if (!unimog::beginsWithCount(structures.str()))
        fail("the written structures file is not recognised as one");
    if (unimog::beginsWithCount(text.str())) fail("the written UniMoG is not recognised");
    std::vector<Structure> fromStructures;
    std::vector<Structure> fromText;
    try {
        std::istringstream in(structures.str());
        fromStructures = readGenomes(in, "written").structures;
        fromText = unimog::readUnimog(text.str(), "written");
    } catch (const std::exception& e) {
        fail(std::string("what was written cannot be read: ") + e.what());
    }
    if (!sameGenomes(fromStructures, genomes)) fail("the structures file reads back to other genomes");
    if (!sameGenomes(fromText, genomes)) fail("the UniMoG text reads back to other genomes");
    std::ostringstream again;
    unimog::writeUnimog(again, fromText);
    if (again.str() != text.str()) fail("UniMoG written again differs");
}

Check checkFor(std::string_view target) {
    if (target == "structs") return checkStructs;
    if (target == "solution") return checkSolution;
    if (target == "zname") return checkZName;
    if (target == "run") return checkRun;
    if (target == "genomes") return checkGenomes;
    if (target == "solvers") return checkSolvers;
    if (target == "unimog") return checkUnimog;
    if (target == "bounds") return checkBounds;
    if (target == "solverlog") return checkSolverLog;
    if (target == "grimm") return checkGrimm;
    if (target == "sheet") return checkSheet;
    if (target == "args") return checkArgs;
    return nullptr;
}

int fuzzOne(Check check, const std::uint8_t* data, std::size_t size) {
    if (check == nullptr) {
        std::fputs("unknown fuzz target\n", stderr);
        std::abort();
    }
    try {
        check(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const CheckFailure& e) {
        std::fprintf(stderr, "check failed: %s\n", e.what());
        std::abort();
    }
    return 0;
}

}  // namespace rp::fuzz
