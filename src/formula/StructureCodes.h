// The matching of a line's structure codes, in one place for the layout and the structure
// model: what each code is to its family, the open-structure counters, the searches back and
// the repairs of malformed structure. The layout drives it to measure, the structure model to
// give each code its role; both see the same structures. Everything is inline: the layout's
// walk is on the keystroke path.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>

#include "formula/DeclMath.h"
#include "formula/FormulaText.h"

namespace zelm {

/// What a walk over the codes does after acting on a code character.
enum class Flow {
    Next,  ///< go on after the code character
    Again, ///< the code was deleted: look at the character that took its place
    Stop,  ///< a code was inserted: the walk ends here
};

/// The family whose open level a closer or middle code ends, if it is one.
constexpr std::optional<Family> FamilyEndedBy(StructKind k) {
    switch (k) {
    case StructKind::PowerEnd:
        return Family::Power;
    case StructKind::RootEnd:
        return Family::Root;
    case StructKind::FractionBar:
    case StructKind::FractionEnd:
        return Family::Fraction;
    case StructKind::BracketEnd:
        return Family::Bracket;
    case StructKind::Separator:
        return Family::IndexRegion;
    case StructKind::Slash:
    case StructKind::SlantedEnd:
        return Family::Slanted;
    case StructKind::IndexEnd:
        return Family::Index;
    case StructKind::Power:
    case StructKind::Root:
    case StructKind::Fraction:
    case StructKind::NumeratorD:
    case StructKind::DenominatorD:
    case StructKind::Integral:
    case StructKind::IntegralD:
    case StructKind::Sum:
    case StructKind::Bracket:
    case StructKind::Slanted:
    case StructKind::Index:
    case StructKind::Pi:
    case StructKind::BoldE:
    case StructKind::BoldX:
    case StructKind::Dot:
    case StructKind::Bar:
    case StructKind::Underline:
    case StructKind::Colour:
        return std::nullopt;
    }
    return std::nullopt;
}

/// A "log" name owns one index region, its base; no other name does.
constexpr bool NameOwnsIndexRegion(char code, unsigned char parameter) {
    return code == Code::Name && (parameter & 0x7F) == NameLog;
}

/// What a root's closer found: whether a separator ended the root's index, and where the
/// root's opener stands in the text.
struct RootClosing {
    bool indexEnded = true;
    std::size_t openerAt = 0;
};

/// One walk's matching of structure codes over `text` and `codes`. `Steps` (the layout pass,
/// the structure model's pass) derives from it and is handed each structure code as the step
/// of its rule, with the level of its family; the matcher keeps the counters and decides the
/// repairs. A walk that repairs (`Steps::Repairs()`) deletes, inserts and appends codes as the
/// layout always has; one that does not hands what it cannot match to `Steps::LoneCode`.
///
/// The steps: OpenPower, ClosePower, OpenIndex, CloseIndex, OpenBracket, CloseBracket
/// (level); OpenFraction, FractionBarCode, OpenSlanted, SlashCode (level); CloseFraction,
/// CloseSlanted (level; false when no bar or slash waits at that level); OpenRoot (level);
/// CloseRoot (level; a RootClosing); EndIndexRegion (true when its owner's last region ended);
/// AddBigSign (kind; it opens its regions with OpenIndexRegions); AddPi, AddBoldSign (kind),
/// AddUprightD, AddDot, ToggleUnderline, ToggleColour. For the searches: Newest, IsRootSign,
/// LevelOf, PendingOf.
template <class Steps> class StructureMatcher {
public:
    StructureMatcher(Bytes& text, Bytes& codes) : text_(text), codes_(codes) {}

protected:
    int& Counter(Family f) { return counters_[std::size_t(f)]; }

    unsigned char TakeParameter() {
        const std::size_t i = std::size_t(codeCursor_++);
        return i < codes_.size() ? static_cast<unsigned char>(codes_[i]) : 0;
    }

    /// A "log" name or a big sign opens its index regions; their level.
    int OpenIndexRegions() { return ++Counter(Family::IndexRegion); }

    /// The newest item from `newest` down to 1 that `match` accepts; 0 (the header) when none
    /// does.
    template <class Match> static int SearchBack(int newest, Match match) {
        for (int i = newest; i >= 1; --i)
            if (match(i)) return i;
        return 0;
    }

    /// The owner of the region a separator ends: the open root at the root level, or the
    /// newest item still expecting regions at the index-region level.
    int SearchOwner() {
        Steps& steps = Self();
        for (int i = steps.Newest(); i >= 1; --i) {
            if (steps.IsRootSign(i) && steps.LevelOf(i) == Counter(Family::Root)) return i;
            if (steps.PendingOf(i) > 0 && steps.LevelOf(i) == Counter(Family::IndexRegion))
                return i;
        }
        return 0;
    }

    /// The structure code of `k` at the walk's position, as the step of its rule.
    Flow MatchStructure(StructKind k) {
        if (const auto f = FamilyEndedBy(k); f && Counter(*f) == 0) return DeleteStrayCode();
        Steps& steps = Self();
        switch (k) {
        case StructKind::Power:
            steps.OpenPower(++Counter(Family::Power));
            break;
        case StructKind::PowerEnd:
            steps.ClosePower(Counter(Family::Power));
            --Counter(Family::Power);
            break;
        case StructKind::Index:
            steps.OpenIndex(++Counter(Family::Index));
            break;
        case StructKind::IndexEnd:
            steps.CloseIndex(Counter(Family::Index));
            --Counter(Family::Index);
            break;
        case StructKind::Fraction:
            steps.OpenFraction(++Counter(Family::Fraction));
            break;
        case StructKind::FractionBar:
            steps.FractionBarCode(Counter(Family::Fraction));
            break;
        case StructKind::FractionEnd:
            if (!steps.CloseFraction(Counter(Family::Fraction)))
                return InsertMissingMiddle(StructKind::FractionBar, Family::Fraction);
            --Counter(Family::Fraction);
            break;
        case StructKind::Root: {
            // A root opens its own level and an index region, the region of its index.
            const int level = ++Counter(Family::Root);
            ++Counter(Family::IndexRegion);
            steps.OpenRoot(level);
            break;
        }
        case StructKind::Separator:
            if (steps.EndIndexRegion()) --Counter(Family::IndexRegion);
            break;
        case StructKind::RootEnd: {
            const RootClosing closing = steps.CloseRoot(Counter(Family::Root));
            if (!closing.indexEnded) return RepairRootWithoutIndex(closing.openerAt);
            --Counter(Family::Root);
            break;
        }
        case StructKind::Bracket:
            steps.OpenBracket(++Counter(Family::Bracket));
            break;
        case StructKind::BracketEnd:
            steps.CloseBracket(Counter(Family::Bracket));
            --Counter(Family::Bracket);
            break;
        case StructKind::Slanted:
            steps.OpenSlanted(++Counter(Family::Slanted));
            break;
        case StructKind::Slash:
            steps.SlashCode(Counter(Family::Slanted));
            break;
        case StructKind::SlantedEnd:
            if (!steps.CloseSlanted(Counter(Family::Slanted)))
                return InsertMissingMiddle(StructKind::Slash, Family::Slanted);
            --Counter(Family::Slanted);
            break;
        case StructKind::Integral:
        case StructKind::Sum:
            steps.AddBigSign(k);
            break;
        case StructKind::Pi:
            steps.AddPi();
            break;
        case StructKind::BoldE:
        case StructKind::BoldX:
        case StructKind::Bar:
            steps.AddBoldSign(k);
            break;
        case StructKind::NumeratorD:
        case StructKind::DenominatorD:
        case StructKind::IntegralD:
            steps.AddUprightD();
            break;
        case StructKind::Dot:
            steps.AddDot();
            break;
        case StructKind::Underline:
            steps.ToggleUnderline();
            break;
        case StructKind::Colour:
            steps.ToggleColour();
            break;
        }
        return Flow::Next;
    }

    /// Structures still open are closed at the end of the text, family by family.
    void AppendMissingClosers() {
        if (zelm::AppendMissingClosers(text_, codes_, counters_)) repaired_ = true;
    }

    Bytes& text_;
    Bytes& codes_;
    std::size_t pos_ = 0;
    int codeCursor_ = 0;
    std::array<int, FamilyCount> counters_{};
    bool repaired_ = false;

private:
    Steps& Self() { return static_cast<Steps&>(*this); }

    /// Deletes the closer or middle code at the walk's position with its parameter: its family
    /// has no open structure.
    Flow DeleteStrayCode() {
        if (!Self().Repairs()) return LoneCode();
        text_.erase(pos_, 1);
        --codeCursor_;
        if (std::size_t(codeCursor_) < codes_.size()) codes_.erase(std::size_t(codeCursor_), 1);
        repaired_ = true;
        return Flow::Again;
    }

    /// A fraction's or slanted fraction's closer with no bar or slash at its level gets one
    /// in front of it; the family starts counting afresh.
    Flow InsertMissingMiddle(StructKind middle, Family f) {
        if (!Self().Repairs()) return LoneCode();
        InsertStructureCode(pos_, middle);
        Counter(f) = 0;
        return Flow::Stop;
    }

    /// A root whose index was never ended becomes a square root: "2" and a separator right
    /// after its opener. Only the root family is reset; the index region it opened is still
    /// counted, so the end of the pass appends a separator, which the next pass drops again.
    Flow RepairRootWithoutIndex(std::size_t openerAt) {
        if (!Self().Repairs()) return LoneCode();
        const std::size_t at = std::min(openerAt + 1, text_.size());
        text_.insert(at, 1, '2');
        InsertStructureCode(at + 1, StructKind::Separator);
        Counter(Family::Root) = 0;
        return Flow::Stop;
    }

    Flow LoneCode() {
        Self().LoneCode();
        return Flow::Next;
    }

    /// Inserts a structure code of kind `k` at text index `at`, its parameter at the matching
    /// place in the code string.
    void InsertStructureCode(std::size_t at, StructKind k) {
        zelm::InsertStructureCode(text_, codes_, int(at) + 1, k);
        repaired_ = true;
    }
};

} // namespace zelm
