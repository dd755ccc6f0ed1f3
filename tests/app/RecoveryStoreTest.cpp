// The recovery store: states written before splits and joins, "&Vorige" and "&Terug", the state
// left by closing for the next run, and the menu items that reach them.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <memory>
#include <random>

#include <sys/stat.h>
#include <unistd.h>

#include "app/MainWindow.h"
#include "files/DocumentCodec.h"
#include "files/FileIO.h"
#include "files/SessionFolder.h"
#include "formula/Errors.h"
#include "formula/LineKeys.h"
#include "platform/Paths.h"
#include "support/FixedLines.h"
#include "support/WindowTexts.h"

namespace zelm {
namespace {

using Texts = std::vector<Bytes>;

using test::TextsOf;

constexpr int KeptSessions = RecoveryStore::KeptSessions, KeptDays = RecoveryStore::KeptDays;

class RecoveryStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(programDir_.isValid());
        window_ = Open();
    }

    std::unique_ptr<TBasisMath> Open() {
        return std::make_unique<TBasisMath>(programDir_.path(),
                                            [this](const QString& m) { messages_ << m; });
    }

    QString Herstel() const { return window_->HerstelDir; }

    // The texts stored in a recovery file.
    static Texts FileTexts(const QString& path) {
        Texts texts;
        for (const TLineRecord& r : DecodeDocument(ReadWholeFile(path.toStdString())))
            texts.push_back(r.text);
        return texts;
    }

    QStringList RecoveryFiles() const { return QDir(Herstel()).entryList(QDir::Files, QDir::Name); }
    // This run's numbered states, in its session folder.
    QStringList States() const {
        return QDir(window_->Recovery().SessionPath())
            .entryList({"*.wes"}, QDir::Files, QDir::Name);
    }
    QString State(int n) const { return window_->Recovery().HerstelFileName(n); }

    // A key as the line's splits and joins get it.
    void Key(std::size_t line, int key, int caretPos) {
        window_->Lines().at(line)->Line().CaretPos = caretPos;
        SplitOrJoin(window_->Lines().at(line)->Line(), key);
    }

    QTemporaryDir programDir_;
    QStringList messages_;
    std::unique_ptr<TBasisMath> window_;
};

TEST_F(RecoveryStoreTest, StepsBackAndForthThroughSplitsAndKeepsTheLastStateForTheNextRun) {
    EXPECT_EQ(Herstel(), QDir(programDir_.path()).absolutePath() + "/Herstel/");
    EXPECT_EQ(messages_, QStringList{"Er is een Herstel directorie gemaakt: " + Herstel()});
    window_->Lines()[0]->SetText(" a+b");

    Key(0, VK::Return, 2); // after the a
    EXPECT_EQ(window_->HerstelNummer, 1);
    EXPECT_EQ(FileTexts(State(0)), Texts{" a+b"});
    Key(1, VK::Return, 1); // after the new line's blank
    EXPECT_EQ(window_->HerstelNummer, 2);
    EXPECT_EQ(FileTexts(State(1)), (Texts{" a", " +b"}));
    const Texts twoSplits{" a", " ", " +b"};
    ASSERT_EQ(TextsOf(*window_), twoSplits);

    window_->Recovery().Herstel1Click();
    EXPECT_EQ(FileTexts(State(2)), twoSplits);
    EXPECT_EQ(window_->HerstelNummer, 1);
    EXPECT_EQ(TextsOf(*window_), (Texts{" a", " +b"}));
    window_->Recovery().Herstel1Click();
    EXPECT_EQ(window_->HerstelNummer, 0);
    EXPECT_EQ(TextsOf(*window_), Texts{" a+b"});

    window_->Recovery().mterugClick();
    EXPECT_EQ(window_->HerstelNummer, 1);
    EXPECT_EQ(TextsOf(*window_), (Texts{" a", " +b"}));
    window_->Recovery().mterugClick();
    EXPECT_EQ(window_->HerstelNummer, 2);
    EXPECT_EQ(TextsOf(*window_), twoSplits);
    window_->Recovery().mterugClick(); // there is no ZelmEditor3.wes
    EXPECT_EQ(window_->HerstelNummer, 2);
    EXPECT_EQ(TextsOf(*window_), twoSplits);
    EXPECT_EQ(States(), (QStringList{"ZelmEditor0.wes", "ZelmEditor1.wes", "ZelmEditor2.wes"}));

    // Closing leaves the present state as number 0 and removes this run's states; other files
    // are not touched.
    QFile(Herstel() + "Instellingen.ops").open(QIODevice::WriteOnly);
    QFile(Herstel() + "ouder7.wes").open(QIODevice::WriteOnly);
    window_->close();
    EXPECT_EQ(RecoveryFiles(), (QStringList{"Instellingen.ops", "ZelmEditor0.wes", "ouder7.wes"}));
    EXPECT_EQ(States(), QStringList{"Afsluiting-ZelmEditor.wes"});
    EXPECT_EQ(FileTexts(Herstel() + "ZelmEditor0.wes"), twoSplits);
    QFile::remove(Herstel() + "ouder7.wes");

    // The next run's first Enter keeps that state, and stepping back ends there; the folder is
    // not reported again.
    window_ = Open();
    EXPECT_EQ(messages_.filter("directorie").size(), 1);
    Key(0, VK::Return, 1);
    EXPECT_EQ(FileTexts(Herstel() + "ZelmEditor0.wes"), twoSplits);
    window_->Recovery().Herstel1Click();
    window_->Recovery().Herstel1Click();
    EXPECT_EQ(TextsOf(*window_), twoSplits);
    EXPECT_EQ(window_->HerstelNummer, 0);
    // At counter 0 it takes the first closing state, whatever the caption is by then.
    window_->setWindowTitle("iets anders");
    window_->Lines()[0]->SetText(" later");
    window_->Recovery().Herstel1Click();
    EXPECT_EQ(window_->windowTitle(), "ZelmEditor");
    EXPECT_EQ(TextsOf(*window_), twoSplits);
}

TEST_F(RecoveryStoreTest, TerugRightAfterVorigeReturnsToTheStateVorigeSaved) {
    window_->Lines()[0]->SetText(" x=1");
    Key(0, VK::Return, 4); // at the end: a blank line below
    window_->Lines()[1]->SetText(" y=2");
    const Texts present = TextsOf(*window_);

    window_->Recovery().Herstel1Click();
    EXPECT_EQ(TextsOf(*window_), Texts{" x=1"});
    window_->Recovery().mterugClick();
    EXPECT_EQ(TextsOf(*window_), present);
    EXPECT_EQ(window_->HerstelNummer, 1);
}

TEST_F(RecoveryStoreTest, TheCaptionRestoredFromClosingKeepsItsOwnDigits) {
    window_->setWindowTitle("stelling12");
    window_->Lines()[0]->SetText(" p");
    Key(0, VK::Return, 2);
    EXPECT_TRUE(QFileInfo::exists(State(0)));
    window_->close();
    EXPECT_EQ(RecoveryFiles(), QStringList{"stelling120.wes"});

    window_ = Open();
    window_->Recovery().Herstel1Click();
    EXPECT_EQ(window_->windowTitle(), "stelling12");
    EXPECT_EQ(TextsOf(*window_), (Texts{" p", " "}));
}

// Each command that rewrites or replaces every line stores the document first, so that one
// "&Vorige" brings it back; a state that cannot be stored stops the command.
TEST_F(RecoveryStoreTest, CommandsThatRewriteTheWholeDocumentStoreItFirst) {
    const auto shown = [&] { // text, mode and face of each line
        Texts lines;
        for (const TMathEditor* l : window_->Lines())
            lines.push_back(l->Text() + (l->PlainText() ? " p " : " f ") + l->Font().face);
        return lines;
    };
    window_->Lines()[0]->SetPlainText(false);
    window_->Lines()[0]->SetFont(FontDesc{"Arial", -20, 0, 400, 0, 0, 0, 1}, 0);
    const QString start = programDir_.filePath("start.mds"), other = programDir_.filePath("b.mds");
    window_->Document().Save(other);
    window_->CreateEd()->SetText(" tekst");
    window_->Document().Save(start);
    const Texts before = shown();
    window_->Document().chooseOpenFile = [&](const QString&) { return other; };
    window_->chooseFont = [](const FontDesc&, ColorRef) { return std::optional<ChosenFont>(); };
    QStringList errors;
    window_->showError = [&](const QString& m) { errors << m; };
    const QList<QAction*> commands{window_->Nieuw1, window_->Alleswissen1, window_->MLoad,
                                   window_->Font1, window_->plText};
    for (QAction* command : commands) {
        SCOPED_TRACE(command->text().toStdString());
        window_->Document().Load(start);
        command->trigger();
        EXPECT_NE(shown(), before);
        window_->Recovery().Herstel1Click();
        EXPECT_EQ(shown(), before);
        EXPECT_TRUE(errors.empty());
        window_->setWindowTitle("ZelmEditor");
    }
    window_->HerstelDir = programDir_.filePath("weg") + "/";
    for (QAction* command : commands) {
        SCOPED_TRACE(command->text().toStdString());
        errors.clear();
        const bool checked = window_->plText->isChecked();
        command->trigger();
        EXPECT_EQ(errors, QStringList{"File not found"});
        EXPECT_EQ(shown(), before);
        EXPECT_EQ(window_->windowTitle(), "ZelmEditor");
        EXPECT_EQ(window_->plText->isChecked(), checked);
    }
}

// Two instances of one caption each walk their own states and leave each other's closing
// state; "&Vorige" in a new run takes its own caption's, else the state closed last.
TEST_F(RecoveryStoreTest, EachInstanceKeepsItsOwnStatesAndClosingRemovesNoOthers) {
    std::unique_ptr<TBasisMath> second = Open();
    for (auto [w, text] : {std::pair{window_.get(), " alfa"}, {second.get(), " beta"}}) {
        w->Lines()[0]->SetText(text);
        int key = VK::Return;
        SplitOrJoin(w->Lines()[0]->Line(), key);
        w->setWindowTitle(QString(text).trimmed());
    }
    window_->setWindowTitle("ZelmEditor");
    window_->Recovery().Herstel1Click();
    EXPECT_EQ(TextsOf(*window_), Texts{" alfa"});
    window_->close();
    second->close();
    EXPECT_EQ(RecoveryFiles(), (QStringList{"ZelmEditor0.wes", "beta0.wes"}));
    window_ = Open();
    window_->Recovery().Herstel1Click();
    EXPECT_EQ(TextsOf(*window_), Texts{" alfa"});
    QFile::remove(Herstel() + "ZelmEditor0.wes");
    window_ = Open();
    window_->Recovery().Herstel1Click();
    EXPECT_EQ(window_->windowTitle(), "beta");
}

// The previous session's closing state of a command-line document survives the first Enter,
// and stepping back ends there.
TEST_F(RecoveryStoreTest, ACommandLineDocumentKeepsItsLastSessionAtTheFirstEnter) {
    std::string document = NativePath(programDir_.filePath("alg.mds"));
    window_->Document().Save(DecodeFileName(document));
    char* argv[] = {const_cast<char*>("ZelmEditor"), document.data()};
    for (const char* text : {" bewerkt", ""}) {
        window_ = std::make_unique<TBasisMath>(
            programDir_.path(), [](const QString&) {}, ProgramArguments(2, argv));
        if (*text) window_->Lines()[0]->SetText(text), window_->close();
    }
    Key(0, VK::Return, 1);
    window_->Recovery().Herstel1Click();
    window_->Recovery().Herstel1Click();
    EXPECT_EQ(TextsOf(*window_), Texts{" bewerkt"});
}

// The state stored before an open that fails takes the caption that comes back.
TEST_F(RecoveryStoreTest, AfterAFailedOpenVorigeReachesTheStateStoredBeforeIt) {
    window_->Lines()[0]->SetText(" voor");
    window_->Document().chooseOpenFile = [&](const QString&) { return Herstel() + "weg.mds"; };
    EXPECT_EQ(test::MessageOf([&] { window_->Document().MLoadClick(); }), "File not found");
    window_->Lines()[0]->SetText(" na");
    window_->Recovery().Herstel1Click();
    EXPECT_EQ(TextsOf(*window_), Texts{" voor"});
}

// Each session's closing state stays reachable from "Vorige sessies…"; the start after a
// session that left work no document holds says so, once.
TEST_F(RecoveryStoreTest, EarlierSessionsStayReachableAndUnsavedWorkIsAnnouncedOnce) {
    const QString unsaved = QString::fromUtf8("Het werk van de vorige sessie is niet opgeslagen; u "
                                              "vindt het in Herstel > Vorige sessies…");
    const QString document = programDir_.filePath("opgeslagen.mds");
    for (const Bytes text : {" ", " sessie1", " opgeslagen"}) {
        window_->Lines()[0]->SetText(text);
        window_->Document().chooseSaveFile = [&](const QString&) { return document; };
        if (text == " opgeslagen") window_->Document().MSaveClick();
        messages_.clear();
        window_->close();
        window_ = Open();
        window_ = Open();
        EXPECT_EQ(messages_, text == " sessie1" ? QStringList{unsaved} : QStringList{});
    }
    QStringList rows;
    window_->Recovery().chooseSession = [&](const QStringList& shown) { return (rows = shown), 1; };
    window_->mVorigeSessies->trigger();
    EXPECT_TRUE(rows.size() == 3 && rows[0].endsWith("ZelmEditor   opgeslagen")) << rows.size();
    EXPECT_EQ(TextsOf(*window_), Texts{" sessie1"});
    window_->Recovery().Herstel1Click();
    EXPECT_EQ(TextsOf(*window_), Texts{" "});
}

// Random sessions of random ages, some without a state, some with a crash state: each start
// keeps every one with a state of the last 30 days, the newest 20 closing states, and crash
// states.
TEST_F(RecoveryStoreTest, StartUpKeepsTheLast20SessionsOr30DaysWhicheverIsMore) {
    std::mt19937 random(20);
    const std::time_t now = std::time(nullptr), day = 24 * 60 * 60;
    const std::string herstel = NativePath(Herstel());
    const QString kinds[] = {"", "Afsluiting-x.wes", "x3.wes", "Noodkopie-x.wes"};
    for (int step = 0; step < 8; ++step) {
        for (int i = int(random() % 12); i > 0; --i) {
            const std::time_t started = now - std::time_t(random() % 60) * day - i;
            SessionFolder s(herstel, started);
            QFile state(DecodeFileName(s.Path()) + kinds[random() % 4]);
            state.open(QIODevice::WriteOnly);
            state.setFileTime(QDateTime::fromSecsSinceEpoch(started),
                              QFileDevice::FileModificationTime);
        }
        const std::vector<std::string> before = SessionFolder::List(herstel);
        window_.reset();
        window_ = Open();
        int kept = 0;
        for (const std::string& folder : before) { // the newest first
            const QStringList states = QDir(DecodeFileName(folder)).entryList({"*.wes"});
            const bool old = now - SessionFolder::Started(folder) > KeptDays * day;
            const bool crash = !states.filter("Noodkopie-").isEmpty();
            const bool closing = !states.filter("Afsluiting-").isEmpty();
            EXPECT_EQ(QFileInfo::exists(DecodeFileName(folder)),
                      crash || (!states.isEmpty() && (!old || (closing && kept < KeptSessions))));
            kept += QFileInfo::exists(DecodeFileName(folder)) && closing;
        }
    }
}

TEST_F(RecoveryStoreTest, VorigeWithNothingStoredOrAMissingStateKeepsTheLines) {
    window_->Lines()[0]->SetText(" eerst");
    window_->Recovery().Herstel1Click(); // an empty folder: nothing happens
    EXPECT_EQ(TextsOf(*window_), Texts{" eerst"});
    EXPECT_EQ(window_->windowTitle(), "ZelmEditor");
    // A closing state that cannot be read leaves the window under its own name, so that the
    // closing save does not write over that state.
    ASSERT_EQ(::mkfifo(NativePath(Herstel() + "pijp0.wes").c_str(), 0600), 0);
    EXPECT_EQ(test::MessageOf([&] { window_->Recovery().Herstel1Click(); }), "File access denied");
    EXPECT_EQ(window_->windowTitle(), "ZelmEditor");
    QFile::remove(Herstel() + "pijp0.wes");

    Key(0, VK::Return, 6);
    // Opening a document renamed the window since: its state 0 does not exist.
    window_->setWindowTitle("algebra");
    const Texts present = TextsOf(*window_);
    EXPECT_EQ(test::MessageOf([&] { window_->Recovery().Herstel1Click(); }), "File not found");
    EXPECT_EQ(TextsOf(*window_), present);
    EXPECT_EQ(window_->HerstelNummer, 0);
    // The state "&Vorige" stored first is still there for "&Terug".
    window_->Lines()[0]->SetText(" later");
    window_->Recovery().mterugClick();
    EXPECT_EQ(TextsOf(*window_), present);
}

TEST_F(RecoveryStoreTest, AStateThatCannotBeStoredStopsTheSplitOrJoinAndKeepsTheCounter) {
    window_->Lines()[0]->SetText(" een");
    window_->CreateEd()->SetText(" twee");
    const Texts before = TextsOf(*window_);
    window_->HerstelDir = programDir_.filePath("weg") + "/";

    EXPECT_EQ(test::MessageOf([&] { Key(0, VK::Return, 2); }), "File not found");
    EXPECT_EQ(test::MessageOf([&] { Key(1, VK::Back, 1); }), "File not found");
    EXPECT_EQ(test::MessageOf([&] { Key(0, VK::Delete, 4); }), "File not found");
    window_->HerstelNummer = 3;
    EXPECT_EQ(test::MessageOf([&] { window_->Recovery().Herstel1Click(); }), "File not found");
    EXPECT_EQ(window_->HerstelNummer, 3);
    window_->HerstelNummer = 0;
    EXPECT_EQ(TextsOf(*window_), before);

    // The joins themselves store their state first, once the folder is there again.
    window_->HerstelDir = QDir(programDir_.path()).absolutePath() + "/Herstel/";
    Key(0, VK::Delete, 4);
    EXPECT_EQ(TextsOf(*window_), Texts{" een twee"});
    EXPECT_EQ(FileTexts(State(0)), before);
    EXPECT_EQ(window_->HerstelNummer, 1);
}

// The closing state is written before anything is cleared: when that write fails (disk full at
// the rename here, through the file layer's fault seam), the session's states all stay.
TEST_F(RecoveryStoreTest, AClosingSaveThatFailsKeepsEveryEarlierState) {
    window_->Lines()[0]->SetText(" a+b");
    Key(0, VK::Return, 2);
    Key(1, VK::Return, 1);
    const QStringList states{"ZelmEditor0.wes", "ZelmEditor1.wes"};
    ASSERT_EQ(States(), states);
    const Texts first = FileTexts(State(0));

    QStringList errors;
    window_->showError = [&](const QString& m) { errors << m; };
    SetWriteFault([](const std::string&) { return ENOSPC; });
    window_->close();
    SetWriteFault(nullptr);
    EXPECT_EQ(errors, QStringList{"Disk full"});
    EXPECT_EQ(States(), states);
    EXPECT_EQ(FileTexts(State(0)), first);
    EXPECT_EQ(FileTexts(State(1)), (Texts{" a", " +b"}));
}

// Saves killed halfway leave ".zelm-save-XXXXXX" behind; the first instance to start removes
// them, while an instance that is running (holding the folder) may be writing its own.
TEST_F(RecoveryStoreTest, StaleSaveTemporariesGoAtStartUnlessAnotherInstanceHoldsTheFolder) {
    window_.reset();
    const QStringList planted{".zelm-save-Ab3xZ9",  ".zelm-save-000000",  ".zelm-save-abc",
                              ".zelm-save-abcdefg", "x.zelm-save-Ab3xZ9", "ZelmEditor0.wes"};
    const QStringList ours{".zelm-save-000000", ".zelm-save-Ab3xZ9"};
    const auto plant = [&] {
        for (const QString& name : planted)
            QFile(programDir_.filePath("Herstel/" + name)).open(QIODevice::WriteOnly);
    };
    const auto entries = [&] {
        return QDir(programDir_.filePath("Herstel"))
            .entryList(QDir::Files | QDir::Hidden, QDir::Name)
            .filter(QRegularExpression("zelm-save|wes"));
    };
    QStringList others = planted;
    for (const QString& name : ours)
        others.removeAll(name);
    others.sort();

    {
        // Another instance holds the folder: nothing of its may go.
        FolderClaim running(NativePath(programDir_.filePath("Herstel")));
        plant();
        window_ = Open();
        QStringList all = planted;
        all.sort();
        EXPECT_EQ(entries(), all);
        window_.reset();
    }
    window_ = Open();
    EXPECT_EQ(entries(), others);
}

TEST_F(RecoveryStoreTest, ClearDirDeletesRecoveryFilesOnly) {
    for (const char* name : {"a0.wes", "b12.wes", "doc.mds", "Instellingen.ops", "x.wes.bak"})
        QFile(Herstel() + name).open(QIODevice::WriteOnly);
    QDir(Herstel()).mkdir("map.wes");
    RecoveryStore::ClearDir(Herstel());
    EXPECT_EQ(RecoveryFiles(), (QStringList{"Instellingen.ops", "doc.mds", "x.wes.bak"}));
    EXPECT_TRUE(QFileInfo(Herstel() + "map.wes").isDir());
}

// On a read-only install the recovery folder moves to the user's data folder, and Enter keeps
// working.
TEST_F(RecoveryStoreTest, AProgramFolderThatCannotHoldTheStoreFallsBackToTheUsersDataFolder) {
    QTemporaryDir dataHome;
    const QByteArray savedDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
    QString program = programDir_.filePath("install");
    QDir().mkpath(program);
    if (::geteuid() == 0) {
        // Permissions do not stop root; a folder path through a plain file stops everyone.
        program = programDir_.filePath("program-file");
        QFile(program).open(QIODevice::WriteOnly);
    } else {
        QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner);
    }
    messages_.clear();
    auto window = std::make_unique<TBasisMath>(program, [&](const QString& m) { messages_ << m; });
    const QString expected =
        QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + "/Herstel/";
    qputenv("XDG_DATA_HOME", savedDataHome);

    EXPECT_TRUE(expected.startsWith(dataHome.path()));
    EXPECT_EQ(window->HerstelDir, expected);
    EXPECT_EQ(messages_, QStringList{"Er is een Herstel directorie gemaakt: " + expected});
    int key = VK::Return;
    SplitOrJoin(window->Lines()[0]->Line(), key);
    EXPECT_EQ(key, 0);
    EXPECT_EQ(window->Lines().size(), 2u);
    EXPECT_TRUE(QFileInfo::exists(window->Recovery().HerstelFileName(0)));
    QFile::setPermissions(programDir_.filePath("install"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(RecoveryStoreTest, MenuItemsAndTheirShortcutsReachTheCommands) {
    const QList<QAction*> bar = window_->menuBar()->actions();
    // The bar reads "&Kopiëren", "Op&slaan", "&Openen", "&Print", "&Alles", "&Herstel", ...
    ASSERT_GE(bar.size(), 6);
    EXPECT_EQ(bar[1]->text(), "Op&slaan");
    EXPECT_EQ(bar[2]->text(), "&Openen");
    EXPECT_EQ(bar[5]->text(), "&Herstel");
    ASSERT_EQ(bar[5]->menu(), window_->Herstel1);
    const QList<QAction*> herstel = window_->Herstel1->actions();
    ASSERT_EQ(herstel.size(), 3);
    EXPECT_EQ(herstel[0]->text(), "&Vorige");
    EXPECT_EQ(herstel[0]->shortcut(), QKeySequence("Ctrl+Shift+Z"));
    EXPECT_EQ(window_->Herstel1->defaultAction(), herstel[0]);
    EXPECT_EQ(herstel[1]->text(), "&Terug");
    EXPECT_EQ(herstel[1]->shortcut(), QKeySequence("Ctrl+Shift+T"));

    // A previous run left two lines behind; the shortcuts work from inside a line.
    {
        TLineRecord r;
        r.plainText = true;
        r.font = FontToRecord(FontDesc{}, 0);
        r.text = " vorige";
        WriteFileAtomically((Herstel() + "ZelmEditor0.wes").toStdString(), EncodeDocument({r, r}));
    }
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    TMathEditor* line = window_->Lines()[0];
    line->setFocus();
    QTest::keyClick(line, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(TextsOf(*window_), (Texts{" vorige", " vorige"}));

    // A failing menu command is reported and the program goes on.
    QStringList errors;
    window_->showError = [&](const QString& m) { errors << m; };
    window_->HerstelDir = programDir_.filePath("weg") + "/";
    window_->HerstelNummer = 1;
    window_->mVorige->trigger();
    EXPECT_EQ(errors, QStringList{"File not found"});
    EXPECT_EQ(window_->HerstelNummer, 1);
}

TEST_F(RecoveryStoreTest, AltF4ClosesLikeTheCloseBox) {
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    TMathEditor* line = window_->Lines()[0];
    line->SetText(" slot");
    line->setFocus();
    QTest::keyClick(line, Qt::Key_F4, Qt::AltModifier);
    EXPECT_FALSE(window_->isVisible());
    EXPECT_EQ(RecoveryFiles(), QStringList{"ZelmEditor0.wes"});
    EXPECT_EQ(FileTexts(Herstel() + "ZelmEditor0.wes"), Texts{" slot"});
}

} // namespace
} // namespace zelm
