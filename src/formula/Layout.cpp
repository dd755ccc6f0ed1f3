// One layout pass over Cursieftext: plain runs, names and signs become positioned parts, the
// structure codes move the pen and the font, and malformed structure is repaired on the way.
#include "formula/Layout.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <optional>

#include "formula/DeclMath.h"
#include "formula/FormulaText.h"
#include "formula/LayoutMetrics.h"
#include "formula/StructureCodes.h"

namespace zelm {
namespace {

/// The tallest root whose index is still raised by the usual rule: 30,000 pixels, within the
/// 32,767 that X11 windows and coordinates allow.
constexpr int TallestRoot = 30000;

/// Index regions: a root and "log" own one, an integral and a sum two.
constexpr int OneRegion = 1;
constexpr int TwoRegions = 2;

class LayoutPass : public StructureMatcher<LayoutPass> {
public:
    LayoutPass(Bytes& cursief, Bytes& codes, Canvas& canvas, const LayoutVariant& variant)
        : StructureMatcher(cursief, codes), canvas_(canvas), variant_(variant) {}

    TTextdelen Run() {
        StartPass();
        const bool walkedToTheEnd = Walk();
        canvas_.SelectFontId(startId_);
        if (walkedToTheEnd) AddFinalRun();
        canvas_.SetTextCharacterExtra(startExtra_);
        EndPass();
        return std::move(list_);
    }

private:
    friend class StructureMatcher<LayoutPass>;

    // ---- parts ------------------------------------------------------------------------

    TTextdeel& Part(int i) { return list_[i]; }
    int Newest() const { return int(list_.items.size()) - 1; }

    /// Extra width that font smoothing gives a measured part: bold and grown glyphs spread
    /// further than plain text.
    int SmoothingWidening(PartKind k) const {
        if (!variant_.fontSmoothing || variant_.cell) return 0;
        const bool boldOrGrown = k == PartKind::Name || k == PartKind::BoldSign ||
                                 k == PartKind::BoldD || k == PartKind::BracketOpen ||
                                 k == PartKind::BracketClose;
        return boldOrGrown ? 2 : 1;
    }

    /// Adds a part at the pen measuring `s` in the selected font; returns its index.
    int AddPart(const Bytes& s, PartKind kind) {
        TTextdeel p;
        p.FontHeight = font_.height;
        p.LineWidth = m_.underlineSize;
        p.Left = penX_;
        p.Bottom = penY_;
        int h = m_.textHeight;
        p.Right = p.Left;
        if (!s.empty()) {
            const Size extent = canvas_.TextExtent(s);
            h = extent.cy;
            p.Right = p.Left + extent.cx + SmoothingWidening(kind);
        }
        p.Top = p.Bottom - h;
        penX_ = p.Right;
        maxRight_ = std::max(maxRight_, p.Right);
        maxBottom_ = std::max(maxBottom_, p.Bottom);
        p.Italic = font_.italic;
        p.Underline = font_.underline;
        p.Coloured = font_.weight == 0 ? 1 : 0; // the coloured-text switch borrows weight 0
        p.Baseline = p.Bottom + pinnedDescent_;
        p.TextPos = int(pos_);
        if (kind == PartKind::Name) {
            p.Len = 1;
            p.Name = s;
        } else {
            p.Len = int(s.size());
        }
        p.FirstChar = s.empty() ? char(0) : s[0];
        p.Kind = kind;
        list_.items.push_back(std::move(p));
        return Newest();
    }

    int AddEmptyPart(PartKind kind) { return AddPart({}, kind); }

    /// Moves parts `from` to `to` up by `d` (down when negative), and with them the pen and
    /// the running bottom, once per call.
    void ShiftVertically(int from, int to, int d) {
        RaiseParts(from, to, d);
        penY_ -= d;
        maxBottom_ -= d;
    }

    /// Moves parts `from` to `to` up by `d` without touching the pen.
    void RaiseParts(int from, int to, int d) {
        for (int i = std::max(from, 1); i <= std::min(to, Newest()); ++i) {
            Part(i).Top -= d;
            Part(i).Bottom -= d;
            Part(i).Baseline -= d;
        }
    }

    /// Moves parts `from` to `to` right by `d` (left when negative).
    void MoveRight(int from, int to, int d) {
        for (int i = std::max(from, 1); i <= std::min(to, Newest()); ++i) {
            Part(i).Left += d;
            Part(i).Right += d;
        }
    }

    /// The newest part of `kind` at `level`; 0 (the header) when there is none.
    int SearchBack(PartKind kind, int level) {
        return StructureMatcher::SearchBack(
            Newest(), [&](int i) { return Part(i).Kind == kind && Part(i).Level == level; });
    }

    // What the matcher's searches read of a part.
    bool IsRootSign(int i) { return Part(i).Kind == PartKind::RootSign; }
    int LevelOf(int i) { return Part(i).Level; }
    int PendingOf(int i) { return Part(i).Pending; }

    /// The layout repairs every code it cannot match, so none is left lone.
    static constexpr bool Repairs() { return true; }
    static void LoneCode() {}

    // ---- fonts and metrics ------------------------------------------------------------

    void RefreshAllMetrics() {
        m_ = ReadLayoutMetrics(canvas_);
        pinnedDescent_ = m_.descent;
    }

    /// After each code character the metrics follow the new font while the descent that
    /// places baselines stays pinned; it moves only where a step refreshes all metrics. A
    /// font without outline metrics takes its own descent every time.
    void RefreshMetricsKeepingDescent() {
        m_ = ReadLayoutMetrics(canvas_);
        if (!m_.outline) pinnedDescent_ = m_.descent;
    }

    /// The canvas resolves each description once; selecting it again goes by its id.
    void SelectCurrentFont() { canvas_.SelectFontId(canvas_.FontIdOf(font_)); }

    // ---- start of a pass --------------------------------------------------------------

    void StartPass() {
        std::size_t codes = 0, runs = 0;
        for (std::size_t i = 0; i < text_.size(); ++i) {
            if (HasParameter(text_[i])) ++codes;
            if (!IsCodeChar(text_[i]) && (i == 0 || IsCodeChar(text_[i - 1]))) ++runs;
        }
        list_.items.reserve(1 + codes + runs);
        font_ = canvas_.Font();
        startId_ = canvas_.FontIdOf(font_);
        startExtra_ = canvas_.TextCharacterExtra();
        SelectCurrentFont();
        RefreshAllMetrics();
        penX_ = 0;
        topMargin_ = -m_.underlinePosition;
        penY_ = maxBottom_ = topMargin_ + m_.textHeight;
    }

    // ---- the walk ---------------------------------------------------------------------

    /// Walks the code characters; false when a repair ended the walk early.
    bool Walk() {
        for (;;) {
            std::size_t code = pos_;
            while (code < text_.size() && !IsCodeChar(text_[code]))
                ++code;
            if (code == text_.size()) break;
            if (code > pos_) {
                AddPart(text_.substr(pos_, code - pos_), PartKind::Text);
                pos_ = code;
            }
            const Flow flow = ActOnCode();
            if (flow == Flow::Stop) return false;
            SelectCurrentFont();
            RefreshMetricsKeepingDescent();
            if (flow == Flow::Next) ++pos_;
        }
        return true;
    }

    /// The rest of the line after the last code, measured in the starting font.
    void AddFinalRun() {
        if (pos_ < text_.size()) AddPart(text_.substr(pos_), PartKind::Text);
    }

    Flow ActOnCode() {
        const char c = text_[pos_];
        switch (c) {
        case Code::Name:
        case Code::Reference:
            AddName(c, TakeParameter());
            return Flow::Next;
        case Code::Symbol:
            AddSymbolCharacter(TakeParameter());
            return Flow::Next;
        case Code::ItalicOn:
            ItalicOn();
            return Flow::Next;
        case Code::ItalicOff:
            ItalicOff();
            return Flow::Next;
        default:
            return ActOnStructure(TakeParameter());
        }
    }

    Flow ActOnStructure(unsigned char kind) {
        // Kinds 5 and 6 are never written, but read like the italic markers they mirror.
        if (kind == Code::ItalicOn) {
            ItalicOn();
            return Flow::Next;
        }
        if (kind == Code::ItalicOff) {
            ItalicOff();
            return Flow::Next;
        }
        const std::optional<StructKind> k = StructKindOf(kind);
        if (!k) return Flow::Next;
        return MatchStructure(*k);
    }

    // ---- names, symbols and switches --------------------------------------------------

    void AddName(char code, unsigned char parameter) {
        const int weight = font_.weight;
        font_.weight = 700;
        SelectCurrentFont();
        RefreshAllMetrics();
        const int name = AddPart(NameForCode(code, parameter), PartKind::Name);
        font_.weight = weight;
        SelectCurrentFont();
        if (NameOwnsIndexRegion(code, parameter)) StartIndexRegion(name, OneRegion);
    }

    /// A "Symbol" character gets the largest "Symbol" size whose space is no wider than the
    /// line font's space, so that Greek letters sit in the line like its own letters.
    void AddSymbolCharacter(unsigned char ch) {
        const int spaceWidth = canvas_.CharWidth(' ');
        const FontDesc saved = font_;
        font_.face = "Symbol";
        if (font_.height <= 0)
            SearchSymbolCharacterHeight(spaceWidth);
        else
            SearchSymbolCellHeight(spaceWidth);
        AddPart(Bytes(1, char(ch)), PartKind::Symbol);
        font_.face = saved.face;
        font_.height = saved.height;
    }

    /// Character heights: from two units above the line's size downwards one unit at a time.
    /// The height value left behind is one unit smaller than the size last measured. Besides
    /// the -100 bound, the search ends at height 0, past which no smaller size exists.
    void SearchSymbolCharacterHeight(int spaceWidth) {
        font_.height -= 2;
        for (;;) {
            SelectCurrentFont();
            const int w = canvas_.CharWidth(' ');
            ++font_.height;
            if (w <= spaceWidth || font_.height < -100 || font_.height >= 0) return;
        }
    }

    /// Cell heights (inside index regions) grow with the value, so the same search runs the
    /// other way: from two units above the cell height downwards one unit at a time, ending
    /// at the first size whose space fits or at cell height 2 at the latest (at most h + 1
    /// tries). The height value left behind is again one unit smaller than the size measured.
    void SearchSymbolCellHeight(int spaceWidth) {
        font_.height += 2;
        for (;;) {
            SelectCurrentFont();
            const int w = canvas_.CharWidth(' ');
            --font_.height;
            if (w <= spaceWidth || font_.height <= 1) return;
        }
    }

    void ItalicOn() {
        font_.italic = 1;
        // The grid's cells scale the italic spacing with the font; a line keeps 2 pixels.
        canvas_.SetTextCharacterExtra(variant_.cell ? -font_.height / 20 : 2);
    }

    void ItalicOff() {
        font_.italic = 0;
        canvas_.SetTextCharacterExtra(0);
    }

    void AddPi() { AddPart("p", PartKind::Symbol); }

    void AddBoldSign(StructKind k) {
        AddPart(k == StructKind::BoldE   ? "e"
                : k == StructKind::BoldX ? "x"
                                         : "|",
                PartKind::BoldSign);
    }

    /// The upright "d" of a derivative or an integral.
    void AddUprightD() { AddPart("d", PartKind::BoldD); }

    void AddDot() {
        const int dot = AddPart(".", PartKind::Dot);
        Part(dot).LineWidth = m_.strikeoutSize;
    }

    void ToggleUnderline() {
        AddEmptyPart(PartKind::BoldSign);
        font_.underline = ~font_.underline & 0xFF;
    }

    /// Coloured text is flagged by weight 0. A line switches any weight but 0 to 0; a cell
    /// switches only 400 to 0.
    void ToggleColour() {
        AddEmptyPart(PartKind::BoldSign);
        if (variant_.cell)
            font_.weight = font_.weight == 400 ? 0 : 400;
        else
            font_.weight = font_.weight != 0 ? 0 : 400;
    }

    // ---- powers and indices -----------------------------------------------------------

    void OpenPower(int level) {
        const int o = AddEmptyPart(PartKind::PowerOpen);
        RefreshAllMetrics();
        Part(o).Level = level;
        font_.height = -m_.superSize;
        if (!variant_.cell && Part(o - 1).Kind == PartKind::IndexClose) StackOverIndex(o);
        penX_ = Part(o).Left + m_.superOffsetX;
        penY_ = Part(o).Bottom - m_.superOffsetY;
    }

    /// A power right after an index starts where the index started, so that the two stand
    /// above each other; the closer later continues after the wider of the two.
    void StackOverIndex(int o) {
        int opener = 0;
        for (int i = o - 1; i >= 1; --i)
            if (Part(i).Kind == PartKind::IndexOpen) {
                opener = i;
                break;
            }
        stackedIndexWidth_ = penX_ - Part(opener).Left;
        Part(o).Left = Part(opener).Left;
    }

    void ClosePower(int level) {
        const int c = AddEmptyPart(PartKind::PowerClose);
        const int o = SearchBack(PartKind::PowerOpen, level);
        font_.height = Part(o).FontHeight;
        penX_ = Part(c).Left + Part(o).LineWidth;
        penY_ = Part(o).Bottom;
        const int stackedEnd = Part(o).Left + stackedIndexWidth_;
        if (Part(o).Level < 2 && stackedEnd > penX_) penX_ = stackedEnd;
        stackedIndexWidth_ = 0;
    }

    void OpenIndex(int level) {
        const int o = AddEmptyPart(PartKind::IndexOpen);
        RefreshAllMetrics();
        Part(o).Level = level;
        font_.height = -m_.subSize;
        penX_ = Part(o).Left + m_.subOffsetX;
        penY_ = Part(o).Bottom + m_.subOffsetY;
    }

    void CloseIndex(int level) {
        const int c = AddEmptyPart(PartKind::IndexClose);
        const int o = SearchBack(PartKind::IndexOpen, level);
        font_.height = Part(o).FontHeight;
        penX_ = Part(c).Left + Part(o).LineWidth;
        penY_ = Part(o).Bottom;
    }

    // ---- fractions --------------------------------------------------------------------

    /// Four fifths of a font height, rounded to the nearest integer (never a tie).
    static int FractionFontHeight(int h) { return int(std::lround(h * 4 / 5.0)); }

    void OpenFraction(int level) {
        penX_ -= m_.descent; // a gap of the descent's size before the fraction
        const int o = AddEmptyPart(PartKind::FractionOpen);
        Part(o).Level = level;
        penY_ -= m_.ascent;
        font_.height = FractionFontHeight(font_.height);
    }

    void FractionBarCode(int level) {
        const int b = AddEmptyPart(PartKind::FractionBarCode);
        const int o = SearchBack(PartKind::FractionOpen, level);
        penX_ = Part(o).Left;
        penY_ += m_.textHeight;
        Part(b).Partner = o;
        Part(b).Level = level;
    }

    /// False when no bar waits at the fraction's level.
    bool CloseFraction(int level) {
        const int c = AddEmptyPart(PartKind::FractionClose);
        const int b = SearchBack(PartKind::FractionBarCode, level);
        if (b == 0) return false;
        Part(c).Partner = b;
        const int o = Part(b).Partner;
        const int l0 = Part(o).Left;
        CentreNumeratorAndDenominator(o, b, c, l0);
        const int bar = AddBar(b, l0);
        LowerBelowNumerator(o, b, bar);
        LowerDenominatorBelowBar(b, c, bar);
        penY_ = Part(o).Bottom;
        font_.height = Part(o).FontHeight;
        return true;
    }

    /// The narrower of numerator and denominator moves right by half the difference.
    void CentreNumeratorAndDenominator(int o, int b, int c, int l0) {
        const int numerator = Part(b).Left - l0;
        const int denominator = penX_ - l0;
        const int s = (numerator - denominator) / 2;
        if (s > 0) {
            MoveRight(b + 1, c, s);
            penX_ = Part(b).Left;
        } else {
            MoveRight(o + 1, b, -s);
        }
    }

    /// The bar part spans from the fraction's start to the pen, two line widths below the
    /// numerator's bottom line.
    int AddBar(int b, int l0) {
        const int bar = AddEmptyPart(PartKind::FractionBar);
        penX_ += m_.underlineSize;
        Part(bar).Left = l0;
        Part(bar).Top = Part(bar).Bottom = Part(b).Bottom + 2 * Part(bar).LineWidth;
        return bar;
    }

    /// A numerator part reaching below the bar takes the bar down with everything outside
    /// the numerator.
    void LowerBelowNumerator(int o, int b, int bar) {
        const int gap = 2 * Part(bar).LineWidth;
        const int y = Part(bar).Top;
        int lowest = y;
        for (int i = o + 1; i <= b; ++i)
            lowest = std::max(lowest, Part(i).Bottom + gap);
        if (lowest == y) return;
        ShiftVertically(1, o, y - lowest);
        ShiftVertically(b + 1, bar, y - lowest);
    }

    /// The denominator's highest part ends one pixel below the bar.
    void LowerDenominatorBelowBar(int b, int c, int bar) {
        int top = INT_MAX;
        for (int i = b + 1; i <= bar; ++i)
            top = std::min(top, Part(i).Top - 1);
        ShiftVertically(b + 1, c, top - Part(bar).Top);
    }

    // ---- roots and index regions ------------------------------------------------------

    void OpenRoot(int level) {
        const int r = AddPart("W", PartKind::RootSign);
        Part(r).Level = level;
        font_.height = m_.superSize; // a cell height
        Part(r).Partner = 0;
        Part(r).Pending = OneRegion;
        Part(r).Mode = OneRegion;
        penX_ = Part(r).Left + m_.aveCharWidth;
        penY_ = Part(r).Bottom - Part(r).LineWidth;
    }

    /// A name or sign `p` opens its index regions: it moves right by an average character,
    /// and the first region starts where it stood (raised for "log", lowered for limits).
    void StartIndexRegion(int p, int mode) {
        const int level = OpenIndexRegions();
        RefreshAllMetrics();
        Part(p).Level = level;
        Part(p).Left += m_.aveCharWidth;
        Part(p).Right += m_.aveCharWidth;
        font_.height = m_.superSize; // a cell height
        Part(p).Partner = p;
        Part(p).Pending = mode;
        Part(p).Mode = mode;
        penX_ = Part(p).Left;
        penY_ = mode == OneRegion ? Part(p).Baseline - m_.superOffsetY
                                  : Part(p).Bottom + m_.superOffsetY;
    }

    void AddBigSign(StructKind k) {
        const char ch = k == StructKind::Integral ? char(242) : char(229);
        const int sign = AddPart(Bytes(1, ch), PartKind::Symbol);
        StartIndexRegion(sign, TwoRegions);
    }

    /// True when the owner's last region ended.
    bool EndIndexRegion() {
        const int s = AddEmptyPart(PartKind::Separator);
        const int q = SearchOwner();
        Part(s).Pending = Part(q).Pending;
        --Part(q).Pending;
        if (Part(q).Pending == 0) font_.height = Part(q).FontHeight;
        if (Part(q).Kind == PartKind::Symbol) ++font_.height;
        Part(s).Partner = q;
        int a = Part(s).Right - Part(q).Left + 1;
        if (Part(q).Mode == TwoRegions) a = std::max(a, Part(Part(q).Partner).Right - Part(q).Left);
        Part(q).Partner = s;
        if (!PlaceIndexOverRootSign(q, s, a)) MoveRight(q, q, a);
        if (Part(q).Pending > 0) {
            // The second region sits raised, starting where the first began.
            penX_ = Part(q + 1).Left;
            penY_ = Part(q).Top - Part(q).FontHeight / 2;
            return false;
        }
        penX_ = Part(q).Right;
        penY_ = Part(q).Bottom;
        return true;
    }

    /// A root's index ends over the short left stroke of the sign, at 5/7 of its width. A
    /// narrow index moves there; a wide one pushes the sign right instead (false, with `a`
    /// reduced to that distance).
    bool PlaceIndexOverRootSign(int q, int s, int& a) {
        if (Part(q).Kind != PartKind::RootSign) return false;
        const int width = Part(q).Right - Part(q).Left;
        a -= (5 * width) / 7;
        if (width / 2 <= a) return false;
        MoveRight(q + 1, s, -a);
        return true;
    }

    RootClosing CloseRoot(int level) {
        const int c = AddEmptyPart(PartKind::RootClose);
        const int r = SearchBack(PartKind::RootSign, level);
        int top = INT_MAX;
        for (int i = r; i <= c; ++i)
            top = std::min(top, Part(i).Top - 1);
        top -= Part(r).LineWidth;
        const int raise = RootIndexRaise(Part(c).Bottom - top);
        Part(r).Top = top;
        Part(r).Extra = Part(c).Left - Part(r).Right;
        if (Part(r).Partner == 0) return {false, std::size_t(Part(r).TextPos)};
        RaiseParts(r + 1, Part(r).Partner, raise);
        if (top < topMargin_) ShiftVertically(1, Newest(), top - topMargin_);
        return {};
    }

    /// A root's index rises by half the height of the root, so each root nested around another
    /// makes the line about a quarter taller. Beyond TallestRoot the index rises no further:
    /// the height then grows by a few pixels per root instead of exponentially, and
    /// coordinates stay within what a window system can draw.
    static int RootIndexRaise(int rootHeight) {
        return std::clamp(rootHeight / 2, 0, std::max(0, TallestRoot - rootHeight));
    }

    // ---- brackets ---------------------------------------------------------------------

    void OpenBracket(int level) {
        const int o = AddPart("(", PartKind::BracketOpen);
        Part(o).Level = level;
    }

    /// Both brackets grow to span everything between them.
    void CloseBracket(int level) {
        const int c = AddPart(")", PartKind::BracketClose);
        int top = INT_MAX, bottom = 0, o = 0;
        for (int i = c - 1; i >= 1; --i) {
            top = std::min(top, Part(i).Top);
            bottom = std::max(bottom, Part(i).Bottom);
            if (Part(i).Kind == PartKind::BracketOpen && Part(i).Level == level) {
                o = i;
                break;
            }
        }
        for (int i : {o, c}) {
            Part(i).Top = top;
            Part(i).Bottom = bottom;
            Part(i).FontHeight = top - bottom;
        }
    }

    // ---- slanted fractions ------------------------------------------------------------

    void OpenSlanted(int level) {
        const int o = AddEmptyPart(PartKind::SlantedOpen);
        Part(o).Level = level;
        font_.height = (font_.height * 5) / 7;
        penX_ = Part(o).Left + Part(o).LineWidth;
        penY_ = Part(o).Bottom + font_.height / 2;
    }

    /// The slash is a diagonal through a box made from an "X"; the denominator starts below
    /// and right of the numerator.
    void SlashCode(int level) {
        const int s = AddPart("X", PartKind::Slash);
        TTextdeel& slash = Part(s);
        slash.Level = level;
        const int h = slash.FontHeight;
        slash.Left += h / 5;
        slash.Right += h / 4;
        slash.Top -= h / 4;
        slash.Bottom += 2 * slash.LineWidth;
        penY_ = slash.Bottom - h / 2;
        slash.Top -= h / 5;
        penX_ += h / 2;
    }

    /// False when no slash waits at the slanted fraction's level.
    bool CloseSlanted(int level) {
        const int s = SearchBack(PartKind::Slash, level);
        if (s == 0) return false;
        // The slash is painted after its denominator, so it goes behind it in the list.
        TTextdeel slash = std::move(Part(s));
        list_.items.erase(list_.items.begin() + s);
        list_.items.push_back(std::move(slash));
        const int c = AddEmptyPart(PartKind::SlantedClose);
        const int o = SearchBack(PartKind::SlantedOpen, level);
        font_.height = Part(o).FontHeight;
        penX_ = Part(c).Left + Part(o).LineWidth;
        penY_ = Part(o).Bottom;
        return true;
    }

    // ---- end of the pass --------------------------------------------------------------

    void EndPass() {
        const int n = Newest();
        if (n > 0) {
            int top = INT_MAX;
            for (int i = 1; i <= n; ++i)
                top = std::min(top, Part(i).Top);
            if (top != topMargin_) ShiftVertically(1, n, top - topMargin_);
        }
        AppendMissingClosers();
        TTextdeel& header = Part(0);
        header.Left = maxRight_;
        header.Top = maxBottom_ + topMargin_;
        header.Right = n;
        header.Bottom = repaired_ ? 1 : 0;
    }

    Canvas& canvas_;
    const LayoutVariant& variant_;

    TTextdelen list_;
    FontId startId_ = 0; // the starting font, selected again when the pass ends
    FontDesc font_;
    LayoutMetrics m_;
    int pinnedDescent_ = 0;
    int startExtra_ = 0;

    int penX_ = 0, penY_ = 0;
    int maxRight_ = 0, maxBottom_ = 0;
    int topMargin_ = 0;
    int stackedIndexWidth_ = 0;
};

} // namespace

TTextdelen LayoutFormula(Bytes& cursief, Bytes& codes, Canvas& canvas,
                         const LayoutVariant& variant) {
    return LayoutPass(cursief, codes, canvas, variant).Run();
}

} // namespace zelm
