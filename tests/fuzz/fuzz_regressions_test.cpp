// Replays the inputs kept under fuzz/ (what the fuzzers found faults with, and
// the seed corpora) through the fuzz targets' own checks.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "checks.hpp"
#include "solution/solution_reader.hpp"
#include "support/temp_dir.hpp"

namespace rp {
namespace {

namespace fs = std::filesystem;

class FuzzInputs : public ::testing::TestWithParam<const char*> {};

TEST_P(FuzzInputs, KeepEveryProperty) {
    const std::string target = GetParam();
    const fuzz::Check check = fuzz::checkFor(target);
    ASSERT_NE(check, nullptr);
    std::size_t replayed = 0;
    for (const char* kind : {"regressions", "corpus"}) {
        const fs::path dir = fs::path(RP_SOURCE_DIR) / "fuzz" / kind / target;
        if (!fs::is_directory(dir)) continue;
        for (const auto& entry : fs::directory_iterator(dir)) {
            if (!entry.is_regular_file()) continue;
            try {
                check(test::readFile(entry.path().string()));
            } catch (const fuzz::CheckFailure& e) {
                ADD_FAILURE() << entry.path().string() << ": " << e.what();
            }
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0u) << "no input kept for " << target;
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzInputs,
                         ::testing::Values("structs", "solution", "zname", "run", "genomes", "solvers", "unimog",
                                           "bounds", "solverlog", "grimm", "sheet",
                                           "args"));

TEST(FuzzChecks, TargetsByName) {
    EXPECT_EQ(fuzz::checkFor("structs"), &fuzz::checkStructs);
    EXPECT_EQ(fuzz::checkFor("run"), &fuzz::checkRun);
    EXPECT_EQ(fuzz::checkFor("other"), nullptr);
}

TEST(FuzzChecks, MessagesOfEachStep) {
    using fuzz::Step;
    const struct {
        Step step;
        std::string message;
        bool accepted;
    } cases[] = {
        {Step::structs, "invalid stoi argument", true},
        {Step::structs, "bad allocation", true},
        {Step::structs, "invalid stof argument", false},
        {Step::zname, "stof argument out of range", true},
        {Step::zname, "invalid string position", true},
        {Step::zname, "vector<T> too long", false},
        {Step::solution, "No such node (CPLEXSolution.variables)", true},
        {Step::solution, "No such node (<xmlattr>.index)", false},
        {Step::solution, "conversion of data to type \"float\" failed", true},
        {Step::solution, "<unspecified file>(12): expected ' or \"", true},
        {Step::solution, "<unspecified file>(0): expected >", false},
        {Step::solution, "<unspecified file>(3): something else", false},
        {Step::solution, "<unspecified file>: expected >", false},
        {Step::solution, kNestedTooDeeply, true},
        {Step::solution, "invalid stoi argument", false},
        {Step::run, "invalid stoi argument", true},
        {Step::run, "<unspecified file>(1): unexpected end of data", true},
        {Step::run, "std::bad_alloc", false},
        {Step::run, "failed to open result file", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fuzz::isMessageOf(c.step, c.message), c.accepted) << c.message;
}

}  // namespace
}  // namespace rp
