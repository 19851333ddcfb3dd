// File system situations that tests of output files need: a small tmpfs
// mounted on a directory (a disk that fills up), and a directory in which no
// file can be created, even by root. Each says why when it cannot be had.
// And what those tests look at: a path's status, a directory's entries.
#pragma once

#include <sys/stat.h>

#include <set>
#include <string>

namespace rp::test {

// A tmpfs mounted on `directory` with `options` (e.g. "size=64k") for the
// object's lifetime. Needs root; otherwise mounted() is false and reason()
// says why.
class TmpfsMount {
public:
    TmpfsMount(const std::string& directory, const std::string& options);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;
    bool mounted() const { return reason_.empty(); }
    const std::string& reason() const { return reason_; }

private:
    std::string directory_;
    std::string reason_;
};

// Makes `path` (a directory or a file) unwritable for the object's lifetime:
// for root through the immutable attribute (no entry may be created in an
// immutable directory, an immutable file cannot be opened for writing, while
// the files in such a directory stay writable), for others by mode 0555.
class Unwritable {
public:
    explicit Unwritable(const std::string& path);
    ~Unwritable();
    Unwritable(const Unwritable&) = delete;
    Unwritable& operator=(const Unwritable&) = delete;
    bool made() const { return reason_.empty(); }
    const std::string& reason() const { return reason_; }

private:
    std::string path_;
    std::string reason_;
    bool immutable_ = false;
    unsigned mode_ = 0;
};

// The status of `path` itself (a link is not followed); a failing
// expectation when there is none.
struct stat statOf(const std::string& path);

// The names of the entries of `directory`.
std::set<std::string> entries(const std::string& directory);

}  // namespace rp::test
