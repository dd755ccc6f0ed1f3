// "ZelmEditor --export": the program run as a process with no display, on a document typed
// into a window here.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>
#include <QtEndian>

#include <algorithm>
#include <random>
#include <tuple>

#include <sys/resource.h>

#include "app/MainWindow.h"
#include "files/DocumentCodec.h"
#include "files/FileIO.h"
#include "platform/EmfCanvas.h"
#include "support/EmfReader.h"
#include "support/FileBytes.h"
#include "support/FixedLines.h"
#include "support/KeyScriptQt.h"

namespace zelm {
namespace {

struct ProcessResult {
    int status = -1;
    QByteArray out, err;
};

// With a ceiling, a run that would swallow the machine fails at once instead.
ProcessResult Export(const QStringList& arguments, bool ceiling = false,
                     const QString& program = ZELM_EDITOR_BINARY, const QString& home = {}) {
    QProcess process;
    if (ceiling)
        process.setChildProcessModifier([] {
            const rlimit limit{4L << 30, 4L << 30};
            ::setrlimit(RLIMIT_AS, &limit);
        });
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // As under cron or in a container: no display, no runtime folder, the user's folders in HOME.
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR",
                             "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"})
        env.remove(name);
    if (!home.isEmpty()) env.insert("HOME", home);
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

using test::Read;

// The drawing of a PDF's page: its first compressed stream that sets a font.
QString PageContent(const QByteArray& pdf) {
    const QRegularExpression stream("stream\r?\n(.*?)endstream",
                                    QRegularExpression::DotMatchesEverythingOption);
    for (const auto& match : stream.globalMatch(QString::fromLatin1(pdf))) {
        // qUncompress wants a size hint first: 1 MB.
        const QByteArray packed = QByteArray("\0\x10\0\0", 4) + match.captured(1).toLatin1();
        const QString content = QString::fromLatin1(qUncompress(packed));
        if (content.contains(" Tf")) return content;
    }
    return {};
}

class ExportCommand : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        // Formula mode; a fraction, a root with index 3, an integral from 0 to x.
        TBasisMath window(dir.path(), [](const QString&) {});
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        window.Lines()[0]->setFocus();
        QApplication::processEvents();
        test::ClickKeys(nullptr,
                        "{C-T}{A-Up}a+b{Down}c{Enter}r={C-Up}{Left}3{Right}x+1{Enter}{C-I}t");
        QApplication::processEvents();
        ASSERT_EQ(window.Lines().size(), 3u);
        window.Document().Save(Document());
        size = window.DocumentSize();
    }
    QString Document() const { return dir.filePath("drie.mds"); }

    QTemporaryDir dir;
    QSize size;
};

TEST_F(ExportCommand, EveryFormatIsWrittenWithoutADisplay) {
    struct Row {
        QString name;
        QByteArray magic;
    };
    const Row rows[] = {{"drie.png", "\x89PNG"},
                        {"drie.jpg", "\xFF\xD8\xFF"},
                        {"drie.svg", "<?xml"},
                        {"drie.pdf", "%PDF"},
                        {"drie.emf", QByteArray("\x01\x00\x00\x00", 4)}};
    for (const Row& row : rows) {
        const ProcessResult run = Export({"--export", dir.filePath(row.name), Document()});
        EXPECT_EQ(run.status, 0) << row.name.toStdString() << ": " << run.err.toStdString();
        const QByteArray bytes = Read(dir.filePath(row.name));
        EXPECT_TRUE(bytes.startsWith(row.magic)) << row.name.toStdString();
    }
    // The pictures take the size the window takes for the document, and show its lines.
    const QImage png = QImage::fromData(Read(dir.filePath("drie.png")), "PNG");
    EXPECT_EQ(png.size(), size);
    int dark = 0;
    for (int y = 0; y < png.height(); ++y)
        for (int x = 0; x < png.width(); ++x)
            dark += qGray(png.pixel(x, y)) < 128;
    EXPECT_GT(dark, 100);
    EXPECT_EQ(QImage::fromData(Read(dir.filePath("drie.jpg")), "JPEG").size(), size);
    EXPECT_TRUE(Read(dir.filePath("drie.svg")).contains("<svg"));
    const std::string emf = Read(dir.filePath("drie.emf")).toStdString();
    const auto records = test::EmfRecords(emf);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(test::I32At(records.front().bytes, 16) + 1, size.width());
    EXPECT_EQ(test::I32At(records.front().bytes, 20) + 1, size.height());
    std::string texts;
    for (const auto& r : records)
        if (r.type == EmfRecord::ExtTextOutW) texts += test::EmfTextOf(r);
    for (const char* piece : {"a", "+", "b", "c", "r=", "3", "x", "1", "t"})
        EXPECT_NE(texts.find(piece), std::string::npos) << piece;
    EXPECT_NE(texts.find(char(242)), std::string::npos) << "the integral sign";
}

// The notes as documents: one display formula per formula line, in a page each reader takes.
TEST_F(ExportCommand, NotesAreWrittenAsTexHtmlMarkdownMathMLOdtAndDocx) {
    const struct {
        const char* name;
        std::vector<std::pair<const char*, int>> counts; // a piece and how often it occurs
    } rows[] = {
        {"drie.tex", {{"{amsmath}", 1}, {"\\[", 3}, {"\\sqrt[3]{x+1}", 1}, {"\\int_{0}^{x}", 1}}},
        {"drie.html", {{"charset=\"utf-8\"", 1}, {"display=\"block\"", 3}, {"<mroot>", 1}}},
        {"drie.md", {{"$$", 6}, {"\\frac{a+b}{c}", 1}, {"\\sqrt[3]{x+1}", 1}}},
        {"drie.mml", {{"<?xml", 1}, {"<math", 1}, {"<mtr>", 3}, {"<mfrac>", 1}}},
        // Zip packages: the stored mimetype first, a part's name in its header and the directory.
        {"drie.odt",
         {{"mimetypeapplication/vnd.oasis.opendocument.text", 1}, {"Object 3/content.xml", 2}}},
        {"drie.docx", {{"[Content_Types].xml", 2}, {"word/document.xml", 2}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const ProcessResult run = Export({"--export", dir.filePath(row.name), Document()});
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        QByteArray content = Read(dir.filePath(row.name));
        if (QByteArray(row.name).endsWith('l')) { // the page and the MathML are XML
            QXmlStreamReader xml(content);
            while (!xml.atEnd())
                xml.readNext();
            EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
        }
        content.replace(" ", "");
        for (const auto& [piece, count] : row.counts)
            EXPECT_EQ(content.count(QByteArray(piece).replace(" ", "")), count) << piece;
    }
}

// The export keeps no recovery folder, session or lock, beside the program or in the user's
// folders (checked by what appears in them: permissions do not stop root).
TEST_F(ExportCommand, LeavesNothingBesideTheProgramOrInTheUsersFolders) {
    QTemporaryDir program, home;
    const QString copy = program.filePath("ZelmEditor"), out = dir.filePath("spoorloos.png");
    ASSERT_TRUE(QFile::copy(ZELM_EDITOR_BINARY, copy));
    EXPECT_EQ(Export({"--export", out, Document()}, false, copy, home.path()).status, 0);
    EXPECT_TRUE(QFile::exists(out));
    const auto everything = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    EXPECT_EQ(QDir(program.path()).entryList(everything), QStringList{"ZelmEditor"});
    EXPECT_EQ(QDir(home.path()).entryList(everything), QStringList{});
}

// A long document on A4 pages: the lines at their height in points, a page break between lines;
// without "--pages" the PDF stays one page of the window's size.
TEST(ExportPages, ALongDocumentFillsPagesLineByLine) {
    QTemporaryDir dir;
    std::vector<TLineRecord> lines(150);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        lines[i].font = FontToRecord(FontDesc{}, 0);
        lines[i].text = " Regel " + std::to_string(i);
        lines[i].plainText = true;
    }
    const QString document = dir.filePath("lang.mds"), pdf = dir.filePath("lang.pdf");
    WriteFileAtomically(document.toStdString(), EncodeDocument(lines));
    TBasisMath window(dir.path(), [](const QString&) {});
    ASSERT_TRUE(window.Document().Load(document));
    const int perPage = (int(297 / 25.4 * 96) - 2 * PageMargin) / window.Lines()[0]->height();
    for (const auto& [options, pages] :
         {std::pair{QStringList{"--pages"}, (149 + perPage) / perPage},
          std::pair{QStringList{}, 1}}) {
        EXPECT_EQ(Export(QStringList{"--export", pdf} + options + QStringList{document}).status, 0);
        const QByteArray bytes = Read(pdf);
        EXPECT_EQ(bytes.count("/Type /Page") - bytes.count("/Type /Pages"), pages);
        if (options.isEmpty()) continue;
        // 12 pt text prints at 12 pt: the page's points a dot (72 / 300) times the font's dots.
        const QString page = PageContent(bytes);
        const QRegularExpression cm("([0-9.]+) 0 0 -[0-9.]+ 0 842 cm"), tf("/F\\d+ (\\d+) Tf");
        const double dot = cm.match(page).captured(1).toDouble();
        const double font = tf.match(page).captured(1).toDouble();
        EXPECT_DOUBLE_EQ(dot, 0.24);
        EXPECT_NEAR(dot * font, 12, 0.15);
    }
}

TEST_F(ExportCommand, FailuresGiveOneLineAndANonZeroStatus) {
    QFile(dir.filePath("bestand")).open(QIODevice::WriteOnly);
    const QStringList cases[] = {
        {"--export", dir.filePath("uit.png"), dir.filePath("bestaat-niet.mds")},
        {"--export", dir.filePath("bestand/uit.png"), Document()},
        {"--export", dir.filePath("uit.gif"), Document()},
        {"--export", dir.filePath("uit.png")},
        {"--export", dir.filePath("uit.tex"), "--pages", Document()},
    };
    for (const QStringList& arguments : cases) {
        const ProcessResult run = Export(arguments);
        EXPECT_GT(run.status, 0) << arguments.join(' ').toStdString();
        EXPECT_FALSE(run.err.isEmpty());
        if (arguments.size() >= 3) {
            // One line of ours (Qt may add its own warnings about the environment).
            EXPECT_EQ(run.err.count("ZelmEditor: "), 1) << run.err.toStdString();
        }
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("uit.png")));
    const ProcessResult help = Export({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("--export"));
}

// Options and their values stand anywhere around the two operands; --scale and --dpi (in 96ths)
// size PNG and JPEG; a size that is no number above 0 and at most 16 gives status 2 and one line.
TEST_F(ExportCommand, OptionsStandAnywhereAndSizesAreChecked) {
    const QString png = dir.filePath("uit.png"), jpg = dir.filePath("uit.jpg"), doc = Document();
    const auto refused = [](const char* option, const char* value) {
        return QString("%1 vraagt een getal groter dan 0 en hoogstens 16, niet \"%2\"")
            .arg(option, value);
    };
    const std::tuple<QStringList, double, QString> rows[] = {
        {{"--scale", "3", "--export", png, doc}, 3, ""},
        {{doc, "--export", png}, 1, ""},
        {{"--export", jpg, doc, "--dpi=192"}, 2, ""},
        {{"--export", "--scale=1.5", png, doc}, 1.5, ""},
        {{"--export", png, "--scale", "0", doc}, 0, refused("--scale", "0")},
        {{"--scale", "-1", "--export", png, doc}, 0, refused("--scale", "-1")},
        {{"--export", png, doc, "--scale", "1e9"}, 0, refused("--scale", "1e9")},
        {{"--export", png, doc, "--scale=abc"}, 0, refused("--scale", "abc")},
        {{"--scale", "2", doc}, 0, "--pages, --scale en --dpi alleen met --export"}};
    for (const auto& [arguments, scale, message] : rows) {
        QFile::remove(png);
        const ProcessResult run = Export(arguments);
        EXPECT_EQ(run.status, scale > 0 ? 0 : 2) << arguments.join(' ').toStdString();
        EXPECT_EQ(run.err, message.isEmpty() ? "" : "ZelmEditor: " + message.toUtf8() + "\n");
        const QSize wanted = scale > 0 ? ScaledSize(size, scale) : QSize(0, 0); // 0: none
        EXPECT_EQ(QImage(arguments.contains(jpg) ? jpg : png).size(), wanted);
    }
    const ProcessResult version = Export({"--version"});
    EXPECT_TRUE(QString(version.out).contains(QRegularExpression("^ZelmEditor \\d+\\.\\d+\n$")));
}

// A damaged document (cut off in its last record, a middle record with a size no font has,
// random bytes) loads what is whole and says so once; the export fails on it at once.
TEST_F(ExportCommand, ADamagedDocumentLoadsWhatIsWholeAndSaysSo) {
    QByteArray whole = Read(Document()), badSize = whole, random(5000, '\0');
    badSize[int(LineRecordSize) + 4 + 256 + 3] = 0x7F; // the middle line's size, past 2^30
    std::generate(random.begin(), random.end(), std::mt19937(28));
    const std::tuple<QByteArray, int, int> rows[] = {
        {whole.left(2000), 2, 3}, {badSize, 2, 3}, {random, 0, 7}};
    for (const auto& [bytes, read, records] : rows) {
        const QString path = dir.filePath("kapot.mds");
        WriteFileAtomically(path.toStdString(), bytes.toStdString());
        const std::string message = "Dit document is beschadigd. Gelezen: " + std::to_string(read) +
                                    " van de " + std::to_string(records) + " regels.";
        TBasisMath window(dir.path(), [](const QString&) {});
        EXPECT_EQ(test::MessageOf([&] { window.Document().Load(path); }).toStdString(), message);
        EXPECT_EQ(int(window.Lines().size()), std::max(read, 1)); // none read: the line it had
        const ProcessResult run = Export({"--export", dir.filePath("kapot.png"), path});
        EXPECT_EQ(run.status, 1); // not -1: it ended within the minute Export waits
        EXPECT_EQ(run.err.toStdString(),
                  "ZelmEditor: " + path.toStdString() + ": " + message + "\n");
    }
}

// Standard error holds the program's own messages only, and a failed write names the file that
// could not be written, in the words of the other messages.
TEST_F(ExportCommand, OnlyItsOwnMessagesAndAFailedWriteNamesTheOutput) {
    const ProcessResult ok = Export({"--export", dir.filePath("stil.png"), Document()});
    EXPECT_EQ(ok.status, 0);
    EXPECT_EQ(ok.err.toStdString(), "");
    QFile(dir.filePath("bestand")).open(QIODevice::WriteOnly);
    const QString out = dir.filePath("bestand/uit.svg");
    const ProcessResult failed = Export({"--export", out, Document()});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err.toStdString(),
              "ZelmEditor: " + out.toStdString() + ": niet geschreven: Invalid filename\n");
}

// A document of 20,000 lines, 24 pixels apart: a picture 480 pixels wide, nearly 480,000 high.
// PNG is drawn in bands and SVG written as it is drawn, each within a few hundred megabytes;
// JPEG cannot be that high and is refused with one line that names its limit.
TEST(ExportLarge, TwentyThousandLinesStayWithinAFewHundredMegabytes) {
#if defined(ZELM_SANITIZED)
    GTEST_SKIP() << "the address sanitizer's shadow memory is not the program's";
#endif
    QTemporaryDir dir;
    std::vector<TLineRecord> lines(20000);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        lines[i].font = FontToRecord(FontDesc{}, 0);
        lines[i].text = i % 2 ? " sin x+cos y" : " Een regel gewone tekst";
        lines[i].plainText = i % 2 == 0;
        lines[i].top = int(i) * 24;
        lines[i].width = 480;
    }
    const QString document = dir.filePath("lang.mds");
    WriteFileAtomically(document.toStdString(), EncodeDocument(lines));
    constexpr long PeakKb = 300 * 1024;
    for (const char* name : {"lang.png", "lang.svg"}) {
        EXPECT_EQ(Export({"--export", dir.filePath(name), document}, true).status, 0) << name;
        rusage children{}; // the largest peak of the runs so far
        ::getrusage(RUSAGE_CHILDREN, &children);
        EXPECT_LT(children.ru_maxrss, PeakKb) << name;
    }
    const QByteArray png = Read(dir.filePath("lang.png"));
    ASSERT_GE(png.size(), 24);
    EXPECT_GT(qFromBigEndian<quint32>(png.constData() + 20), 479000u) << "the whole height";
    EXPECT_TRUE(Read(dir.filePath("lang.svg")).endsWith("</svg>\n"));
    const ProcessResult jpeg = Export({"--export", dir.filePath("lang.jpg"), document});
    EXPECT_EQ(jpeg.status, 1);
    EXPECT_EQ(jpeg.err.count('\n'), 1);
    EXPECT_TRUE(jpeg.err.contains("65535")) << jpeg.err.toStdString();
}

} // namespace
} // namespace zelm
