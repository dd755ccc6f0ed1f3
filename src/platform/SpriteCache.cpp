#include "platform/SpriteCache.h"

#include <QPainter>
#include <algorithm>
#include <utility>

namespace zelm {

namespace {

// Bounded in number and in bytes of images: when a sprite would not fit, the cache starts afresh.
constexpr std::size_t SpritesKept = 2048;
constexpr qsizetype SpriteBytesKept = qsizetype(32) << 20;

// The largest image a sprite is drawn into, margins included: a run of a whole line of text at
// 12 points takes less than half of it. A line at hundreds of points would take hundreds of
// megabytes and seconds per run, and is drawn directly. The budget holds 32 of the largest.
constexpr qint64 SpriteImageBytesMax = qint64(1) << 20;

bool SpriteImageFits(const QRect& area) {
    return qint64(area.width()) * area.height() * 4 <= SpriteImageBytesMax;
}

template <class T> void AppendRaw(std::string& key, const T& value) {
    key.append(reinterpret_cast<const char*>(&value), sizeof value);
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

void SpriteCache::Clear() {
    sprites_.clear();
    bytes_ = 0;
}

// The sprite of the key, made by `make` the second time the key is met: what is drawn only once
// (a document being loaded, lines scrolled past) is not worth a sprite, and is drawn directly.
template <class Make> const Sprite& SpriteCache::For(Make&& make) {
    static const Sprite none;
    // Text sprites are kept by font id: after the font table was cleared an id may stand for
    // another font.
    if (generation_ != FontCacheGeneration()) {
        Clear();
        generation_ = FontCacheGeneration();
    }
    const auto it = sprites_.find(key_);
    if (it == sprites_.end()) {
        if (sprites_.size() >= SpritesKept) Clear();
        sprites_.emplace(key_, Entry{});
        return none;
    }
    if (it->second.made) return it->second.sprite;
    Sprite sprite = make();
    const qsizetype bytes = sprite.image.sizeInBytes();
    if (bytes_ + bytes > SpriteBytesKept) {
        Clear();
        Entry& entry = sprites_.emplace(key_, Entry{std::move(sprite), true}).first->second;
        bytes_ = bytes;
        return entry.sprite;
    }
    it->second = Entry{std::move(sprite), true};
    bytes_ += bytes;
    return it->second.sprite;
}

const Sprite& SpriteCache::Text(FontId id, const ResolvedFont& f, const Bytes& s, int width,
                                int extra, const QColor& ink, const QColor& bk) {
    std::string& key = key_;
    key.assign(1, 't');
    AppendRaw(key, id);
    AppendRaw(key, extra);
    AppendRaw(key, ink.rgba());
    AppendRaw(key, bk.rgba());
    key += s;
    return For([&] { return MakeTextSprite(f, s, width, extra, ink, bk); });
}

// Shapes are kept by their points relative to their bounds: the same bracket anywhere on the
// line is one sprite, put down at its place.
const Sprite& SpriteCache::Shape(ShapeKind kind, const std::vector<Point>& pts, const QPen& pen,
                                 const QBrush& brush, const QRect& bounds) {
    std::string& key = key_;
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
    return For([&] { return MakeShapeSprite(kind, pts, pen, brush, bounds); });
}

} // namespace zelm
