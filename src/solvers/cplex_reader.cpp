// CPLEX XML solutions: a CPLEXSolution, or a CPLEXSolutions (solution pool,
// MIP starts) whose member is chosen, walked by the streaming XML reader.
#include <algorithm>
#include <cctype>
#include <istream>
#include <memory>

#include "solution/fast_reader.hpp"
#include "solvers/line_source.hpp"
#include "solvers/reader.hpp"
#include "solvers/spool.hpp"

namespace rp::solvers {

namespace {

bool recognisesCplex(const FirstLines& first) {
    // The first element after declarations, processing instructions and
    // comments is CPLEXSolution or CPLEXSolutions.
    std::string text;
    for (std::string_view line : first.lines) {
        text += line;
        text += '\n';
    }
    std::size_t at = 0;
    for (;;) {
        at = text.find('<', at);
        if (at == std::string::npos || at + 1 >= text.size()) return false;
        if (text[at + 1] == '?' || text[at + 1] == '!') {
            ++at;
            continue;
        }
        const std::string_view rest = std::string_view(text).substr(at + 1);
        for (std::string_view root : {std::string_view("CPLEXSolutions"), std::string_view("CPLEXSolution")}) {
            if (startsWith(rest, root) && rest.size() > root.size()) {
                const char after = rest[root.size()];
                if (after == '>' || after == '/' || std::isspace(static_cast<unsigned char>(after))) return true;
            }
        }
        return false;
    }
}

std::string lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

Outcome cplexOutcome(std::string_view status, bool given) {
    if (!given) return Outcome::unknown;
    const std::string s = lowered(status);
    auto has = [&](std::string_view word) { return s.find(word) != std::string::npos; };
    if (has("unbounded")) return Outcome::unbounded;
    // "integer optimal, tolerance": within the relative or absolute gap
    // allowed, not a proven optimum.
    if (has("optimal") && has("tolerance")) return Outcome::limit;
    if (has("optimal")) return Outcome::optimal;
    if (has("infeasible") || has("no solution")) return Outcome::noSolution;
    if (has("limit") || has("feasible") || has("abort") || has("stopped")) return Outcome::limit;
    return Outcome::unknown;
}

// Chooses the member and hands it on: member K when asked for, else the one
// whose header has solutionIndex="-1", else the first. A member is streamed
// to the sink as soon as it is known to be the one; the first member, while
// it may still give way to a later "-1", is kept in the spool.
class MemberChooser : public SolutionVisitor {
public:
    MemberChooser(const ReadOptions& options, VariableSink& sink) : options_(options), sink_(sink) {}

    bool beginMember(std::size_t member) override {
        current_ = member;
        decided_ = false;
        header_ = SolutionHeader{};
        header_.format = Format::cplex;
        index_.clear();
        hasIndex_ = false;
        variable_ = 0;
        return true;
    }

    bool header(std::size_t, const WalkedHeader& header) override {
        if (decided_) return true;  // a header after the variables does not count
        header_.status = std::string(header.solutionStatusString.text);
        header_.outcome = cplexOutcome(header.solutionStatusString.text, header.solutionStatusString.present);
        header_.objective = std::string(trimBlanks(header.objectiveValue.text));
        hasIndex_ = header.solutionIndex.present;
        index_ = std::string(trimBlanks(header.solutionIndex.text));
        decide();
        return true;
    }

    bool variable(std::size_t, const WalkedAttribute& name, const WalkedAttribute& value) override {
        if (!decided_) decide();
        const std::uint64_t position = variable_++;
        if (target_ == Target::skip) return true;
        if (!value.present)
            throw SolutionError("variable " + std::to_string(position) + " of solution " +
                                std::to_string(current_) + " has no value");
        if (target_ == Target::sink)
            sink_.variable(name.text, value.text, 0, name.present);
        else
            spool_->add(name.text, value.text, 0, name.present);
        return true;
    }

    // objectiveValues comes after the variables: it can still complete the
    // header of a member kept in the spool.
    bool objective(std::size_t, const WalkedAttribute& value) override {
        if (target_ == Target::spool && spooledHeader_.objective.empty())
            spooledHeader_.objective = std::string(trimBlanks(value.text));
        return true;
    }

    bool endMember(std::size_t) override {
        if (!decided_) decide();
        return true;
    }

    // After the walk: the spooled member, when no later one was taken.
    void finish(const WalkOutcome& outcome) {
        if (options_.member && *options_.member >= outcome.members)
            throw SolutionError("--solution " + std::to_string(*options_.member) + ": the file holds " +
                                std::to_string(outcome.members) + " solution" +
                                (outcome.members == 1 ? "" : "s") + " (numbered from 0)");
        if (outcome.members == 0) throw SolutionError("no CPLEXSolution element in the document");
        if (!streamed_ && spool_) {
            sink_.header(spooledHeader_);
            spool_->replay(sink_);
        }
    }

private:
    enum class Target { skip, sink, spool };

    void decide() {
        decided_ = true;
        target_ = Target::skip;
        if (streamed_) return;
        const bool incumbent = hasIndex_ && index_ == "-1";
        if (options_.member ? *options_.member == current_ : incumbent) {
            target_ = Target::sink;
            streamed_ = true;
            spool_.reset();
            sink_.header(header_);
        } else if (!options_.member && current_ == 0) {
            target_ = Target::spool;
            spool_ = std::make_unique<VariableSpool>();
            spooledHeader_ = header_;
        }
    }

    const ReadOptions& options_;
    VariableSink& sink_;
    std::size_t current_ = 0;
    bool decided_ = false;
    bool streamed_ = false;  // a member went to the sink
    Target target_ = Target::skip;
    SolutionHeader header_;
    std::string index_;
    bool hasIndex_ = false;
    std::uint64_t variable_ = 0;
    std::unique_ptr<VariableSpool> spool_;
    SolutionHeader spooledHeader_;
};

void readCplex(std::streambuf& in, const ReadOptions& options, VariableSink& sink) {
    std::istream stream(&in);
    MemberChooser chooser(options, sink);
    const WalkOutcome outcome = walkSolution(stream, chooser, WalkedMembers::poolMembers);
    if (!outcome.completed)
        throw SolutionError("cannot read the CPLEX XML document at byte " + std::to_string(outcome.stoppedAt) +
                            " (malformed XML, or markup such as DOCTYPE or CDATA that solvers do not write)");
    chooser.finish(outcome);
}

}  // namespace

const Reader& cplexReader() {
    static const Reader reader{"cplex", &recognisesCplex, &readCplex};
    return reader;
}

}  // namespace rp::solvers
