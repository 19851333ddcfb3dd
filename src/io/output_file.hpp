// Output files replaced atomically: written to a temporary file beside the
// target and renamed over it only once every byte is written and synced, so
// that a failure or an interruption never costs the previous file.
#pragma once

#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>

namespace rp::io {

// A failure to create or to complete an output file. `stage` says whether it
// happened before anything was written (open) or after (write).
class OutputError : public std::runtime_error {
public:
    enum class Stage { open, write };
    OutputError(Stage stage, const std::string& message) : std::runtime_error(message), stage_(stage) {}
    Stage stage() const { return stage_; }

private:
    Stage stage_;
};

// One output being written. Until commit() succeeds the target is untouched;
// destroying an uncommitted output removes what it wrote. "-" is standard
// output, written directly.
class OutputFile {
public:
    // Throws OutputError (open) "cannot create PATH: REASON".
    explicit OutputFile(const std::string& path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    std::ostream& stream();
    // Flushes, syncs and puts the file in place. Throws OutputError (write)
    // "cannot write PATH: REASON".
    void commit();

    struct State;

private:
    std::unique_ptr<State> state_;
};

// Writes an output with `write(std::ostream&)` and commits it.
template <class Write>
void writeOutputFile(const std::string& path, Write&& write) {
    OutputFile out(path);
    write(out.stream());
    out.commit();
}

}  // namespace rp::io
