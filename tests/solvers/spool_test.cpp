// The spool of variables kept aside: replayed in order from memory and from
// its file.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "solvers/spool.hpp"

namespace rp::solvers {
namespace {

// Every variable handed over, as text.
struct Recorded : VariableSink {
    std::vector<std::string> seen;
    void header(const SolutionHeader&) override {}
    void variable(std::string_view name, std::string_view value, std::uint64_t line, bool named) override {
        seen.push_back(std::string(name) + "|" + std::string(value) + "|" + std::to_string(line) + (named ? "" : "|unnamed"));
    }
};

TEST(Spool, ReplaysInOrderFromMemoryAndFromTheFile) {
    struct Case {
        const char* what;
        std::size_t count;
        std::size_t longName;  // bytes of one name far longer than a block, 0 for none
    };
    for (const Case& c : {Case{"fits in its first block", 50, 0}, Case{"grows its block", 5000, 0},
                          Case{"reaches the file", 60000, 0},
                          Case{"one record longer than a block", 3000, std::size_t{3} << 20}}) {
        VariableSpool spool;
        std::vector<std::string> expected;
        // What clear() forgets.
        spool.add("gone", "1", 1);
        spool.clear();
        for (std::size_t i = 0; i < c.count; ++i) {
            std::string name = "v";
            name.append(std::to_string(i)).append(i % 37, 'p');
            if (i == c.count / 2 && c.longName > 0) name.assign(c.longName, 'n');
            const std::string value = i % 5 == 0 ? "" : std::to_string(i * 3) + ".25";
            const bool named = i % 11 != 3;
            spool.add(named ? name : "", value, i + 7, named);
            expected.push_back((named ? name : "") + "|" + value + "|" + std::to_string(i + 7) + (named ? "" : "|unnamed"));
        }
        EXPECT_EQ(spool.size(), c.count) << c.what;
        for (int round = 0; round < 2; ++round) {
            Recorded recorded;
            spool.replay(recorded);
            EXPECT_EQ(recorded.seen, expected) << c.what << ", replay " << round;
        }
        // Added to after a replay, replayed whole again.
        spool.add("after", "2", 99);
        expected.push_back("after|2|99");
        Recorded recorded;
        spool.replay(recorded);
        EXPECT_EQ(recorded.seen, expected) << c.what << ", after a replay";
    }
}


}  // namespace
}  // namespace rp::solvers
