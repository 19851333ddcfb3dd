// Benchmark inputs: seeded, deterministic structures files and solver
// solution files of a chosen size, shaped like the real ones.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace rp::bench {

// How large a generated input is.
struct InputSize {
    std::string name;
    std::int32_t genomes = 0;
    std::int32_t genesPerGenome = 0;
    std::int64_t variables = 0;  // total variable count of the solution
};

// The named sizes "small", "medium" and "large"; nothing for another name.
std::optional<InputSize> namedSize(std::string_view name);

// One gene of a generated genome: family number (family "f" + number), copy
// index 1 to 9, strand.
struct GeneratedGene {
    std::uint32_t family = 0;
    std::uint8_t copy = 0;
    bool reverse = false;
};

struct GeneratedChromosome {
    bool circular = false;
    std::vector<GeneratedGene> genes;
};

struct GeneratedGenome {
    std::string name;
    std::vector<GeneratedChromosome> chromosomes;
};

// Genomes of `size`: each holds exactly genesPerGenome genes over 2 to 5
// chromosomes (at least one linear and, with two or more, one circular).
// Within a genome the copies of a family are numbered 1 to k.
std::vector<GeneratedGenome> generateGenomes(const InputSize& size, std::uint64_t seed);

// Two related genomes for the rearrangement benchmarks: an ancestor of
// `genes` genes in which `duplicatedPercent` of the families have two copies;
// each genome takes it through genes/20 inversions, genes/100 deletions and
// genes/100 insertions (of families of its own) of 1 to 3 genes, and is cut
// into `linear` linear chromosomes at its own points (translocations).
// Copies are numbered 1 to k per genome in order.
std::vector<GeneratedGenome> generateRelatedPair(std::int32_t genes, int duplicatedPercent, int linear,
                                                 std::uint64_t seed);

// Two genomes that are hard only through symmetry: `singles` single-copy
// families and one family with `copiesA` copies in A and `copiesB` in B
// (at most 255 each), each genome one circular chromosome in its own random
// order and strands.
std::vector<GeneratedGenome> generateSymmetryPair(std::int32_t singles, std::int32_t copiesA, std::int32_t copiesB,
                                                  std::uint64_t seed);

// Writes the structures file: family table, structure count, structures.
void writeStructures(std::ostream& out, const std::vector<GeneratedGenome>& genomes);

// What a written solution holds.
struct SolutionSummary {
    std::int64_t variables = 0;
    std::int64_t zVariables = 0;
    std::int64_t decisions = 0;  // z variables at 1
    std::int64_t constraints = 0;
    std::uint64_t variablesBytes = 0;    // bytes of the <variables> element
    std::uint64_t constraintsBytes = 0;  // bytes of the <linearConstraints> element
};

// Writes a solution file as the solver writes it. For every family of the
// first genome with k copies it holds the k*k variables z_fN.FROM.TO, a random
// permutation of the copies at 1 and the rest at 0, with float noise on the
// values; x and y variables fill up to size.variables (never fewer z than the
// first genome needs). The constraint block is about as large as the
// variable block.
SolutionSummary writeSolution(std::ostream& out, const std::vector<GeneratedGenome>& genomes,
                              const InputSize& size, std::uint64_t seed);

// The files of one generated input in a directory; the names carry the size
// name and the seed.
struct InputFiles {
    std::string structs;
    std::string solution;
    std::string info;  // key-value lines describing the input, written last
};

InputFiles inputFiles(const std::string& directory, const InputSize& size, std::uint64_t seed);

// Whether the files are there, complete, and were made for this size and
// seed by this version of the generator.
bool inputsPresent(const InputFiles& files, const InputSize& size, std::uint64_t seed);

// Generates the files unless inputsPresent; returns true when it generated.
// Throws std::runtime_error when a file cannot be written.
bool generateInputFiles(const InputFiles& files, const InputSize& size, std::uint64_t seed);

// The value of `key` in an info file ("key value" lines), or nothing.
std::optional<std::string> infoValue(const std::string& infoPath, std::string_view key);

}  // namespace rp::bench
