// File names between the file system's bytes and QString: every byte string comes back as it
// was, valid UTF-8 reads as the text it spells, and other bytes survive escaped.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/Paths.h"

namespace zelm {
namespace {

TEST(FileNames, TextDecodesAsSpelledAndOtherBytesSurviveEscaped) {
    struct Row {
        std::string bytes;
        QString decoded;
    };
    const Row rows[] = {
        {"doc.mds", "doc.mds"},
        {"m\xC3\xA9t\xF0\x9F\x98\x80.mds", QString::fromUtf8("m\xC3\xA9t\xF0\x9F\x98\x80.mds")},
        {"m\xE9t", QString("m") + QChar(0xDCE9) + "t"},                           // Latin-1
        {"\xC3", QString(QChar(0xDCC3))},                                         // cut short
        {"\xC0\xAF", QString(QChar(0xDCC0)) + QChar(0xDCAF)},                     // overlong "/"
        {"\xED\xB3\xA9", QString(QChar(0xDCED)) + QChar(0xDCB3) + QChar(0xDCA9)}, // a surrogate
        {"\xF4\x90\x80\x80",
         QString(QChar(0xDCF4)) + QChar(0xDC90) + QChar(0xDC80) + QChar(0xDC80)},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(DecodeFileName(row.bytes), row.decoded) << row.bytes;
        EXPECT_EQ(NativePath(row.decoded), row.bytes);
    }
}

// Random byte strings, biased towards the bytes that make and break UTF-8 sequences.
TEST(FileNames, RandomBytesComeBackAsTheyWere) {
    std::mt19937 random(20261209);
    const unsigned char pieces[] = {'a',  '/',  '.',  0x80, 0xA9, 0xBF, 0xC2, 0xC3,
                                    0xE2, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFF, 0x7F};
    std::uniform_int_distribution<int> length(0, 24), any(1, 255), piece(0, int(sizeof pieces) - 1),
        coin(0, 1);
    for (int n = 0; n < 100000; ++n) {
        std::string bytes;
        for (int k = length(random); k > 0; --k)
            bytes += char(coin(random) ? pieces[piece(random)] : any(random));
        const QString name = DecodeFileName(bytes);
        ASSERT_EQ(NativePath(name), bytes);
        // Valid UTF-8 reads exactly as Qt reads it.
        const QByteArray raw = QByteArray::fromStdString(bytes);
        if (QString::fromUtf8(raw).toUtf8() == raw) {
            ASSERT_EQ(name, QString::fromUtf8(raw));
        }
    }
}

} // namespace
} // namespace zelm
