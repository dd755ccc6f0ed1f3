// Saving and loading the main window's lines, the two file commands and the document named on
// the command line.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>
#include <memory>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/MainWindow.h"
#include "files/DocumentCodec.h"
#include "formula/Errors.h"
#include "formula/FormulaText.h"
#include "support/FixedLines.h"
#include "support/RecordingHost.h"

namespace zelm {
namespace {

// What a line keeps in a document file.
struct StoredLine {
    Bytes text, codes;
    bool plainText = false;
    FontDesc font;
    ColorRef color = 0;
    int top = 0, width = 0;
    bool operator==(const StoredLine&) const = default;
};

std::vector<StoredLine> Snapshot(const TBasisMath& window) {
    std::vector<StoredLine> lines;
    for (const TMathEditor* l : window.Lines())
        lines.push_back({l->Text(), l->Line().Codes(), l->PlainText(), l->Font(), l->FontColor(),
                         l->y(), l->width()});
    return lines;
}

class DocumentFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(programDir_.isValid());
        window_ = Open();
    }

    std::unique_ptr<TBasisMath> Open() {
        return std::make_unique<TBasisMath>(programDir_.path(),
                                            [this](const QString& m) { messages_ << m; });
    }

    QString Path(const QString& name) const { return programDir_.filePath(name); }

    void Plant(const QString& name, const QByteArray& bytes) const {
        QFile f(Path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    static QByteArray Record(const Bytes& text, bool plainText = true) {
        TLineRecord r;
        r.plainText = plainText;
        r.font = FontToRecord(FontDesc{}, 0);
        r.text = text;
        r.top = 40;
        r.width = 480;
        return QByteArray::fromStdString(EncodeLine(r));
    }

    // Three lines: plain text, a formula with a recognised name, and one in its own font,
    // colour and place.
    void MakeThreeLines() {
        TBasisMath& w = *window_;
        w.Lines()[0]->SetText(" Hallo wereld");
        TMathEditor* formula = w.CreateEd();
        formula->SetPlainText(false);
        formula->SetText(" sin x+y");
        formula->move(0, 30);
        TMathEditor* styled = w.CreateEd();
        styled->SetFont(FontDesc{"Arial", -24, 0, 700, 1, 1, 0, 1}, 0xFF000008);
        styled->SetText(" anders");
        styled->move(0, 75);
        styled->resize(515, styled->height());
    }

    QTemporaryDir programDir_;
    QStringList messages_;
    std::unique_ptr<TBasisMath> window_;
};

TEST_F(DocumentFileTest, ThreeLinesMakeThreeRecordsAndComeBackAsTheyWere) {
    MakeThreeLines();
    ASSERT_EQ(window_->Lines()[1]->Line().Codes(), "\x13"); // "sin" was recognised
    const std::vector<StoredLine> saved = Snapshot(*window_);
    window_->Document().Save(Path("drie.mds"));
    EXPECT_EQ(QFileInfo(Path("drie.mds")).size(), 2376); // 3 records of 792 bytes

    std::unique_ptr<TBasisMath> other = Open();
    other->Document().Load(Path("drie.mds"));
    EXPECT_EQ(Snapshot(*other), saved);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(other->Lines()[std::size_t(i)]->LineIndex(), i);
    // Loading changes neither the caption nor the proposed folder, and focuses no line.
    EXPECT_EQ(other->windowTitle(), "ZelmEditor");
    EXPECT_EQ(other->DocDir, other->HerstelDir);
    EXPECT_EQ(other->CurrentLine(), nullptr);

    // Saving what was loaded gives the same bytes again.
    other->Document().Save(Path("weer.mds"));
    QFile a(Path("drie.mds")), b(Path("weer.mds"));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll());
}

TEST_F(DocumentFileTest, LinesNarrowerThanTheWindowKeepTheirStoredWidth) {
    // A short line before a longer one: the longer one must not narrow the first to its own
    // needed width while the document comes in.
    Plant("smal.mds", Record(" a") + Record(" een veel langere regel met tekst"));
    window_->Document().Load(Path("smal.mds"));
    ASSERT_EQ(window_->Lines().size(), 2u);
    EXPECT_LT(window_->Lines()[1]->NeededWidth(), 480);
    EXPECT_EQ(window_->Lines()[0]->width(), 480);
    EXPECT_EQ(window_->Lines()[1]->width(), 480);
}

TEST_F(DocumentFileTest, LongLinesKeepTheirFirst255CharactersWithTheirOwnCodeBytes) {
    TMathEditor* plain = window_->Lines()[0];
    plain->SetText(" " + Bytes(254, 'a')); // exactly 255: stored whole
    TMathEditor* longPlain = window_->CreateEd();
    longPlain->SetText(" " + Bytes(299, 'b')); // 300
    TMathEditor* formula = window_->CreateEd();
    formula->SetPlainText(false);
    Bytes typed = " ";
    for (int k = 0; k < 70; ++k)
        typed += "sin x+";
    formula->SetText(typed);
    // Each "sin" became code character 1: 1 + 70 * 4 = 281 characters, 70 code bytes.
    ASSERT_EQ(formula->Text().size(), 281u);
    ASSERT_EQ(formula->Line().Codes(), Bytes(70, '\x13'));
    const Bytes formulaText = formula->Text();

    window_->Document().Save(Path("lang.mds"));
    window_->Document().Load(Path("lang.mds"));
    const auto& lines = window_->Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0]->Text(), " " + Bytes(254, 'a'));
    EXPECT_EQ(lines[1]->Text(), " " + Bytes(254, 'b'));
    // Code characters stand at 2, 6, 10, ...: 2 + 4k <= 255 for k = 0..63, so 64 of them
    // survive the cut, and with them exactly 64 code bytes.
    EXPECT_EQ(lines[2]->Text(), formulaText.substr(0, 255));
    EXPECT_EQ(lines[2]->Line().Codes(), Bytes(64, '\x13'));
}

TEST_F(DocumentFileTest, ASaveThatFailsMidwayLeavesTheOldFileWhole) {
    window_->Document().Save(Path("doc.mds"));
    MakeThreeLines();

    // The new document (2376 bytes) does not fit under a limit of 1000 bytes.
    rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = 1000;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const QString message = test::MessageOf([&] { window_->Document().Save(Path("doc.mds")); });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(message, "I/O error 27"); // EFBIG
    EXPECT_EQ(QFileInfo(Path("doc.mds")).size(), 792);
    EXPECT_EQ(QDir(programDir_.path()).entryList(QDir::Files), QStringList{"doc.mds"});
}

TEST_F(DocumentFileTest, AFileThatCannotBeReadLeavesTheLinesAsTheyWere) {
    MakeThreeLines();
    const std::vector<StoredLine> before = Snapshot(*window_);
    const std::vector<TMathEditor*> widgets = window_->Lines();
    QDir(programDir_.path()).mkdir("map.mds");

    EXPECT_EQ(test::MessageOf([&] { window_->Document().Load(Path("geen.mds")); }),
              "File not found");
    EXPECT_EQ(test::MessageOf([&] { window_->Document().Load(Path("map.mds")); }),
              "File access denied");
    EXPECT_EQ(test::MessageOf([&] { window_->Document().Load(Path("geen/doc.mds")); }),
              "File not found");
    EXPECT_EQ(window_->Lines(), widgets);
    EXPECT_EQ(Snapshot(*window_), before);
}

TEST_F(DocumentFileTest, WholeRecordsAreLoadedAndACutOffRestIsReported) {
    Plant("leeg.mds", {});
    Plant("kort.mds", QByteArray(500, 'x'));
    Plant("een.mds", Record(" eerste") + QByteArray(208, 'x')); // 1000 bytes
    Plant("raar.mds", Record(" zeven").replace(0, 1, "\x07"));

    EXPECT_EQ(test::MessageOf([&] { window_->Document().Load(Path("een.mds")); }),
              "Dit document is beschadigd. Gelezen: 1 van de 2 regels.");
    ASSERT_EQ(window_->Lines().size(), 1u);
    EXPECT_EQ(window_->Lines()[0]->Text(), " eerste");
    EXPECT_EQ(window_->Lines()[0]->y(), 40);

    window_->Document().Load(Path("leeg.mds"));
    EXPECT_TRUE(window_->Lines().empty());
    window_->Document().Load(Path("raar.mds"));
    ASSERT_EQ(window_->Lines().size(), 1u);
    EXPECT_TRUE(window_->Lines()[0]->PlainText()); // any byte but 0 is plain text
    // Less than one record is a cut-off document: the lines on the screen stay.
    try {
        window_->Document().Load(Path("kort.mds"));
        ADD_FAILURE() << "no error";
    } catch (const ZelmError& e) {
        EXPECT_STREQ(e.what(), "Dit document is beschadigd. Gelezen: 0 van de 1 regels.");
    }
    ASSERT_EQ(window_->Lines().size(), 1u);
    EXPECT_TRUE(window_->Lines()[0]->PlainText());
    window_->Document().Load(Path("leeg.mds"));
    EXPECT_TRUE(window_->Lines().empty());

    // A window without lines saves an empty document.
    window_->Document().Save(Path("niets.mds"));
    EXPECT_EQ(QFileInfo(Path("niets.mds")).size(), 0);
}

TEST_F(DocumentFileTest, SavingProposesTheLastDocumentOrAnUntitledOneAndKeepsTheCaption) {
    QStringList proposed;
    QString answer;
    window_->Document().chooseSaveFile = [&](const QString& p) {
        proposed << p;
        return answer;
    };
    window_->Document().documentsFolder = programDir_.path();
    window_->Document().MSaveClick(); // cancelled
    EXPECT_EQ(proposed, QStringList{Path("Naamloos.mds")});

    // Saves killed halfway left their temporary files there; the save removes them, but not
    // one that a running save holds.
    QDir(programDir_.path()).mkdir("docs");
    Plant("docs/.zelm-save-Ab3xZ9", "half");
    Plant("docs/.zelm-save-Cd4eF5", "busy");
    const int busy = ::open(Path("docs/.zelm-save-Cd4eF5").toLocal8Bit().constData(), O_RDONLY);
    ASSERT_EQ(::flock(busy, LOCK_EX), 0);
    answer = Path("docs/nieuw.mds");
    window_->Document().MSaveClick();
    ::close(busy);
    EXPECT_EQ(QDir(Path("docs")).entryList(QDir::Files | QDir::Hidden),
              (QStringList{".zelm-save-Cd4eF5", "nieuw.mds"}));
    EXPECT_EQ(QFileInfo(answer).size(), 792);
    EXPECT_EQ(window_->windowTitle(), "ZelmEditor");
    EXPECT_EQ(window_->DocDir, Path("docs") + "/");
    window_->Document().MSaveClick();
    EXPECT_EQ(proposed.last(), Path("docs/nieuw.mds"));
}

TEST_F(DocumentFileTest, OpeningTakesTheFoldersNameAndCaptionFromTheFile) {
    QDir(programDir_.path()).mkdir("docs");
    Plant("docs/algebra.mds", Record(" a+b") + Record(" c"));
    QStringList proposed;
    QString answer;
    window_->Document().chooseOpenFile = [&](const QString& p) {
        proposed << p;
        return answer;
    };
    window_->Document().documentsFolder = programDir_.path();
    window_->Document().MLoadClick(); // cancelled: nothing changes
    EXPECT_EQ(proposed, QStringList{Path("*.mds")});
    EXPECT_EQ(window_->Lines().size(), 1u);

    answer = Path("docs/algebra.mds");
    window_->Document().MLoadClick();
    EXPECT_EQ(window_->windowTitle(), "algebra");
    EXPECT_EQ(window_->DocDir, Path("docs") + "/");
    ASSERT_EQ(window_->Lines().size(), 2u);
    EXPECT_EQ(window_->Lines()[1]->Text(), " c");

    // A file that fails leaves the window under its own name: saving then never proposes, and
    // overwrites, the file that could not be opened.
    ASSERT_EQ(::mkfifo(Path("pijp.mds").toLocal8Bit().constData(), 0600), 0);
    answer = Path("pijp.mds");
    EXPECT_EQ(test::MessageOf([&] { window_->Document().MLoadClick(); }), "File access denied");
    EXPECT_EQ(window_->windowTitle(), "algebra");
    EXPECT_EQ(window_->DocDir, Path("docs") + "/");
    EXPECT_EQ(window_->Lines().size(), 2u);

    EXPECT_TRUE(DocumentFile::OpenDialogCanClose(Path("docs/algebra.mds")));
    EXPECT_FALSE(DocumentFile::OpenDialogCanClose(Path("docs/weg.mds")));
    EXPECT_FALSE(DocumentFile::OpenDialogCanClose(Path("docs")));
}

// The dialogs start in the folder of the document last opened or saved, else in the documents
// folder (the home without one); they propose the document's name, else the caption unless it
// is the program's own. Export proposes it with the type's suffix; a picture asks its scale.
TEST_F(DocumentFileTest, TheDialogsStartWhereTheDocumentLives) {
    DocumentFile& file = window_->Document();
    QDir(programDir_.path()).mkpath("docs/oud");
    const std::tuple<QString, QString, QString, QString, QString> rows[] = {
        {{}, "docs", "ZelmEditor", Path("docs/"), "Naamloos"},
        {{}, "geen", "meetkunde", QDir::homePath() + "/", "meetkunde"},
        {Path("docs/oud/algebra.mds"), "docs", "x", Path("docs/oud/"), "algebra"},
        {Path("weg/algebra.mds"), "docs", "x", Path("docs/"), "algebra"}};
    for (const auto& [last, documents, caption, folder, name] : rows) {
        file.LastDocument = last;
        file.documentsFolder = Path(documents);
        window_->SetCaption(caption);
        EXPECT_EQ(file.DialogFolder() + file.ProposedName(), folder + name);
    }
    QStringList proposed;
    FormulaExchange& exchange = window_->Formulas();
    exchange.chooseExportFile = [&](const QString& p) {
        proposed << p;
        return Path("a.png");
    };
    exchange.chooseScale = [] { return 2.0; };
    exchange.MExporterenClick();
    EXPECT_EQ(proposed, QStringList{Path("docs/algebra.tex")});
    EXPECT_EQ(QImage(Path("a.png")).size(), window_->Column().Extent() * 2);
    // Lines of another caption loaded since, as an earlier session's, are not that document.
    Plant("toets0.wes", Record(" y"));
    file.LoadNamed(Path("toets0.wes"), "toets", window_->DocDir, false);
    EXPECT_EQ(file.ProposedName(), "toets");
}

TEST_F(DocumentFileTest, TheFirstArgumentIsADocumentOnlyWithTheExactExtension) {
    QDir(programDir_.path()).mkdir("docs");
    Plant("docs/meet.mds", Record(" x") + Record(" y"));
    Plant("docs/HOOFD.MDS", Record(" x") + Record(" y"));

    test::RecordingHost loaded;
    loaded.Document().OpenCommandLineDocument({Path("docs/meet.mds"), Path("docs/HOOFD.MDS")});
    EXPECT_EQ(loaded.calls, (QStringList{"fit", "focus first", "caption meet"}));
    EXPECT_EQ(loaded.DocDir, Path("docs") + "/");
    EXPECT_EQ(loaded.Lines().size(), 2u);

    for (const QString& argument : {Path("docs/HOOFD.MDS"), Path("docs/meet.mds.bak")}) {
        test::RecordingHost ignored;
        ignored.HerstelDir = Path("Herstel") + "/";
        ignored.Document().OpenCommandLineDocument({argument, Path("docs/meet.mds")});
        EXPECT_EQ(ignored.Caption(), "ZelmEditor");
        EXPECT_EQ(ignored.DocDir, ignored.HerstelDir);
        ASSERT_EQ(ignored.Lines().size(), 1u);
        EXPECT_EQ(ignored.Lines()[0]->Text(), " ");
    }

    // A document that cannot be read is reported; the caption waits for a successful load.
    test::RecordingHost missing;
    missing.Document().OpenCommandLineDocument({Path("docs/weg.mds")});
    EXPECT_EQ(missing.calls, QStringList{"message File not found"});
    EXPECT_EQ(missing.Caption(), "ZelmEditor");
    EXPECT_EQ(missing.DocDir, Path("docs") + "/");
    EXPECT_EQ(missing.Lines().size(), 1u);
}

} // namespace
} // namespace zelm
