// The small value types every layer shares: byte strings of the line's character sets,
// colours as the document stores them, and the taker of a file's bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace zelm {

/// Texts are byte strings in Windows-1252; bytes 1 to 6 are the formula's code characters.
using Bytes = std::string;

/// A colour as 0x00BBGGRR; a value whose top byte is 0xFF names a system colour by its low byte.
using ColorRef = std::uint32_t;

constexpr ColorRef Rgb(int r, int g, int b) {
    return ColorRef(r & 0xFF) | (ColorRef(g & 0xFF) << 8) | (ColorRef(b & 0xFF) << 16);
}
constexpr int RedOf(ColorRef c) {
    return int(c & 0xFF);
}
constexpr int GreenOf(ColorRef c) {
    return int((c >> 8) & 0xFF);
}
constexpr int BlueOf(ColorRef c) {
    return int((c >> 16) & 0xFF);
}

/// Takes a file's bytes piece by piece, so that a large file is never held whole.
using ByteSink = std::function<void(std::string_view piece)>;

} // namespace zelm
