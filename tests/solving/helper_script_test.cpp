// Where a solver's helper script is looked for: the environment variable
// first, then beside the running program (installed, then build tree).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "solving/helper_script.hpp"

namespace rp::solving {
namespace {

using Places = std::vector<std::string>;

TEST(HelperScript, PlacesInTheirOrder) {
    struct Case {
        const char* variable;
        const char* programDir;
        Places places;
    };
    const Case cases[] = {
        {"", "/usr/bin", {"/usr/share/paralogs/highs/x.mjs", "/usr/bin/share/paralogs/highs/x.mjs"}},
        {"/y/x.mjs", "/opt/p/bin", {"/y/x.mjs", "/opt/p/share/paralogs/highs/x.mjs", "/opt/p/bin/share/paralogs/highs/x.mjs"}},
        {"", "/w/build", {"/w/share/paralogs/highs/x.mjs", "/w/build/share/paralogs/highs/x.mjs"}},
        {"/y/x.mjs", "", {"/y/x.mjs"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(helperScriptPlaces("highs/x.mjs", c.variable, c.programDir), c.places) << c.programDir;
}

TEST(HelperScript, TheRunningProgramsDirectory) {
    // The test program itself: its directory holds it.
    const std::string dir = runningProgramDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_TRUE(std::filesystem::is_directory(dir));
    EXPECT_TRUE(std::filesystem::path(dir).is_absolute());
}

TEST(HelperScript, NoScriptNoPlace) {
    EXPECT_EQ(findHelperScript(describe(SolverKind::cbc)), "");
    EXPECT_EQ(findHelperScript(describe(SolverKind::custom)), "");
}

TEST(HelperScript, TheVariableIsTheUsersWord) {
    const SolverDescriptor& highs = describe(SolverKind::highs);
    setenv(std::string(highs.scriptVariable).c_str(), "/nowhere/at/all.mjs", 1);
    EXPECT_EQ(findHelperScript(highs), "/nowhere/at/all.mjs");
    unsetenv(std::string(highs.scriptVariable).c_str());
    // Unset: a place beside this test program, none of which need exist.
    const std::string found = findHelperScript(highs);
    EXPECT_NE(found.find("share/paralogs/highs/highs-solve.mjs"), std::string::npos) << found;
}

}  // namespace
}  // namespace rp::solving
