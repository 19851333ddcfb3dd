// Output files replaced atomically: written to a temporary file beside the
// target and renamed over it only once every byte is written and synced, so
// that a failure or an interruption never costs the previous file.
//
// How a path is written:
// - "-": standard output, directly.
// - A symbolic link is followed to the file it names (the link stays a link).
// - An existing regular file with one link, or no file yet: a temporary file
//   ".NAME.XXXXXX" (mkstemp) in the directory of the link-resolved file takes
//   the bytes, is flushed, fsync'ed and renamed over it. The replacement gets
//   the permission bits (and, where allowed, the owner) of the file it
//   replaces; a new file gets 0666 less the umask.
// - In place, as opening the path with O_TRUNC would (the bytes of a failed
//   write are then lost, as they would be without this unit), wherever a
//   rename would be wrong: an existing path that is not a regular file
//   (/dev/null, /dev/stdout, a FIFO, a device), a regular file with more than
//   one hard link, a file that is a mount point or that the sticky bit of its
//   directory keeps from being replaced, and a directory in which no
//   temporary file may be created (permission, read-only) while the file
//   itself can be opened for writing.
//   With InPlace::atCommit an existing regular file written in place keeps
//   its bytes until commit(): the output goes to an unnamed temporary file
//   in $TMPDIR (else /tmp) first and is copied in by commit(), so a failure
//   before then, or the output's own input being that file, costs nothing.
// - Failures to open (the path is a directory, a missing directory, no
//   permission, ...) are raised by the constructor before anything is written.
//
// While a temporary file exists, SIGINT, SIGTERM and SIGHUP remove it, then
// end the process by the same signal (default action restored, signal raised
// again). The handlers are installed when the first such output opens, only
// for signals whose disposition is the default one, and the previous
// dispositions come back when the last one is committed or dropped.
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

// One output being written. Until commit() succeeds the target is untouched
// (unless written in place, see above); destroying an uncommitted output
// removes its temporary file. "-" is standard output, written directly.
// The stream buffers 1 MiB and hands larger writes to write(2) directly.
class OutputFile {
public:
    // When an existing regular file written in place is emptied: as it is
    // opened (as opening it for writing would), or only by commit().
    enum class InPlace { atOpen, atCommit };

    // Throws OutputError (open) "cannot create PATH: REASON".
    explicit OutputFile(const std::string& path, InPlace inPlace = InPlace::atOpen);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    std::ostream& stream();
    // Flushes, syncs and puts the file in place. Throws OutputError (write)
    // "cannot write PATH: REASON"; the temporary file is then removed.
    void commit();
    // True when the output goes through a temporary file and a rename, false
    // when it is written in place or to standard output.
    bool replacesAtomically() const;
    // True when restart() can be called: the bytes go to a regular file
    // (not standard output, a device or a FIFO).
    bool restartable() const;
    // Drops everything written so far, so that writing starts again from an
    // empty file. Throws OutputError (write) when the file cannot be emptied
    // (the temporary file is then removed), std::logic_error when the output
    // is not restartable or already committed.
    void restart();

    struct State;

private:
    std::unique_ptr<State> state_;
};

// Writes an output with `write(std::ostream&)` and commits it; a file
// written in place keeps its bytes until then.
template <class Write>
void writeOutputFile(const std::string& path, Write&& write) {
    OutputFile out(path, OutputFile::InPlace::atCommit);
    write(out.stream());
    out.commit();
}

// Removes the temporary files ".NAME.XXXXXX" that an output of `name` in
// `directory` left when its process was killed before it could remove them;
// nothing else. Returns how many it removed; a file that cannot be removed
// stays (the next output of that name makes a new one anyway).
std::size_t removeStaleTemporaries(const std::string& directory, const std::string& name);

}  // namespace rp::io
