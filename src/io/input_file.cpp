#include "io/input_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zstd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <vector>

#include <boost/iostreams/categories.hpp>
#include <boost/iostreams/filter/bzip2.hpp>
#include <boost/iostreams/filter/gzip.hpp>
#include <boost/iostreams/filter/lzma.hpp>
#include <boost/iostreams/filtering_streambuf.hpp>

namespace rp::io {
namespace bio = boost::iostreams;

namespace {

constexpr std::size_t kMagicBytes = 6;
constexpr std::size_t kBufferBytes = std::size_t{1} << 20;

// The file descriptor as a Boost.Iostreams source, with the bytes already
// taken off it for recognising the compression put back in front.
class DescriptorSource {
public:
    using char_type = char;
    using category = bio::source_tag;

    DescriptorSource(int fd, std::string prefix, const std::string* name)
        : fd_(fd), prefix_(std::move(prefix)), name_(name) {}

    std::streamsize read(char* s, std::streamsize n) {
        if (used_ < prefix_.size()) {
            const std::size_t k = std::min(prefix_.size() - used_, static_cast<std::size_t>(n));
            std::memcpy(s, prefix_.data() + used_, k);
            used_ += k;
            return static_cast<std::streamsize>(k);
        }
        for (;;) {
            const ssize_t k = ::read(fd_, s, static_cast<std::size_t>(n));
            if (k > 0) return k;
            if (k == 0) return -1;
            if (errno != EINTR) throw InputError(*name_ + ": read error: " + std::strerror(errno));
        }
    }

private:
    int fd_;
    std::string prefix_;
    std::size_t used_ = 0;
    const std::string* name_;
};

// A zstd decompressor on libzstd itself, which tells a stream that ends in
// the middle of a frame from a complete one. Frames follow each other as the
// zstd tool writes them.
class ZstdDecompressor {
public:
    using char_type = char;
    struct category : bio::multichar_input_filter_tag, bio::closable_tag {};

    explicit ZstdDecompressor(const std::string* name)
        : state_(std::make_shared<State>()), name_(name) {}

    template <class Source>
    std::streamsize read(Source& src, char* s, std::streamsize n) {
        State& st = *state_;
        ZSTD_outBuffer out{s, static_cast<std::size_t>(n), 0};
        while (out.pos == 0) {
            if (st.in.pos == st.in.size) {
                if (st.eof) break;
                const std::streamsize k = bio::read(src, st.buffer.data(), static_cast<std::streamsize>(st.buffer.size()));
                if (k <= 0) {
                    st.eof = true;
                    if (st.pending != 0) throw InputError(*name_ + ": zstd data ends before its frame does (truncated file?)");
                    break;
                }
                st.in = ZSTD_inBuffer{st.buffer.data(), static_cast<std::size_t>(k), 0};
            }
            const std::size_t r = ZSTD_decompressStream(st.stream.get(), &out, &st.in);
            if (ZSTD_isError(r)) throw InputError(*name_ + ": corrupt zstd data: " + ZSTD_getErrorName(r));
            st.pending = r;
        }
        return out.pos == 0 ? -1 : static_cast<std::streamsize>(out.pos);
    }

    template <class Source>
    void close(Source&) {}

private:
    struct Deleter {
        void operator()(ZSTD_DStream* d) const { ZSTD_freeDStream(d); }
    };
    struct State {
        std::unique_ptr<ZSTD_DStream, Deleter> stream{ZSTD_createDStream()};
        std::vector<char> buffer = std::vector<char>(ZSTD_DStreamInSize());
        ZSTD_inBuffer in{nullptr, 0, 0};
        std::size_t pending = 0;
        bool eof = false;
    };
    // Boost copies filters; the copies share one decompression state.
    std::shared_ptr<State> state_;
    const std::string* name_;
};

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string tooLargeMessage(const std::string& name, Compression compression, std::uint64_t maxBytes) {
    return name + ": holds more than " + describeInputSize(maxBytes) +
           (compression == Compression::none ? "" : " once decompressed") + " (--max-input-size " +
           inputSizeText(maxBytes) + "; raise it to read this input)";
}

// What both kinds of input share behind the istream: the bytes given
// counted against the bound, and a byte-order mark at the start passed over.
class BoundedBuffer : public std::streambuf {
public:
    BoundedBuffer(const std::string* name, Compression compression, std::uint64_t maxBytes)
        : name_(name), compression_(compression), maxBytes_(maxBytes), buffer_(kBufferBytes) {}

protected:
    // Up to `n` next bytes of the content into `s`; 0 at its end.
    virtual std::size_t fill(char* s, std::size_t n) = 0;

    const std::string& name() const { return *name_; }
    Compression compression() const { return compression_; }

    int_type underflow() override {
        if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
        char* const begin = buffer_.data();
        std::size_t k = countedFill(begin, buffer_.size());
        std::size_t skip = 0;
        if (atStart_) {
            atStart_ = false;
            skip = byteOrderMark(begin, k);
            if (skip == k && k != 0) {  // the mark alone so far
                k = countedFill(begin, buffer_.size());
                skip = 0;
            }
        }
        if (k == 0) return traits_type::eof();
        setg(begin, begin + skip, begin + k);
        return traits_type::to_int_type(*gptr());
    }

private:
    // After the first `k` bytes at `begin`: more filled in while they are
    // fewer than a mark's, and the mark's length if it begins them (else 0).
    std::size_t byteOrderMark(char* begin, std::size_t& k) {
        for (std::size_t more = k; more != 0 && k < kByteOrderMark.size(); k += more)
            more = countedFill(begin + k, buffer_.size() - k);
        const std::string_view first(begin, std::min(k, kByteOrderMark.size()));
        return first == kByteOrderMark ? kByteOrderMark.size() : 0;
    }

    std::size_t countedFill(char* s, std::size_t n) {
        const std::size_t k = fill(s, n);
        given_ += k;
        if (given_ > maxBytes_) throw InputError(tooLargeMessage(*name_, compression_, maxBytes_));
        return k;
    }

    const std::string* name_;
    Compression compression_;
    std::uint64_t maxBytes_;
    std::uint64_t given_ = 0;
    bool atStart_ = true;
    std::vector<char> buffer_;
};

// The decompressing chain. Failures of Boost's filters come out as
// InputError naming the input.
class ChainBuffer : public BoundedBuffer {
public:
    ChainBuffer(std::unique_ptr<bio::filtering_streambuf<bio::input>> chain, Compression compression,
                const std::string* name, std::uint64_t maxBytes)
        : BoundedBuffer(name, compression, maxBytes), chain_(std::move(chain)) {}

protected:
    std::size_t fill(char* s, std::size_t n) override {
        std::streamsize k = 0;
        try {
            k = chain_->sgetn(s, static_cast<std::streamsize>(n));
        } catch (const InputError&) {
            throw;
        } catch (const std::exception&) {
            throw InputError(name() + ": corrupt or truncated " + std::string(compressionName(compression())) + " data");
        }
        return k > 0 ? static_cast<std::size_t>(k) : 0;
    }

private:
    std::unique_ptr<bio::filtering_streambuf<bio::input>> chain_;
};

// Plain content: the descriptor read straight into the buffer.
class PlainBuffer : public BoundedBuffer {
public:
    PlainBuffer(int fd, std::string prefix, const std::string* name, std::uint64_t maxBytes)
        : BoundedBuffer(name, Compression::none, maxBytes), source_(fd, std::move(prefix), name) {}

protected:
    std::size_t fill(char* s, std::size_t n) override {
        const std::streamsize k = source_.read(s, static_cast<std::streamsize>(n));
        return k > 0 ? static_cast<std::size_t>(k) : 0;
    }

private:
    DescriptorSource source_;
};

// Fails at once for a plain regular file already larger than the bound.
void checkPlainSize(int fd, const std::string& name, std::uint64_t maxBytes) {
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && static_cast<std::uint64_t>(status.st_size) > maxBytes)
        throw InputError(tooLargeMessage(name, Compression::none, maxBytes));
}

}  // namespace

std::string_view compressionName(Compression compression) {
    switch (compression) {
        case Compression::gzip: return "gzip";
        case Compression::bzip2: return "bzip2";
        case Compression::xz: return "xz";
        case Compression::zstd: return "zstd";
        case Compression::none: break;
    }
    return "plain";
}

Compression detectCompression(std::string_view b) {
    if (b.size() >= 2 && b[0] == '\x1f' && b[1] == '\x8b') return Compression::gzip;
    if (b.size() >= 3 && b.substr(0, 3) == "BZh") return Compression::bzip2;
    if (b.size() >= 6 && b.substr(0, 6) == std::string_view("\xfd" "7zXZ\0", 6)) return Compression::xz;
    if (b.size() >= 4 && b.substr(0, 4) == "\x28\xb5\x2f\xfd") return Compression::zstd;
    return Compression::none;
}

InputFile::InputFile(const std::string& path, const InputOptions& options) : stream_(nullptr) {
    if (path == "-") {
        name_ = "standard input";
        fd_ = 0;
    } else {
        name_ = path;
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) throw InputError("cannot open " + path + ": " + std::strerror(errno));
        ownsFd_ = true;
    }
    try {
        std::string prefix(kMagicBytes, '\0');
        std::size_t have = 0;
        while (have < kMagicBytes) {
            const ssize_t k = ::read(fd_, prefix.data() + have, kMagicBytes - have);
            if (k == 0) break;
            if (k < 0) {
                if (errno == EINTR) continue;
                throw InputError("cannot read " + name_ + ": " + std::strerror(errno));
            }
            have += static_cast<std::size_t>(k);
        }
        prefix.resize(have);
        compression_ = detectCompression(prefix);
        if (compression_ == Compression::none) {
            checkPlainSize(fd_, name_, options.maxBytes);
            buffer_ = std::make_unique<PlainBuffer>(fd_, std::move(prefix), &name_, options.maxBytes);
        } else {
            auto chain = std::make_unique<bio::filtering_streambuf<bio::input>>();
            switch (compression_) {
                case Compression::gzip: chain->push(bio::gzip_decompressor()); break;
                case Compression::bzip2: chain->push(bio::bzip2_decompressor()); break;
                case Compression::xz: chain->push(bio::lzma_decompressor()); break;
                case Compression::zstd: chain->push(ZstdDecompressor(&name_)); break;
                case Compression::none: break;
            }
            chain->push(DescriptorSource(fd_, std::move(prefix), &name_), kBufferBytes);
            buffer_ = std::make_unique<ChainBuffer>(std::move(chain), compression_, &name_, options.maxBytes);
        }
    } catch (...) {
        if (ownsFd_) ::close(fd_);
        throw;
    }
    stream_.rdbuf(buffer_.get());
    stream_.exceptions(std::ios::badbit);
}

InputFile::~InputFile() {
    stream_.exceptions(std::ios::goodbit);
    stream_.rdbuf(nullptr);
    buffer_.reset();
    if (ownsFd_) ::close(fd_);
}

std::string readWholeInput(const std::string& path, const InputOptions& options) {
    InputFile input(path, options);
    std::string text;
    std::vector<char> chunk(kBufferBytes);
    std::streambuf& buf = *input.stream().rdbuf();
    for (;;) {
        const std::streamsize k = buf.sgetn(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        if (k <= 0) break;
        text.append(chunk.data(), static_cast<std::size_t>(k));
    }
    return text;
}

}  // namespace rp::io
