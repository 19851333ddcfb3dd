#include "solution/fast_reader.hpp"

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "solution/variable_value.hpp"
#include "solution/z_variable.hpp"

namespace rp {
namespace {


// The decisions while the document is read: the copy index decided last for
// each family and copy, hashed, as lookups in the ordered map cost more.
struct DecidedCopy {
    std::string family;
    std::int32_t fromCopy = 0;

    friend bool operator==(const DecidedCopy&, const DecidedCopy&) = default;
};

struct DecidedCopyHash {
    std::size_t operator()(const DecidedCopy& key) const noexcept {
        return std::hash<std::string>{}(key.family) * 31 + static_cast<std::uint32_t>(key.fromCopy);
    }
};

using DecidedCopies = std::unordered_map<DecidedCopy, std::int32_t, DecidedCopyHash>;

// resolve-paralogs' decisions as a visitor of the walk: every variable needs
// a name and a value; the z variables whose value is 1 as a float are kept.
class DecisionVisitor : public SolutionVisitor {
public:
    bool variable(std::size_t, const WalkedAttribute& nameAttribute,
                  const WalkedAttribute& valueAttribute) override {
        if (!nameAttribute.present || !valueAttribute.present) return false;
        const std::string_view name = nameAttribute.text;
        const bool needValue = !name.empty() && name[0] == 'z';
        float value = 0;
        if (valueAttribute.hadReference ||
            !convertPlainNumber(valueAttribute.text, needValue, value)) {
            valueScratch_.assign(valueAttribute.text);
            if (!convertValue(valueScratch_, value)) return false;
        }
        if (!selectsDecision(name, value)) return true;
        CopyAssignment decision;
        try {
            decision = parseZVariableName(name);
        } catch (const std::exception&) {
            return false;
        }
        decided_.insert_or_assign(DecidedCopy{std::move(decision.family), decision.fromCopy},
                                  decision.toCopy);
        return true;
    }

    AssignmentMap assignments() const {
        AssignmentMap map;
        for (const auto& [key, toCopy] : decided_)
            addAssignment(map, CopyAssignment{key.family, key.fromCopy, toCopy});
        return map;
    }

private:
    DecidedCopies decided_;
    std::string valueScratch_;
};

}  // namespace

std::optional<AssignmentMap> tryReadSolutionFast(std::istream& in) {
    return tryReadSolutionFast(in, kWalkChunkBytes);
}

std::optional<AssignmentMap> tryReadSolutionFast(std::istream& in, std::size_t chunkBytes) {
    try {
        DecisionVisitor decisions;
        const WalkOutcome outcome = walkSolution(in, decisions, WalkedMembers::firstTopLevel, chunkBytes);
        if (!outcome.completed || !outcome.variablesSeen) return std::nullopt;
        return decisions.assignments();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace rp
