// The metafile canvas: the file it writes is read back record by record.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "formula/Renderers.h"
#include "platform/EmfCanvas.h"
#include "platform/QtCanvas.h"
#include "support/EmfReader.h"
#include "support/HandParts.h"

namespace zelm {
namespace {

using test::EmfRecords;
using test::I32At;
using test::MakeList;
using test::MakePart;
using test::MakeSign;
using test::U32At;

constexpr std::uint32_t StockBit = 0x80000000u;

FontDesc UiFont() {
    FontDesc f;
    f.face = "DejaVu Sans";
    return f;
}

struct DrawnText {
    std::string text;
    std::string face;
    int height = 0, weight = 0, italic = 0, charSet = 0;
    int x = 0, y = 0; // reference point
    std::vector<int> advances;
    bool operator==(const DrawnText&) const = default;
};

std::string FaceOf(const test::EmfRecordBytes& r) {
    std::string face;
    for (std::size_t i = 0; i < 32; ++i) {
        const char c = r.bytes.at(40 + 2 * i);
        if (c == 0) break;
        face += c;
    }
    return face;
}

// Replays the object records and returns every text record with the font selected for it;
// checks on the way that objects are created before use and never deleted while selected.
std::vector<DrawnText> ReplayTexts(const std::vector<test::EmfRecordBytes>& records) {
    std::map<std::uint32_t, test::EmfRecordBytes> live;
    std::set<std::uint32_t> selected;
    std::map<std::uint32_t, std::uint32_t> selectedOfType; // record type -> handle
    std::vector<DrawnText> texts;
    for (const auto& r : records) {
        switch (r.type) {
        case EmfRecord::ExtCreateFontIndirectW:
        case EmfRecord::CreatePen:
        case EmfRecord::CreateBrushIndirect:
            EXPECT_FALSE(live.count(U32At(r.bytes, 8))) << "handle reused while alive";
            live[U32At(r.bytes, 8)] = r;
            break;
        case EmfRecord::SelectObject: {
            const std::uint32_t h = U32At(r.bytes, 8);
            if (h & StockBit) break;
            EXPECT_TRUE(live.count(h)) << "selecting unknown handle " << h;
            if (!live.count(h)) break;
            const std::uint32_t type = live[h].type;
            selected.erase(selectedOfType[type]);
            selectedOfType[type] = h;
            selected.insert(h);
            break;
        }
        case EmfRecord::DeleteObject: {
            const std::uint32_t h = U32At(r.bytes, 8);
            EXPECT_TRUE(live.count(h));
            EXPECT_FALSE(selected.count(h)) << "deleting a selected object";
            live.erase(h);
            break;
        }
        case EmfRecord::ExtTextOutW: {
            const auto& font = live.at(selectedOfType.at(EmfRecord::ExtCreateFontIndirectW));
            texts.push_back({test::EmfTextOf(r), FaceOf(font), I32At(font.bytes, 12),
                             I32At(font.bytes, 28), (unsigned char)font.bytes.at(32),
                             (unsigned char)font.bytes.at(35), I32At(r.bytes, 36),
                             I32At(r.bytes, 40), test::EmfAdvancesOf(r)});
            break;
        }
        }
    }
    return texts;
}

// Whole-file rules that every metafile we write keeps.
void ExpectWellFormed(const std::string& file, int width, int height) {
    const auto records = EmfRecords(file);
    ASSERT_GE(records.size(), 2u);
    std::size_t total = 0;
    for (const auto& r : records) {
        EXPECT_EQ(r.size % 4, 0u) << "record type " << r.type;
        total += r.size;
    }
    EXPECT_EQ(total, file.size()) << "records do not cover the file";
    const std::string& header = records.front().bytes;
    EXPECT_EQ(records.front().type, EmfRecord::Header);
    EXPECT_EQ(records.front().size, std::uint32_t(EmfHeaderSize));
    // Bounds in pixels, inclusive; frame in hundredths of a millimetre at 96 dpi.
    EXPECT_EQ((std::vector<int>{I32At(header, 8), I32At(header, 12), I32At(header, 16),
                                I32At(header, 20)}),
              (std::vector<int>{0, 0, width - 1, height - 1}));
    EXPECT_EQ((std::vector<int>{I32At(header, 24), I32At(header, 28), I32At(header, 32),
                                I32At(header, 36)}),
              (std::vector<int>{0, 0, width * 2540 / 96 - 1, height * 2540 / 96 - 1}));
    EXPECT_EQ(U32At(header, 40), 0x464D4520u);
    EXPECT_EQ(U32At(header, 48), file.size());
    EXPECT_EQ(U32At(header, 52), records.size());
    std::uint32_t highest = 0;
    for (const auto& r : records)
        if (r.type == EmfRecord::ExtCreateFontIndirectW || r.type == EmfRecord::CreatePen ||
            r.type == EmfRecord::CreateBrushIndirect)
            highest = std::max(highest, U32At(r.bytes, 8));
    EXPECT_GT(U32At(header, 56) & 0xFFFF, highest) << "handle count";
    EXPECT_EQ(records.back().type, EmfRecord::Eof);
    EXPECT_EQ(records.back().size, 20u);
}

int AdvanceSum(const FontDesc& f, const std::string& s, int extra) {
    QtCanvas measure(f);
    measure.SetTextCharacterExtra(extra);
    return measure.TextExtent(s).cx;
}

// One line through the export painter: every text run is one text record with its characters,
// the font the painter chose, its reference point and advances that include the extra spacing.
TEST(EmfCanvas, TextRunsShapesAndObjectsAsTheExportPainterDrawsThem) {
    TTextdeel italic = MakePart(PartKind::Text, 12, 32, 3, 2);
    italic.Italic = 1;
    TTextdeel name = MakePart(PartKind::Name, 32, 60, 6, 1);
    name.Name = "sin";
    TTextdeel bar = MakePart(PartKind::FractionBar, 5, 40, 7, 0);
    bar.Top = bar.Bottom = 30;
    TTextdeel bracket = MakePart(PartKind::BracketOpen, 60, 66, 8, 1);
    bracket.Top = 2;
    bracket.Bottom = 40;
    const TTextdelen list = MakeList({MakePart(PartKind::Text, 0, 12, 0, 2), italic, name,
                                      MakeSign(PartKind::Symbol, 66, 74, 9, 'p'), bar, bracket,
                                      MakePart(PartKind::Dot, 30, 35, 10, 1)});
    const Bytes cursief = "12\x05"
                          "ab\x06\x01\x03\x03\x03\x03";
    EmfCanvas canvas(480, 300, UiFont());
    DrawLineParts(canvas, {10, 40}, list, list.Count(), cursief, Rgb(0, 128, 0));
    const std::string file = canvas.Finish();
    ExpectWellFormed(file, 480, 300);

    FontDesc plain = UiFont();
    plain.height = -16;
    FontDesc slanted = plain;
    slanted.italic = 1;
    FontDesc bold = plain;
    bold.weight = 700;
    FontDesc symbol = plain;
    symbol.face = "Symbol";
    auto advances = [](const FontDesc& f, const std::string& s, int extra) {
        std::vector<int> dx;
        QtCanvas m(f);
        for (unsigned char c : s)
            dx.push_back(m.CharWidth(c) + extra);
        return dx;
    };
    // Reference points: the part's Left and Baseline moved by the origin (10, 40).
    const std::vector<DrawnText> expected{
        {"12", "DejaVu Sans", -16, 400, 0, 0, 10, 58, advances(plain, "12", 0)},
        {"ab", "DejaVu Sans", -16, 400, 1, 0, 22, 58, advances(slanted, "ab", 2)},
        {"sin", "DejaVu Sans", -16, 700, 0, 0, 42, 58, advances(bold, "sin", 0)},
        {"p", "Symbol", -16, 400, 0, 2, 76, 58, advances(symbol, "p", 0)},
    };
    const auto records = EmfRecords(file);
    EXPECT_EQ(ReplayTexts(records), expected);
    EXPECT_EQ(AdvanceSum(slanted, "ab", 2), 2 * 2 + AdvanceSum(slanted, "ab", 0));

    // The bar: one polyline from (Right, Top) to (Left, Bottom), moved: (50, 70) to (15, 70).
    // The bracket: a Bézier of four points, drawn 1 + (5 x 1) div 4 - 1 = 1 time (k = 1).
    // The dot: one ellipse.
    std::vector<std::vector<int>> polylines;
    int beziers = 0, ellipses = 0;
    for (const auto& r : records) {
        if (r.type == EmfRecord::Polyline) {
            std::vector<int> pts;
            for (std::uint32_t i = 0; i < U32At(r.bytes, 24); ++i)
                pts.insert(pts.end(), {I32At(r.bytes, 28 + 8 * i), I32At(r.bytes, 32 + 8 * i)});
            polylines.push_back(pts);
        }
        if (r.type == EmfRecord::PolyBezier) {
            EXPECT_EQ(U32At(r.bytes, 24), 4u);
            ++beziers;
        }
        ellipses += r.type == EmfRecord::Ellipse;
    }
    EXPECT_EQ(polylines, (std::vector<std::vector<int>>{{50, 70, 15, 70}}));
    EXPECT_EQ(beziers, 1);
    EXPECT_EQ(ellipses, 1);
}

// The picture starts with a transparent text background; a mode is written again only when it
// changes, so the export painter's own switch to transparent leaves a fresh file as it was.
TEST(EmfCanvas, TheBackgroundModeIsWrittenWhenItChanges) {
    enum class Step { Opaque, Transparent, ExportPainter };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        std::vector<std::uint32_t> written; // 1 transparent, 2 opaque
    };
    const Case cases[] = {
        {"fresh", {}, {1}},
        {"transparent again", {Step::Transparent, Step::Transparent}, {1}},
        {"opaque and back", {Step::Opaque, Step::Opaque, Step::Transparent}, {1, 2, 1}},
        {"export painter on a fresh picture", {Step::ExportPainter}, {1}},
        {"export painter restores opaque", {Step::Opaque, Step::ExportPainter}, {1, 2, 1, 2}},
    };
    const TTextdelen list = MakeList({MakePart(PartKind::Text, 0, 12, 0, 2)});
    for (const Case& c : cases) {
        EmfCanvas canvas(100, 50, UiFont());
        for (Step step : c.steps)
            switch (step) {
            case Step::Opaque:
                canvas.SetBkMode(BkMode::Opaque);
                break;
            case Step::Transparent:
                canvas.SetBkMode(BkMode::Transparent);
                break;
            case Step::ExportPainter:
                DrawLineParts(canvas, {0, 20}, list, list.Count(), "12", 0);
                break;
            }
        std::vector<std::uint32_t> written;
        for (const auto& r : EmfRecords(canvas.Finish()))
            if (r.type == EmfRecord::SetBkMode) written.push_back(U32At(r.bytes, 8));
        EXPECT_EQ(written, c.written) << c.name;
    }
}

// Random part lists drawn one after another: after every line the file read back so far is
// whole, and no object is used before it exists or deleted while in use.
TEST(EmfCanvas, RandomLinesAlwaysGiveAWholeFile) {
    std::mt19937 random(20261208);
    const PartKind kinds[] = {PartKind::Text,     PartKind::Name,        PartKind::Symbol,
                              PartKind::BoldSign, PartKind::BoldD,       PartKind::FractionBar,
                              PartKind::RootSign, PartKind::BracketOpen, PartKind::BracketClose,
                              PartKind::Dot,      PartKind::Slash};
    EmfCanvas canvas(640, 480, UiFont());
    for (int line = 0; line < 60; ++line) {
        std::vector<TTextdeel> parts;
        Bytes cursief;
        const int count = int(random() % 8);
        for (int i = 0; i < count; ++i) {
            TTextdeel p = MakePart(kinds[random() % std::size(kinds)], int(random() % 400), 0,
                                   int(cursief.size()), int(random() % 4));
            p.Right = p.Left + int(random() % 60);
            p.Top = int(random() % 30);
            p.Bottom = p.Top + int(random() % 50);
            p.FontHeight = -int(4 + random() % 40);
            p.LineWidth = int(1 + random() % 4);
            p.Italic = int(random() % 2);
            p.Underline = int(random() % 2);
            p.Coloured = int(random() % 2);
            p.Name = "log";
            p.FirstChar = char(32 + random() % 220);
            for (int c = 0; c < p.Len; ++c)
                cursief += char(32 + random() % 224);
            parts.push_back(p);
        }
        const TTextdelen list = MakeList(parts);
        DrawLineParts(canvas, {0, line * 8}, list, list.Count(), cursief,
                      ColorRef(random() & 0xFFFFFF));
        const std::string file = canvas.Finish();
        ExpectWellFormed(file, 640, 480);
        ReplayTexts(EmfRecords(file));
        if (::testing::Test::HasFailure()) FAIL() << "after line " << line;
    }
}

} // namespace
} // namespace zelm
