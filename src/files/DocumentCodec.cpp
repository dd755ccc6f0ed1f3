#include "files/DocumentCodec.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace zelm {

namespace {

// Offsets inside a font record.
constexpr std::size_t FontFaceAt = 0;
constexpr std::size_t FontSizeAt = 256;
constexpr std::size_t FontColorAt = 260;
constexpr std::size_t FontCharSetAt = 264;
constexpr std::size_t FontStyleAt = 265;

// Offsets inside a line record.
constexpr std::size_t LinePlainTextAt = 0;
constexpr std::size_t LineFontAt = 4;
constexpr std::size_t LineCodesAt = 272;
constexpr std::size_t LineTextAt = 528;
constexpr std::size_t LineTopAt = 784;
constexpr std::size_t LineWidthAt = 788;

constexpr std::size_t ShortStringSize = ShortStringMax + 1;

// Writers fill every byte first with zero, so padding and the unused tail of a short string
// come out as zeros without further care.
void PutInt32(Bytes& out, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i)
        out[at + i] = char((value >> (8 * i)) & 0xFF);
}

std::uint32_t GetUInt32(std::string_view in, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= std::uint32_t(std::uint8_t(in[at + i])) << (8 * i);
    return value;
}

std::int32_t GetInt32(std::string_view in, std::size_t at) {
    return static_cast<std::int32_t>(GetUInt32(in, at));
}

void PutShortString(Bytes& out, std::size_t at, std::string_view s) {
    const std::size_t length = std::min(s.size(), ShortStringMax);
    out[at] = char(length);
    std::copy_n(s.begin(), length, out.begin() + std::ptrdiff_t(at + 1));
}

Bytes GetShortString(std::string_view in, std::size_t at) {
    const std::size_t length = std::uint8_t(in[at]);
    return Bytes(in.substr(at + 1, length));
}

void RequireSize(std::string_view bytes, std::size_t size, const char* what) {
    if (bytes.size() != size) throw std::invalid_argument(std::string(what) + ": wrong size");
}

void PutFont(Bytes& out, std::size_t at, const TFontRecord& font) {
    PutShortString(out, at + FontFaceAt, font.face);
    PutInt32(out, at + FontSizeAt, std::uint32_t(font.size));
    PutInt32(out, at + FontColorAt, font.color);
    out[at + FontCharSetAt] = char(font.charSet);
    out[at + FontStyleAt] = char(font.style);
}

TFontRecord GetFont(std::string_view in, std::size_t at) {
    TFontRecord font;
    font.face = GetShortString(in, at + FontFaceAt);
    font.size = GetInt32(in, at + FontSizeAt);
    font.color = GetUInt32(in, at + FontColorAt);
    font.charSet = std::uint8_t(in[at + FontCharSetAt]);
    font.style = std::uint8_t(in[at + FontStyleAt]);
    return font;
}

std::size_t CountCodeCharacters(std::string_view text) {
    return std::size_t(
        std::count_if(text.begin(), text.end(), [](char c) { return c >= 1 && c <= 4; }));
}

void PutLine(Bytes& out, std::size_t at, bool plainText, const TFontRecord& font,
             std::string_view codes, std::string_view text, std::int32_t top, std::int32_t width) {
    out[at + LinePlainTextAt] = plainText ? 1 : 0;
    PutFont(out, at + LineFontAt, font);
    PutShortString(out, at + LineCodesAt, codes);
    PutShortString(out, at + LineTextAt, text);
    PutInt32(out, at + LineTopAt, std::uint32_t(top));
    PutInt32(out, at + LineWidthAt, std::uint32_t(width));
}

/// The text and code string a line is stored with.
struct StoredHalves {
    std::string_view text;
    std::string_view codes;
};

StoredHalves CutForStoring(std::string_view text, std::string_view codes) {
    if (text.size() > ShortStringMax) {
        // Cut both halves at the same code character, or the reloaded line would pair its
        // code characters with parameters that belong to the lost tail.
        text = text.substr(0, ShortStringMax);
        return {text, codes.substr(0, std::min(codes.size(), CountCodeCharacters(text)))};
    }
    return {text, codes.substr(0, std::min(codes.size(), ShortStringMax))};
}

} // namespace

Bytes EncodeFont(const TFontRecord& font) {
    Bytes out(FontRecordSize, '\0');
    PutFont(out, 0, font);
    return out;
}

TFontRecord DecodeFont(std::string_view bytes) {
    RequireSize(bytes, FontRecordSize, "font record");
    return GetFont(bytes, 0);
}

Bytes EncodeLine(const TLineRecord& line) {
    Bytes out(LineRecordSize, '\0');
    PutLine(out, 0, line.plainText, line.font, line.codes, line.text, line.top, line.width);
    return out;
}

TLineRecord DecodeLine(std::string_view bytes) {
    RequireSize(bytes, LineRecordSize, "line record");
    TLineRecord line;
    // Files from elsewhere may hold any value here; everything but 0 means plain text.
    line.plainText = bytes[LinePlainTextAt] != 0;
    line.font = GetFont(bytes, LineFontAt);
    line.codes = GetShortString(bytes, LineCodesAt);
    line.text = GetShortString(bytes, LineTextAt);
    line.top = GetInt32(bytes, LineTopAt);
    line.width = GetInt32(bytes, LineWidthAt);
    return line;
}

Bytes EncodeDocument(const std::vector<TLineRecord>& lines) {
    Bytes out(lines.size() * LineRecordSize, '\0');
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const TLineRecord& line = lines[k];
        PutLine(out, k * LineRecordSize, line.plainText, line.font, line.codes, line.text, line.top,
                line.width);
    }
    return out;
}

bool CanBeLine(const TLineRecord& line) {
    constexpr std::uint8_t AllStyles = StyleBold | StyleItalic | StyleUnderline | StyleStrikeOut;
    const auto within = [](std::int32_t value, std::int32_t low, std::int32_t high) {
        return value >= low && value <= high;
    };
    // Writers cut an over-long line with exactly the code bytes of the text they keep. The top
    // has no bound: a window does not keep its children's places within one.
    return !line.text.empty() && line.codes.size() == CountCodeCharacters(line.text) &&
           within(line.font.size, -LargestFontSize, LargestFontSize) &&
           (line.font.style & ~AllStyles) == 0 && within(line.width, 0, LargestCoordinate);
}

DecodedDocument ReadDocumentRecords(std::string_view bytes) {
    DecodedDocument document;
    document.records = (bytes.size() + LineRecordSize - 1) / LineRecordSize;
    const std::size_t whole = bytes.size() / LineRecordSize;
    document.lines.reserve(whole);
    for (std::size_t k = 0; k < whole; ++k) {
        TLineRecord line = DecodeLine(bytes.substr(k * LineRecordSize, LineRecordSize));
        if (CanBeLine(line)) document.lines.push_back(std::move(line));
    }
    return document;
}

std::vector<TLineRecord> DecodeDocument(std::string_view bytes) {
    return ReadDocumentRecords(bytes).lines;
}

int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    const long long product = static_cast<long long>(a) * b;
    long long quotient = product / c;
    const long long remainder = product % c;
    // Half away from zero: the remainder carries the sign of the product.
    if (2 * (remainder < 0 ? -remainder : remainder) >= (c < 0 ? -static_cast<long long>(c) : c))
        quotient += ((product < 0) != (c < 0)) ? -1 : 1;
    if (quotient > std::numeric_limits<int>::max() || quotient < std::numeric_limits<int>::min())
        return -1;
    return int(quotient);
}

std::int32_t HeightToPoints(int height) {
    return -MulDiv(height, 72, 96);
}

int PointsToHeight(std::int32_t points) {
    return -MulDiv(points, 96, 72);
}

TFontRecord FontToRecord(const FontDesc& font, ColorRef color) {
    TFontRecord record;
    record.face = font.face.substr(0, std::min(font.face.size(), ShortStringMax));
    record.size = HeightToPoints(font.height);
    record.color = color; // a system colour (top byte 0xFF) is kept as the index it is
    record.charSet = std::uint8_t(font.charSet);
    record.style = std::uint8_t(
        (font.weight >= 700 ? StyleBold : 0) | (font.italic != 0 ? StyleItalic : 0) |
        (font.underline != 0 ? StyleUnderline : 0) | (font.strikeOut != 0 ? StyleStrikeOut : 0));
    return record;
}

void ApplyFontRecord(const TFontRecord& record, FontDesc& font, ColorRef& color) {
    font.face = record.face;
    color = record.color;
    font.height = PointsToHeight(record.size);
    font.charSet = record.charSet;
    font.weight = (record.style & StyleBold) != 0 ? 700 : 400;
    font.italic = (record.style & StyleItalic) != 0 ? 1 : 0;
    font.underline = (record.style & StyleUnderline) != 0 ? 1 : 0;
    font.strikeOut = (record.style & StyleStrikeOut) != 0 ? 1 : 0;
}

RecordedFont RecordToFont(const TFontRecord& record) {
    RecordedFont result;
    ApplyFontRecord(record, result.font, result.color);
    return result;
}

SavedLine LineToRecord(bool plainText, const TFontRecord& font, const Bytes& text,
                       const Bytes& codes, std::int32_t top, std::int32_t width) {
    SavedLine saved;
    saved.overLong = text.size() > LongestQuietLine;
    TLineRecord& record = saved.record;
    record.plainText = plainText;
    record.font = font;
    const StoredHalves stored = CutForStoring(text, codes);
    record.text = Bytes(stored.text);
    record.codes = Bytes(stored.codes);
    record.top = top;
    record.width = width;
    return saved;
}

DocumentWriter::DocumentWriter(std::size_t lines) : out_(lines * LineRecordSize, '\0') {}

bool DocumentWriter::Add(bool plainText, const TFontRecord& font, std::string_view text,
                         std::string_view codes, std::int32_t top, std::int32_t width) {
    const std::size_t at = lines_ * LineRecordSize;
    if (at + LineRecordSize > out_.size()) out_.resize(at + LineRecordSize, '\0');
    const StoredHalves stored = CutForStoring(text, codes);
    PutLine(out_, at, plainText, font, stored.codes, stored.text, top, width);
    ++lines_;
    return text.size() > LongestQuietLine;
}

Bytes DocumentWriter::Take() {
    out_.resize(lines_ * LineRecordSize);
    lines_ = 0;
    return std::move(out_);
}

} // namespace zelm
