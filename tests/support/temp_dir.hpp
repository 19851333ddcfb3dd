// A fresh directory under the system's temporary directory, removed with its
// contents when the object goes.
#pragma once

#include <string>

namespace rp::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // Full path of `name` inside the directory.
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Writes `content` to `name` inside the directory, byte for byte.
    void write(const std::string& name, const std::string& content) const;
    // Whole content of `name` inside the directory.
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;

private:
    std::string path_;
};

// Whole content of the file at `path`.
std::string readFile(const std::string& path);

}  // namespace rp::test
