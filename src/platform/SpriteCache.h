// Text runs and shapes drawn once into images and put down again by a blit. A window's canvases
// share one cache: a keystroke changes one run of a line, and every other run and shape of its
// lines comes from its sprite. A canvas given no cache draws everything directly.
#pragma once

#include <QBrush>
#include <QColor>
#include <QImage>
#include <QPen>
#include <QPoint>
#include <QRect>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/FontTable.h"
#include "platform/GlyphRuns.h"

namespace zelm {

/// Pixels drawn once and put down again by a blit: a text run on its background, or a shape.
struct Sprite {
    QImage image;
    QPoint offset;      ///< of the image's top left from where the run or shape is drawn
    bool exact = false; ///< false: the blit would not give the same pixels; draw directly
};

/// Sprites found by what they show. A sprite is made the second time its key is met, and only
/// where its image takes at most 1 MB; the images together stay within 32 MB (the cache starts
/// afresh when one would not fit). Sprites of text go with the fonts they were drawn in: the
/// cache starts afresh after the font table was cleared.
class SpriteCache {
public:
    /// The sprite of text run `s` in font `id` (`f`), `width` pixels wide with `extra` spacing,
    /// in `ink` on an opaque cell of `bk`.
    const Sprite& Text(FontId id, const ResolvedFont& f, const Bytes& s, int width, int extra,
                       const QColor& ink, const QColor& bk);
    /// The sprite of a shape through `pts` (see DrawShapeOn) that lies within `bounds`.
    const Sprite& Shape(ShapeKind kind, const std::vector<Point>& pts, const QPen& pen,
                        const QBrush& brush, const QRect& bounds);
    /// The bytes of the images the sprites hold together.
    qsizetype ImageBytes() const { return bytes_; }
    void Clear();

private:
    struct Entry {
        Sprite sprite;
        bool made = false; // met once so far: nothing made yet
    };
    template <class Make> const Sprite& For(Make&& make);

    std::unordered_map<std::string, Entry> sprites_;
    qsizetype bytes_ = 0;
    int generation_ = FontCacheGeneration(); // of the font table the text sprites were drawn in
    std::string key_;                        // of the sprite looked up; reused for every look-up
};

} // namespace zelm
