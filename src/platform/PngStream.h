// A PNG file written row by row, so that a picture taller than memory allows is drawn in bands
// and never held whole.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <zlib.h>

#include "formula/Types.h"

namespace zelm {

class PngStream {
public:
    /// The largest width or height the format holds.
    static constexpr std::int64_t MaxSide = 0x7FFFFFFF;

    /// Starts an 8-bit RGB picture of `width` x `height` pixels; the header goes to `out` at once.
    PngStream(int width, int height, ByteSink out);
    ~PngStream();
    PngStream(const PngStream&) = delete;
    PngStream& operator=(const PngStream&) = delete;

    /// The next row, `width` pixels of 0xAARRGGBB as a QImage of RGB32 holds them.
    void Row(const std::uint32_t* pixels);
    /// Ends the file after the last row.
    void Finish();

private:
    void Deflate(int flush);
    void Chunk(const char* type, std::string_view data);

    int width_;
    ByteSink out_;
    z_stream zip_{};
    std::string row_, above_, compressed_;
};

} // namespace zelm
