#include "platform/PngStream.h"

#include <stdexcept>

namespace zelm {

namespace {

// The fastest level: rows filtered "Up" are mostly zeros, which every level packs alike.
constexpr int CompressionLevel = 1;

// Compressed bytes gathered into one data chunk.
constexpr std::size_t ChunkBytes = 1 << 16;

void BigEndian(std::string& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += char((v >> shift) & 0xFF);
}

} // namespace

PngStream::PngStream(int width, int height, ByteSink out) : width_(width), out_(std::move(out)) {
    if (deflateInit(&zip_, CompressionLevel) != Z_OK)
        throw std::runtime_error("Cannot compress the picture");
    out_(std::string_view("\x89PNG\r\n\x1A\n", 8));
    std::string header;
    BigEndian(header, std::uint32_t(width));
    BigEndian(header, std::uint32_t(height));
    header +=
        std::string("\x08\x02\x00\x00\x00", 5); // 8 bits, RGB, deflate, no filter, no interlace
    Chunk("IHDR", header);
    row_.resize(1 + 3 * std::size_t(width));
    above_.resize(3 * std::size_t(width)); // the row above the first is taken as zeros
}

PngStream::~PngStream() {
    deflateEnd(&zip_);
}

// Each row is filtered with "Up": text on a plain background repeats from row to row, and a
// blank row becomes zeros.
void PngStream::Row(const std::uint32_t* pixels) {
    row_[0] = 2;
    for (int x = 0; x < width_; ++x) {
        const std::uint32_t p = pixels[x];
        const unsigned char rgb[3] = {static_cast<unsigned char>(p >> 16),
                                      static_cast<unsigned char>(p >> 8),
                                      static_cast<unsigned char>(p)};
        for (std::size_t k = 0; k < 3; ++k) {
            const std::size_t at = 3 * std::size_t(x) + k;
            row_[1 + at] = char(rgb[k] - static_cast<unsigned char>(above_[at]));
            above_[at] = char(rgb[k]);
        }
    }
    zip_.next_in = reinterpret_cast<Bytef*>(row_.data());
    zip_.avail_in = uInt(row_.size());
    Deflate(Z_NO_FLUSH);
}

void PngStream::Finish() {
    zip_.next_in = nullptr;
    zip_.avail_in = 0;
    Deflate(Z_FINISH);
    if (!compressed_.empty()) Chunk("IDAT", compressed_);
    Chunk("IEND", {});
}

void PngStream::Deflate(int flush) {
    char buffer[ChunkBytes];
    for (;;) {
        zip_.next_out = reinterpret_cast<Bytef*>(buffer);
        zip_.avail_out = sizeof buffer;
        const int result = deflate(&zip_, flush);
        if (result == Z_STREAM_ERROR) throw std::runtime_error("Cannot compress the picture");
        compressed_.append(buffer, sizeof buffer - zip_.avail_out);
        if (compressed_.size() >= ChunkBytes) {
            Chunk("IDAT", compressed_);
            compressed_.clear();
        }
        if (flush == Z_FINISH ? result == Z_STREAM_END : zip_.avail_out != 0) return;
    }
}

void PngStream::Chunk(const char* type, std::string_view data) {
    std::string chunk;
    BigEndian(chunk, std::uint32_t(data.size()));
    chunk += type;
    chunk += data;
    const auto* typed = reinterpret_cast<const Bytef*>(chunk.data() + 4);
    BigEndian(chunk, std::uint32_t(crc32(0, typed, uInt(chunk.size() - 4))));
    out_(chunk);
}

} // namespace zelm
