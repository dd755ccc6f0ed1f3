// Documents the benchmarks load: formula and plain-text lines, one below the other.
#pragma once

#include <vector>

#include "files/DocumentCodec.h"

namespace zelm::bench {

/// A document of `count` lines, each `spacing` pixels below the one before.
inline Bytes MakeDocument(int count, int spacing) {
    const char* const texts[] = {" sin x+cos y", " a^2+b^2=c^2", " Een regel gewone tekst",
                                 " log(x)/2"};
    std::vector<TLineRecord> lines;
    for (int i = 0; i < count; ++i) {
        TLineRecord r;
        r.plainText = i % 4 == 2;
        r.font = FontToRecord(FontDesc{}, 0);
        r.text = texts[i % 4];
        r.top = i * spacing;
        r.width = 480;
        lines.push_back(r);
    }
    return EncodeDocument(lines);
}

} // namespace zelm::bench
