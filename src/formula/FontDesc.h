// A font as described to a canvas, and the table that gives each description a small id: every
// part a line measures or paints asks for the id of its font, so finding it must cost a hash of
// a few numbers and mostly one comparison, however many sizes a document has used.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zelm {

/// A font as described to the canvas. `height` follows the platform convention: negative is
/// the character height in pixels, positive the cell height.
struct FontDesc {
    std::string face = "Tahoma";
    int height = -16;
    int width = 0;
    int weight = 400;
    int italic = 0;    // 0 or 1
    int underline = 0; // 0 off, any other value on
    int strikeOut = 0;
    int charSet = 0;
    bool operator==(const FontDesc&) const = default;
};

/// A height or width at `percent` of its size, rounded half away from zero.
inline int ZoomedHeight(int value, int percent) {
    const int scaled = value * percent;
    return (scaled + (scaled < 0 ? -50 : 50)) / 100;
}

/// `f` at `percent` of its size: the layout measures the zoomed line in its own pixels.
inline FontDesc ZoomedFont(FontDesc f, int percent) {
    f.height = ZoomedHeight(f.height, percent);
    f.width = ZoomedHeight(f.width, percent);
    return f;
}

/// A font id, valid for the life of the table (or canvas) that gave it.
using FontId = int;

/// Cheaper than the == of the description: the sizes differ far more often than the faces.
inline bool SameFont(const FontDesc& a, const FontDesc& b) {
    return a.height == b.height && a.weight == b.weight && a.italic == b.italic &&
           a.underline == b.underline && a.width == b.width && a.strikeOut == b.strikeOut &&
           a.charSet == b.charSet && a.face == b.face;
}

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

/// The ids of the descriptions added so far, kept by open addressing on their hash. Never
/// more than half full.
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

} // namespace zelm
