// Loading damaged and made-up documents: random bytes of random sizes, and well-formed records
// whose fields lie (code strings that do not fit their texts, odd mode bytes, extreme places,
// unknown faces). Nothing may crash, every loaded line keeps its code string in step with its
// text, and the window stays usable. ZELM_TEST_VOLUME scales the number of files.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QTemporaryDir>

#include <array>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <random>

#include "app/MainWindow.h"
#include "files/DocumentCodec.h"
#include "formula/Errors.h"
#include "formula/FormulaText.h"
#include "support/FixedLines.h"
#include "support/TestVolume.h"

namespace zelm {
namespace {

int FileCount() {
    return test::Volume(20000);
}

class DocumentMaker {
public:
    explicit DocumentMaker(unsigned seed) : rng_(seed) {
        // Faces of random bytes and lengths up to 255; a few of them, as the canvas keeps
        // every font it has measured.
        for (Bytes& face : strangeFaces_) {
            face.resize(std::size_t(Pick(256)));
            for (char& c : face)
                c = AnyByte();
        }
    }

    Bytes Next() { return Pick(4) == 0 ? RandomBytes() : Records(); }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    char AnyByte() { return char(Pick(256)); }

    Bytes RandomBytes() {
        Bytes bytes(std::size_t(Pick(4 * int(LineRecordSize))), '\0');
        for (char& c : bytes)
            c = AnyByte();
        return bytes;
    }

    std::int32_t Extreme() {
        const std::int32_t picks[] = {INT_MIN, INT_MAX, -1, 0, 1, -100000, 100000};
        return Pick(3) == 0 ? std::int32_t(rng_()) : picks[Pick(7)];
    }

    // Formula-like text: blanks, letters, operators, the names the setter recognises, and
    // code characters 1 to 6 more often than chance would give them.
    Bytes Text() {
        static const char* const pieces[] = {" ",    "x",    "+",    "sin",  "log",  "wrt",  "^",
                                             "_",    "/",    "(",    ")",    "\x01", "\x02", "\x03",
                                             "\x04", "\x05", "\x06", "\xe9", "\x7f", "\xff"};
        Bytes text = Pick(4) == 0 ? "" : " ";
        const int length = Pick(5) == 0 ? 255 : Pick(60);
        while (int(text.size()) < length)
            text += Pick(6) == 0 ? Bytes(1, AnyByte()) : Bytes(pieces[Pick(20)]);
        return text.substr(0, std::size_t(length));
    }

    Bytes Codes(const Bytes& text) {
        Bytes codes(std::size_t(CountCodeChars(text)), '\0');
        for (char& c : codes)
            c = AnyByte();
        switch (Pick(4)) {
        case 0: // one too many or one too few
            if (codes.empty() || Pick(2) == 0)
                codes += AnyByte();
            else
                codes.pop_back();
            break;
        case 1: // anything at all
            codes.assign(std::size_t(Pick(256)), '\0');
            for (char& c : codes)
                c = AnyByte();
            break;
        default: // in step with the text
            break;
        }
        return codes;
    }

    TFontRecord Font() {
        static const char* const faces[] = {
            "Tahoma", "Arial", "Symbol", "Tangerine", "Geen Bestaand Lettertype", ""};
        TFontRecord font;
        font.face = Pick(5) == 0 ? strangeFaces_[std::size_t(Pick(8))] : faces[Pick(6)];
        font.size = Pick(3) == 0 ? Extreme() : Pick(100) - 20;
        font.color = ColorRef(rng_());
        // Every distinct font stays in the canvas's cache; a few character sets are enough.
        font.charSet = std::uint8_t(Pick(8) == 0 ? Pick(256) : Pick(3));
        font.style = std::uint8_t(Pick(4) == 0 ? Pick(256) : Pick(16));
        return font;
    }

    Bytes Records() {
        Bytes file;
        const int count = Pick(5);
        for (int i = 0; i < count; ++i) {
            TLineRecord r;
            r.text = Text();
            r.codes = Codes(r.text);
            r.font = Font();
            r.top = Pick(4) == 0 ? Extreme() : Pick(2000); // mostly where lines can be
            r.width = Pick(4) == 0 ? Extreme() : Pick(2000);
            Bytes bytes = EncodeLine(r);
            bytes[0] = Pick(2) == 0 ? char(Pick(2)) : AnyByte(); // odd plain-text bytes
            file += bytes;
        }
        if (Pick(4) == 0) file += Bytes(std::size_t(Pick(int(LineRecordSize))), AnyByte());
        return file;
    }

    std::mt19937 rng_;
    std::array<Bytes, 8> strangeFaces_;
};

// The lines and their indexes agree, and each code string fits its text.
void ExpectConsistent(const TBasisMath& window, int file) {
    const auto& lines = window.Lines();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const MathLine& m = lines[i]->Line();
        ASSERT_EQ(lines[i]->LineIndex(), int(i)) << "file " << file;
        ASSERT_EQ(CountCodeChars(m.Text()), int(m.Codes().size())) << "file " << file;
        ASSERT_FALSE(m.Text().empty()) << "file " << file;
    }
}

TEST(LoadFuzz, DamagedDocumentsLoadConsistentlyAndLeaveTheWindowUsable) {
    QTemporaryDir programDir;
    ASSERT_TRUE(programDir.isValid());
    TBasisMath window(programDir.path(), [](const QString&) {});
    const QString path = programDir.filePath("fuzz.mds");
    DocumentMaker maker(20261208);
    const int files = FileCount();
    int loadFailures = 0, typingFailures = 0, linesLoaded = 0;

    for (int file = 0; file < files; ++file) {
        const Bytes bytes = maker.Next();
        std::ofstream(path.toStdString(), std::ios::binary | std::ios::trunc) << bytes;
        const std::size_t records = (bytes.size() + LineRecordSize - 1) / LineRecordSize;
        const std::size_t linesBefore = window.Lines().size();
        try {
            window.Document().Load(path);
            ASSERT_EQ(window.Lines().size(), records) << "file " << file;
        } catch (const ZelmError& e) {
            // A damaged file: the lines it says were read are in; none read, the old ones stay.
            std::size_t read = 0, total = 0;
            if (std::sscanf(e.what(), "Dit document is beschadigd. Gelezen: %zu van de %zu", &read,
                            &total) == 2) {
                ASSERT_TRUE(total == records && read < records) << "file " << file;
                ASSERT_EQ(window.Lines().size(), read ? read : linesBefore) << "file " << file;
            } else { // a line whose repairs gave up, reported once every line is in
                ASSERT_STREQ(e.what(), "Foutje") << "file " << file;
                ASSERT_EQ(window.Lines().size(), records) << "file " << file;
                ++loadFailures;
            }
        }
        ExpectConsistent(window, file);
        // What the program writes, it loads without a word.
        if (file % 50 == 0) {
            window.Document().Save(programDir.filePath("terug.mds"));
            ASSERT_EQ(
                test::MessageOf([&] { window.Document().Load(programDir.filePath("terug.mds")); }),
                "");
        }
        linesLoaded += int(window.Lines().size());

        // Typing into a loaded line goes through the same setter.
        if (!window.Lines().empty()) {
            TMathEditor* line = window.Lines().back();
            MathLine& m = line->Line();
            m.Selstart = m.Seleinde = m.CaretPos = int(m.Text().size());
            try {
                line->SetText(line->Text() + "x");
                EXPECT_EQ(line->Text().back(), 'x') << "file " << file;
            } catch (const ZelmError& e) {
                ASSERT_STREQ(e.what(), "Foutje") << "file " << file;
                ++typingFailures;
            }
            ExpectConsistent(window, file);
        }
        // The removed lines go as the event loop would let them.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    std::cout << "[ fuzz     ] " << files << " files, " << linesLoaded << " lines loaded, "
              << loadFailures << " loads and " << typingFailures
              << " typed changes ended in \"Foutje\"\n";
}

} // namespace
} // namespace zelm
