// The picture commands, printing and the messaging program, on a window whose lines measure on
// the fixed canvas. The pictures themselves are drawn with the real fonts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QtEndian>
#include <memory>
#include <set>

#include "app/MainWindow.h"
#include "app/PictureExport.h"
#include "formula/Layout.h"
#include "formula/Renderers.h"
#include "platform/EmfCanvas.h"
#include "platform/Fonts.h"
#include "platform/QtCanvas.h"
#include "support/EmfReader.h"
#include "support/FileBytes.h"
#include "support/FixedLines.h"

namespace zelm {
namespace {

using test::Read;

void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class PictureExportTest : public ::testing::Test {
protected:
    test::FixedLines fixedLines; // first: outlives the window
    void SetUp() override {
        ASSERT_TRUE(programDir.isValid() && work.isValid() && desktop.isValid());
        oldCurrent = QDir::currentPath();
        QDir::setCurrent(work.path());
        window = std::make_unique<TBasisMath>(programDir.path(), [](const QString&) {});
        window->Pictures().desktopFolder = desktop.path();
        window->Lines()[0]->SetText(" 12 ab");
        QApplication::processEvents();
    }
    void TearDown() override {
        window.reset();
        QDir::setCurrent(oldCurrent);
    }
    QString OnDesktop(const QString& name) const { return desktop.filePath(name); }

    QTemporaryDir programDir, work, desktop;
    QString oldCurrent;
    std::unique_ptr<TBasisMath> window;
};

// The texts that the export painter draws for the window's lines, read from the recording canvas.
std::vector<std::string> DrawnTexts(const TBasisMath& window) {
    test::FixedCanvas canvas;
    DrawAllLines(canvas, ExportLinesOf(window.Lines()));
    std::vector<std::string> texts;
    for (const std::string& call : canvas.log)
        if (call.rfind("text ", 0) == 0) {
            const std::size_t open = call.find('"');
            texts.push_back(call.substr(open + 1, call.find('"', open + 1) - open - 1));
        }
    return texts;
}

TEST_F(PictureExportTest, JpgWritesTheClientAreaNamedAfterTheCaptionTwiceWithoutAsking) {
    // Each row: the caption the window has, then the files and the clipboard after "JPG".
    window->Document().Save(work.filePath("algebra.mds"));
    struct Row {
        std::function<void()> before;
        QString jpeg;
    };
    const std::vector<Row> rows{
        {[] {}, "ZelmEditor.jpg"},
        // Again, with other text: both files are replaced without a question.
        {[&] {
             window->Lines()[0]->SetText(" 34 cd");
             QApplication::processEvents();
         },
         "ZelmEditor.jpg"},
        {[&] {
             window->Document().chooseOpenFile = [&](const QString&) {
                 return work.filePath("algebra.mds");
             };
             window->Document().MLoadClick();
             QApplication::processEvents();
         },
         "algebra.jpg"},
    };
    QByteArray previousBmp;
    for (const Row& row : rows) {
        row.before();
        const QSize client = window->ClientSize();
        ASSERT_GT(client.width(), 0);
        window->Pictures().MjpgClick();
        const QImage jpeg = QImage::fromData(Read(OnDesktop(row.jpeg)), "JPEG");
        const QImage bmp = QImage::fromData(Read(work.filePath("tt.bmp")), "BMP");
        EXPECT_EQ(jpeg.size(), client) << row.jpeg.toStdString();
        EXPECT_EQ(bmp.size(), client);
        EXPECT_NE(Read(work.filePath("tt.bmp")), previousBmp) << "the bitmap was replaced";
        previousBmp = Read(work.filePath("tt.bmp"));
        // White where nothing is drawn (the bottom right corner); the text " 12 ab" is dark.
        EXPECT_EQ(bmp.pixel(client.width() - 1, client.height() - 1), qRgb(255, 255, 255));
        EXPECT_GE(qGray(jpeg.pixel(client.width() - 1, client.height() - 1)), 250);
        int darkest = 255;
        for (int x = 0; x < std::min(60, client.width()); ++x)
            for (int y = 0; y < 24; ++y)
                darkest = std::min(darkest, qGray(bmp.pixel(x, y)));
        EXPECT_LT(darkest, 100) << "no text drawn";
        EXPECT_EQ(QGuiApplication::clipboard()->image().size(), client);
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        ASSERT_TRUE(data);
        EXPECT_TRUE(data->hasFormat("image/png") && data->hasFormat("image/bmp"));
    }
    // Replacing leaves no temporary files behind.
    EXPECT_EQ(QDir(desktop.path()).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase),
              (QStringList{"algebra.jpg", "ZelmEditor.jpg"}));
}

// The JPEG is baseline, full colour, and its luminance table is the standard one at quality 90:
// each entry (base x 20 + 50) div 100, at least 1.
TEST_F(PictureExportTest, TheJpegIsBaselineFullColourAtQuality90) {
    const QByteArray jpeg = JpegBytes(RenderPicture(ExportLinesOf(window->Lines()), {64, 32}));
    const int naturalLuminance[64] = {16,  11,  10,  16,  24, 40, 51,  61,  12,  12,  14,  19,  26,
                                      58,  60,  55,  14,  13, 16, 24,  40,  57,  69,  56,  14,  17,
                                      22,  29,  51,  87,  80, 62, 18,  22,  37,  56,  68,  109, 103,
                                      77,  24,  35,  55,  64, 81, 104, 113, 92,  49,  64,  78,  87,
                                      103, 121, 120, 101, 72, 92, 95,  98,  112, 100, 103, 99};
    const int zigzag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                            12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                            35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                            58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};
    std::vector<int> expected;
    for (int i : zigzag)
        expected.push_back(std::max(1, (naturalLuminance[i] * 20 + 50) / 100));
    std::vector<int> luminance;
    bool baseline = false, progressive = false;
    int components = 0;
    const auto at = [&](int i) { return (unsigned char)jpeg.at(i); };
    for (int i = 2; i + 4 < jpeg.size() && at(i) == 0xFF && at(i + 1) != 0xDA;) {
        const int marker = at(i + 1);
        const int length = at(i + 2) * 256 + at(i + 3);
        if (marker == 0xDB && at(i + 4) == 0x00) // 8-bit table 0
            for (int k = 0; k < 64; ++k)
                luminance.push_back(at(i + 5 + k));
        if (marker == 0xC0) {
            baseline = true;
            components = at(i + 9);
        }
        progressive |= marker == 0xC2;
        i += 2 + length;
    }
    EXPECT_EQ(luminance, expected);
    EXPECT_TRUE(baseline);
    EXPECT_FALSE(progressive);
    EXPECT_EQ(components, 3);
}

TEST_F(PictureExportTest, ADesktopThatCannotBeWrittenStopsTheCommandBeforeBitmapAndClipboard) {
    Write(work.filePath("plain-file"), "not a folder");
    window->Pictures().desktopFolder = work.filePath("plain-file/Desktop");
    QGuiApplication::clipboard()->setText("voor");
    const QString path = work.filePath("plain-file/Desktop/ZelmEditor.jpg");
    const QString message = test::MessageOf([&] { window->Pictures().MjpgClick(); });
    EXPECT_TRUE(message.startsWith("Cannot create file \"" + path + "\". "))
        << message.toStdString();
    EXPECT_GT(message.size(), QString("Cannot create file \"" + path + "\". ").size());
    EXPECT_FALSE(QFile::exists(work.filePath("tt.bmp")));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "voor");
    const QString metafile = test::MessageOf([&] { window->Pictures().MWMFClick(); });
    EXPECT_TRUE(metafile.startsWith("Cannot create file \"" +
                                    work.filePath("plain-file/Desktop/Meta.wmf")));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "voor");
}

TEST_F(PictureExportTest, TheMetafileHoldsEveryTextRunAndGoesOnTheClipboardWithRenderings) {
    TMathEditor* formula = window->CreateEd();
    formula->SetPlainText(false);
    formula->SetText(" sin x+y");
    formula->move(0, 30);
    QApplication::processEvents();
    window->Pictures().MWMFClick();
    const QByteArray file = Read(OnDesktop("Meta.wmf"));
    const auto records = test::EmfRecords(file.toStdString());
    ASSERT_FALSE(records.empty());
    const QSize client = window->ClientSize();
    const std::string& header = records.front().bytes;
    EXPECT_EQ((QSize{test::I32At(header, 16) + 1, test::I32At(header, 20) + 1}), client);
    EXPECT_EQ(records.back().type, EmfRecord::Eof);
    std::vector<std::string> texts;
    for (const auto& r : records)
        if (r.type == EmfRecord::ExtTextOutW) texts.push_back(test::EmfTextOf(r));
    EXPECT_EQ(texts, DrawnTexts(*window));
    EXPECT_GE(texts.size(), 3u); // " 12 ab", then "sin" and the italic run of the formula
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(data);
    EXPECT_EQ(data->data("image/emf"), file);
    EXPECT_EQ(data->data("image/x-emf"), file);
    EXPECT_TRUE(data->data("image/svg+xml").contains("<svg"));
    EXPECT_EQ(QImage::fromData(data->data("image/png"), "PNG").size(), client);
}

// The font a metafile font record describes.
FontDesc FontOfRecord(const std::string& r) {
    std::string face;
    for (std::size_t at = 40; at + 1 < r.size() && r[at] != 0; at += 2)
        face += r[at];
    return FontDesc{face, test::I32At(r, 12), 0, test::I32At(r, 28), r.at(32), r.at(33), r.at(34)};
}

// The font file inside a WOFF file, for a reader that takes no WOFF: the tables unpacked
// behind a plain table directory.
QByteArray SfntOfWoff(const QByteArray& woff) {
    const auto u32 = [&](int at) { return qFromBigEndian<quint32>(woff.constData() + at); };
    const auto be32 = [](quint32 v) {
        QByteArray b(4, 0);
        qToBigEndian(v, b.data());
        return b;
    };
    const int tables = qFromBigEndian<quint16>(woff.constData() + 12);
    int selector = 0;
    while ((2 << selector) <= tables)
        ++selector;
    const int range = 16 << selector;
    QByteArray head = woff.mid(4, 4) + be32(quint32(tables << 16 | range)) +
                      be32(quint32(selector << 16 | (tables * 16 - range)));
    QByteArray body;
    for (int i = 0; i < tables; ++i) {
        const int entry = 44 + 20 * i;
        const quint32 at = u32(entry + 4), packed = u32(entry + 8), size = u32(entry + 12);
        QByteArray table = woff.mid(at, packed);
        if (packed < size) table = qUncompress(be32(size) + table);
        head += woff.mid(entry, 4) + be32(u32(entry + 16)) +
                be32(quint32(12 + 16 * tables + body.size())) + be32(size);
        body += table + QByteArray((4 - table.size() % 4) % 4, 0);
    }
    return head + body;
}

// Dark pixels of `a` with no dark pixel of `b` within one pixel, per dark pixel of `a`.
double UnmatchedInk(const QImage& a, const QImage& b) {
    const auto dark = [](const QImage& i, int x, int y) {
        return x >= 0 && y >= 0 && x < i.width() && y < i.height() && qGray(i.pixel(x, y)) < 160;
    };
    int ink = 0, unmatched = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            if (!dark(a, x, y)) continue;
            ++ink;
            bool near = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    near |= dark(b, x + dx, y + dy);
            unmatched += !near;
        }
    return ink ? double(unmatched) / ink : 1.0;
}

// Lines in Tahoma, Arial and Tangerine, one with a symbol. Each text record of the metafile
// names the face its advances were measured in; the SVG, drawn by a third-party reader that
// has the program's faces, puts the same letters where the JPG of the window has them.
TEST(PictureFaces, EachTextNamesTheFaceThatMeasuredIt) {
    QTemporaryDir programDir, desktop, work;
    TBasisMath window(programDir.path(), [](const QString&) {});
    window.Pictures().desktopFolder = desktop.path();
    struct Row {
        const char* face;
        bool plain;
        const char* text;
    } const rows[] = {{"Tahoma", true, "officieel: caf\xE9 fijn"},
                      {"Arial", true, "Netjes: caf\xE9 fijn"},
                      {"Tangerine", true, "Handgeschreven: caf\xE9 fijn"},
                      {"Tahoma", false, " \x04+x"}}; // a raw symbol: code 4, parameter "p"
    int top = 0;
    for (const Row& row : rows) {
        TMathEditor* line = top == 0 ? window.Lines()[0] : window.CreateEd();
        line->SetFont(FontDesc{row.face, -28}, 0);
        line->SetPlainText(row.plain);
        line->SetTextPlusCode(row.plain ? Bytes(row.text) : Bytes(row.text) + '\0' + "p");
        line->move(0, top);
        top += 40;
    }
    window.resize(360, top + 40);
    QApplication::processEvents();
    window.Pictures().MWMFClick();

    const auto records = test::EmfRecords(Read(desktop.filePath("Meta.wmf")).toStdString());
    std::set<std::string> faces;
    FontDesc current;
    for (const auto& r : records) {
        if (r.type == EmfRecord::ExtCreateFontIndirectW) current = FontOfRecord(r.bytes);
        if (r.type != EmfRecord::ExtTextOutW) continue;
        faces.insert(current.face);
        const std::string text = test::EmfTextOf(r);
        const std::vector<int> advances = test::EmfAdvancesOf(r);
        for (std::size_t i = 0; i < text.size(); ++i)
            EXPECT_EQ(advances[i],
                      ResolveFont(current)->widths[(unsigned char)text[i]] + 2 * current.italic)
                << current.face << " \"" << text << "\"";
    }
    EXPECT_EQ(faces, (std::set<std::string>{"Arial", "Symbol", "Tahoma", "Tangerine"}));

    if (QStandardPaths::findExecutable("rsvg-convert").isEmpty())
        GTEST_SKIP() << "rsvg-convert (librsvg2-bin) is not installed";
    // The reader is given the faces the program registers for itself.
    QString folders = "<dir>" + work.path() + "</dir>";
    for (const QString& file : ProgramFontFiles(QCoreApplication::applicationDirPath())) {
        if (file.endsWith(".woff"))
            Write(work.filePath(QFileInfo(file).baseName() + ".ttf"), SfntOfWoff(Read(file)));
        else
            folders += "<dir>" + QFileInfo(file).absolutePath() + "</dir>";
    }
    Write(work.filePath("fonts.conf"),
          ("<fontconfig><include>/etc/fonts/fonts.conf</include>" + folders + "<cachedir>" +
           work.path() + "</cachedir></fontconfig>")
              .toUtf8());
    Write(work.filePath("lines.svg"),
          QGuiApplication::clipboard()->mimeData()->data("image/svg+xml"));
    QProcess rsvg;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("FONTCONFIG_FILE", work.filePath("fonts.conf"));
    rsvg.setProcessEnvironment(env);
    rsvg.start("rsvg-convert", {"--background-color=white", "-o", work.filePath("lines.png"),
                                work.filePath("lines.svg")});
    ASSERT_TRUE(rsvg.waitForFinished(60000) && rsvg.exitCode() == 0)
        << rsvg.readAllStandardError().toStdString();
    const QImage drawn = QImage(work.filePath("lines.png")).convertToFormat(QImage::Format_RGB32);
    const QImage jpg = RenderPicture(ExportLinesOf(window.Lines()), window.ClientSize());
    ASSERT_EQ(drawn.size(), jpg.size());
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const QRect band(0, 40 * int(i), jpg.width(), 40);
        const QImage a = jpg.copy(band), b = drawn.copy(band);
        EXPECT_LT(UnmatchedInk(a, b), 0.1) << rows[i].text;
        EXPECT_LT(UnmatchedInk(b, a), 0.1) << rows[i].text;
    }
}

TEST(PrinterScale, FontSizesAndPlacesFollowTheIntegerFormulas) {
    struct Row {
        int printerDpi, screenDpi, points, pageWidth, lineWidth, top;
        int scale, printerPoints, printerTop;
    };
    const Row rows[] = {
        // 12 x 4800 / ((590 + 10) x 6) = 16; 4800 x 40 / 590 = 325 (325.4 truncated).
        {600, 96, 12, 4800, 590, 40, 6, 16, 325},
        // Same width, another font: 24 x 4800 / 3600 = 32; the place does not change.
        {600, 96, 24, 4800, 590, 40, 6, 32, 325},
        // 300 / 96 = 3 (rounded down); 10 x 2400 / (110 x 3) = 72 (72.7 truncated).
        {300, 96, 10, 2400, 100, 7, 3, 72, 168},
        // A printer coarser than the screen prints at scale 1 instead of dividing by zero:
        // 12 x 595 / 600 = 11 (11.9 truncated).
        {72, 96, 12, 595, 590, 0, 1, 11, 0},
        // A line of width 0 is placed as if 1 wide; a tiny size is still 1 point.
        {600, 96, 1, 100, 0, 2, 6, 1, 200},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(PrinterScale(r.printerDpi, r.screenDpi), r.scale);
        EXPECT_EQ(PrinterFontPoints(r.points, r.pageWidth, r.lineWidth, r.scale), r.printerPoints);
        EXPECT_EQ(PrinterLineTop(r.pageWidth, r.top, r.lineWidth), r.printerTop);
    }
}

// Two lines of width 590 in 12 and 24 points on a 600 dpi page 4800 wide (scale 6): printer
// sizes 16 and 32 points, heights -MulDiv(16, 600, 72) = -133 and -MulDiv(32, 600, 72) = -267.
// Laid out again on the printer's canvas: c = 133 gives top margin 133 / 8 = 16, tmHeight
// 133 + 33 = 166, baseline 16 + 166 - 33 = 149; c = 267 gives 33 + 333 - 66 = 300. The second
// line's top 40 goes to 4800 x 40 / 590 = 325, so its baseline is at 625. The face stays the
// printer canvas's own.
TEST(PrintLines, EachLineIsLaidOutAgainInItsPrinterSize) {
    const Bytes text = " a";
    ExportLine small{nullptr, 0, &text, "", FontDesc{"Arial", -16}, Rgb(0, 0, 255), 0, 590};
    ExportLine big{nullptr, 0, &text, "", FontDesc{"Arial", -32}, Rgb(200, 0, 0), 40, 590};
    test::FixedCanvas printer;
    PrintLines(printer, {small, big}, 4800, 6, 600);
    EXPECT_EQ(printer.log, (std::vector<std::string>{
                               R"(text 0,149 " a" Tahoma h-133 w400 i0 u0 x0 c0000ff bkffffff)",
                               R"(text 0,625 " a" Tahoma h-267 w400 i0 u0 x0 cc80000 bkffffff)",
                           }));
}

// A picture drawn at a scale lays each line out again in the scaled font size on an unscaled
// canvas, as the printer does, rather than enlarging the screen layout. " a" in Arial -16 at
// top 8, c = 16: baseline 8 + 16/8 + 16 = 26. At 2: c = 32, 16 + 4 + 32 = 52. At 1.25: c = 20,
// 10 + 20/8 + 20 = 32, where an enlarged copy would stand at 26 x 1.25 = 32.5. The fraction bar
// of "#1#2#" keeps its pen of one pixel at every scale, where a copy would thicken it.
TEST(ScaledPictures, EachLineIsLaidOutAgainAtTheScaledSize) {
    const Bytes text = " a", fraction = test::T(" #1#2#"), codes = "\x0f\x10\x11";
    test::FixedCanvas screen(FontDesc{"Arial", -16});
    Bytes laidText = text, laidFraction = fraction, noCodes, laidCodes = codes;
    const TTextdelen parts = LayoutFormula(laidText, noCodes, screen, {});
    const TTextdelen barParts = LayoutFormula(laidFraction, laidCodes, screen, {});
    const FontDesc arial{"Arial", -16};
    const ExportLine line{&parts, parts.Count(), &text, "", arial, Rgb(0, 0, 255), 8, 590};
    const ExportLine bar{&barParts, barParts.Count(), &fraction, codes, arial, 0, 100, 590};
    for (const auto& [scale, text] :
         {std::pair{1.0, R"(text 0,26 " a" Arial h-16 w400 i0 u0 x0 c0000ff bkffffff)"},
          {2.0, R"(text 0,52 " a" Arial h-32 w400 i0 u0 x0 c0000ff bkffffff)"},
          {1.25, R"(text 0,32 " a" Arial h-20 w400 i0 u0 x0 c0000ff bkffffff)"}}) {
        test::FixedCanvas canvas;
        DrawScaledLines(canvas, {line, bar}, scale);
        ASSERT_GE(canvas.log.size(), 2u);
        EXPECT_EQ(canvas.log.front(), text);
        EXPECT_NE(canvas.log.back().find(" solid1 "), std::string::npos) << canvas.log.back();
    }
}

// The real command prints to a PDF file in place of a printer; a cancelled dialog prints nothing.
TEST_F(PictureExportTest, PrintingGoesThroughTheChosenPrinter) {
    const QString pdf = work.filePath("afdruk.pdf");
    window->Pictures().choosePrinter = [](QPrinter&) { return false; };
    window->Pictures().MPrintClick();
    EXPECT_FALSE(QFile::exists(pdf));
    window->Pictures().choosePrinter = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    window->Pictures().MPrintClick();
    const QByteArray bytes = Read(pdf);
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    const QRegularExpression page("/Type\\s*/Page(?!s)");
    EXPECT_EQ(QString::fromLatin1(bytes).count(page), 1) << "one page";
}

TEST(FindWhatsApp, TheWorkingFolderComesFirstThenTheDataFolder) {
    QTemporaryDir current, data;
    QDir(data.path()).mkpath("WhatsApp");
    const QString inCurrent = current.filePath("Whatsapp.exe");
    const QString inData = data.filePath("WhatsApp/Whatsapp.exe");
    struct Row {
        bool current, data;
        QString found;
    };
    const Row rows[] = {{false, false, ""},
                        {false, true, inData},
                        {true, true, "Whatsapp.exe"},
                        {true, false, "Whatsapp.exe"}};
    for (const Row& r : rows) {
        QFile::remove(inCurrent);
        QFile::remove(inData);
        if (r.current) Write(inCurrent, "");
        if (r.data) Write(inData, "");
        EXPECT_EQ(FindWhatsApp(current.path(), data.path()), r.found);
    }
}

TEST_F(PictureExportTest, TheMessagingProgramIsFoundOnceAndStartedWithoutAShell) {
    // The web version while there is no program; the search is repeated next time.
    std::vector<QUrl> opened;
    window->Pictures().openUrl = [&](const QUrl& url) { opened.push_back(url); };
    window->Pictures().MWattsAppClick();
    EXPECT_EQ(opened, (std::vector<QUrl>{QUrl("https://web.whatsapp.com/")}));
    EXPECT_TRUE(window->Pictures().WhatsAppExe.isEmpty());

    // A folder whose name a shell would take apart; the program writes a mark beside itself.
    const QString folder = work.filePath("a b;touch pwned");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QDir::setCurrent(folder));
    const QString program = QDir(folder).filePath("Whatsapp.exe");
    Write(program, "#!/bin/sh\necho gestart > \"$(dirname \"$0\")/mark\"\n");
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    window->Pictures().MWattsAppClick();
    EXPECT_EQ(window->Pictures().WhatsAppExe, "Whatsapp.exe");
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return QFile::exists(QDir(folder).filePath("mark")); }, 5000));
    EXPECT_FALSE(QFile::exists(QDir(folder).filePath("pwned")));
    EXPECT_FALSE(QFile::exists(work.filePath("pwned")));

    // Found once, the path is kept for the run even when the program goes.
    QFile::remove(program);
    QStringList started;
    window->Pictures().startProgram = [&](const QString& p) { started << p; };
    window->Pictures().MWattsAppClick();
    EXPECT_EQ(started, QStringList{program});
    EXPECT_EQ(opened.size(), 1u);
}

} // namespace
} // namespace zelm
