#include "io/input_file.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

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

// The bytes an input gives through its stream, in chunks as the readers take
// them; `given` counts them as they come, also when the read throws.
std::string readCounted(const std::string& path, const InputOptions& options, std::uint64_t& given) {
    InputFile input(path, options);
    std::string text;
    std::vector<char> chunk(1 << 16);
    for (;;) {
        const std::streamsize k = input.stream().rdbuf()->sgetn(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        if (k <= 0) return text;
        given += static_cast<std::uint64_t>(k);
        text.append(chunk.data(), static_cast<std::size_t>(k));
    }
}

// A bomb: 16 MiB of zeros, a few KiB compressed, read under a bound of 1
// MiB. The read stops with the message before a reader is given more than
// the bound.
TEST(InputBound, ABombStopsAtTheBound) {
    TempDir dir;
    constexpr std::uint64_t kBound = std::uint64_t{1} << 20;
    for (const Tool& tool : kTools) {
        const std::string command = "head -c 16M /dev/zero | " + std::string(tool.command) + " > '" + dir.file("bomb") + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        ASSERT_LT(dir.read("bomb").size(), std::size_t{1} << 20) << tool.command;
        std::uint64_t given = 0;
        try {
            readCounted(dir.file("bomb"), InputOptions{kBound}, given);
            ADD_FAILURE() << tool.command << ": the bomb was read whole";
        } catch (const InputError& e) {
            EXPECT_EQ(e.what(), dir.file("bomb") +
                                    ": holds more than 1 MiB once decompressed (--max-input-size 1M; raise it to "
                                    "read this input)");
        }
        EXPECT_LE(given, kBound) << tool.command;
    }
}

// An input of exactly the bound reads; one byte more does not, plain or
// compressed, whatever the buffers' sizes.
TEST(InputBound, AnInputOfTheBoundReadsAndOneByteMoreDoesNot) {
    TempDir dir;
    std::string content;
    while (content.size() < (std::size_t{2} << 20) + 17) content += "line " + std::to_string(content.size()) + '\n';
    dir.write("plain", content);
    const std::uint64_t size = content.size();
    std::vector<const Tool*> tools = {nullptr};
    for (const Tool& tool : kTools) tools.push_back(&tool);
    for (const Tool* tool : tools) {
        if (tool != nullptr) compress(dir, *tool, "plain", "data");
        const std::string path = dir.file(tool == nullptr ? "plain" : "data");
        const char* name = tool == nullptr ? "plain" : tool->command;
        std::uint64_t given = 0;
        EXPECT_EQ(readCounted(path, InputOptions{size}, given), content) << name;
        EXPECT_EQ(readWholeInput(path, InputOptions{kNoInputBound}), content) << name;
        EXPECT_THROW(readCounted(path, InputOptions{size - 1}, given), InputError) << name;
    }
}

// A UTF-8 byte-order mark that begins the content, compressed or not, is
// passed over; one anywhere else is content.
TEST(InputFile, ALeadingByteOrderMarkIsPassedOver) {
    const std::string bom = "\xEF\xBB\xBF";
    std::string large;  // past the first buffer
    while (large.size() < (std::size_t{3} << 19)) large += "line " + std::to_string(large.size()) + '\n';
    const struct {
        std::string content;
        std::string read;
    } cases[] = {
        {bom + "2\na 1\n", "2\na 1\n"},
        {bom, ""},
        {bom + "x", "x"},
        {bom + bom + "x", bom + "x"},
        {"x" + bom, "x" + bom},
        {"\xEF\xBB", "\xEF\xBB"},
        {"\xEF\xBB\xBE", "\xEF\xBB\xBE"},
        {bom + large, large},
    };
    TempDir dir;
    for (const auto& c : cases) {
        dir.write("plain", c.content);
        EXPECT_EQ(readWholeInput(dir.file("plain"), {}), c.read) << c.content.substr(0, 8);
        for (const Tool& tool : kTools) {
            compress(dir, tool, "plain", "data");
            EXPECT_EQ(readWholeInput(dir.file("data"), {}), c.read) << tool.command << ' ' << c.content.substr(0, 8);
        }
    }
}

}  // namespace
}  // namespace rp::io
