// The walk of a solution document on its own: which members it walks, what
// it hands a visitor in document order, and what it declines.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "solution/solution_walk.hpp"

namespace rp {
namespace {

// Everything handed over, as one line of text.
class Transcript : public SolutionVisitor {
public:
    std::string text;
    bool beginMember(std::size_t m) override { return add("begin " + std::to_string(m)); }
    bool header(std::size_t, const WalkedHeader& h) override {
        return add("header " + shown(h.solutionStatusString) + " " + shown(h.objectiveValue) + " " +
                   shown(h.solutionIndex));
    }
    bool objective(std::size_t, const WalkedAttribute& value) override { return add("objective " + shown(value)); }
    bool variable(std::size_t m, const WalkedAttribute& name, const WalkedAttribute& value) override {
        return add("var " + std::to_string(m) + " " + shown(name) + "=" + shown(value));
    }
    bool endMember(std::size_t m) override { return add("end " + std::to_string(m)); }

private:
    static std::string shown(const WalkedAttribute& a) {
        return a.present ? std::string(a.text) + (a.hadReference ? "&" : "") : "-";
    }
    bool add(const std::string& item) {
        text += (text.empty() ? "" : "; ") + item;
        return true;
    }
};

struct Walked {
    WalkOutcome outcome;
    std::string transcript;
};

Walked walk(const std::string& document, WalkedMembers members, std::size_t chunk = kWalkChunkBytes) {
    std::istringstream in(document);
    Transcript t;
    const WalkOutcome outcome = walkSolution(in, t, members, chunk);
    return {outcome, t.text};
}

const std::string kPool =
    "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<CPLEXSolutions>"
    "<CPLEXSolution><header solutionIndex=\"0\" solutionStatusString=\"a&amp;b\"/>"
    "<variables><variable name=\"x\" value=\"1\"/></variables></CPLEXSolution>"
    "<!-- between --><CPLEXSolution><header objectiveValue=\"4\" solutionIndex=\"-1\"/>"
    "<variables><variable name=\"y\" value=\"&#50;\"/><variable value=\"3\"/></variables>"
    "<objectiveValues><objective value=\"4.5\"/></objectiveValues></CPLEXSolution></CPLEXSolutions>\n";

TEST(SolutionWalk, PoolMembersInDocumentOrder) {
    for (std::size_t chunk : {std::size_t{64}, std::size_t{97}, kWalkChunkBytes}) {
        const Walked w = walk(kPool, WalkedMembers::poolMembers, chunk);
        EXPECT_TRUE(w.outcome.completed) << chunk;
        EXPECT_TRUE(w.outcome.pool);
        EXPECT_EQ(w.outcome.members, 2u);
        EXPECT_TRUE(w.outcome.variablesSeen);
        EXPECT_EQ(w.transcript,
                  "begin 0; header a&b& - 0; var 0 x=1; end 0; begin 1; header - 4 -1; var 1 y=2&; var 1 -=3; "
                  "objective 4.5; end 1")
            << chunk;
    }
}

TEST(SolutionWalk, OnlyTheFirstTopLevelMemberUnlessPoolsAreAsked) {
    const Walked w = walk(kPool, WalkedMembers::firstTopLevel);
    EXPECT_TRUE(w.outcome.completed);
    EXPECT_EQ(w.outcome.members, 0u);
    EXPECT_FALSE(w.outcome.variablesSeen);
    EXPECT_EQ(w.transcript, "");
}

TEST(SolutionWalk, Declines) {
    const struct {
        const char* what;
        std::string document;
    } cases[] = {
        {"an unclosed element", "<CPLEXSolution><variables><variable name=\"x\" value=\"1\"/>"},
        {"a document type declaration", "<!DOCTYPE x><CPLEXSolution/>"},
        {"a partial byte order mark", "\xEF\xBB<CPLEXSolution/>"},
        {"a tag longer than the chunk", "<CPLEXSolution><variables><variable name=\"" + std::string(200, 'x') +
                                            "\" value=\"1\"/></variables></CPLEXSolution>"},
    };
    for (const auto& c : cases) EXPECT_FALSE(walk(c.document, WalkedMembers::poolMembers, 64).outcome.completed) << c.what;
}

// At the default chunk size a tag may be far longer than the buffer a walk
// starts with, up to the chunk itself.
TEST(SolutionWalk, ATagMayBeAsLongAsTheChunk) {
    const struct {
        std::size_t nameBytes;
        bool completed;
    } cases[] = {{10, true}, {std::size_t{200} << 10, true}, {kWalkChunkBytes, false}};
    for (const auto& c : cases) {
        const std::string name(c.nameBytes, 'x');
        const Walked w = walk("<CPLEXSolution><variables><variable name=\"" + name +
                                  "\" value=\"1\"/></variables></CPLEXSolution>",
                              WalkedMembers::firstTopLevel);
        EXPECT_EQ(w.outcome.completed, c.completed) << c.nameBytes;
        if (c.completed) {
            EXPECT_EQ(w.transcript, "begin 0; var 0 " + name + "=1; end 0") << c.nameBytes;
        }
    }
}

// A visitor that says no stops the walk as a decline.
TEST(SolutionWalk, AVisitorStopsIt) {
    struct Stop : SolutionVisitor {
        int seen = 0;
        bool variable(std::size_t, const WalkedAttribute&, const WalkedAttribute&) override { return ++seen < 1; }
    } stop;
    std::istringstream in("<CPLEXSolution><variables><variable name=\"a\" value=\"1\"/>"
                          "<variable name=\"b\" value=\"1\"/></variables></CPLEXSolution>");
    EXPECT_FALSE(walkSolution(in, stop, WalkedMembers::firstTopLevel).completed);
    EXPECT_EQ(stop.seen, 1);
}

}  // namespace
}  // namespace rp
