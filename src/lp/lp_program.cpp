#include "lp/lp_program.hpp"
#include "lp/lp_text.hpp"

#include <algorithm>
#include <charconv>
#include <stdexcept>
#include <string_view>

namespace rp::model {

std::uint32_t LpProgram::addColumn(std::string name, Type type, std::int64_t lower, std::int64_t upper) {
    columns.push_back(Column{std::move(name), type, lower, upper});
    return static_cast<std::uint32_t>(columns.size() - 1);
}

void LpProgram::addRow(std::string name, std::vector<Term> terms, Sense sense, std::int64_t rhs) {
    std::sort(terms.begin(), terms.end());
    std::size_t kept = 0;
    for (std::size_t i = 0; i < terms.size();) {
        Term merged{terms[i].first, 0};
        for (; i < terms.size() && terms[i].first == merged.first; ++i) merged.second += terms[i].second;
        if (merged.second != 0) terms[kept++] = merged;
    }
    terms.resize(kept);
    if (terms.empty()) {
        const bool holds = sense == Sense::lessEqual ? 0 <= rhs : sense == Sense::greaterEqual ? 0 >= rhs : rhs == 0;
        if (!holds) throw std::logic_error("row " + name + " has no terms and cannot hold");
        return;
    }
    rows.push_back(Row{std::move(name), static_cast<std::uint32_t>(termColumns.size()), sense, rhs});
    for (const auto& [column, coefficient] : terms) {
        termColumns.push_back(column);
        termCoefficients.push_back(coefficient);
    }
}

namespace {

void appendNumber(std::string& s, std::int64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    s.append(digits, end);
}

std::string senseText(LpProgram::Sense sense) {
    switch (sense) {
        case LpProgram::Sense::lessEqual: return " <= ";
        case LpProgram::Sense::greaterEqual: return " >= ";
        case LpProgram::Sense::equal: return " = ";
    }
    return " = ";
}

void writeBounds(LpText& lp, const LpProgram& program) {
    lp.line("Bounds");
    for (const LpProgram::Column& c : program.columns) {
        if (c.type == LpProgram::Type::binary) continue;
        std::string text = " ";
        if (c.lower == c.upper) {
            text += c.name + " = ";
            appendNumber(text, c.lower);
        } else {
            if (c.lower == -LpProgram::kInfinity) {
                text += "-inf <= ";
            } else if (c.lower != 0 || c.upper == LpProgram::kInfinity) {
                appendNumber(text, c.lower);
                text += " <= ";
            }
            text += c.name;
            text += " <= ";
            if (c.upper == LpProgram::kInfinity) text += "+inf";
            else appendNumber(text, c.upper);
        }
        lp.line(text);
    }
}

void writeTypeSection(LpText& lp, const LpProgram& program, LpProgram::Type type, std::string_view heading) {
    bool any = false;
    for (const LpProgram::Column& c : program.columns) {
        if (c.type != type || (type == LpProgram::Type::integer && c.lower == c.upper)) continue;
        if (!any) lp.line(heading);
        any = true;
        lp.word(c.name);
    }
    if (any) lp.newline();
}

}  // namespace

void writeLpProgram(std::ostream& out, const LpProgram& program, const std::vector<std::string>& comment) {
    LpText lp(out);
    lp.comments(comment);
    lp.line(program.minimize ? "Minimize" : "Maximize");
    lp.begin("obj");
    if (program.objective.empty() && !program.columns.empty()) lp.term(0, program.columns[0].name, true);
    for (std::size_t i = 0; i < program.objective.size(); ++i)
        lp.term(program.objective[i].second, program.columns[program.objective[i].first].name, i == 0);
    lp.newline();
    lp.line("Subject To");
    for (std::size_t r = 0; r < program.rows.size(); ++r) {
        const LpProgram::Row& row = program.rows[r];
        lp.begin(row.name);
        for (std::size_t i = 0; i < program.termsOf(r); ++i)
            lp.term(program.termCoefficients[row.firstTerm + i],
                    program.columns[program.termColumns[row.firstTerm + i]].name, i == 0);
        std::string tail = senseText(row.sense);
        appendNumber(tail, row.rhs);
        lp.end(tail);
    }
    writeBounds(lp, program);
    writeTypeSection(lp, program, LpProgram::Type::integer, "General");
    writeTypeSection(lp, program, LpProgram::Type::binary, "Binary");
    lp.line("End");
}

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
        const LpProgram::Column& column = program.columns[c];
        if (values[c] < column.lower || values[c] > column.upper) return column.name;
    }
    for (std::size_t r = 0; r < program.rows.size(); ++r) {
        const LpProgram::Row& row = program.rows[r];
        std::int64_t sum = 0;
        for (std::size_t i = 0; i < program.termsOf(r); ++i)
            sum += program.termCoefficients[row.firstTerm + i] * values[program.termColumns[row.firstTerm + i]];
        const bool holds = row.sense == LpProgram::Sense::lessEqual      ? sum <= row.rhs
                           : row.sense == LpProgram::Sense::greaterEqual ? sum >= row.rhs
                                                                         : sum == row.rhs;
        if (!holds) return row.name;
    }
    return "";
}

std::int64_t objectiveAt(const LpProgram& program, const std::vector<std::int64_t>& values) {
    std::int64_t sum = 0;
    for (const auto& [column, coefficient] : program.objective) sum += coefficient * values[column];
    return sum;
}

}  // namespace rp::model
