#include "platform/QtCanvas.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPolygon>
#include <QRawFont>
#include <QVarLengthArray>
#include <algorithm>
#include <map>
#include <optional>
#include <stdexcept>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "platform/FontMetricsTables.h"

namespace zelm {

void ClearSprites(); // the sprites of drawn text go with the fonts they were drawn in

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

// The numbers tell descriptions apart; of the face only its length and first letter are
// hashed, since a line uses one or two faces and equality compares the whole name anyway.
struct FontDescHash {
    std::size_t operator()(const FontDesc& d) const {
        const auto mix = [](std::size_t h, int v) { return h * 31 + std::size_t(v); };
        std::size_t h = d.face.size() * 131 + (d.face.empty() ? 0 : std::size_t(d.face[0]));
        h = mix(mix(mix(h, d.height), d.width), d.weight);
        return mix(mix(mix(mix(h, d.italic), d.underline), d.strikeOut), d.charSet);
    }
};

// Cheaper than the == of the description: the sizes differ far more often than the faces.
bool SameFont(const FontDesc& a, const FontDesc& b) {
    return a.height == b.height && a.weight == b.weight && a.italic == b.italic &&
           a.underline == b.underline && a.width == b.width && a.strikeOut == b.strikeOut &&
           a.charSet == b.charSet && a.face == b.face;
}

// The ids of the descriptions resolved so far, kept by open addressing on their hash: every
// part a line measures or paints asks for the id of its font, and finding it takes a hash of a
// few numbers and mostly one comparison. Never more than half full.
class FontIdTable {
public:
    /// The id of `d`; -1 when it was not added.
    FontId Find(const FontDesc& d) const {
        if (slots_.empty()) return -1;
        for (std::size_t i = SlotOf(d);; i = Next(i))
            if (slots_[i].id < 0 || SameFont(slots_[i].desc, d)) return slots_[i].id;
    }
    void Add(const FontDesc& d, FontId id) {
        if (2 * (count_ + 1) > slots_.size()) Grow();
        Place(d, id);
        ++count_;
    }
    std::size_t Size() const { return count_; }
    void Clear() {
        slots_.clear();
        count_ = 0;
    }

private:
    struct Slot {
        FontDesc desc;
        FontId id = -1; // -1: empty
    };
    // The hash's low bits follow the height one for one: a multiplication spreads them.
    std::size_t SlotOf(const FontDesc& d) const {
        return std::size_t((std::uint64_t(FontDescHash{}(d)) * 0x9E3779B97F4A7C15u) >> 32) &
               (slots_.size() - 1);
    }
    std::size_t Next(std::size_t i) const { return (i + 1) & (slots_.size() - 1); }
    void Place(const FontDesc& d, FontId id) {
        std::size_t i = SlotOf(d);
        while (slots_[i].id >= 0)
            i = Next(i);
        slots_[i] = {d, id};
    }
    void Grow() {
        const std::size_t size = std::max<std::size_t>(64, 2 * slots_.size()); // a power of two
        std::vector<Slot> old = std::exchange(slots_, std::vector<Slot>(size));
        for (const Slot& slot : old)
            if (slot.id >= 0) Place(slot.desc, slot.id);
    }

    std::vector<Slot> slots_;
    std::size_t count_ = 0;
};

// The caches live for the whole process: a description is resolved once, whichever line
// editor or printer asks for it, and a font file is read once for all its sizes. An id is an
// index into `fonts`, whose entries stay put even when the cache is cleared, so that a canvas
// never holds a dangling font; it notices the new generation and resolves its fonts again.
struct FontCache {
    FontIdTable ids;
    std::vector<std::shared_ptr<const ResolvedFont>> fonts;
    std::map<FaceKey, FaceData> faces;
};

FontCache& Cache() {
    static FontCache cache;
    return cache;
}

// Counts the clearings of the cache; a plain value, since every font selection reads it.
int cacheGeneration = 0;

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

FontId ResolveFontId(const FontDesc& f) {
    FontCache& cache = Cache();
    if (const FontId known = cache.ids.Find(f); known >= 0) return known;
    const FontId id = FontId(cache.fonts.size());
    cache.fonts.push_back(Resolve(f));
    cache.ids.Add(f, id);
    return id;
}

} // namespace

QString FromCp1252(const std::string& bytes) {
    QString s;
    for (unsigned char b : bytes)
        s += QChar(char16_t(Cp1252ToUnicode(b)));
    return s;
}

std::shared_ptr<const ResolvedFont> ResolveFont(const FontDesc& f) {
    return Cache().fonts[std::size_t(ResolveFontId(f))];
}

FontMetrics MetricsOf(const FontDesc& f) {
    return ResolveFont(f)->metrics;
}

int ResolvedFontCount() {
    return int(Cache().ids.Size());
}

void ClearFontCache() {
    ClearSprites();
    FontCache& cache = Cache();
    cache.ids.Clear();
    cache.faces.clear();
    ++cacheGeneration;
}

bool BoldNeedsDoubleStrike(const std::string& face, bool italic) {
    FontDesc d;
    d.face = face;
    d.weight = 700;
    d.italic = italic ? 1 : 0;
    return FaceFor(d).doubleStrike;
}

// ---- Colours and the system's font smoothing ----

namespace {

// The system colours the program's original platform numbers, as palette roles; any other
// number is a window surface.
QPalette::ColorRole RoleOfSystemColor(int index) {
    static constexpr std::pair<int, QPalette::ColorRole> roles[] = {
        {5, QPalette::Base},             // window background
        {7, QPalette::WindowText},       // menu text
        {8, QPalette::Text},             // window text
        {13, QPalette::Highlight},       // selection background
        {14, QPalette::HighlightedText}, // selection text
        {15, QPalette::Button},          // button face
        {16, QPalette::Dark},            // button shadow
        {17, QPalette::PlaceholderText}, // grey text
        {18, QPalette::ButtonText},      // button text
        {20, QPalette::Light},           // button highlight
        {21, QPalette::Shadow},          // dark 3-D shadow
        {22, QPalette::Midlight},        // 3-D light
        {23, QPalette::ToolTipText},     // hint text
        {24, QPalette::ToolTipBase},     // hint background
    };
    for (const auto& [number, role] : roles)
        if (number == index) return role;
    return QPalette::Window;
}

} // namespace

QColor ToQColor(ColorRef c) {
    if ((c >> 24) == 0xFF) {
        const QPalette palette = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                     ? QGuiApplication::palette()
                                     : QPalette();
        return palette.color(QPalette::Active, RoleOfSystemColor(int(c & 0xFF)));
    }
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

// Qt does not publish fontconfig's antialias setting, so ask the renderer itself: draw a
// diagonal-rich glyph in black on white and see whether any pixel came out in between.
bool FontSmoothingOn() {
    static const bool on = [] {
        QImage image(48, 48, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter p(&image);
            p.setFont(ResolveFont(FontDesc{})->font);
            p.setPen(Qt::black);
            p.drawText(4, 36, QStringLiteral("W/"));
        }
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb px = image.pixel(x, y) & 0xFFFFFF;
                if (px != 0xFFFFFF && px != 0) return true;
            }
        return false;
    }();
    return on;
}

// ---- Drawing on a painter, and the sprites of what was drawn ----

namespace {

// Each glyph goes where the measured advances put it, so that the drawn text covers exactly
// the extent the layout measured, extra spacing included; the whole run is one call, shaped
// by nobody. A character the font lacks is left to Qt's font fallback, one by one. The pen
// is the ink already.
void DrawGlyphsOn(QPainter& p, const ResolvedFont& f, const Bytes& s, int x, int baseline,
                  int extra, int strikes) {
    QVarLengthArray<quint32, 256> glyphs;
    QVarLengthArray<QPointF, 256> positions;
    int at = x;
    for (unsigned char b : s) {
        if (f.mapped[b]) {
            glyphs.append(f.glyphs[b]);
            positions.append(QPointF(at, baseline));
        } else {
            p.setFont(f.font);
            for (int strike = 0; strike < strikes; ++strike)
                p.drawText(QPoint(at + strike, baseline), QString(QChar(char16_t(f.chars[b]))));
        }
        at += f.widths[b] + extra;
    }
    if (glyphs.isEmpty()) return;
    QGlyphRun run;
    run.setRawFont(f.Raw());
    run.setRawData(glyphs.constData(), positions.constData(), int(glyphs.size()));
    for (int strike = 0; strike < strikes; ++strike)
        p.drawGlyphRun(QPointF(strike, 0), run);
}

/// The text's cell relative to its start on the baseline.
QRect CellOf(const FontMetrics& m, int width) {
    return QRect(0, -m.tmAscent, width, m.tmHeight);
}

// A run on its opaque background (none for a transparent one), underlined or struck out as its
// font says.
void DrawRunOn(QPainter& p, const ResolvedFont& f, const Bytes& s, int x, int baseline, int width,
               int extra, const QColor& ink, const std::optional<QColor>& bk) {
    const FontMetrics& m = f.metrics;
    if (bk) p.fillRect(CellOf(m, width).translated(x, baseline), *bk);
    DrawGlyphsOn(p, f, s, x, baseline, extra, f.doubleStrike ? 2 : 1);
    if (f.desc.underline)
        p.fillRect(QRect(x, baseline - m.underscorePosition, width, std::max(1, m.underscoreSize)),
                   ink);
    if (f.desc.strikeOut)
        p.fillRect(QRect(x, baseline - m.strikeoutPosition, width, std::max(1, m.strikeoutSize)),
                   ink);
}

void DrawShapeOn(QPainter& p, ShapeKind kind, const std::vector<Point>& pts, QPoint shift) {
    const auto at = [&](const Point& q) { return QPoint(q.x, q.y) + shift; };
    switch (kind) {
    case ShapeKind::Polyline: {
        QPolygon polygon;
        for (const Point& q : pts)
            polygon << at(q);
        p.drawPolyline(polygon);
        break;
    }
    case ShapeKind::Bezier: {
        QPainterPath path(at(pts[0]));
        for (std::size_t i = 1; i + 2 < pts.size(); i += 3)
            path.cubicTo(at(pts[i]), at(pts[i + 1]), at(pts[i + 2]));
        p.drawPath(path);
        break;
    }
    case ShapeKind::Ellipse: {
        // The box's right and bottom edges lie outside the figure.
        const QPoint topLeft = at(pts[0]);
        const QPoint bottomRight = at(pts[1]);
        p.drawEllipse(QRect(
            topLeft, QSize(bottomRight.x() - topLeft.x() - 1, bottomRight.y() - topLeft.y() - 1)));
        break;
    }
    }
}

// The sprites live for the whole process, found by what they show: a keystroke changes one
// run of a line, and every other run and shape is put down again from its sprite by one blit.
// Bounded in number and in bytes of images: when a sprite would not fit, the cache starts afresh.
constexpr std::size_t SpritesKept = 2048;
constexpr qsizetype SpriteBytesKept = qsizetype(32) << 20;
qsizetype spriteBytes = 0;

// The largest image a sprite is drawn into, margins included: a run of a whole line of text at
// 12 points takes less than half of it. A line at hundreds of points would take hundreds of
// megabytes and seconds per run, and is drawn directly. The budget holds 32 of the largest.
constexpr qint64 SpriteImageBytesMax = qint64(1) << 20;

bool SpriteImageFits(const QRect& area) {
    return qint64(area.width()) * area.height() * 4 <= SpriteImageBytesMax;
}

struct SpriteEntry {
    Sprite sprite;
    bool made = false; // met once so far: nothing made yet
};

std::unordered_map<std::string, SpriteEntry>& Sprites() {
    static std::unordered_map<std::string, SpriteEntry> sprites;
    return sprites;
}

template <class T> void AppendRaw(std::string& key, const T& value) {
    key.append(reinterpret_cast<const char*>(&value), sizeof value);
}

} // namespace

void ClearSprites() {
    Sprites().clear();
    spriteBytes = 0;
}

namespace {
bool spritesOn = true;
} // namespace

void UseSprites(bool on) {
    spritesOn = on;
}

qsizetype SpriteBytes() {
    return spriteBytes;
}

namespace {

// The sprite of `key`, made by `make` the second time the key is met: what is drawn only once
// (a document being loaded, lines scrolled past) is not worth a sprite, and is drawn directly.
template <class Make> const Sprite& SpriteFor(const std::string& key, Make&& make) {
    static const Sprite none;
    auto& sprites = Sprites();
    const auto it = sprites.find(key);
    if (it == sprites.end()) {
        if (sprites.size() >= SpritesKept) ClearSprites();
        sprites.emplace(key, SpriteEntry{});
        return none;
    }
    if (it->second.made) return it->second.sprite;
    Sprite sprite = make();
    const qsizetype bytes = sprite.image.sizeInBytes();
    if (spriteBytes + bytes > SpriteBytesKept) {
        ClearSprites();
        SpriteEntry& entry =
            sprites.emplace(key, SpriteEntry{std::move(sprite), true}).first->second;
        spriteBytes = bytes;
        return entry.sprite;
    }
    it->second = SpriteEntry{std::move(sprite), true};
    spriteBytes += bytes;
    return it->second.sprite;
}

QPainter& PrepareSpritePainter(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    return p;
}

// The smallest rectangle around the pixels of `image` that are not fully transparent.
QRect InkBounds(const QImage& image) {
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int first = 0, last = image.width() - 1;
        while (first <= last && qAlpha(line[first]) == 0)
            ++first;
        while (last >= first && qAlpha(line[last]) == 0)
            --last;
        if (first <= last) ink |= QRect(first, y, last - first + 1, 1);
    }
    return ink;
}

// Whether every pixel of `image` is fully opaque.
bool Opaque(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(line[x]) != 0xFF) return false;
    }
    return true;
}

// Whether the first of the two strikes of a double-struck run keeps its ink inside `cell`,
// drawn alone into an image of `area` (both relative to the run's start on the baseline).
bool FirstStrikeInsideCell(const ResolvedFont& f, const Bytes& s, int extra, const QRect& cell,
                           const QRect& area) {
    QImage image(area.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        PrepareSpritePainter(p).setPen(Qt::black);
        DrawGlyphsOn(p, f, s, -area.left(), -area.top(), extra, 1);
    }
    const QRect ink = InkBounds(image);
    return ink.isEmpty() || cell.translated(-area.topLeft()).contains(ink);
}

// Where two glyphs put ink on the same pixel outside the cell, each blends over the other and
// then over what lies there; blended into a sprite first, the same pixel rounds differently.
// True when every pixel outside `cell` gets the ink of one glyph at most, judged by the glyphs'
// outlines with a margin for their smoothed edges (relative to the run's start on the baseline).
// Of a double-struck run, which is drawn a second time one pixel to the right, only that
// second time may reach out of the cell.
bool OneGlyphOutsideCell(const ResolvedFont& f, const Bytes& s, int extra, const QRect& cell,
                         const QRect& area) {
    const int shift = f.doubleStrike ? 1 : 0;
    std::vector<QRect> outside;
    int at = 0;
    for (unsigned char b : s) {
        if (!f.mapped[b]) return false; // drawn by a fallback font whose ink is not known here
        const QRect box = f.Raw().boundingRect(f.glyphs[b]).toAlignedRect();
        const QRect ink = box.translated(at + shift, 0).adjusted(-2, -2, 2, 2);
        if (!cell.contains(ink)) outside.push_back(ink);
        at += f.widths[b] + extra;
    }
    if (f.doubleStrike && !FirstStrikeInsideCell(f, s, extra, cell, area)) return false;
    for (std::size_t i = 0; i < outside.size(); ++i)
        for (std::size_t j = i + 1; j < outside.size(); ++j) {
            const QRect both = outside[i] & outside[j];
            if (!both.isEmpty() && !cell.contains(both)) return false;
        }
    return true;
}

// Puts a sprite with ink outside its cell down on a background of many shades and draws the run
// directly on the same background: the sprite is exact only where this system blends the edges
// of glyphs the way it blends a sprite (not so where it corrects their gamma).
bool BlendsAsDrawn(const Sprite& sprite, const ResolvedFont& f, const Bytes& s, int width,
                   int extra, const QColor& ink, const QColor& bk) {
    QImage direct(sprite.image.size(), QImage::Format_RGB32);
    for (int y = 0; y < direct.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(direct.scanLine(y));
        for (int x = 0; x < direct.width(); ++x)
            line[x] = qRgb((x * 71 + y * 29) & 0xFF, (x * 13 + y * 101 + 85) & 0xFF,
                           (x * 47 + y * 7 + 170) & 0xFF);
    }
    QImage blitted = direct.copy();
    {
        QPainter p(&direct);
        PrepareSpritePainter(p).setPen(ink);
        DrawRunOn(p, f, s, -sprite.offset.x(), -sprite.offset.y(), width, extra, ink, bk);
    }
    {
        QPainter p(&blitted);
        p.drawImage(QPoint(0, 0), sprite.image);
    }
    return direct == blitted;
}

// A text run drawn once into an image of its cell with a margin around it. On its opaque cell
// the sprite is copied; ink in the margin (an overhanging italic letter, say) is blended over
// what lies next to the cell, which the sprite does too where that gives the same pixels. Ink
// reaching the image's edge may have been cut off: such a run keeps being drawn directly.
Sprite MakeTextSprite(const ResolvedFont& f, const Bytes& s, int width, int extra,
                      const QColor& ink, const QColor& bk) {
    const QRect cell = CellOf(f.metrics, width);
    if (cell.isEmpty()) return Sprite{};
    const int margin = std::max(4, f.font.pixelSize());
    const QRect area = cell.adjusted(-margin, -margin, margin, margin);
    if (!SpriteImageFits(area)) return Sprite{};
    QImage image(area.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        PrepareSpritePainter(p).setPen(ink);
        DrawRunOn(p, f, s, -area.left(), -area.top(), width, extra, ink, bk);
    }
    const QRect inside = cell.translated(-area.topLeft());
    const QRect drawn = InkBounds(image); // the cell at least: its background is opaque
    if (drawn == inside)
        return Sprite{image.copy(inside).convertToFormat(QImage::Format_RGB32), cell.topLeft(),
                      true};
    if (!image.rect().adjusted(1, 1, -1, -1).contains(drawn) ||
        !OneGlyphOutsideCell(f, s, extra, cell, area))
        return Sprite{};
    Sprite sprite{image.copy(drawn), drawn.topLeft() + area.topLeft(), true};
    return BlendsAsDrawn(sprite, f, s, width, extra, ink, bk) ? sprite : Sprite{};
}

// A shape drawn once into an image of its bounds, pen width and two pixels around, and cut
// down to its ink: a blit of the transparent rest would leave the pixels as they were anyway.
// Without smoothing every pixel of the ink is opaque; where the ink fills its box (a straight
// bar) the sprite is copied rather than blended.
Sprite MakeShapeSprite(ShapeKind kind, const std::vector<Point>& pts, const QPen& pen,
                       const QBrush& brush, QRect bounds) {
    const int margin = pen.width() + 2;
    const QRect area = bounds.adjusted(-margin, -margin, margin, margin);
    if (!SpriteImageFits(area)) return Sprite{};
    QImage image(area.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        PrepareSpritePainter(p).setPen(pen);
        p.setBrush(brush);
        DrawShapeOn(p, kind, pts, -area.topLeft());
    }
    const QRect ink = InkBounds(image);
    if (ink.isEmpty()) return Sprite{{}, {}, true};
    if (!image.rect().adjusted(1, 1, -1, -1).contains(ink)) return Sprite{}; // cut off
    QImage cut = image.copy(ink);
    if (Opaque(cut)) cut = cut.convertToFormat(QImage::Format_RGB32);
    return Sprite{std::move(cut), area.topLeft() + ink.topLeft() - bounds.topLeft(), true};
}

} // namespace

const Sprite& QtCanvas::TextSprite(const ResolvedFont& f, const Bytes& s, int width, int extra,
                                   const QColor& ink, const QColor& bk) {
    std::string& key = spriteKey_;
    key.assign(1, 't');
    AppendRaw(key, fontId_);
    AppendRaw(key, extra);
    AppendRaw(key, ink.rgba());
    AppendRaw(key, bk.rgba());
    key += s;
    return SpriteFor(key, [&] { return MakeTextSprite(f, s, width, extra, ink, bk); });
}

// Shapes are kept by their points relative to their bounds: the same bracket anywhere on the
// line is one sprite, put down at its place.
const Sprite& QtCanvas::ShapeSprite(ShapeKind kind, const std::vector<Point>& pts, const QPen& pen,
                                    const QBrush& brush, const QRect& bounds) {
    std::string& key = spriteKey_;
    key.assign(1, char('a' + int(kind)));
    AppendRaw(key, pen.color().rgba());
    AppendRaw(key, pen.width());
    AppendRaw(key, int(pen.style()));
    AppendRaw(key, int(pen.capStyle()));
    AppendRaw(key, int(brush.style()));
    AppendRaw(key, brush.color().rgba());
    for (const Point& q : pts) {
        AppendRaw(key, q.x - bounds.left());
        AppendRaw(key, q.y - bounds.top());
    }
    return SpriteFor(key, [&] { return MakeShapeSprite(kind, pts, pen, brush, bounds); });
}

// ---- The canvas ----

QtCanvas::QtCanvas(FontDesc start) : font_(std::move(start)) {}

QtCanvas::QtCanvas(QPainter& painter, FontDesc start)
    : painter_(&painter), font_(std::move(start)) {
    painter_->save();
    // Lines fall on whole pixels exactly where the integer geometry puts them.
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setRenderHint(QPainter::TextAntialiasing, true);
}

QtCanvas::QtCanvas(QPaintDevice& device, FontDesc start)
    : ownPainter_(std::make_unique<QPainter>()), font_(std::move(start)) {
    if (!ownPainter_->begin(&device)) throw std::runtime_error("Cannot draw on this device");
    painter_ = ownPainter_.get();
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setRenderHint(QPainter::TextAntialiasing, true);
}

QtCanvas::~QtCanvas() {
    if (ownPainter_)
        ownPainter_->end();
    else if (painter_)
        painter_->restore();
}

// After the cache was cleared the ids this canvas knows may stand for other fonts.
void QtCanvas::ForgetStaleFonts() {
    if (generation_ == cacheGeneration) return;
    generation_ = cacheGeneration;
    if (resolved_) font_ = resolved_->desc;
    resolved_ = nullptr;
    fontId_ = -1;
}

const ResolvedFont& QtCanvas::Current() {
    ForgetStaleFonts();
    if (!resolved_) SelectFontId(FontIdOf(font_));
    return *resolved_;
}

FontId QtCanvas::FontIdOf(const FontDesc& f) {
    ForgetStaleFonts();
    if (resolved_ && SameFont(resolved_->desc, f)) return fontId_;
    return ResolveFontId(f);
}

void QtCanvas::SelectFontId(FontId id) {
    ForgetStaleFonts();
    if (id == fontId_ && resolved_) return;
    resolved_ = Cache().fonts.at(std::size_t(id)).get();
    fontId_ = id;
}

FontDesc QtCanvas::SelectFont(const FontDesc& f) {
    FontDesc old = Font();
    SelectFontId(FontIdOf(f));
    return old;
}

FontMetrics QtCanvas::Metrics() {
    return Current().metrics;
}

Size QtCanvas::TextExtent(const Bytes& s) {
    const ResolvedFont& f = Current();
    int width = 0;
    for (unsigned char b : s)
        width += f.widths[b] + extra_;
    return {width, f.metrics.tmHeight};
}

int QtCanvas::CharWidth(unsigned char c) {
    return Current().widths[c];
}

int QtCanvas::SetTextCharacterExtra(int extra) {
    return std::exchange(extra_, extra);
}
ColorRef QtCanvas::SetTextColor(ColorRef c) {
    return std::exchange(textColor_, c);
}
ColorRef QtCanvas::SetBkColor(ColorRef c) {
    return std::exchange(bkColor_, c);
}
bool QtCanvas::SetBaselineUpdateCP(bool on) {
    return std::exchange(baselineCP_, on);
}
void QtCanvas::MoveTo(int x, int y) {
    pos_ = {x, y};
}
RasterOp QtCanvas::SetRop2(RasterOp op) {
    return std::exchange(rop_, op);
}
Pen QtCanvas::SelectPen(const Pen& p) {
    return std::exchange(pen_, p);
}
Brush QtCanvas::SelectBrush(const Brush& b) {
    return std::exchange(brush_, b);
}

void QtCanvas::TextOut(const Bytes& s) {
    const ResolvedFont& f = Current();
    const int width = TextExtent(s).cx;
    // Without baseline alignment the position is the top left of the text's cell.
    const int baseline = baselineCP_ ? pos_.y : pos_.y + f.metrics.tmAscent;
    if (painter_ && !s.empty()) DrawTextRun(f, s, pos_.x, baseline, width);
    if (baselineCP_) pos_.x += width;
}

// Sprites are exact only where the painter puts pixels one to one on whole coordinates: a
// raster engine without scaling (a printer, an SVG file or a high-density screen draw directly).
bool QtCanvas::SpritesFit() {
    if (!spritesOn) return false;
    if (!spritesFit_) {
        const QPaintEngine* engine = painter_->paintEngine();
        spritesFit_ =
            engine && engine->type() == QPaintEngine::Raster &&
            painter_->device()->devicePixelRatio() == 1.0 &&
            painter_->deviceTransform().type() <= QTransform::TxTranslate &&
            painter_->deviceTransform().dx() == std::floor(painter_->deviceTransform().dx()) &&
            painter_->deviceTransform().dy() == std::floor(painter_->deviceTransform().dy());
    }
    return *spritesFit_;
}

void QtCanvas::DrawTextRun(const ResolvedFont& f, const Bytes& s, int x, int baseline, int width) {
    const QColor ink = ToQColor(textColor_);
    const std::optional<QColor> bk =
        CurrentBkMode() == BkMode::Opaque ? std::optional(ToQColor(bkColor_)) : std::nullopt;
    UseMode(QPainter::CompositionMode_SourceOver);
    // A run on a transparent background is drawn directly: blending the glyphs' edges from a
    // sprite over what is under them rounds differently from blending them while drawing.
    if (bk && SpritesFit()) {
        const Sprite& sprite = TextSprite(f, s, width, extra_, ink, *bk);
        if (sprite.exact) {
            painter_->drawImage(QPoint(x, baseline) + sprite.offset, sprite.image);
            return;
        }
    }
    UsePen(QPen(ink));
    DrawRunOn(*painter_, f, s, x, baseline, width, extra_, ink, bk);
}

// Setting the painter's pen, brush or mode makes its engine prepare its drawing again: only a
// change is passed on.
void QtCanvas::UsePen(const QPen& pen) {
    if (painterPen_ && *painterPen_ == pen) return;
    painter_->setPen(pen);
    painterPen_ = pen;
}

void QtCanvas::UseBrush(const QBrush& brush) {
    if (painterBrush_ && *painterBrush_ == brush) return;
    painter_->setBrush(brush);
    painterBrush_ = brush;
}

void QtCanvas::UseMode(QPainter::CompositionMode mode) {
    if (painterMode_ == mode) return;
    painter_->setCompositionMode(mode);
    painterMode_ = mode;
}

void QtCanvas::FillRect(const Rect& r, ColorRef c) {
    if (!painter_ || r.right <= r.left || r.bottom <= r.top) return;
    UseMode(QPainter::CompositionMode_SourceOver);
    painter_->fillRect(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top), ToQColor(c));
}

// Pen, brush and raster mode for the next shape. A thin line leaves out its last pixel, as on
// the original platform; a wide one has round ends.
void QtCanvas::PrepareShape(bool fill) {
    QPen pen(ToQColor(pen_.color));
    pen.setWidth(std::max(1, pen_.width));
    pen.setStyle(pen_.style == PenStyle::Dot ? Qt::DotLine : Qt::SolidLine);
    const bool thin = pen_.width <= 1;
    pen.setCapStyle(thin ? Qt::FlatCap : Qt::RoundCap);
    pen.setJoinStyle(thin ? Qt::MiterJoin : Qt::RoundJoin);
    UsePen(pen);
    UseBrush(fill && !brush_.null ? QBrush(ToQColor(brush_.color)) : QBrush());
    // Inverting needs a raster engine; a printer or SVG draws such lines plainly.
    const bool invert = rop_ == RasterOp::Not && painter_->paintEngine() &&
                        painter_->paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
    UseMode(invert ? QPainter::RasterOp_NotDestination : QPainter::CompositionMode_SourceOver);
}

void QtCanvas::Polyline(const std::vector<Point>& pts) {
    if (!painter_ || pts.size() < 2) return;
    DrawShape(ShapeKind::Polyline, pts, false);
}

void QtCanvas::PolyPolyline(const std::vector<std::vector<Point>>& lines) {
    for (const auto& line : lines)
        Polyline(line);
}

void QtCanvas::PolyBezier(const std::vector<Point>& pts) {
    if (!painter_ || pts.size() < 4) return;
    DrawShape(ShapeKind::Bezier, pts, false);
}

void QtCanvas::Ellipse(const Rect& box) {
    if (!painter_ || box.right <= box.left || box.bottom <= box.top) return;
    DrawShape(ShapeKind::Ellipse, {{box.left, box.top}, {box.right, box.bottom}}, true);
}

// A shape is drawn from its sprite where the sprite is exact: in copy mode, lines without
// antialiasing put down whole pixels only, the same wherever the shape stands.
void QtCanvas::DrawShape(ShapeKind kind, const std::vector<Point>& pts, bool fill) {
    PrepareShape(fill);
    if (painterMode_ == QPainter::CompositionMode_SourceOver && SpritesFit()) {
        QRect bounds(QPoint(pts[0].x, pts[0].y), QSize(1, 1));
        for (const Point& q : pts)
            bounds |= QRect(QPoint(q.x, q.y), QSize(1, 1));
        const Sprite& sprite = ShapeSprite(kind, pts, *painterPen_, *painterBrush_, bounds);
        if (sprite.exact) {
            painter_->drawImage(bounds.topLeft() + sprite.offset, sprite.image);
            return;
        }
    }
    DrawShapeOn(*painter_, kind, pts, QPoint(0, 0));
}

} // namespace zelm
