#include "io/output_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>

namespace rp::io {

struct OutputFile::State {
    std::string path;
    std::string temporary;
    std::ofstream file;
    bool toStdout = false;
    bool committed = false;
};

OutputFile::OutputFile(const std::string& path) : state_(std::make_unique<State>()) {
    state_->path = path;
    if (path == "-") {
        state_->toStdout = true;
        return;
    }
    const std::size_t slash = path.rfind('/');
    const std::size_t base = slash == std::string::npos ? 0 : slash + 1;
    std::string pattern = path.substr(0, base) + "." + path.substr(base) + ".XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) throw OutputError(OutputError::Stage::open, "cannot create " + path + ": " + std::strerror(errno));
    ::close(fd);
    state_->temporary = pattern;
    state_->file.open(pattern, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!state_->file.is_open()) {
        ::unlink(pattern.c_str());
        throw OutputError(OutputError::Stage::open, "cannot create " + path);
    }
}

OutputFile::~OutputFile() {
    if (!state_->committed && !state_->temporary.empty()) ::unlink(state_->temporary.c_str());
}

std::ostream& OutputFile::stream() { return state_->toStdout ? std::cout : state_->file; }

void OutputFile::commit() {
    State& st = *state_;
    if (st.toStdout) {
        std::cout.flush();
        if (!std::cout) throw OutputError(OutputError::Stage::write, "cannot write standard output");
        st.committed = true;
        return;
    }
    st.file.close();
    if (st.file.fail()) throw OutputError(OutputError::Stage::write, "cannot write " + st.path);
    if (::rename(st.temporary.c_str(), st.path.c_str()) != 0)
        throw OutputError(OutputError::Stage::write, "cannot write " + st.path + ": " + std::strerror(errno));
    st.committed = true;
}

}  // namespace rp::io
