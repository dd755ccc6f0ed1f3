// The program as installed: where it finds its data and fonts and keeps its recovery folder
// for each layout it may run from, and how it ends when the session asks it to.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <ostream>
#include <random>

#include "app/MainWindow.h"
#include "app/SessionEnd.h"
#include "files/DocumentCodec.h"
#include "files/FileIO.h"
#include "platform/Fonts.h"
#include "platform/Paths.h"

namespace zelm {
namespace {

const QString Tangerine = "tangerine-latin-400-normal.woff";

// A temporary folder with its own per-user data folder (XDG_DATA_HOME).
class InstallFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid() && dataHome.isValid());
        oldDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
    }
    void TearDown() override { qputenv("XDG_DATA_HOME", oldDataHome); }

    QString Path(const QString& relative) const { return root.path() + "/" + relative; }
    void MakeFolders(const QStringList& folders) const {
        for (const QString& f : folders)
            ASSERT_TRUE(QDir().mkpath(Path(f))) << f.toStdString();
    }
    void MakeFiles(const QStringList& files) const {
        for (const QString& f : files) {
            QFile file(Path(f));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << f.toStdString();
        }
    }
    static QString PerUserRecoveryFolder() {
        return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + "/Herstel/";
    }

    QTemporaryDir root, dataHome;
    QByteArray oldDataHome;
};

struct LayoutCase {
    const char* name;
    QStringList folders, files; // made below the temporary folder
    QString programDir;         // the program's folder, below the temporary folder
    QString dataFolder;         // the installed data folder; empty: not installed
    QString tangerine;          // where Tangerine is found; empty: nowhere (its bare name)
    bool recoveryPerUser;       // else the recovery folder is beside the program
};

void PrintTo(const LayoutCase& c, std::ostream* os) {
    *os << c.name;
}

const LayoutCase layoutCases[] = {
    {"BuildFolderTakesFontsBesideIt",
     {"build/fonts"},
     {"build/fonts/" + Tangerine},
     "build",
     "",
     "build/fonts/" + Tangerine,
     false},
    // Writable here (as it is for root), and still not written to.
    {"InstalledPrefixKeepsRecoveryPerUser",
     {"usr/bin", "usr/share/zelmeditor/fonts"},
     {"usr/share/zelmeditor/fonts/" + Tangerine},
     "usr/bin",
     "usr/share/zelmeditor/",
     "usr/share/zelmeditor/fonts/" + Tangerine,
     true},
    {"MovedPrefixFindsItsOwnData",
     {"opt/mijn programma/bin", "opt/mijn programma/share/zelmeditor/fonts"},
     {"opt/mijn programma/share/zelmeditor/fonts/" + Tangerine},
     "opt/mijn programma/bin",
     "opt/mijn programma/share/zelmeditor/",
     "opt/mijn programma/share/zelmeditor/fonts/" + Tangerine,
     true},
    // A copy beside the program (where a build folder would look) is not taken.
    {"InstalledWithoutFontsLooksNowhereElse",
     {"usr/bin/fonts", "usr/share/zelmeditor"},
     {"usr/bin/fonts/" + Tangerine},
     "usr/bin",
     "usr/share/zelmeditor/",
     "",
     true},
    {"BinWithoutDataFolderIsABuildFolder", {"x/bin", "x/share"}, {}, "x/bin", "", "", false},
    {"DataFolderWithoutBinIsNotAnInstall",
     {"y/libexec", "y/share/zelmeditor/fonts"},
     {"y/share/zelmeditor/fonts/" + Tangerine},
     "y/libexec",
     "",
     "",
     false},
};

class InstallLayout : public InstallFixture, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(InstallLayout, DataFontsAndRecoveryFolder) {
    const LayoutCase& c = GetParam();
    MakeFolders(c.folders);
    MakeFiles(c.files);
    const QString programDir = Path(c.programDir);

    EXPECT_EQ(InstalledDataFolder(programDir), c.dataFolder.isEmpty() ? "" : Path(c.dataFolder));
    // The icon is looked for beside the data folder, never beside a program not installed.
    const QString icon = "share/icons/hicolor/scalable/apps/" + DesktopId + ".svg";
    MakeFolders({"usr/share/icons/hicolor/scalable/apps"});
    MakeFiles({"usr/" + icon});
    EXPECT_EQ(InstalledIconFile(programDir), c.programDir == "usr/bin" && !c.dataFolder.isEmpty()
                                                 ? Path("usr/" + icon)
                                                 : QString());

    // Tahoma first (the system's), then the two Tangerine weights.
    const QStringList fonts = ProgramFontFiles(programDir);
    ASSERT_EQ(fonts.size(), 4);
    EXPECT_TRUE(fonts[0].endsWith("/tahoma.ttf"));
    if (!c.tangerine.isEmpty()) {
        EXPECT_EQ(fonts[2], Path(c.tangerine));
    } else if (!c.dataFolder.isEmpty()) {
        EXPECT_EQ(fonts[2], Tangerine); // an installed program looks in its own folder only
    } else {
        EXPECT_FALSE(fonts[2].startsWith(root.path())) << fonts[2].toStdString();
    }

    QStringList messages;
    TBasisMath window(programDir, [&](const QString& m) { messages << m; });
    const QString expected =
        c.recoveryPerUser ? PerUserRecoveryFolder() : QDir(programDir).absolutePath() + "/Herstel/";
    EXPECT_EQ(window.HerstelDir, expected);
    EXPECT_EQ(messages, QStringList{"Er is een Herstel directorie gemaakt: " + expected});
    EXPECT_EQ(QFileInfo::exists(programDir + "/Herstel"), !c.recoveryPerUser);
}

INSTANTIATE_TEST_SUITE_P(Layouts, InstallLayout, ::testing::ValuesIn(layoutCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The session ends, by each of the signals, at random moments: while start-up shows its message
// about the new recovery folder (perhaps followed by a second box, a document not found), or
// after random typing, splitting and joining. Every time the window closes, no dialog stays
// open, and the closing state holds exactly the lines the window had.
TEST_F(InstallFixture, SignalsCloseTheWindowWhichLeavesItsLinesAsClosingState) {
    std::mt19937 random(20261209);
    const int signalKinds[] = {SIGTERM, SIGINT, SIGHUP};
    const Qt::Key keys[] = {Qt::Key_A,      Qt::Key_X,         Qt::Key_Plus,   Qt::Key_Space,
                            Qt::Key_Return, Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Left};
    for (int round = 0; round < 16; ++round) {
        const int signal = signalKinds[round < 3 ? round : random() % 3];
        const bool duringStartUp = round < 2 || random() % 3 == 0;
        const bool missingDocument = round == 0 || random() % 4 == 0;
        SCOPED_TRACE(testing::Message() << "round " << round << " signal " << signal
                                        << (duringStartUp ? " during start-up" : "")
                                        << (missingDocument ? " missing document" : ""));
        QTemporaryDir programDir;
        SessionEnd sessionEnd;
        int boxes = 0;
        // Real modal message boxes, as the program shows them; the first brings the signal,
        // and nothing but the signal ends them.
        auto showMessage = [&](const QString& text) {
            if (!duringStartUp) return;
            if (++boxes == 1) QTimer::singleShot(0, [&] { std::raise(signal); });
            QMessageBox box(QMessageBox::Information, "ZelmEditor", text);
            QTimer::singleShot(10000, &box, [&] { // a failure, not a test that hangs
                ADD_FAILURE() << "the message box stayed open";
                box.reject();
            });
            box.exec();
        };
        const QStringList arguments =
            missingDocument ? QStringList{programDir.filePath("weg.mds")} : QStringList{};
        TBasisMath window(programDir.path(), showMessage, arguments);
        sessionEnd.SetWindow(&window);
        if (duringStartUp) {
            EXPECT_EQ(boxes, missingDocument ? 2 : 1);
        } else {
            for (int k = int(random() % 40); k > 0; --k) {
                TMathEditor* line = window.CurrentLine();
                if (!line && !window.Lines().empty()) line = window.Lines().back();
                if (line) QTest::keyClick(line, keys[random() % std::size(keys)]);
            }
            std::raise(signal);
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 5000));
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        std::vector<Bytes> shown, stored;
        for (const TMathEditor* line : window.Lines())
            shown.push_back(line->Text());
        for (const TLineRecord& r :
             DecodeDocument(ReadWholeFile(NativePath(window.Recovery().ClosingFileName()))))
            stored.push_back(r.text);
        EXPECT_EQ(stored, shown);
    }
}

} // namespace
} // namespace zelm
