#include "io/input_file.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/temp_dir.hpp"

namespace rp::io {
namespace {

using test::TempDir;

TEST(DetectCompression, MagicNumbers) {
    struct Case {
        std::string bytes;
        Compression expected;
    };
    const Case cases[] = {
        {"\x1f\x8b\x08", Compression::gzip},
        {"BZh9", Compression::bzip2},
        {std::string("\xfd" "7zXZ\0", 6), Compression::xz},
        {"\x28\xb5\x2f\xfd\x04", Compression::zstd},
        {"\x1f", Compression::none},
        {"BZ", Compression::none},
        {"\xfd" "7zX", Compression::none},
        {"<?xml", Compression::none},
        {"", Compression::none},
    };
    for (const Case& c : cases) EXPECT_EQ(detectCompression(c.bytes), c.expected) << c.bytes;
}

// Content big enough to span several of the reader's buffers once
// decompressed, with every byte value in it.
std::string sampleContent() {
    std::string text;
    for (int i = 0; i < 300000; ++i) text += "line " + std::to_string(i) + ' ' + char(i % 256) + '\n';
    return text;
}

struct Tool {
    const char* command;
    Compression compression;
};

const Tool kTools[] = {
    {"gzip -c", Compression::gzip},
    {"bzip2 -c", Compression::bzip2},
    {"xz -c", Compression::xz},
    {"zstd -q -c", Compression::zstd},
};

void compress(const TempDir& dir, const Tool& tool, const std::string& from, const std::string& to) {
    const std::string command = std::string(tool.command) + " '" + dir.file(from) + "' > '" + dir.file(to) + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

TEST(InputFile, ReadsEveryCompressionByContent) {
    TempDir dir;
    const std::string content = sampleContent();
    dir.write("plain", content);
    EXPECT_EQ(readWholeInput(dir.file("plain"), {}), content);
    for (const Tool& tool : kTools) {
        // The name says nothing about the content.
        compress(dir, tool, "plain", "data.txt");
        InputFile input(dir.file("data.txt"), {});
        EXPECT_EQ(input.compression(), tool.compression) << tool.command;
        EXPECT_EQ(readWholeInput(dir.file("data.txt"), {}), content) << tool.command;
    }
}

TEST(InputFile, ConcatenatedMembersAreRead) {
    TempDir dir;
    dir.write("a", "first\n");
    dir.write("b", "second\n");
    ASSERT_EQ(std::system(("gzip -c '" + dir.file("a") + "' > '" + dir.file("ab") + "' && gzip -c '" +
                           dir.file("b") + "' >> '" + dir.file("ab") + "'").c_str()), 0);
    EXPECT_EQ(readWholeInput(dir.file("ab"), {}), "first\nsecond\n");
}

TEST(InputFile, TruncatedCompressedDataFails) {
    TempDir dir;
    dir.write("plain", sampleContent());
    for (const Tool& tool : kTools) {
        compress(dir, tool, "plain", "whole");
        const std::string whole = dir.read("whole");
        for (std::size_t keep : {whole.size() / 2, whole.size() - 1}) {
            dir.write("cut", whole.substr(0, keep));
            try {
                readWholeInput(dir.file("cut"), {});
                ADD_FAILURE() << tool.command << " cut to " << keep << " bytes was read without error";
            } catch (const InputError& e) {
                const std::string message = e.what();
                EXPECT_EQ(message.rfind(dir.file("cut") + ": ", 0), 0u) << message;
            }
        }
    }
}

TEST(InputFile, IstreamReadsRethrowTheFailure) {
    TempDir dir;
    dir.write("plain", sampleContent());
    compress(dir, kTools[0], "plain", "whole");
    const std::string whole = dir.read("whole");
    dir.write("cut", whole.substr(0, whole.size() / 2));
    InputFile input(dir.file("cut"), {});
    std::string line;
    EXPECT_THROW(while (std::getline(input.stream(), line)) {}, InputError);
}

TEST(InputFile, MissingFileNamesItself) {
    try {
        InputFile input("/nonexistent/dir/file", {});
        FAIL();
    } catch (const InputError& e) {
        EXPECT_STREQ(e.what(), "cannot open /nonexistent/dir/file: No such file or directory");
    }
}

TEST(InputFile, ShortAndEmptyFiles) {
    TempDir dir;
    for (const std::string content : {"", "x", "\x1f", "BZ"}) {
        dir.write("f", content);
        EXPECT_EQ(readWholeInput(dir.file("f"), {}), content);
    }
}

}  // namespace
}  // namespace rp::io
