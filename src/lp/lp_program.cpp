#include "lp/lp_program.hpp"
#include "lp/lp_text.hpp"

#include <algorithm>
#include <charconv>
#include <stdexcept>
#include <string_view>

namespace rp::lp {

std::string_view senseText(Sense sense) {
    switch (sense) {
        case Sense::lessEqual: return " <= ";
        case Sense::greaterEqual: return " >= ";
        case Sense::equal: return " = ";
    }
    return " = ";
}

bool holds(std::int64_t sum, Sense sense, std::int64_t rhs) {
    return sense == Sense::lessEqual ? sum <= rhs : sense == Sense::greaterEqual ? sum >= rhs : sum == rhs;
}

template <class Coefficient>
void BasicProgram<Coefficient>::addRow(std::string name, std::vector<Term> terms, Sense sense, std::int64_t rhs) {
    std::sort(terms.begin(), terms.end());
    std::size_t kept = 0;
    for (std::size_t i = 0; i < terms.size();) {
        Term merged{terms[i].first, 0};
        for (; i < terms.size() && terms[i].first == merged.first; ++i) merged.second += terms[i].second;
        if (merged.second != 0) terms[kept++] = merged;
    }
    terms.resize(kept);
    if (terms.empty()) {
        if (!holds(0, sense, rhs)) throw std::logic_error("row " + name + " has no terms and cannot hold");
        return;
    }
    beginRow(std::move(name), sense, rhs);
    for (const auto& [column, coefficient] : terms) addTerm(column, coefficient);
}

namespace {

void appendNumber(std::string& s, std::int64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    s.append(digits, end);
}

// " NAME = V", " L <= NAME <= U", " NAME <= U" (a lower bound of 0 left out
// unless the layout writes it), "-inf" and "+inf" where a side is open.
std::string boundLine(const Column& c, const Layout& layout) {
    std::string text = " ";
    if (c.lower == c.upper) {
        text += c.name + " = ";
        appendNumber(text, c.lower);
        return text;
    }
    if (c.lower == -kInfinity) {
        text += "-inf <= ";
    } else if (c.lower != 0 || c.upper == kInfinity || layout.zeroLowerWritten) {
        appendNumber(text, c.lower);
        text += " <= ";
    }
    text += c.name;
    text += " <= ";
    if (c.upper == kInfinity) text += "+inf";
    else appendNumber(text, c.upper);
    return text;
}

void writeBounds(LpText& lp, const std::vector<Column>& columns, const Layout& layout) {
    const auto bounded = [](const Column& c) { return c.type != Type::binary; };
    if (std::none_of(columns.begin(), columns.end(), bounded)) return;
    lp.line("Bounds");
    for (const Column& c : columns)
        if (bounded(c)) lp.line(boundLine(c, layout));
}

// General: the integer columns not fixed by their bounds; Binary: the binary
// columns ("none" in a program without columns).
void writeTypeSection(LpText& lp, const std::vector<Column>& columns, Type type, std::string_view heading,
                      bool always) {
    bool any = always;
    if (always) lp.line(heading);
    for (const Column& c : columns) {
        if (c.type != type || (type == Type::integer && c.lower == c.upper)) continue;
        if (!any) lp.line(heading);
        any = true;
        lp.word(c.name);
    }
    if (always && columns.empty()) lp.word("none");
    if (any) lp.newline();
}

}  // namespace

template <class Coefficient>
void writeProgram(std::ostream& out, const BasicProgram<Coefficient>& program,
                  const std::vector<std::string>& comment) {
    for (const Column& c : program.columns)
        if (c.name.size() > 100) throw std::logic_error("LP name too long: " + c.name.substr(0, 100));
    const bool empty = program.columns.empty();
    const std::string_view placeholder = empty ? std::string_view("none") : std::string_view(program.columns[0].name);
    LpText lp(out);
    lp.comments(comment);
    lp.line(program.direction == Direction::minimize ? "Minimize" : "Maximize");
    lp.begin("obj");
    if (program.objective.empty()) lp.term(0, placeholder, true);
    for (std::size_t i = 0; i < program.objective.size(); ++i)
        lp.term(static_cast<double>(program.objective[i].second), program.columns[program.objective[i].first].name,
                i == 0);
    lp.newline();
    lp.line("Subject To");
    for (std::size_t r = 0; r < program.rows.size(); ++r) {
        const Row& row = program.rows[r];
        lp.begin(row.name);
        const std::size_t count = program.termsOf(r);
        if (count == 0) lp.term(0, placeholder, true);
        for (std::size_t i = 0; i < count; ++i)
            lp.term(static_cast<double>(program.termCoefficients[row.firstTerm + i]),
                    program.columns[program.termColumns[row.firstTerm + i]].name, i == 0);
        std::string tail(senseText(row.sense));
        appendNumber(tail, row.rhs);
        lp.end(tail);
    }
    if (empty) lp.line(" none: none <= 0");
    writeBounds(lp, program.columns, program.layout);
    writeTypeSection(lp, program.columns, Type::integer, "General", false);
    writeTypeSection(lp, program.columns, Type::binary, "Binary", program.layout.binaryAlways);
    lp.line("End");
}

template struct BasicProgram<std::int8_t>;
template struct BasicProgram<std::int64_t>;
template struct BasicProgram<double>;
template void writeProgram(std::ostream&, const BasicProgram<std::int8_t>&, const std::vector<std::string>&);
template void writeProgram(std::ostream&, const BasicProgram<std::int64_t>&, const std::vector<std::string>&);
template void writeProgram(std::ostream&, const BasicProgram<double>&, const std::vector<std::string>&);

void writeCbcStart(std::ostream& out, const LpProgram& program, const std::vector<std::int64_t>& values,
                   std::int64_t objective) {
    std::string text = "Feasible - objective value ";
    appendNumber(text, objective);
    text += ".00000000\n";
    for (std::size_t c = 0; c < program.columns.size(); ++c) {
        if (values[c] == 0) continue;
        text += "      ";
        appendNumber(text, static_cast<std::int64_t>(c));
        text += ' ';
        text += program.columns[c].name;
        text += ' ';
        appendNumber(text, values[c]);
        text += " 0\n";
        if (text.size() > (std::size_t{1} << 20)) {
            out << text;
            text.clear();
        }
    }
    out << text;
}

std::string firstViolation(const LpProgram& program, const std::vector<std::int64_t>& values) {
    if (values.size() != program.columns.size()) return "(number of values)";
    for (std::size_t c = 0; c < values.size(); ++c) {
        const Column& column = program.columns[c];
        if (values[c] < column.lower || values[c] > column.upper) return column.name;
    }
    for (std::size_t r = 0; r < program.rows.size(); ++r) {
        const Row& row = program.rows[r];
        std::int64_t sum = 0;
        for (std::size_t i = 0; i < program.termsOf(r); ++i)
            sum += program.termCoefficients[row.firstTerm + i] * values[program.termColumns[row.firstTerm + i]];
        if (!holds(sum, row.sense, row.rhs)) return row.name;
    }
    return "";
}

std::int64_t objectiveAt(const LpProgram& program, const std::vector<std::int64_t>& values) {
    std::int64_t sum = 0;
    for (const auto& [column, coefficient] : program.objective) sum += coefficient * values[column];
    return sum;
}

}  // namespace rp::lp
