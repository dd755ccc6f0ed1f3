// The document file: line records of 792 bytes back to back, each holding the line's mode, its
// font record, its code string and its text, and the line editor's top and width. Recovery
// files share the format and the settings file reuses the font record. Byte for byte:
// little-endian int32, short strings (a length byte and up to 255 characters, zero-filled),
// padding written as zeros and ignored when read.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formula/FontDesc.h"
#include "formula/Types.h"

namespace zelm {

/// Size in bytes of a stored font record.
constexpr std::size_t FontRecordSize = 268;
/// Size in bytes of a stored line record.
constexpr std::size_t LineRecordSize = 792;
/// The most characters a short-string field holds.
constexpr std::size_t ShortStringMax = 255;

/// Style bits of a font record.
constexpr std::uint8_t StyleBold = 1;
constexpr std::uint8_t StyleItalic = 2;
constexpr std::uint8_t StyleUnderline = 4;
constexpr std::uint8_t StyleStrikeOut = 8;

/// A stored font: face name, size in points, colour, character set and style bits.
struct TFontRecord {
    std::string face;
    std::int32_t size = 0;
    ColorRef color = 0;
    std::uint8_t charSet = 0;
    std::uint8_t style = 0;
    bool operator==(const TFontRecord&) const = default;
};

/// One stored line of a document or recovery file.
struct TLineRecord {
    bool plainText = false;
    TFontRecord font;
    Bytes codes; // one parameter byte per code character 1 to 4 of `text`; may contain 0
    Bytes text;
    std::int32_t top = 0;
    std::int32_t width = 0;
    bool operator==(const TLineRecord&) const = default;
};

using FontRecord = TFontRecord;
using LineRecord = TLineRecord;

/// The 268 bytes of a font record. A face name longer than 255 characters keeps its first 255.
Bytes EncodeFont(const TFontRecord& font);
/// Reads a font record from exactly 268 bytes; throws std::invalid_argument on another size.
TFontRecord DecodeFont(std::string_view bytes);

/// The 792 bytes of a line record. Strings longer than 255 bytes keep their first 255; use
/// `LineToRecord` to cut an over-long line consistently.
Bytes EncodeLine(const TLineRecord& line);
/// Reads a line record from exactly 792 bytes; throws std::invalid_argument on another size.
TLineRecord DecodeLine(std::string_view bytes);

/// The whole file of a document: its line records in column order.
Bytes EncodeDocument(const std::vector<TLineRecord>& lines);
/// A document file as read: the whole records that can be lines, in file order, and how many
/// records the file holds, a cut-off last one counted.
struct DecodedDocument {
    std::vector<TLineRecord> lines;
    std::size_t records = 0;
    /// True when a record was left out: the file is not what the program writes.
    bool Damaged() const { return lines.size() != records; }
};
/// Reads a document file, leaving out every record that cannot be a line (`CanBeLine`) and a
/// cut-off last record. A record stands on its own, so one bad record costs only its line.
DecodedDocument ReadDocumentRecords(std::string_view bytes);
/// The lines of a document file that `ReadDocumentRecords` keeps.
std::vector<TLineRecord> DecodeDocument(std::string_view bytes);

/// Rounds a * b / c half away from zero, as the platform's MulDiv; -1 when c is 0.
int MulDiv(int a, int b, int c);

/// Points of a font height at 96 dpi: -MulDiv(height, 72, 96).
std::int32_t HeightToPoints(int height);
/// Font height at 96 dpi of a size in points: -MulDiv(points, 96, 72).
int PointsToHeight(std::int32_t points);

/// The stored form of a font drawn in `color`.
TFontRecord FontToRecord(const FontDesc& font, ColorRef color);

/// The largest size in points the font dialog offers. A damaged record may claim any int32;
/// laying a line out at millions of pixels would exhaust memory before it could be shown.
constexpr std::int32_t LargestFontSize = 1638;
/// `record` with its size kept within LargestFontSize either way.
inline TFontRecord ClampFontSize(TFontRecord record) {
    record.size = std::clamp(record.size, -LargestFontSize, LargestFontSize);
    return record;
}

/// The largest size a window gives a widget (Qt's QWIDGETSIZE_MAX): no line the program stores
/// is wider.
constexpr std::int32_t LargestCoordinate = (1 << 24) - 1;

/// True when a record holds what the program can store of a line: a text, never empty; one
/// code byte per code character 1 to 4 in it; a size within LargestFontSize; only the four
/// style bits; a width that a window can give a line.
bool CanBeLine(const TLineRecord& line);

/// A font and its colour as read back from a record.
struct RecordedFont {
    FontDesc font;
    ColorRef color = 0;
};

/// Sets `font` and `color` from a record in the order face, colour, size, character set,
/// style; the order matters only to a font object that reacts to each change.
void ApplyFontRecord(const TFontRecord& record, FontDesc& font, ColorRef& color);
/// A default font with the record applied.
RecordedFont RecordToFont(const TFontRecord& record);

/// A line made ready for saving, and whether it was over-long (the caller beeps).
struct SavedLine {
    TLineRecord record;
    bool overLong = false;
};

/// Lines of more characters than this beep on saving.
constexpr std::size_t LongestQuietLine = 254;

/// Makes the record of a line. A text longer than 255 characters keeps its first 255 with
/// exactly the parameter bytes of the code characters among them, so that it reloads
/// consistently; otherwise the code string is kept whole (its bytes may include 0).
SavedLine LineToRecord(bool plainText, const TFontRecord& font, const Bytes& text,
                       const Bytes& codes, std::int32_t top, std::int32_t width);

/// A document file written in one pass: each line's record goes straight into one buffer,
/// cut as LineToRecord cuts it, with no record objects on the way.
class DocumentWriter {
public:
    /// Makes room for `lines` records at once.
    explicit DocumentWriter(std::size_t lines);
    /// Adds the record of a line; true when the line was over-long (the caller beeps).
    bool Add(bool plainText, const TFontRecord& font, std::string_view text, std::string_view codes,
             std::int32_t top, std::int32_t width);
    /// The file's bytes; the writer is empty afterwards.
    Bytes Take();

private:
    Bytes out_;
    std::size_t lines_ = 0;
};

} // namespace zelm
