// Outputs of the companion's commands that are written in place (a file with
// two hard links) keep their bytes until the command has succeeded, even when
// the output is the command's own input.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

#include "support/paralogs.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace rp::paralogs {
namespace {

using test::runProcess;
using test::TempDir;

const char* const kCbcAnswer =
    "Optimal - objective value 2.00000000\n"
    "      0 z_a.1.2                1                       0\n"
    "      1 z_a.2.1                1                       0\n";

TEST(ParalogsOutputs, AHardLinkedFailingOutputKeepsItsBytes) {
    TempDir dir;
    dir.write("empty.sol", "");
    dir.write("out.xml", "keep\n");
    ASSERT_EQ(::link(dir.file("out.xml").c_str(), dir.file("other.xml").c_str()), 0);
    const auto r = test::runParalogs(dir, {"solution", "-i", "empty.sol", "-o", "out.xml"});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(dir.read("out.xml"), "keep\n");
    EXPECT_EQ(dir.read("other.xml"), "keep\n");
}

TEST(ParalogsOutputs, AHardLinkedInputCanBeItsOwnOutput) {
    TempDir dir;
    dir.write("answer.sol", kCbcAnswer);
    dir.write("copy.sol", kCbcAnswer);
    ASSERT_EQ(::link(dir.file("answer.sol").c_str(), dir.file("link.sol").c_str()), 0);
    const auto same = test::runParalogs(dir, {"solution", "-i", "answer.sol", "-o", "answer.sol"});
    const auto apart = test::runParalogs(dir, {"solution", "-i", "copy.sol", "-o", "apart.xml"});
    ASSERT_EQ(same.status, 0) << same.err;
    ASSERT_EQ(apart.status, 0) << apart.err;
    EXPECT_EQ(dir.read("answer.sol"), dir.read("apart.xml"));
    EXPECT_EQ(dir.read("link.sol"), dir.read("apart.xml"));
}

}  // namespace
}  // namespace rp::paralogs
