// "ZelmEditor --export": the program run as a process with no display, on a document typed
// into a window here.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "app/MathEdit.h"
#include "platform/EmfCanvas.h"
#include "support/EmfReader.h"

namespace zelm {
namespace {

void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}
void Type(const char* text) {
    QTest::keyClicks(QApplication::focusWidget(), text);
}

struct ProcessResult {
    int status = -1;
    QByteArray out, err;
};

ProcessResult Export(const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    process.setProcessEnvironment(env);
    process.start(ZELM_EDITOR_BINARY, arguments);
    if (!process.waitForFinished(60000)) return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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
        Key(Qt::Key_T, Qt::ControlModifier);
        Key(Qt::Key_Up, Qt::AltModifier);
        Type("a+b");
        Key(Qt::Key_Down);
        Type("c");
        Key(Qt::Key_Return);
        Type("r=");
        Key(Qt::Key_Up, Qt::ControlModifier);
        Key(Qt::Key_Left);
        Type("3");
        Key(Qt::Key_Right);
        Type("x+1");
        Key(Qt::Key_Return);
        Key(Qt::Key_I, Qt::ControlModifier);
        Type("t");
        QApplication::processEvents();
        ASSERT_EQ(window.Lines().size(), 3u);
        window.Save(Document());
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

TEST_F(ExportCommand, FailuresGiveOneLineAndANonZeroStatus) {
    QFile(dir.filePath("bestand")).open(QIODevice::WriteOnly);
    const QStringList cases[] = {
        {"--export", dir.filePath("uit.png"), dir.filePath("bestaat-niet.mds")},
        {"--export", dir.filePath("bestand/uit.png"), Document()},
        {"--export", dir.filePath("uit.gif"), Document()},
        {"--export", dir.filePath("uit.png")},
    };
    for (const QStringList& arguments : cases) {
        const ProcessResult run = Export(arguments);
        EXPECT_GT(run.status, 0) << arguments.join(' ').toStdString();
        EXPECT_FALSE(run.err.isEmpty());
        if (arguments.size() == 3) {
            // One line of ours (Qt may add its own warnings about the environment).
            EXPECT_EQ(run.err.count("ZelmEditor: "), 1) << run.err.toStdString();
        }
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("uit.png")));
    const ProcessResult help = Export({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("--export"));
}

} // namespace
} // namespace zelm
