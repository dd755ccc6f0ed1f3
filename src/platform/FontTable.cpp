#include "platform/FontTable.h"

#include <QFontMetrics>
#include <QImage>
#include <QRawFont>
#include <algorithm>
#include <map>
#include <optional>
#include <tuple>
#include <utility>

#include "platform/FontMetricsTables.h"

namespace zelm {

namespace {

// ---- Resolving a description into a font ----

// What depends on the font file only, not on the size: one per face, weight and italic.
struct FaceData {
    QString family;
    std::optional<FontTables> tables;
    std::array<char32_t, 256> chars{};
    std::array<bool, 256> mapped{};
    std::array<quint32, 256> glyphs{};
    std::array<int, 256> advanceUnits{}; // from hmtx; used only when the tables have advances
    bool simulatedBold = false;          // bold asked of a font file that is not bold
    bool doubleStrike = false;           // bold asked, but drawn no heavier than regular
};

bool IsSymbolFace(const std::string& face) {
    return QString::fromLatin1(face.c_str()).compare("Symbol", Qt::CaseInsensitive) == 0;
}

// Weights as the platform numbers them (100 to 900, 0 = don't care) mean the same in Qt 6.
QFont::Weight QtWeight(int weight) {
    return weight <= 0 ? QFont::Normal : QFont::Weight(std::clamp(weight, 1, 1000));
}

QFont BaseQFont(const FontDesc& d) {
    QFont f(FromCp1252(d.face));
    f.setWeight(QtWeight(d.weight));
    f.setItalic(d.italic != 0);
    f.setKerning(false);
    return f;
}

std::string TableOf(const QRawFont& raw, const char* tag) {
    const QByteArray bytes = raw.fontTable(tag);
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

// In the "Symbol" face a byte stands for a symbol-encoded character, and the font that draws
// it decides where that character is: a font built for the encoding has it at U+F000 + b (the
// private-use area), a Unicode font at the character's real code, and a font that keeps the
// classic encoding in its Unicode map (Standard Symbols PS, which fontconfig gives for "Symbol")
// at b itself. One probe, alpha at byte 'a', tells them apart; deciding byte by byte would not,
// since e.g. the real code of byte 0xD2 (registered sign, U+00AE) is byte 0xAE (arrow right) in
// the last kind.
enum class SymbolPlacement { PrivateUse, Unicode, AtByte };

SymbolPlacement SymbolPlacementOf(const QRawFont& raw) {
    if (raw.supportsCharacter(uint(0xF000 + 'a'))) return SymbolPlacement::PrivateUse;
    if (raw.supportsCharacter(uint(SymbolToUnicode('a')))) return SymbolPlacement::Unicode;
    return SymbolPlacement::AtByte;
}

char32_t SymbolCharacter(SymbolPlacement placement, unsigned char b) {
    switch (placement) {
    case SymbolPlacement::PrivateUse:
        return char32_t(0xF000 + b);
    case SymbolPlacement::Unicode:
        return SymbolToUnicode(b);
    case SymbolPlacement::AtByte:
        return char32_t(b);
    }
    return char32_t(b);
}

void MapBytes(const QRawFont& raw, bool symbol, FaceData& data) {
    const SymbolPlacement placement = SymbolPlacementOf(raw);
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        data.chars[b] = symbol ? SymbolCharacter(placement, byte) : Cp1252ToUnicode(byte);
        data.mapped[b] = raw.supportsCharacter(uint(data.chars[b]));
    }
}

// Glyph indexes do not depend on the size: looked up once per face, for every byte.
void ReadGlyphs(const QRawFont& raw, FaceData& data) {
    QString all;
    for (char32_t c : data.chars)
        all += QChar(char16_t(c));
    const QList<quint32> glyphs = raw.glyphIndexesForString(all);
    for (int b = 0; b < 256 && b < glyphs.size(); ++b)
        data.glyphs[b] = glyphs[b];
}

void ReadAdvanceUnits(FaceData& data) {
    for (int b = 0; b < 256; ++b)
        data.advanceUnits[b] = data.tables->AdvanceOf(data.glyphs[b]).value_or(0);
}

// How heavy a face draws: the coverage that a few stemmed letters put down at a size text is
// read at, as the font engine renders them (a bold made up by the engine counts as drawn; very
// large glyphs are drawn another way and would not tell).
constexpr int InkProbePixels = 24;
constexpr unsigned char InkProbeBytes[] = {'l', 'I', 'H', 'n', 'o'};

double InkOf(const FontDesc& d, const FaceData& face) {
    QFont f = BaseQFont(d);
    f.setPixelSize(InkProbePixels);
    const QRawFont raw = QRawFont::fromFont(f);
    QString probe;
    for (unsigned char b : InkProbeBytes)
        probe += QChar(char16_t(face.chars[b]));
    double ink = 0;
    for (quint32 glyph : raw.glyphIndexesForString(probe)) {
        // An 8-bit map whose values are the coverage.
        const QImage coverage = raw.alphaMapForGlyph(glyph, QRawFont::PixelAntialiasing);
        for (int y = 0; y < coverage.height(); ++y) {
            const uchar* line = coverage.constScanLine(y);
            for (int x = 0; x < coverage.width(); ++x)
                ink += line[x];
        }
    }
    return ink;
}

// A bold that puts down less than this much more ink than its regular does not look bold.
constexpr double BoldInkRatio = 1.15;

bool IsBoldRequest(const FontDesc& d) {
    return QtWeight(d.weight) >= QFont::DemiBold;
}

FaceData LoadFace(const FontDesc& d) {
    QFont f = BaseQFont(d);
    f.setPixelSize(16);
    const QRawFont raw = QRawFont::fromFont(f);
    FaceData data;
    data.family = raw.familyName();
    data.tables = ReadFontTables(TableOf(raw, "OS/2"), TableOf(raw, "hhea"), TableOf(raw, "head"),
                                 TableOf(raw, "post"), TableOf(raw, "hmtx"));
    data.simulatedBold =
        data.tables && IsBoldRequest(d) && data.tables->weightClass < QFont::DemiBold;
    MapBytes(raw, IsSymbolFace(d.face), data);
    ReadGlyphs(raw, data);
    if (data.tables && !data.tables->advances.empty()) ReadAdvanceUnits(data);
    return data;
}

using FaceKey = std::tuple<std::string, int, bool>;

// The caches live for the whole process: a description is resolved once, whichever line
// editor or printer asks for it, and a font file is read once for all its sizes. An id is an
// index into `fonts`, whose entries stay put even when the cache is cleared, so that a canvas
// never holds a dangling font; it notices the new generation and resolves its fonts again.
struct FontCache {
    FontCache() { detail::resolvedFonts = &fonts; }
    FontIdTable ids;
    std::vector<std::shared_ptr<const ResolvedFont>> fonts;
    std::map<FaceKey, FaceData> faces;
};

FontCache& Cache() {
    static FontCache cache;
    return cache;
}

FaceData& FaceFor(const FontDesc& d) {
    auto& faces = Cache().faces;
    const FaceKey key{d.face, int(QtWeight(d.weight)), d.italic != 0};
    auto it = faces.find(key);
    if (it != faces.end()) return it->second;
    FaceData face = LoadFace(d);
    if (IsBoldRequest(d)) {
        FontDesc regular = d;
        regular.weight = 400;
        face.doubleStrike = InkOf(d, face) < BoldInkRatio * InkOf(regular, face);
    }
    return faces.emplace(key, std::move(face)).first->second;
}

// A font with the tables: everything is scaled from them by the one rounding rule. A bold
// made up from a regular file is drawn thicker, and, as on the original platform, every
// character then advances one pixel more.
void ResolveOutline(const FaceData& face, const FontDesc& d, ResolvedFont& r) {
    const FontScale px(*face.tables, d.height);
    r.font.setPixelSize(px.Em());
    r.metrics = ScaledMetrics(*face.tables, d.height);
    const bool hmtx = !face.tables->advances.empty();
    const int emboldening = face.simulatedBold ? 1 : 0;
    const QFontMetrics fm(r.font);
    for (int b = 0; b < 256; ++b)
        r.widths[b] = emboldening + (hmtx ? px(face.advanceUnits[b])
                                          : fm.horizontalAdvance(QChar(char16_t(r.chars[b]))));
}

// A font without the tables (a bitmap face, say) gets the basic metrics Qt reports.
void ResolveBasic(const FontDesc& d, ResolvedFont& r) {
    const int height = d.height == 0 ? DefaultFontHeight : d.height;
    r.font.setPixelSize(std::abs(height));
    if (height > 0) {
        // A cell height: shrink the em by the cell the font reports at that size.
        const QFontMetrics cell(r.font);
        const int cellHeight = std::max(1, cell.ascent() + cell.descent());
        r.font.setPixelSize(std::max(1, RoundDiv(std::int64_t(height) * height, cellHeight)));
    }
    const QFontMetrics fm(r.font);
    FontMetrics& m = r.metrics;
    m.hasOutline = false;
    m.tmAscent = fm.ascent();
    m.tmDescent = fm.descent();
    m.tmHeight = m.tmAscent + m.tmDescent;
    m.tmAveCharWidth = fm.averageCharWidth();
    // Not outline metrics, but what the canvas draws underline and strike-out with.
    m.underscorePosition = -fm.underlinePos();
    m.underscoreSize = fm.lineWidth();
    m.strikeoutPosition = fm.strikeOutPos();
    m.strikeoutSize = fm.lineWidth();
    for (int b = 0; b < 256; ++b)
        r.widths[b] = fm.horizontalAdvance(QChar(char16_t(r.chars[b])));
}

std::shared_ptr<const ResolvedFont> Resolve(const FontDesc& d) {
    const FaceData& face = FaceFor(d);
    auto r = std::make_shared<ResolvedFont>();
    r->desc = d;
    r->font = BaseQFont(d);
    r->family = face.family;
    r->chars = face.chars;
    r->mapped = face.mapped;
    r->glyphs = face.glyphs;
    r->doubleStrike = face.doubleStrike;
    if (face.tables)
        ResolveOutline(face, d, *r);
    else
        ResolveBasic(d, *r);
    return r;
}

} // namespace

int detail::fontCacheGeneration = 0;
std::vector<std::shared_ptr<const ResolvedFont>>* detail::resolvedFonts = nullptr;

FontId ResolveFontId(const FontDesc& f) {
    FontCache& cache = Cache();
    if (const FontId known = cache.ids.Find(f); known >= 0) return known;
    const FontId id = FontId(cache.fonts.size());
    cache.fonts.push_back(Resolve(f));
    cache.ids.Add(f, id);
    return id;
}

QString FromCp1252(const std::string& bytes) {
    QString s;
    for (unsigned char b : bytes)
        s += QChar(char16_t(Cp1252ToUnicode(b)));
    return s;
}

std::shared_ptr<const ResolvedFont> ResolveFont(const FontDesc& f) {
    const FontId id = ResolveFontId(f);
    return Cache().fonts[std::size_t(id)];
}

void ClearFontCache() {
    FontCache& cache = Cache();
    cache.ids.Clear();
    cache.faces.clear();
    ++detail::fontCacheGeneration;
}

} // namespace zelm
