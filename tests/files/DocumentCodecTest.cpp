#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "files/DocumentCodec.h"

namespace zelm {
namespace {

using namespace std::string_literals;

// Expected records are assembled here from the offset tables, independently of the codec.
void Put(Bytes& b, std::size_t at, std::initializer_list<int> bytes) {
    for (int v : bytes)
        b[at++] = char(v);
}
void PutText(Bytes& b, std::size_t at, const Bytes& s) {
    b[at] = char(s.size());
    std::memcpy(b.data() + at + 1, s.data(), s.size());
}

TFontRecord TahomaBoldUnderlinedInHighlight() {
    // System colour 13 (highlight), character set 1, style 1 bold + 4 underline = 5.
    return TFontRecord{"Tahoma", 12, 0xFF00000Du, 1, 5};
}

TEST(FontRecordBytes, StyleBitsAndSystemColourLieAtTheirOffsets) {
    Bytes expected(268, '\0');
    PutText(expected, 0, "Tahoma");
    Put(expected, 256, {12, 0, 0, 0});
    Put(expected, 260, {0x0D, 0, 0, 0xFF});
    Put(expected, 264, {1, 5});
    EXPECT_EQ(EncodeFont(TahomaBoldUnderlinedInHighlight()), expected);
    EXPECT_EQ(DecodeFont(expected), TahomaBoldUnderlinedInHighlight());
}

TEST(FontRecordBytes, FaceNameKeepsAtMost255Characters) {
    const std::string longFace(300, 'f');
    const Bytes bytes = EncodeFont(TFontRecord{longFace, -9, Rgb(1, 2, 3), 0, 15});
    EXPECT_EQ(std::uint8_t(bytes[0]), 255);
    EXPECT_EQ(bytes[255], 'f');
    // A negative size and a plain colour 0x00030201, little-endian.
    EXPECT_EQ(bytes.substr(256, 8), "\xF7\xFF\xFF\xFF\x01\x02\x03\x00"s);
    EXPECT_EQ(std::uint8_t(bytes[265]), 15);

    const TFontRecord back = DecodeFont(bytes);
    EXPECT_EQ(back.face, std::string(255, 'f'));
    EXPECT_EQ(back.size, -9);
    EXPECT_EQ(back.color, 0x00030201u);
}

TEST(LineRecordBytes, PlainTextLine) {
    TLineRecord line;
    line.plainText = true;
    line.font = TFontRecord{"Arial", 10, Rgb(0, 0, 255), 1, 0};
    line.text = " Hallo";
    line.top = 40;
    line.width = -3;

    Bytes expected(792, '\0');
    Put(expected, 0, {1});
    PutText(expected, 4, "Arial");
    Put(expected, 4 + 256, {10, 0, 0, 0});
    Put(expected, 4 + 260, {0, 0, 0xFF, 0}); // blue is 0x00FF0000
    Put(expected, 4 + 264, {1, 0});
    Put(expected, 272, {0}); // no code characters
    PutText(expected, 528, " Hallo");
    Put(expected, 784, {40, 0, 0, 0});
    Put(expected, 788, {0xFD, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(EncodeLine(line), expected);
    EXPECT_EQ(DecodeLine(expected), line);
}

TEST(LineRecordBytes, FormulaLineWithCodeCharacters) {
    // " a" + name "=" (code 1, parameter 0) + "b" + symbol pi (code 4, parameter 'p') + opener
    // of a power (code 3, parameter 12).
    TLineRecord line;
    line.font = TFontRecord{"Tahoma", 12, 0, 1, 2};
    line.text = " a\x01"
                "b\x04\x03"s;
    line.codes = "\x00p\x0C"s;
    line.top = 0x01020304;
    line.width = 500;

    Bytes expected(792, '\0');
    PutText(expected, 4, "Tahoma");
    Put(expected, 4 + 256, {12, 0, 0, 0});
    Put(expected, 4 + 264, {1, 2});
    Put(expected, 272, {3, 0x00, 'p', 0x0C});
    Put(expected, 528, {6, ' ', 'a', 1, 'b', 4, 3});
    Put(expected, 784, {4, 3, 2, 1});
    Put(expected, 788, {0xF4, 0x01, 0, 0});
    EXPECT_EQ(EncodeLine(line), expected);
    EXPECT_EQ(DecodeLine(expected), line);
}

TEST(LineRecordBytes, ReaderIgnoresPaddingAndTailsAndTakesAnyNonZeroModeAsPlainText) {
    Bytes record(792, '\xAA');
    Put(record, 0, {7});
    PutText(record, 4, "Tangerine");
    Put(record, 4 + 256, {20, 0, 0, 0});
    Put(record, 4 + 260, {0, 0, 0, 0});
    Put(record, 4 + 264, {0, 8});
    PutText(record, 272, "");
    PutText(record, 528, " x");
    Put(record, 784, {0, 0, 0, 0});
    Put(record, 788, {0, 0, 0, 0});

    const TLineRecord line = DecodeLine(record);
    EXPECT_TRUE(line.plainText);
    EXPECT_EQ(line.font, (TFontRecord{"Tangerine", 20, 0, 0, 8}));
    EXPECT_EQ(line.codes, "");
    EXPECT_EQ(line.text, " x");

    Put(record, 0, {0});
    EXPECT_FALSE(DecodeLine(record).plainText);
}

TEST(LineRecordBytes, RecordsOfAnotherSizeAreRefused) {
    EXPECT_THROW(DecodeLine(Bytes(791, '\0')), std::invalid_argument);
    EXPECT_THROW(DecodeFont(Bytes(272, '\0')), std::invalid_argument);
}

TEST(DocumentBytes, WholeRecordsOnly) {
    EXPECT_TRUE(DecodeDocument("").empty());
    EXPECT_TRUE(DecodeDocument(Bytes(791, '\0')).empty());

    // 1000 bytes: one record of 792, the other 208 are ignored.
    Bytes thousand(1000, '\x01');
    Bytes first(792, '\0');
    PutText(first, 528, " een");
    thousand.replace(0, 792, first);
    const auto lines = DecodeDocument(thousand);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, " een");
}

TEST(DocumentBytes, ThreeLinesMake2376BytesAndComeBackInOrder) {
    std::vector<TLineRecord> lines(3);
    const char* texts[] = {" een", " twee\x03", " drie"};
    for (int k = 0; k < 3; ++k) {
        lines[std::size_t(k)].plainText = k == 2;
        lines[std::size_t(k)].font = TFontRecord{"Tahoma", 12 + k, Rgb(k, 0, 0), 1, 0};
        lines[std::size_t(k)].text = texts[k];
        lines[std::size_t(k)].top = 30 * k;
        lines[std::size_t(k)].width = 200;
    }
    lines[1].codes = "\x0C";

    const Bytes file = EncodeDocument(lines);
    ASSERT_EQ(file.size(), 2376u);
    EXPECT_EQ(file.substr(792 + 528, 7), "\x06 twee\x03"s);
    EXPECT_EQ(file.substr(2 * 792 + 784, 4), "\x3C\0\0\0"s); // top 60
    EXPECT_EQ(DecodeDocument(file), lines);
}

// A text of `length` characters with a code character (alternately 1 and 3) every tenth place,
// so that some fall inside the first 255 and some after them.
Bytes TextWithCodes(std::size_t length, Bytes& codes) {
    Bytes text(length, 'x');
    text[0] = ' ';
    codes.clear();
    for (std::size_t i = 9; i < length; i += 10) {
        text[i] = (i / 10) % 2 == 0 ? '\x01' : '\x03';
        codes += char(i == 9 ? 0 : i / 10); // the first parameter is 0 (name "=")
    }
    return text;
}

TEST(SavingRules, LongLinesBeepFrom255Characters) {
    const TFontRecord font = TahomaBoldUnderlinedInHighlight();
    EXPECT_FALSE(LineToRecord(false, font, Bytes(254, 'a'), "", 0, 0).overLong);

    // 255 characters: 25 code characters (places 10, 20, ..., 250), all kept.
    Bytes codes;
    const Bytes text = TextWithCodes(255, codes);
    ASSERT_EQ(codes.size(), 25u);
    const SavedLine saved = LineToRecord(false, font, text, codes, 7, 8);
    EXPECT_TRUE(saved.overLong);
    EXPECT_EQ(saved.record.text, text);
    EXPECT_EQ(saved.record.codes, codes);
    EXPECT_EQ(saved.record.top, 7);
    EXPECT_EQ(saved.record.width, 8);
    EXPECT_EQ(DecodeLine(EncodeLine(saved.record)), saved.record);
}

TEST(SavingRules, OverLongLineKeepsItsFirst255CharactersWithTheirCodeBytes) {
    // 300 characters: 30 code characters; those at places 10 .. 250 (25 of them) are among the
    // first 255 characters, the 5 at places 260 .. 300 are lost with their parameters.
    Bytes codes;
    const Bytes text = TextWithCodes(300, codes);
    ASSERT_EQ(codes.size(), 30u);
    const SavedLine saved = LineToRecord(true, TFontRecord{}, text, codes, 0, 0);
    EXPECT_TRUE(saved.overLong);
    EXPECT_EQ(saved.record.text, text.substr(0, 255));
    EXPECT_EQ(saved.record.codes, codes.substr(0, 25));

    const TLineRecord back = DecodeLine(EncodeLine(saved.record));
    EXPECT_EQ(back.text, text.substr(0, 255));
    ASSERT_EQ(back.codes.size(), 25u);
    EXPECT_EQ(back.codes[0], '\0'); // the zero parameter does not end the code string
    EXPECT_EQ(back.codes, codes.substr(0, 25));
}

TEST(SavingRules, CodeStringWithZeroBytesIsStoredWhole) {
    const Bytes text = " \x01\x01\x01"s;
    const Bytes codes = "\x00\x00\x05"s;
    const SavedLine saved = LineToRecord(false, TFontRecord{}, text, codes, 0, 0);
    EXPECT_FALSE(saved.overLong);
    const Bytes record = EncodeLine(saved.record);
    EXPECT_EQ(record.substr(272, 4), "\x03\x00\x00\x05"s);
    EXPECT_EQ(DecodeLine(record).codes, codes);
}

TEST(FontConversion, MulDivRoundsHalfAwayFromZero) {
    EXPECT_EQ(MulDiv(-16, 72, 96), -12);
    EXPECT_EQ(MulDiv(-13, 72, 96), -10); // -9.75
    EXPECT_EQ(MulDiv(-2, 72, 96), -2);   // -1.5
    EXPECT_EQ(MulDiv(2, 72, 96), 2);     // 1.5
    EXPECT_EQ(MulDiv(1, 72, 96), 1);     // 0.75
    EXPECT_EQ(MulDiv(5, 1, -2), -3);     // -2.5
    EXPECT_EQ(MulDiv(5, 1, 0), -1);
}

TEST(FontConversion, PixelHeightsAndPointsAt96Dpi) {
    FontDesc font;
    font.face = "Tahoma";
    font.height = -16;
    font.weight = 700;
    font.italic = 1;
    font.underline = 0;
    font.strikeOut = 1;
    font.charSet = 1;
    const TFontRecord record = FontToRecord(font, 0xFF000008u);
    // -MulDiv(-16, 72, 96) = 12; style 1 bold + 2 italic + 8 strike-out = 11.
    EXPECT_EQ(record, (TFontRecord{"Tahoma", 12, 0xFF000008u, 1, 11}));

    const RecordedFont back = RecordToFont(record);
    EXPECT_EQ(back.font.height, -16); // -MulDiv(12, 96, 72) = -16
    EXPECT_EQ(back.font.weight, 700);
    EXPECT_EQ(back.font.italic, 1);
    EXPECT_EQ(back.font.underline, 0);
    EXPECT_EQ(back.font.strikeOut, 1);
    EXPECT_EQ(back.font.charSet, 1);
    EXPECT_EQ(back.color, 0xFF000008u);

    // A cell height of 20: -MulDiv(20, 72, 96) = -15 points, and -MulDiv(-15, 96, 72) = 20.
    font.height = 20;
    EXPECT_EQ(FontToRecord(font, 0).size, -15);
    EXPECT_EQ(RecordToFont(FontToRecord(font, 0)).font.height, 20);

    // -13 px is 10 pt (9.75 rounded), which reads back as -13 px (13.33 rounded).
    font.height = -13;
    EXPECT_EQ(FontToRecord(font, 0).size, 10);
    EXPECT_EQ(PointsToHeight(10), -13);
}

TEST(FontConversion, WeightsFromSemiBoldDownAreNotBoldAndReadBackAs400) {
    FontDesc font;
    font.weight = 600;
    font.underline = 3; // any non-zero value underlines
    const TFontRecord record = FontToRecord(font, 0);
    EXPECT_EQ(record.style, StyleUnderline);
    const RecordedFont back = RecordToFont(record);
    EXPECT_EQ(back.font.weight, 400);
    EXPECT_EQ(back.font.underline, 1);
}

TEST(FontConversion, ApplyingARecordKeepsTheWidthOfTheFont) {
    FontDesc font;
    font.width = 7;
    ColorRef color = 0;
    ApplyFontRecord(TFontRecord{"Arial", 9, Rgb(255, 0, 0), 0, 0}, font, color);
    EXPECT_EQ(font.face, "Arial");
    EXPECT_EQ(font.height, -12); // -MulDiv(9, 96, 72) = -12
    EXPECT_EQ(font.width, 7);
    EXPECT_EQ(color, 0x000000FFu);
}

// The one-pass writer of a save makes the bytes that records cut by LineToRecord encode to.
TEST(DocumentWriter, WritesWhatTheRecordsOfTheLinesEncodeTo) {
    Bytes longCodes;
    const Bytes longText = TextWithCodes(300, longCodes);
    struct Row {
        bool plainText;
        TFontRecord font;
        Bytes text, codes;
        std::int32_t top, width;
    };
    const std::vector<Row> rows = {
        {false, TahomaBoldUnderlinedInHighlight(), " a+b", "", 0, 480},
        {true, TFontRecord{"Arial", 10, 0x0000FF, 0, 2}, " plain", "", 20, -1},
        {false, TFontRecord{}, " \x01\x01\x01"s, "\x00\x00\x05"s, -5, 7},  // zero parameters
        {true, TFontRecord{}, longText, longCodes, 40, 9999},              // over-long
        {false, TFontRecord{}, Bytes(254, 'x'), "", 1, 1},                 // quiet
        {false, TFontRecord{}, Bytes(255, 'y'), Bytes(300, '\x07'), 2, 2}, // beeps
    };
    DocumentWriter writer(2); // fewer than written: it grows
    std::vector<TLineRecord> records;
    for (const Row& r : rows) {
        const SavedLine saved = LineToRecord(r.plainText, r.font, r.text, r.codes, r.top, r.width);
        EXPECT_EQ(writer.Add(r.plainText, r.font, r.text, r.codes, r.top, r.width), saved.overLong)
            << r.text.size();
        records.push_back(saved.record);
    }
    const Bytes written = writer.Take();
    ASSERT_EQ(written.size(), rows.size() * LineRecordSize);
    EXPECT_EQ(written, EncodeDocument(records));
    EXPECT_EQ(writer.Take(), Bytes()); // taken: the writer starts empty again
}

} // namespace
} // namespace zelm
