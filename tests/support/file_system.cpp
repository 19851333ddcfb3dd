#include "support/file_system.hpp"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace rp::test {

TmpfsMount::TmpfsMount(const std::string& directory, const std::string& options) : directory_(directory) {
    if (geteuid() != 0) {
        reason_ = "mounting a tmpfs needs root";
        return;
    }
    if (mount("tmpfs", directory.c_str(), "tmpfs", 0, options.c_str()) != 0)
        reason_ = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
}

TmpfsMount::~TmpfsMount() {
    if (mounted()) umount2(directory_.c_str(), MNT_DETACH);
}

namespace {

// Sets or clears the immutable attribute; false when the file system or the
// process's capabilities do not allow it.
bool setImmutable(const std::string& path, bool on) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return done;
}

}  // namespace

Unwritable::Unwritable(const std::string& path) : path_(path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        reason_ = "no such file: " + path;
        return;
    }
    mode_ = st.st_mode & 07777;
    if (geteuid() == 0) {
        immutable_ = setImmutable(path, true);
        if (!immutable_) reason_ = std::string("cannot set the immutable attribute: ") + std::strerror(errno);
    } else if (chmod(path.c_str(), S_ISDIR(st.st_mode) ? 0555 : 0444) != 0) {
        reason_ = std::string("cannot change the mode: ") + std::strerror(errno);
    }
}

Unwritable::~Unwritable() {
    if (!made()) return;
    if (immutable_)
        setImmutable(path_, false);
    else
        chmod(path_.c_str(), mode_);
}

struct stat statOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

std::set<std::string> entries(const std::string& directory) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.insert(entry.path().filename().string());
    return names;
}

}  // namespace rp::test
