// The fuzz check of the GRIMM reader (target "grimm").
#include <new>
#include <sstream>

#include "checks.hpp"
#include "formats/genomes_formats.hpp"
#include "formats/grimm.hpp"
#include "unimog/unimog_reader.hpp"

namespace rp::fuzz {
namespace {

[[noreturn]] void failGrimm(const std::string& what) { throw CheckFailure(what); }

std::string describe(const std::vector<Structure>& genomes) {
    std::ostringstream out;
    for (const Structure& genome : genomes) {
        out << genome.name << ':';
        for (const Chromosome& chromosome : genome.chromosomes) {
            out << (chromosome.circular ? " C" : " L");
            for (const Gene& gene : chromosome.genes) out << ' ' << gene.strand << gene.name << '.' << gene.copy;
        }
        out << '\n';
    }
    return out.str();
}

std::string written(const std::vector<Structure>& genomes, GenomeFormat format) {
    std::ostringstream out;
    try {
        formats::writeGenomes(out, genomes, format, unimog::MarkerLabels::familyAndCopy);
    } catch (const std::exception& e) {
        failGrimm(std::string("what was read cannot be written: ") + e.what());
    }
    return out.str();
}

}  // namespace

// A read either fails with "fuzz: ..." or gives genomes that every format
// writes and reads back (by content) to the same genomes, and GRIMM written
// again is the same text.
void checkGrimm(std::string_view input) {
    std::vector<Structure> genomes;
    try {
        genomes = formats::readGrimm(input, "fuzz");
    } catch (const unimog::UnimogError& e) {
        if (!std::string_view(e.what()).starts_with("fuzz: ")) failGrimm(std::string("unexpected message: ") + e.what());
        return;
    } catch (const std::bad_alloc&) {
        return;  // beyond the memory given
    } catch (const std::exception& e) {
        failGrimm(std::string("a GRIMM failure of another kind: ") + e.what());
    }
    const std::string grimm = written(genomes, GenomeFormat::grimm);
    for (const auto format :
         {GenomeFormat::grimm, GenomeFormat::unimog, GenomeFormat::structures}) {
        const std::string text = format == GenomeFormat::grimm ? grimm : written(genomes, format);
        formats::GenomesRead back;
        try {
            back = formats::readAnyGenomes(text, "written", formats::UnknownText::refuse);
        } catch (const std::exception& e) {
            failGrimm(std::string("what was written cannot be read: ") + e.what());
        }
        if (describe(back.structures) != describe(genomes))
            failGrimm(std::string(genomeFormatName(format)) + " reads back to other genomes");
        if (written(back.structures, GenomeFormat::grimm) != grimm) failGrimm("GRIMM written again differs");
    }
}

}  // namespace rp::fuzz
