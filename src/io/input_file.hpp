// Opening an input whatever its compression: gzip, bzip2, xz and zstd content
// is recognised by its first bytes (never by the file name) and decompressed
// while it is read, up to a bound on what it may give; "-" is standard input.
// A UTF-8 byte-order mark that begins the content is passed over.
#pragma once

#include <cstdint>
#include <istream>
#include <memory>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <string_view>

#include "io/input_size.hpp"

namespace rp::io {

enum class Compression { none, gzip, bzip2, xz, zstd };

// "plain", "gzip", "bzip2", "xz" or "zstd".
std::string_view compressionName(Compression compression);

// The compression whose magic number starts `firstBytes` (at most six bytes
// are looked at); none for anything else, including too few bytes.
Compression detectCompression(std::string_view firstBytes);

// A failure to open or to read an input; the message names the input.
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct InputOptions {
    // The most bytes the input may give once decompressed (a plain input's
    // size); kNoInputBound for none. Reading past it throws InputError
    // "NAME: holds more than 256 MiB once decompressed (--max-input-size 256M;
    // raise it to read this input)" ("once decompressed" for compressed
    // content only), before a reader is given a byte past the bound.
    std::uint64_t maxBytes = kDefaultMaxInputBytes;
};

// An open input. Reading its stream decompresses as needed; data that is
// corrupt or ends before its compressed stream does throws InputError out of
// the read (stream buffer calls throw it directly, istream calls rethrow it,
// since the stream has badbit in its exception mask). A read error of the
// file itself is reported the same way.
class InputFile {
public:
    // Opens `path`, "-" meaning standard input. Throws InputError
    // "cannot open PATH: REASON", or the bound's message for a plain regular
    // file already larger than it.
    InputFile(const std::string& path, const InputOptions& options);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    std::istream& stream() { return stream_; }
    Compression compression() const { return compression_; }
    // The input as messages name it: the path, or "standard input" for "-".
    const std::string& name() const { return name_; }

private:
    std::string name_;
    Compression compression_ = Compression::none;
    int fd_ = -1;
    bool ownsFd_ = false;
    std::unique_ptr<std::streambuf> buffer_;
    std::istream stream_;
};

// Reads the whole of an input, decompressed.
std::string readWholeInput(const std::string& path, const InputOptions& options);

}  // namespace rp::io
