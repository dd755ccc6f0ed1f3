#include "platform/QtCanvas.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPolygon>
#include <QRawFont>
#include <algorithm>
#include <map>
#include <optional>
#include <stdexcept>
#include <tuple>
#include <unordered_map>
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
    std::array<int, 256> advanceUnits{}; // from hmtx; used only when the tables have advances
    bool simulatedBold = false;          // bold asked of a font file that is not bold
};

QString FromCp1252(const std::string& bytes) {
    QString s;
    for (unsigned char b : bytes)
        s += QChar(char16_t(Cp1252ToUnicode(b)));
    return s;
}

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

void ReadAdvanceUnits(const QRawFont& raw, FaceData& data) {
    QString all;
    for (char32_t c : data.chars)
        all += QChar(char16_t(c));
    const QList<quint32> glyphs = raw.glyphIndexesForString(all);
    for (int b = 0; b < 256 && b < glyphs.size(); ++b)
        data.advanceUnits[b] = data.tables->AdvanceOf(glyphs[b]).value_or(0);
}

FaceData LoadFace(const FontDesc& d) {
    QFont f = BaseQFont(d);
    f.setPixelSize(16);
    const QRawFont raw = QRawFont::fromFont(f);
    FaceData data;
    data.family = raw.familyName();
    data.tables = ReadFontTables(TableOf(raw, "OS/2"), TableOf(raw, "hhea"), TableOf(raw, "head"),
                                 TableOf(raw, "post"), TableOf(raw, "hmtx"));
    data.simulatedBold = data.tables && QtWeight(d.weight) >= QFont::DemiBold &&
                         data.tables->weightClass < QFont::DemiBold;
    MapBytes(raw, IsSymbolFace(d.face), data);
    if (data.tables && !data.tables->advances.empty()) ReadAdvanceUnits(raw, data);
    return data;
}

using FaceKey = std::tuple<std::string, int, bool>;

struct FontDescHash {
    std::size_t operator()(const FontDesc& d) const {
        std::size_t h = std::hash<std::string>()(d.face);
        for (int v : {d.height, d.width, d.weight, d.italic, d.underline, d.strikeOut, d.charSet})
            h = h * 31 + std::hash<int>()(v);
        return h;
    }
};

// The caches live for the whole process: a description is resolved once, whichever line
// editor or printer asks for it, and a font file is read once for all its sizes.
struct FontCache {
    std::unordered_map<FontDesc, std::shared_ptr<const ResolvedFont>, FontDescHash> fonts;
    std::map<FaceKey, FaceData> faces;
};

FontCache& Cache() {
    static FontCache cache;
    return cache;
}

const FaceData& FaceFor(const FontDesc& d) {
    auto& faces = Cache().faces;
    const FaceKey key{d.face, int(QtWeight(d.weight)), d.italic != 0};
    auto it = faces.find(key);
    if (it == faces.end()) it = faces.emplace(key, LoadFace(d)).first;
    return it->second;
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
    r->font = BaseQFont(d);
    r->family = face.family;
    r->chars = face.chars;
    r->mapped = face.mapped;
    if (face.tables)
        ResolveOutline(face, d, *r);
    else
        ResolveBasic(d, *r);
    return r;
}

} // namespace

std::shared_ptr<const ResolvedFont> ResolveFont(const FontDesc& f) {
    auto& fonts = Cache().fonts;
    auto it = fonts.find(f);
    if (it == fonts.end()) it = fonts.emplace(f, Resolve(f)).first;
    return it->second;
}

FontMetrics MetricsOf(const FontDesc& f) {
    return ResolveFont(f)->metrics;
}

int ResolvedFontCount() {
    return int(Cache().fonts.size());
}

void ClearFontCache() {
    Cache().fonts.clear();
    Cache().faces.clear();
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

const ResolvedFont& QtCanvas::Current() {
    if (!resolved_) resolved_ = ResolveFont(font_);
    return *resolved_;
}

FontDesc QtCanvas::SelectFont(const FontDesc& f) {
    FontDesc old = std::exchange(font_, f);
    resolved_ = ResolveFont(font_);
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

// Each character goes where the measured advances put it, so that the drawn text covers
// exactly the extent the layout measured, extra spacing included.
void QtCanvas::DrawTextRun(const ResolvedFont& f, const Bytes& s, int x, int baseline, int width) {
    const FontMetrics& m = f.metrics;
    const QColor ink = ToQColor(textColor_);
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_->fillRect(QRect(x, baseline - m.tmAscent, width, m.tmHeight), ToQColor(bkColor_));
    painter_->setFont(f.font);
    painter_->setPen(ink);
    int at = x;
    for (unsigned char b : s) {
        painter_->drawText(QPoint(at, baseline), QString(QChar(char16_t(f.chars[b]))));
        at += f.widths[b] + extra_;
    }
    if (font_.underline)
        painter_->fillRect(
            QRect(x, baseline - m.underscorePosition, width, std::max(1, m.underscoreSize)), ink);
    if (font_.strikeOut)
        painter_->fillRect(
            QRect(x, baseline - m.strikeoutPosition, width, std::max(1, m.strikeoutSize)), ink);
}

void QtCanvas::FillRect(const Rect& r, ColorRef c) {
    if (!painter_ || r.right <= r.left || r.bottom <= r.top) return;
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
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
    painter_->setPen(pen);
    painter_->setBrush(fill && !brush_.null ? QBrush(ToQColor(brush_.color)) : QBrush());
    // Inverting needs a raster engine; a printer or SVG draws such lines plainly.
    const bool invert = rop_ == RasterOp::Not && painter_->paintEngine() &&
                        painter_->paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
    painter_->setCompositionMode(invert ? QPainter::RasterOp_NotDestination
                                        : QPainter::CompositionMode_SourceOver);
}

void QtCanvas::Polyline(const std::vector<Point>& pts) {
    if (!painter_ || pts.size() < 2) return;
    PrepareShape(false);
    QPolygon polygon;
    for (const Point& p : pts)
        polygon << QPoint(p.x, p.y);
    painter_->drawPolyline(polygon);
}

void QtCanvas::PolyPolyline(const std::vector<std::vector<Point>>& lines) {
    for (const auto& line : lines)
        Polyline(line);
}

void QtCanvas::PolyBezier(const std::vector<Point>& pts) {
    if (!painter_ || pts.size() < 4) return;
    PrepareShape(false);
    QPainterPath path(QPointF(pts[0].x, pts[0].y));
    for (std::size_t i = 1; i + 2 < pts.size(); i += 3)
        path.cubicTo(pts[i].x, pts[i].y, pts[i + 1].x, pts[i + 1].y, pts[i + 2].x, pts[i + 2].y);
    painter_->drawPath(path);
}

void QtCanvas::Ellipse(const Rect& box) {
    if (!painter_ || box.right <= box.left || box.bottom <= box.top) return;
    PrepareShape(true);
    // The box's right and bottom edges lie outside the figure.
    painter_->drawEllipse(
        QRect(box.left, box.top, box.right - box.left - 1, box.bottom - box.top - 1));
}

} // namespace zelm
