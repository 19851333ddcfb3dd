#include "input_generator.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>

#include "solution/solution_reader.hpp"
#include "structs/structs_reader.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace rp::bench {
namespace {

namespace pt = boost::property_tree;

struct Generated {
    std::string structs;
    std::string solution;
    SolutionSummary summary;
};

Generated generate(const InputSize& size, std::uint64_t seed) {
    const std::vector<GeneratedGenome> genomes = generateGenomes(size, seed);
    std::ostringstream structs;
    std::ostringstream solution;
    writeStructures(structs, genomes);
    Generated result;
    result.summary = writeSolution(solution, genomes, size, seed);
    result.structs = structs.str();
    result.solution = solution.str();
    return result;
}

std::size_t occurrences(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

// Attribute names of `element`, in document order.
std::vector<std::string> attributeNames(const pt::ptree& element) {
    std::vector<std::string> names;
    for (const auto& [name, value] : element.get_child("<xmlattr>")) names.push_back(name);
    return names;
}

pt::ptree parse(const std::string& document) {
    std::istringstream in(document);
    pt::ptree tree;
    pt::read_xml(in, tree, 0);
    return tree;
}

const std::vector<InputSize> kSizes = {
    {"one", 1, 1, 5}, {"few", 4, 37, 2000}, {"some", 3, 2000, 20000}, {"z-only", 2, 500, 10}};

TEST(GeneratedStructures, ReadBackWithTheToolsReader) {
    for (const InputSize& size : kSizes) {
        SCOPED_TRACE(size.name);
        const Generated generated = generate(size, 7);
        std::istringstream in(generated.structs);
        const FamilyTable table = readFamilyTable(in);
        const std::vector<Structure> structures = readStructures(in);
        ASSERT_FALSE(in.fail());
        ASSERT_EQ(structures.size(), static_cast<std::size_t>(size.genomes));
        for (const Structure& structure : structures) {
            std::size_t genes = 0;
            std::set<bool> kinds;
            std::map<std::string, std::set<std::int32_t>> copies;
            for (const Chromosome& chromosome : structure.chromosomes) {
                kinds.insert(chromosome.circular);
                for (const Gene& gene : chromosome.genes) {
                    ++genes;
                    EXPECT_TRUE(table.count(gene.name)) << gene.name;
                    EXPECT_TRUE(copies[gene.name].insert(gene.copy).second) << gene.name;
                }
            }
            EXPECT_EQ(genes, static_cast<std::size_t>(size.genesPerGenome));
            if (size.genesPerGenome >= 5) {
                EXPECT_GE(structure.chromosomes.size(), 2u);
                EXPECT_LE(structure.chromosomes.size(), 5u);
                EXPECT_EQ(kinds.size(), 2u) << "linear and circular chromosomes";
            }
            // Copies of a family are 1 to k with k at most 9 and at most the
            // family table's number.
            for (const auto& [family, indices] : copies) {
                EXPECT_EQ(*indices.begin(), 1) << family;
                EXPECT_EQ(*indices.rbegin(), static_cast<std::int32_t>(indices.size())) << family;
                EXPECT_LE(indices.size(), 9u) << family;
                EXPECT_LE(static_cast<std::int32_t>(indices.size()), table.at(family)) << family;
            }
        }
    }
}

TEST(GeneratedInputs, SameSeedSameBytesOtherSeedOtherBytes) {
    const InputSize& size = kSizes[1];
    const Generated first = generate(size, 11);
    const Generated again = generate(size, 11);
    const Generated other = generate(size, 12);
    EXPECT_EQ(first.structs, again.structs);
    EXPECT_EQ(first.solution, again.solution);
    EXPECT_NE(first.structs, other.structs);
    EXPECT_NE(first.solution, other.solution);
}

TEST(GeneratedSolution, DecidesAPermutationOfEveryFamilyOfTheFirstGenome) {
    for (const InputSize& size : kSizes) {
        SCOPED_TRACE(size.name);
        const Generated generated = generate(size, 3);
        std::istringstream structsIn(generated.structs);
        readFamilyTable(structsIn);
        const Structure first = readStructures(structsIn).front();
        std::map<std::string, std::int32_t> copies;
        for (const Chromosome& chromosome : first.chromosomes)
            for (const Gene& gene : chromosome.genes) ++copies[gene.name];

        std::istringstream in(generated.solution);
        const AssignmentMap decisions = readSolutionExact(in);
        EXPECT_EQ(decisions.size(), static_cast<std::size_t>(size.genesPerGenome));
        EXPECT_EQ(generated.summary.decisions, size.genesPerGenome);
        std::map<std::string, std::set<std::int32_t>> targets;
        for (const auto& [key, decision] : decisions) {
            ASSERT_TRUE(copies.count(key.family)) << key.family;
            EXPECT_GE(key.copy, 1);
            EXPECT_LE(key.copy, copies[key.family]);
            targets[key.family].insert(decision.toCopy);
        }
        for (const auto& [family, count] : copies) {
            ASSERT_EQ(targets[family].size(), static_cast<std::size_t>(count)) << family;
            EXPECT_EQ(*targets[family].begin(), 1) << family;
            EXPECT_EQ(*targets[family].rbegin(), count) << family;
        }

        std::int64_t z = 0;
        for (const auto& [family, count] : copies) z += std::int64_t{count} * count;
        EXPECT_EQ(generated.summary.zVariables, z);
        EXPECT_EQ(generated.summary.variables, std::max(z, size.variables));
        EXPECT_EQ(occurrences(generated.solution, "<variable "), static_cast<std::size_t>(generated.summary.variables));
        EXPECT_EQ(occurrences(generated.solution, "<constraint "), static_cast<std::size_t>(generated.summary.constraints));
    }
}

TEST(GeneratedSolution, ConstraintBlockAboutAsLargeAsVariableBlock) {
    const Generated generated = generate(kSizes[2], 5);
    const SolutionSummary& s = generated.summary;
    EXPECT_GE(s.constraintsBytes, s.variablesBytes);
    EXPECT_LT(s.constraintsBytes, s.variablesBytes + 100);
    const std::size_t open = generated.solution.find(" <variables>\n");
    const std::size_t close = generated.solution.find(" </variables>\n");
    ASSERT_NE(close, std::string::npos);
    EXPECT_EQ(close + std::string(" </variables>\n").size() - open, s.variablesBytes);
}

TEST(GeneratedSolution, ValuesCarryTheSolversFloatNoise) {
    const Generated generated = generate(kSizes[2], 5);
    const pt::ptree tree = parse(generated.solution);
    std::map<std::string, std::size_t> zValues;
    for (const auto& [key, variable] : tree.get_child("CPLEXSolution.variables"))
        if (key == "variable" && variable.get<std::string>("<xmlattr>.name")[0] == 'z')
            ++zValues[variable.get<std::string>("<xmlattr>.value")];
    for (const char* value : {"1", "0", "0.99999999960000003", "1.0000000002", "1e-12", "-2.5e-12", "-0"})
        EXPECT_GT(zValues[value], 0u) << value;
}

TEST(GeneratedSolution, ShapedLikeARealSolverFile) {
    const std::string dir = RP_SHARED_DIR "/solver-solutions/";
    if (!std::filesystem::is_directory(dir)) GTEST_SKIP() << "no real solver output at " << dir;
    const pt::ptree generated = parse(generate(kSizes[1], 2).solution);
    std::ifstream realFile(dir + "07-tcc-defo200-timelimit-2488vars.xml");
    ASSERT_TRUE(realFile.is_open());
    pt::ptree real;
    pt::read_xml(realFile, real, 0);
    for (const char* element : {"CPLEXSolution.header", "CPLEXSolution.quality"})
        EXPECT_EQ(attributeNames(generated.get_child(element)), attributeNames(real.get_child(element)))
            << element;
    EXPECT_EQ(generated.get<std::string>("CPLEXSolution.<xmlattr>.version"), "1.2");
    std::vector<std::string> children;
    for (const auto& [name, child] : generated.get_child("CPLEXSolution"))
        if (name != "<xmlattr>") children.push_back(name);
    EXPECT_EQ(children, (std::vector<std::string>{"header", "quality", "linearConstraints", "variables"}));
}

TEST(InputFiles, GeneratedOnceThenReusedUntilChanged) {
    test::TempDir dir;
    const InputSize& size = kSizes[1];
    const InputFiles files = inputFiles(dir.path() + "/data", size, 4);
    EXPECT_FALSE(inputsPresent(files, size, 4));
    EXPECT_TRUE(generateInputFiles(files, size, 4));
    EXPECT_TRUE(inputsPresent(files, size, 4));
    EXPECT_FALSE(generateInputFiles(files, size, 4));
    const std::string solution = test::readFile(files.solution);
    EXPECT_EQ(infoValue(files.info, "decisions"), std::to_string(size.genesPerGenome));
    EXPECT_EQ(infoValue(files.info, "solution_bytes"), std::to_string(solution.size()));
    EXPECT_EQ(infoValue(files.info, "no_such_key"), std::nullopt);

    // Another seed names other files; a cut file or another size is made anew.
    EXPECT_NE(inputFiles(dir.path() + "/data", size, 5).solution, files.solution);
    InputSize larger = size;
    larger.genesPerGenome += 1;
    EXPECT_FALSE(inputsPresent(files, larger, 4));
    std::filesystem::resize_file(files.solution, solution.size() / 2);
    EXPECT_FALSE(inputsPresent(files, size, 4));
    EXPECT_TRUE(generateInputFiles(files, size, 4));
    EXPECT_EQ(test::readFile(files.solution), solution);
}

// The symmetry pair: one circular chromosome per genome, every single-copy
// family once in each, the many-copy family numbered 1 to k in each; the
// two orders differ.
TEST(GeneratedSymmetryPair, HoldsTheFamiliesAsAsked) {
    const auto pair = generateSymmetryPair(40, 25, 19, 1);
    ASSERT_EQ(pair.size(), 2U);
    const std::size_t copies[2] = {25, 19};
    for (std::size_t g = 0; g < 2; ++g) {
        ASSERT_EQ(pair[g].chromosomes.size(), 1U);
        EXPECT_TRUE(pair[g].chromosomes[0].circular);
        std::vector<int> seen(42, 0);
        std::set<int> numbers;
        for (const GeneratedGene& gene : pair[g].chromosomes[0].genes) {
            ASSERT_GE(gene.family, 1U);
            ASSERT_LE(gene.family, 41U);
            ++seen[gene.family];
            if (gene.family == 41) numbers.insert(gene.copy);
        }
        for (std::uint32_t f = 1; f <= 40; ++f) EXPECT_EQ(seen[f], 1) << f;
        EXPECT_EQ(static_cast<std::size_t>(seen[41]), copies[g]);
        EXPECT_EQ(numbers.size(), copies[g]);
        EXPECT_EQ(*numbers.rbegin(), static_cast<int>(copies[g]));
    }
    std::vector<std::uint32_t> orders[2];
    for (std::size_t g = 0; g < 2; ++g)
        for (const GeneratedGene& gene : pair[g].chromosomes[0].genes)
            if (gene.family <= 40) orders[g].push_back(gene.family);
    EXPECT_NE(orders[0], orders[1]);
}

TEST(NamedSizes, KnowsTheThreeSizesOnly) {
    EXPECT_EQ(namedSize("small")->genesPerGenome, 2000);
    EXPECT_EQ(namedSize("large")->variables, 5000000);
    EXPECT_EQ(namedSize("huge"), std::nullopt);
}

TEST(BenchPrograms, ReadersAgreeAndTheToolRenumbersByTheDecisions) {
    test::TempDir dir;
    const InputSize& size = kSizes[2];
    const InputFiles files = inputFiles(dir.path(), size, 9);
    generateInputFiles(files, size, 9);
    const std::string count = std::to_string(size.genesPerGenome) + "\n";

    const test::ProcessResult reference = test::runProcess(RP_BENCH_PTREE_READER, {files.solution}, dir.path());
    EXPECT_EQ(reference.status, 0) << reference.err;
    EXPECT_EQ(reference.out, count);
    const test::ProcessResult tool = test::runProcess(RP_BENCH_READ_SOLUTION, {files.solution}, dir.path());
    EXPECT_EQ(tool.status, 0) << tool.err;
    EXPECT_EQ(tool.out, "Reading z variables from ilp solution...\n" + count);

    const std::string name = std::filesystem::path(files.structs).filename().string();
    const std::string solutionName = std::filesystem::path(files.solution).filename().string();
    const test::ProcessResult run =
        test::runProcess(RP_TOOL_PATH, {"-s", name, "-i", solutionName, "-o", "result.txt"}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;

    // Every gene of the first structure carries its decided copy index.
    std::ifstream solutionIn(files.solution);
    const AssignmentMap decisions = readSolutionExact(solutionIn);
    std::ifstream structsIn(files.structs);
    readFamilyTable(structsIn);
    const Structure first = readStructures(structsIn).front();
    std::vector<std::int32_t> expected;
    for (const Chromosome& chromosome : first.chromosomes)
        for (const Gene& gene : chromosome.genes) expected.push_back(decisions.at({gene.name, gene.copy}).toCopy);
    const std::string result = dir.read("result.txt");
    const std::string firstLine = result.substr(0, result.find('\n', result.find('\n') + 1));
    // The gene lists of the line are its words that start with a sign.
    std::vector<std::int32_t> written;
    std::istringstream words(firstLine);
    for (std::string word; words >> word;)
        if (word[0] == '+' || word[0] == '-')
            forEachGenePiece(word, [&](std::string_view piece) { written.push_back(parseGene(piece).copy); });
    EXPECT_EQ(written, expected);
    EXPECT_EQ(occurrences(result, "\n"), static_cast<std::size_t>(size.genomes) + 1);
}

TEST(BenchPrograms, ReferenceReaderReportsFailures) {
    test::TempDir dir;
    const test::ProcessResult missing = test::runProcess(RP_BENCH_PTREE_READER, {dir.file("none.xml")}, dir.path());
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    const std::string shared = RP_SHARED_DIR "/solver-solutions/";
    if (!std::filesystem::is_directory(shared)) GTEST_SKIP() << "no real solver output at " << shared;
    const test::ProcessResult unnamed =
        test::runProcess(RP_BENCH_PTREE_READER, {shared + "03-diet-unnamed-objectivevalues.xml"}, dir.path());
    EXPECT_EQ(unnamed.status, 1);
    EXPECT_NE(unnamed.err.find("No such node (<xmlattr>.name)"), std::string::npos) << unnamed.err;
}

}  // namespace
}  // namespace rp::bench
