#include "structs/result_writer.hpp"

#include <charconv>
#include <iostream>
#include <stdexcept>

#include "io/output_file.hpp"

namespace rp {
namespace {

// Collects the output in a block and hands it to the stream whenever the
// block is full, so the stream sees few, large writes.
class BlockWriter {
public:
    explicit BlockWriter(std::ostream& out) : out_(out) {}
    ~BlockWriter() { flush(); }

    void put(char c) {
        block_.push_back(c);
        maybeFlush();
    }
    void put(std::string_view text) {
        block_.append(text);
        maybeFlush();
    }
    template <class Int>
    void number(Int value) {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        put(std::string_view(digits, static_cast<std::size_t>(end - digits)));
    }
    void flush() {
        if (!block_.empty()) out_.write(block_.data(), static_cast<std::streamsize>(block_.size()));
        block_.clear();
    }

private:
    // The block grows as it fills (a small result takes no megabyte).
    static constexpr std::size_t kBlock = std::size_t{1} << 20;
    void maybeFlush() {
        if (block_.size() >= kBlock) flush();
    }

    std::ostream& out_;
    std::string block_;
};

}  // namespace

void writeResults(std::ostream& out, const std::vector<Structure>& structures) {
    BlockWriter w(out);
    w.number(structures.size());
    w.put(";\n");
    for (const Structure& structure : structures) {
        w.put(structure.name);
        w.put(' ');
        w.number(structure.chromosomes.size());
        w.put("; ");
        for (const Chromosome& chromosome : structure.chromosomes) {
            w.put(chromosome.circular ? 'C' : 'L');
            w.number(chromosome.genes.size());
            w.put(": ");
            for (const Gene& gene : chromosome.genes) {
                w.put(gene.strand == -1 ? '-' : '+');
                w.put(gene.name);
                w.put('.');
                w.number(gene.copy);
            }
            w.put("; ");
        }
        w.put('\n');
    }
}

void writeResultFile(const std::string& path, const std::vector<Structure>& structures) {
    std::cout << "Writing structures with resolved paralogs...\n";
    try {
        // A file named "-" is a file here, not standard output.
        io::OutputFile out(path == "-" ? "./-" : path);
        writeResults(out.stream(), structures);
        // A full device or an I/O error must not pass for a complete result.
        out.commit();
    } catch (const io::OutputError& e) {
        throw std::runtime_error(e.stage() == io::OutputError::Stage::open ? "failed to open result file"
                                                                           : "failed to write result file");
    }
}

}  // namespace rp
