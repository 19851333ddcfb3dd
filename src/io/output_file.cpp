#include "io/output_file.hpp"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <streambuf>
#include <vector>

namespace rp::io {
namespace {

// ---------------------------------------------------------------------------
// Removal of temporary files on SIGINT, SIGTERM and SIGHUP.
//
// A signal handler can only reach static state, so this is the one piece of
// static state of the unit: a fixed table of the temporary files that exist
// right now (paths copied in beforehand, so the handler only calls unlink),
// and the dispositions the handlers replaced. Normal code changes it with
// the three signals blocked and under `mutex`; the handler only reads the
// `armed` flags and the paths.

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr std::size_t kSignalCount = sizeof kSignals / sizeof kSignals[0];
constexpr std::size_t kSlots = 16;  // outputs open at the same time
static_assert(std::atomic<bool>::is_always_lock_free);

struct Slot {
    std::atomic<bool> armed{false};
    char path[PATH_MAX]{};
};

struct Temporaries {
    Slot slots[kSlots];
    std::mutex mutex;
    int open = 0;
    struct sigaction previous[kSignalCount]{};
    bool installed[kSignalCount]{};
};

constinit Temporaries temporaries;

extern "C" void removeTemporariesAndDie(int signal) {
    const int savedErrno = errno;
    for (Slot& slot : temporaries.slots)
        if (slot.armed.load()) ::unlink(slot.path);
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(signal, &fallback, nullptr);
    // Pending until the handler returns and the signal is unblocked again,
    // then the default action ends the process.
    ::raise(signal);
    errno = savedErrno;
}

// Blocks the three signals in this thread for its lifetime.
class SignalsBlocked {
public:
    SignalsBlocked() {
        sigset_t set;
        sigemptyset(&set);
        for (int s : kSignals) sigaddset(&set, s);
        pthread_sigmask(SIG_BLOCK, &set, &previous_);
    }
    ~SignalsBlocked() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    SignalsBlocked(const SignalsBlocked&) = delete;
    SignalsBlocked& operator=(const SignalsBlocked&) = delete;

private:
    sigset_t previous_;
};

// Records `path` for removal on a signal; installs the handlers with the
// first one. Call with the signals blocked. -1 when the table is full or the
// path too long.
int arm(const std::string& path) {
    if (path.size() >= PATH_MAX) return -1;
    std::lock_guard lock(temporaries.mutex);
    for (std::size_t i = 0; i < kSlots; ++i) {
        Slot& slot = temporaries.slots[i];
        if (slot.armed.load()) continue;
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        slot.armed.store(true);
        if (temporaries.open++ == 0) {
            struct sigaction handler {};
            handler.sa_handler = removeTemporariesAndDie;
            sigemptyset(&handler.sa_mask);
            for (int s : kSignals) sigaddset(&handler.sa_mask, s);
            for (std::size_t k = 0; k < kSignalCount; ++k) {
                struct sigaction current {};
                temporaries.installed[k] = false;
                if (::sigaction(kSignals[k], nullptr, &current) != 0) continue;
                // An ignored signal stays ignored (nohup), a handler of the
                // program's own stays its own.
                if ((current.sa_flags & SA_SIGINFO) || current.sa_handler != SIG_DFL) continue;
                if (::sigaction(kSignals[k], &handler, &temporaries.previous[k]) == 0)
                    temporaries.installed[k] = true;
            }
        }
        return static_cast<int>(i);
    }
    return -1;
}

// Forgets a slot; restores the dispositions with the last one. Call with the
// signals blocked.
void disarm(int index) {
    std::lock_guard lock(temporaries.mutex);
    temporaries.slots[index].armed.store(false);
    if (--temporaries.open == 0)
        for (std::size_t k = 0; k < kSignalCount; ++k)
            if (temporaries.installed[k]) {
                ::sigaction(kSignals[k], &temporaries.previous[k], nullptr);
                temporaries.installed[k] = false;
            }
}

// ---------------------------------------------------------------------------
// The stream: a 1 MiB buffer over the file descriptor, every write(2)
// checked, short writes continued, the first error kept.

class FdBuffer : public std::streambuf {
public:
    static constexpr std::size_t kSize = std::size_t{1} << 20;

    FdBuffer() = default;
    void attach(int fd) {
        fd_ = fd;
        buffer_.resize(kSize);
        setp(buffer_.data(), buffer_.data() + buffer_.size());
    }
    int error() const { return error_; }
    // Forgets what is buffered and a failure to write it.
    void discard() {
        setp(buffer_.data(), buffer_.data() + buffer_.size());
        error_ = 0;
    }
    // Writes out what is buffered; false on failure (see error()).
    bool drain() {
        const std::size_t n = static_cast<std::size_t>(pptr() - pbase());
        setp(buffer_.data(), buffer_.data() + buffer_.size());
        return n == 0 || writeAll(buffer_.data(), n);
    }

protected:
    int_type overflow(int_type c) override {
        if (fd_ < 0 || !drain()) return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        if (fd_ < 0) return 0;
        if (static_cast<std::size_t>(n) < kSize) return std::streambuf::xsputn(s, n);
        // Whole blocks go straight to the file.
        if (!drain() || !writeAll(s, static_cast<std::size_t>(n))) return 0;
        return n;
    }
    int sync() override { return fd_ >= 0 && drain() ? 0 : -1; }

private:
    bool writeAll(const char* data, std::size_t size) {
        if (error_ != 0) return false;
        while (size > 0) {
            const ssize_t written = ::write(fd_, data, std::min<std::size_t>(size, std::size_t{1} << 30));
            if (written < 0) {
                if (errno == EINTR) continue;
                error_ = errno;
                return false;
            }
            if (written == 0) {
                error_ = EIO;
                return false;
            }
            data += written;
            size -= static_cast<std::size_t>(written);
        }
        return true;
    }

    int fd_ = -1;
    int error_ = 0;
    std::vector<char> buffer_;
};

// ---------------------------------------------------------------------------

[[noreturn]] void fail(OutputError::Stage stage, const std::string& path, int error) {
    const char* verb = stage == OutputError::Stage::open ? "cannot create " : "cannot write ";
    throw OutputError(stage, verb + path + ": " + std::strerror(error));
}

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// `path` with symbolic links of its last component followed, as open(2)
// would follow them (a dangling link gives the file it would create).
std::string resolveLinks(const std::string& path) {
    std::string current = path;
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        if (hops == 40) fail(OutputError::Stage::open, path, ELOOP);
        std::vector<char> target(PATH_MAX + 1);
        const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n < 0) fail(OutputError::Stage::open, path, errno);
        if (static_cast<std::size_t>(n) >= target.size()) fail(OutputError::Stage::open, path, ENAMETOOLONG);
        const std::string link(target.data(), static_cast<std::size_t>(n));
        current = link.front() == '/' ? link : directoryOf(current) + link;
    }
}

mode_t currentUmask() {
    // Read without changing it (umask(2) can only set it, racing other threads).
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// Whether renaming over the existing file `st` in `directory` would be
// refused or would not replace what the path shows: the file is a mount
// point, or a sticky directory protects it from us.
bool renameRefused(const std::string& target, const std::string& directory, const struct stat& st) {
    struct statx sx {};
    if (::statx(AT_FDCWD, target.c_str(), 0, STATX_BASIC_STATS, &sx) == 0 &&
        (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) && (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT))
        return true;
    struct stat dir {};
    if (::stat(directory.empty() ? "." : directory.c_str(), &dir) != 0) return false;
    const uid_t me = ::geteuid();
    return (dir.st_mode & S_ISVTX) && me != 0 && st.st_uid != me && dir.st_uid != me;
}

}  // namespace

struct OutputFile::State {
    std::string path;       // as given; written in place through it
    std::string target;     // link-resolved, renamed over
    std::string temporary;  // empty when written in place
    int fd = -1;
    int heldFd = -1;  // the file written in place, emptied and filled by commit()
    int slot = -1;
    bool toStdout = false;
    bool atomic = false;  // through a temporary file and a rename
    bool committed = false;
    bool restartable = false;  // a regular file
    FdBuffer buffer;
    std::ostream stream{&buffer};

    // Removes the temporary file and forgets it.
    void discard() {
        if (fd >= 0) ::close(fd);
        fd = -1;
        if (heldFd >= 0) ::close(heldFd);
        heldFd = -1;
        if (temporary.empty()) return;
        SignalsBlocked blocked;
        ::unlink(temporary.c_str());
        if (slot >= 0) disarm(slot);
        slot = -1;
        temporary.clear();
    }
    [[noreturn]] void failWrite(int error) {
        discard();
        fail(OutputError::Stage::write, path, error);
    }
    void openInPlace() {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd < 0) fail(OutputError::Stage::open, path, errno);
    }
    // In place, but the file keeps its bytes until commit(): opened without
    // emptying it, the output collected in an unnamed temporary file.
    void openHeldInPlace() {
        heldFd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (heldFd < 0) fail(OutputError::Stage::open, path, errno);
        const char* tmp = std::getenv("TMPDIR");
        const std::string directory = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
        fd = ::open(directory.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (fd < 0) {
            std::string pattern = directory + "/.paralogs-output.XXXXXX";
            fd = ::mkostemp(pattern.data(), O_CLOEXEC);
            if (fd >= 0) ::unlink(pattern.c_str());
        }
        if (fd < 0) {
            const int e = errno;
            discard();
            fail(OutputError::Stage::open, path, e);
        }
    }
    // Empties the held file and copies the collected output into it.
    void copyIntoHeld() {
        if (::ftruncate(heldFd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0) failWrite(errno);
        std::vector<char> block(FdBuffer::kSize);
        for (;;) {
            const ssize_t n = ::read(fd, block.data(), block.size());
            if (n < 0) {
                if (errno == EINTR) continue;
                failWrite(errno);
            }
            if (n == 0) break;
            for (ssize_t done = 0; done < n;) {
                const ssize_t w = ::write(heldFd, block.data() + done, static_cast<std::size_t>(n - done));
                if (w < 0 && errno == EINTR) continue;
                if (w <= 0) failWrite(w < 0 ? errno : EIO);
                done += w;
            }
        }
        ::close(fd);
        fd = heldFd;
        heldFd = -1;
    }
};

OutputFile::OutputFile(const std::string& path, InPlace inPlaceMode) : state_(std::make_unique<State>()) {
    State& st = *state_;
    st.path = path;
    if (path == "-") {
        st.toStdout = true;
        return;
    }
    st.target = resolveLinks(path);
    struct stat existing {};
    const bool exists = ::stat(st.target.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT) fail(OutputError::Stage::open, path, errno);
    if (exists && S_ISDIR(existing.st_mode)) fail(OutputError::Stage::open, path, EISDIR);

    const std::string directory = directoryOf(st.target);
    const std::string name = st.target.substr(directory.size());
    bool inPlace = name.empty() || (exists && (!S_ISREG(existing.st_mode) || existing.st_nlink > 1));
    if (!inPlace && exists) {
        // Replacing it needs the same right as writing it.
        const int probe = ::open(st.target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (probe < 0) fail(OutputError::Stage::open, path, errno);
        ::close(probe);
        inPlace = renameRefused(st.target, directory, existing);
    }
    if (!inPlace) {
        std::string pattern = directory + "." + name + ".XXXXXX";
        int error = 0;
        {
            SignalsBlocked blocked;
            st.fd = ::mkostemp(pattern.data(), O_CLOEXEC);
            if (st.fd < 0) {
                error = errno;
            } else {
                st.temporary = pattern;
                st.slot = arm(pattern);
            }
        }
        if (st.fd < 0) {
            if (error != EACCES && error != EPERM && error != EROFS) fail(OutputError::Stage::open, path, error);
            inPlace = true;
        } else if (st.slot < 0) {
            st.discard();
            fail(OutputError::Stage::open, path, EMFILE);
        } else {
            if (exists && ::fchown(st.fd, existing.st_uid, existing.st_gid) != 0) {
                // Not ours to give away: the replacement is ours.
            }
            const mode_t mode = exists ? (existing.st_mode & 07777) : (0666 & ~currentUmask());
            if (::fchmod(st.fd, mode) != 0) {
                const int e = errno;
                st.discard();
                fail(OutputError::Stage::open, path, e);
            }
            st.atomic = true;
        }
    }
    if (inPlace) {
        if (inPlaceMode == InPlace::atCommit && exists && S_ISREG(existing.st_mode))
            st.openHeldInPlace();
        else
            st.openInPlace();
    }
    st.buffer.attach(st.fd);
    struct stat opened {};
    st.restartable = ::fstat(st.fd, &opened) == 0 && S_ISREG(opened.st_mode);
}

OutputFile::~OutputFile() {
    if (!state_->committed) state_->discard();
}

std::ostream& OutputFile::stream() { return state_->toStdout ? std::cout : state_->stream; }

bool OutputFile::replacesAtomically() const { return state_->atomic; }

bool OutputFile::restartable() const { return state_->restartable && !state_->committed; }

void OutputFile::restart() {
    State& st = *state_;
    if (!restartable() || st.fd < 0) throw std::logic_error("this output cannot be written again from its start");
    st.buffer.discard();
    st.stream.clear();
    if (::ftruncate(st.fd, 0) != 0 || ::lseek(st.fd, 0, SEEK_SET) != 0) st.failWrite(errno);
}

void OutputFile::commit() {
    State& st = *state_;
    if (st.committed) return;
    if (st.toStdout) {
        std::cout.flush();
        if (!std::cout) throw OutputError(OutputError::Stage::write, "cannot write standard output");
        st.committed = true;
        return;
    }
    if (st.fd < 0) st.failWrite(EBADF);
    if (!st.buffer.drain() || !st.stream) st.failWrite(st.buffer.error() != 0 ? st.buffer.error() : EIO);
    if (st.heldFd >= 0) st.copyIntoHeld();
    struct stat written {};
    if (::fstat(st.fd, &written) == 0 && S_ISREG(written.st_mode) && ::fsync(st.fd) != 0) st.failWrite(errno);
    const int fd = st.fd;
    st.fd = -1;
    if (::close(fd) != 0 && errno != EINTR) st.failWrite(errno);
    if (!st.temporary.empty()) {
        SignalsBlocked blocked;
        if (::rename(st.temporary.c_str(), st.target.c_str()) != 0) st.failWrite(errno);
        disarm(st.slot);
        st.slot = -1;
        st.temporary.clear();
        // Make the rename itself durable; the data is already.
        const std::string directory = directoryOf(st.target);
        const int dir = ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
    st.committed = true;
}

namespace {

// Whether `file` is ".NAME." followed by the six letters or digits mkstemp
// puts in place of "XXXXXX".
bool isTemporaryOf(const std::string& file, const std::string& name) {
    const std::size_t head = name.size() + 2;
    if (file.size() != head + 6 || file[0] != '.' || file.compare(1, name.size(), name) != 0 || file[head - 1] != '.')
        return false;
    return std::all_of(file.begin() + static_cast<std::ptrdiff_t>(head), file.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    });
}

}  // namespace

std::size_t removeStaleTemporaries(const std::string& directory, const std::string& name) {
    namespace fs = std::filesystem;
    std::error_code error;
    std::size_t removed = 0;
    for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        if (!isTemporaryOf(it->path().filename().string(), name) || !it->is_regular_file(ignored)) continue;
        if (fs::remove(it->path(), ignored)) ++removed;
    }
    return removed;
}

}  // namespace rp::io
