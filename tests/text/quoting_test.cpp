// Quoting input in messages: printable bytes as they are, the quote chosen so
// that the text's own quotes need no escape, escapes only where needed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/quoting.hpp"

namespace rp {
namespace {

TEST(Quoted, ShowsPrintableBytesAsTheyAre) {
    struct Case {
        std::string text;
        std::size_t limit;
        char preferred;
        std::string quoted;
    };
    const std::size_t all = std::string::npos;
    const std::vector<Case> cases = {
        {"Hello world", all, '"', "\"Hello world\""},
        {"", all, '"', "\"\""},
        {"<?xml version=\"1.0\"?>", all, '"', "'<?xml version=\"1.0\"?>'"},
        {"it's", all, '"', "\"it's\""},
        {"it's", all, '\'', "\"it's\""},
        {"a;b", all, '\'', "'a;b'"},
        {"say \"it's\"", all, '"', "\"say \\\"it's\\\"\""},
        {"say \"it's\" \\n", all, '"', "\"say \\\"it's\\\" \\\\n\""},
        {"C:\\dir", all, '"', "\"C:\\dir\""},
        {"C:\\x1", all, '"', "\"C:\\\\x1\""},
        {"ends\\", all, '"', "\"ends\\\\\""},
        {"tab\there\\", all, '"', "\"tab\\x09here\\\\\""},
        {std::string("nul\0byte", 8), all, '"', "\"nul\\x00byte\""},
        {"del\x7f", all, '"', "\"del\\x7f\""},
        {"gène α", all, '"', "\"gène α\""},
        {"bad \xff\xfe utf-8", all, '"', "\"bad \\xff\\xfe utf-8\""},
        {"cut \xc3", all, '"', "\"cut \\xc3\""},
        {"long text", 4, '"', "\"long\"..."},
        {"ab\"cd", 2, '"', "\"ab\"..."},
    };
    for (const Case& c : cases) EXPECT_EQ(quoteInput(c.text, c.limit, c.preferred), c.quoted) << c.text;
}

// What a quote holds reads back to the text: undoing the escapes of the
// rule above gives every byte of the text back.
std::string unquoted(const std::string& q) {
    const char quote = q[0];
    const std::string body = q.substr(1, q.rfind(quote) - 1);
    const bool escapes = body.find("\\x") != std::string::npos || body.find("\\\\") != std::string::npos ||
                         body.find(std::string("\\") + quote) != std::string::npos;
    std::string text;
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (escapes && body[i] == '\\' && body[i + 1] == 'x') {
            text += static_cast<char>(std::stoi(body.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else if (escapes && body[i] == '\\') {
            text += body[++i];
        } else {
            text += body[i];
        }
    }
    return text;
}

TEST(Quoted, EveryByteReadsBack) {
    for (int a = 0; a < 256; ++a) {
        for (const char* around : {"x", "\"", "'", "\\", "\"'", "\\\\", "\\x"}) {
            const std::string text = std::string(around) + static_cast<char>(a) + "\\x41" + around;
            const std::string q = quoteInput(text);
            EXPECT_EQ(unquoted(q), text) << q;
            for (const char c : q) EXPECT_NE(c, '\0');
        }
    }
}

// A whole message for the terminal: what it would not show escaped, what it
// shows left alone, backslashes doubled only beside an escape.
TEST(EscapedForTerminal, ShowsWhatATerminalShowsAndEscapesTheRest) {
    struct Case {
        std::string line;
        std::string shown;
    };
    const std::vector<Case> cases = {
        {"paralogs pair: p1: optimal", "paralogs pair: p1: optimal"},
        {"", ""},
        {"a\nb", "a\\nb"},
        {"tab\there\r", "tab\\there\\r"},
        {std::string("nul\0end", 7), "nul\\x00end"},
        {"\x01\x1b[31mred\x7f", "\\x01\\x1b[31mred\\x7f"},
        {"Génome 日本 🧬", "Génome 日本 🧬"},
        {"C:\\dir \"\\x01\"", "C:\\dir \"\\x01\""},  // quoteInput's escapes, no byte to escape: as it is
        {"C:\\dir\n", "C:\\\\dir\\n"},                   // beside an escape, a backslash doubles
        {"\xc2\x9b" "2J \xc2\xa0", "\\xc2\\x9b2J \xc2\xa0"},  // a C1 control (CSI), a no-break space
        {"bad \xff\xc3 cut \xe6\x97", "bad \\xff\\xc3 cut \\xe6\\x97"},
        {"\xef\xbb\xbf" "BOM", "\xef\xbb\xbf" "BOM"},
    };
    for (const Case& c : cases) EXPECT_EQ(escapeForTerminal(c.line), c.shown) << c.shown;
}

}  // namespace
}  // namespace rp
