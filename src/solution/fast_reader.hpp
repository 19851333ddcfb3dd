// Streaming reader of the common shape of solution files: one pass in
// fixed-size chunks. It walks the variables of a chosen CPLEXSolution and
// hands each to a visitor; resolve-paralogs' decisions are one such visitor,
// keeping only the selected z decisions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <string_view>

#include "solution/assignment.hpp"

namespace rp {

// Reads the decisions of the solution document in `in`, from its current
// position to its end. Returns nothing (declines) for anything it does not
// fully understand and for every error, so that the caller can read the
// document again with readSolutionExact, which gives the exact outcome.
std::optional<AssignmentMap> tryReadSolutionFast(std::istream& in);

// The same with a chosen chunk size in bytes; a single piece of markup (a tag,
// a comment, a processing instruction) longer than the chunk makes it decline.
std::optional<AssignmentMap> tryReadSolutionFast(std::istream& in, std::size_t chunkBytes);

// An attribute of an element as the walk found it, references expanded.
struct WalkedAttribute {
    bool present = false;
    std::string_view text;
    // The raw text held a reference (the text above is its expansion).
    bool hadReference = false;
};

// The attributes of a CPLEXSolution's header element that a visitor sees.
struct WalkedHeader {
    WalkedAttribute solutionStatusString;
    WalkedAttribute objectiveValue;
    WalkedAttribute solutionIndex;
};

// What the walk hands on, in document order. Members are the CPLEXSolution
// elements walked, numbered from 0 in file order. Returning false stops the
// walk as a decline; exceptions thrown pass through the walk unchanged.
class SolutionVisitor {
public:
    virtual ~SolutionVisitor() = default;
    virtual bool beginMember(std::size_t /*member*/) { return true; }
    // The member's header element (the first one, a child of the member).
    virtual bool header(std::size_t /*member*/, const WalkedHeader& /*header*/) { return true; }
    // The value of the first objective of the member's objectiveValues.
    virtual bool objective(std::size_t /*member*/, const WalkedAttribute& /*value*/) { return true; }
    // One variable element of the member's first variables element. Strings
    // stay valid for the call only.
    virtual bool variable(std::size_t member, const WalkedAttribute& name, const WalkedAttribute& value) = 0;
    virtual bool endMember(std::size_t /*member*/) { return true; }
};

// Which CPLEXSolution elements are walked.
enum class WalkedMembers {
    // The first top-level CPLEXSolution only, as resolve-paralogs reads.
    firstTopLevel,
    // That, or, under a top-level CPLEXSolutions (solution pool, MIP
    // starts), each of its CPLEXSolution children.
    poolMembers,
};

struct WalkOutcome {
    // The whole document was walked; false for a decline (markup the reader
    // does not take, an XML error, a visitor that stopped).
    bool completed = false;
    // Offset in bytes of the piece of markup at which the walk stopped.
    std::uint64_t stoppedAt = 0;
    bool pool = false;            // the root is CPLEXSolutions
    std::size_t members = 0;      // CPLEXSolution elements begun
    bool variablesSeen = false;   // some walked member has a variables element
};

// Walks the document in `in` from its current position (a UTF-8 byte order
// mark at that position is skipped).
WalkOutcome walkSolution(std::istream& in, SolutionVisitor& visitor, WalkedMembers members,
                         std::size_t chunkBytes = std::size_t{1} << 20);

}  // namespace rp
