// The walk of a CPLEX XML solution document: one pass in chunks of up to the
// chunk size, read as the property tree's XML parser reads it, handing the
// variables of the chosen CPLEXSolution elements to a visitor.
// resolve-paralogs' streaming reader of decisions is one visitor
// (solution/fast_reader), the companion's CPLEX reader another
// (solvers/cplex_reader).
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string_view>

namespace rp {

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

// The size of the chunks read by default.
inline constexpr std::size_t kWalkChunkBytes = std::size_t{1} << 20;

// Walks the document in `in` from its current position (a UTF-8 byte order
// mark at that position is skipped).
WalkOutcome walkSolution(std::istream& in, SolutionVisitor& visitor, WalkedMembers members,
                         std::size_t chunkBytes = kWalkChunkBytes);

}  // namespace rp
