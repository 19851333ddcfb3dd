// The check of the bounds-file reader of paralogs model (--bounds).
#include <set>
#include <sstream>
#include <string>

#include "checks.hpp"
#include "model/matching_model.hpp"

namespace rp::fuzz {
namespace {

[[noreturn]] void fail(const std::string& what) { throw CheckFailure(what); }

std::size_t linesIn(std::string_view input) {
    std::size_t lines = 0;
    for (const char c : input) lines += c == '\n';
    return lines + (input.empty() || input.back() == '\n' ? 0 : 1);
}

}  // namespace

void checkBounds(std::string_view input) {
    std::vector<model::FamilyBound> bounds;
    try {
        std::istringstream in{std::string(input)};
        bounds = model::readFamilyBounds(in, "fuzz");
    } catch (const std::runtime_error& e) {
        const std::string message = e.what();
        if (message.rfind("fuzz line ", 0) != 0) fail("message without its line: " + message);
        const std::size_t line = std::stoul(message.substr(10));
        if (line == 0 || line > linesIn(input)) fail("message names line " + std::to_string(line));
        return;
    }
    std::set<std::string> families;
    std::size_t previous = 0;
    std::string written;
    for (const model::FamilyBound& b : bounds) {
        if (b.family.empty() || b.family.find_first_of("\t\n") != std::string::npos) fail("bad family name");
        if (b.family.front() == '#') fail("a comment read as a bound");
        if (!families.insert(b.family).second) fail("family twice: " + b.family);
        if (b.range.lower > b.range.upper) fail("lower above upper for " + b.family);
        if (b.line <= previous || b.line > linesIn(input)) fail("line numbers out of order");
        previous = b.line;
        written += b.family + "\t" + std::to_string(b.range.lower) + "\t" + std::to_string(b.range.upper) + "\n";
    }
    // Written back, the bounds read the same.
    std::istringstream again(written);
    const std::vector<model::FamilyBound> reread = model::readFamilyBounds(again, "written");
    if (reread.size() != bounds.size()) fail("written bounds read back to another count");
    for (std::size_t k = 0; k < bounds.size(); ++k)
        if (reread[k].family != bounds[k].family || !(reread[k].range == bounds[k].range))
            fail("written bound read back differently: " + bounds[k].family);
}

}  // namespace rp::fuzz
