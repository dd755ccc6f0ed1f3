// The settings dialog and its file. The preview measures on the fixed canvas: a font of
// height -h is h pixels high per character; the main window's font is Tahoma -16 (12 points).
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <memory>
#include <optional>
#include <random>

#include "dialogs/OKCANCL2.h"
#include "support/FixedLines.h"

namespace zelm {
namespace {

const FontDesc kMainFont{"Tahoma", -16, 0, 400, 0, 0, 0, 1};

/// A settings record written out by hand: every offset set here, the rest zero.
std::string HandWritten(const std::string& face, std::int32_t size, std::uint32_t colour,
                        int charSet, int style, int flag) {
    std::string b(272, '\0');
    b[0] = char(face.size());
    for (std::size_t i = 0; i < face.size(); ++i)
        b[1 + i] = face[i];
    for (int i = 0; i < 4; ++i) {
        b[256 + i] = char((std::uint32_t(size) >> (8 * i)) & 0xFF);
        b[260 + i] = char((colour >> (8 * i)) & 0xFF);
    }
    b[264] = char(charSet);
    b[265] = char(style);
    b[268] = char(flag);
    return b;
}

class OptiesVensterTest : public ::testing::Test {
public:
    test::FixedLines fixedLines; // first: outlives the widgets below
    QTemporaryDir dir;
    QStringList messages;
    int beeps = 0;
    std::optional<Bytes> firstLine = Bytes(" ") + '\0';
    std::unique_ptr<TOptiesVenster> dialog;

    QString Folder() const { return dir.path() + "/"; }
    QString FilePath() const { return Folder() + "Instellingen.ops"; }
    void WriteFile(const std::string& bytes) {
        QFile f(FilePath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), qint64(bytes.size()));
    }
    std::optional<std::string> ReadFile() const {
        QFile f(FilePath());
        if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
        return f.readAll().toStdString();
    }
    TOptiesVenster& Create(const QString& folder = {}) {
        dialog =
            std::make_unique<TOptiesVenster>(kMainFont, 0, folder.isEmpty() ? Folder() : folder,
                                             nullptr, [this](const QString& m) { messages << m; });
        dialog->beep = [this] { ++beeps; };
        dialog->FirstLineTextPlusCode = [this] { return firstLine; };
        return *dialog;
    }
    /// Shows the dialog as "&Instellingen" does, without waiting for it to close.
    void Open() {
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    }
    void Choose(const QString& node) {
        dialog->TreeView2->setCurrentItem(dialog->Node(node));
        QApplication::processEvents();
    }
    /// The page area's shown controls, top to bottom.
    QStringList ShownPage() const {
        QStringList shown;
        const std::pair<QWidget*, const char*> controls[] = {{dialog->VoorbeeldEditor, "Voorbeeld"},
                                                             {dialog->RadioGroup1, "RadioGroup1"},
                                                             {dialog->LetterBox, "LetterBox"},
                                                             {dialog->FormaatText, "FormaatText"},
                                                             {dialog->Kleurbox, "Kleurbox"}};
        for (const auto& [w, name] : controls)
            if (!w->isHidden()) shown << name;
        return shown;
    }
    /// Chooses the entry of a list as the user does.
    static void Pick(QComboBox* box, const QString& text) {
        const int i = box->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        box->setCurrentIndex(i);
        emit box->activated(i);
    }
    void ChooseMode(int index) {
        Choose("VarCursief");
        static_cast<QRadioButton*>(dialog->RadioGroup1->findChildren<QRadioButton*>()[index])
            ->click();
    }
};

// What creation makes of the settings file: the record, and the message shown at start-up.
TEST_F(OptiesVensterTest, CreationReadsTheSettingsFileOnce) {
    const std::string stored = HandWritten("Arial", 20, 0x000000FF, 0, 3, 0);
    struct Case {
        const char* name;
        std::optional<std::string> file; // nothing: no file
        TOpties expected;
        QStringList expectedMessages;
    };
    const TOpties defaults{{"Tahoma", 12, 0, 1, 0}, true};
    const Case cases[] = {
        {"no file: the defaults, silently", std::nullopt, defaults, {}},
        {"a stored record", stored, {{"Arial", 20, 0xFF, 0, 3}, false}, {}},
        {"a longer file: its first 272 bytes",
         stored + std::string(28, '\x7F'),
         {{"Arial", 20, 0xFF, 0, 3}, false},
         {}},
        // 100 bytes hold the name and nothing of size, colour or flag: those read as zero.
        {"100 bytes",
         stored.substr(0, 100),
         {{"Arial", 0, 0, 0, 0}, false},
         {"Read beyond end of file"}},
        {"an empty file", std::string(), {{"", 0, 0, 0, 0}, false}, {"Read beyond end of file"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(FilePath());
        if (c.file) WriteFile(*c.file);
        messages.clear();
        TOptiesVenster& d = Create();
        EXPECT_EQ(d.Opties, c.expected);
        EXPECT_EQ(d.StandaardOpties, defaults);
        EXPECT_EQ(messages, c.expectedMessages);
        EXPECT_EQ(d.windowTitle(), "Opties voor ZelmRdit");
        dialog.reset();
    }
    // A folder of that name is no settings file.
    QFile::remove(FilePath());
    ASSERT_TRUE(QDir().mkpath(FilePath()));
    messages.clear();
    EXPECT_EQ(Create().Opties, defaults);
    EXPECT_TRUE(messages.isEmpty());
}

/// Bytes this process has read through read() and its kin so far.
long long BytesReadSoFar() {
    QFile io("/proc/self/io");
    if (!io.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("rchar:")) return line.mid(6).trimmed().toLongLong();
    return -1;
}

// A settings file of a gigabyte (sparse: it takes no disk) costs its record and no more.
TEST_F(OptiesVensterTest, AHugeSettingsFileIsReadNoFurtherThanItsRecord) {
    WriteFile(HandWritten("Arial", 20, 0x000000FF, 0, 3, 0));
    ASSERT_TRUE(QFile::resize(FilePath(), qint64(1) << 30));
    TOptiesVenster& d = Create();
    EXPECT_EQ(d.Opties, (TOpties{{"Arial", 20, 0xFF, 0, 3}, false}));
    const long long before = BytesReadSoFar();
    ASSERT_GE(before, 0);
    d.LeesOpties();
    // The record, and the few hundred bytes of the first look into /proc.
    EXPECT_LT(BytesReadSoFar() - before, 4096);
}

// OK stores the preview's font and mode; only with "Save Opties" checked is the file written,
// 272 bytes byte for byte.
TEST_F(OptiesVensterTest, OkStoresThePreviewAndWritesTheFileWhenAsked) {
    struct Case {
        const char* name;
        std::function<void(OptiesVensterTest&)> change;
        bool save;
        std::optional<std::string> file; // nothing: no file afterwards
    };
    const Case cases[] = {
        {"unchanged, not saved", [](OptiesVensterTest&) {}, false, std::nullopt},
        {"unchanged, saved", [](OptiesVensterTest&) {}, true,
         HandWritten("Tahoma", 12, 0, 1, 0, 1)},
        {"Wiskundige Invoer", [](OptiesVensterTest& t) { t.ChooseMode(1); }, true,
         HandWritten("Tahoma", 12, 0, 1, 0, 0)},
        {"size, colour and face chosen",
         [](OptiesVensterTest& t) {
             t.Choose("Formaat");
             Pick(t.dialog->FormaatText, "20");
             t.Choose("Kleur");
             Pick(t.dialog->Kleurbox, "Rood");
             t.Choose("Letters");
             Pick(t.dialog->LetterBox, "Netjes");
         },
         true, HandWritten("Arial", 20, 0x000000FF, 1, 0, 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(FilePath());
        Create();
        Open();
        c.change(*this);
        dialog->SaveOptiesCheck->setChecked(c.save);
        dialog->OKBtn->click();
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(ReadFile(), c.file);
        if (c.file) {
            EXPECT_EQ(EncodeOpties(dialog->Opties), *c.file);
        }
        EXPECT_TRUE(messages.isEmpty());
        dialog.reset();
    }
}

// "StadaardOpt" puts the defaults into the preview only; Cancel keeps the settings, OK makes
// the defaults the settings. A write that fails is reported and OK still closes the dialog.
TEST_F(OptiesVensterTest, DefaultsCancelAndFailedWrite) {
    const std::string stored = HandWritten("Tangerine", 28, 0x00008000, 1, 2, 0);
    WriteFile(stored);
    TOptiesVenster& d = Create();
    const TOpties storedOpties = d.Opties;
    Open();
    EXPECT_EQ(d.VoorbeeldEditor->Font().face, "Tangerine"); // the stored font is previewed
    EXPECT_EQ(d.LetterBox->currentText(), "Handgeschreven");
    d.Stadaard->click();
    EXPECT_EQ(d.VoorbeeldEditor->Font().face, "Tahoma");
    EXPECT_EQ(d.VoorbeeldEditor->Font().height, -16);
    EXPECT_TRUE(d.VoorbeeldEditor->PlainText());
    EXPECT_EQ(d.LetterBox->currentText(), "Handgeschreven"); // the list keeps its entry
    d.CancelBtn->click();
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_EQ(d.Opties, storedOpties);
    EXPECT_EQ(ReadFile(), stored);

    Open(); // the discarded preview shows the settings again
    EXPECT_EQ(d.VoorbeeldEditor->Font().face, "Tangerine");
    d.Stadaard->click();
    d.SaveOptiesCheck->setChecked(true);
    d.OKBtn->click();
    EXPECT_EQ(d.Opties, d.StandaardOpties);
    EXPECT_EQ(ReadFile(), HandWritten("Tahoma", 12, 0, 1, 0, 1));

    // The folder is gone: the write fails, is shown once, and the dialog closes with OK.
    dialog.reset();
    Create(Folder() + "missing/");
    Open();
    ChooseMode(1);
    dialog->SaveOptiesCheck->setChecked(true);
    dialog->OKBtn->click();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog->Opties.plainText);
    EXPECT_EQ(messages, QStringList{"File not found"});
}

// The preview repeats the main window's first line, or reads "Voorbeeld".
TEST_F(OptiesVensterTest, PreviewShowsTheFirstLine) {
    const Bytes sinx = Bytes(" ") + char(1) + "x" + Bytes(1, '\0') + char(19);
    struct Case {
        const char* name;
        std::optional<Bytes> first;
        Bytes text;
    };
    const Case cases[] = {
        {"an empty first line", Bytes(" ") + '\0', " Voorbeeld"},
        {"no line at all", std::nullopt, " Voorbeeld"},
        {"a line with a function name", sinx, Bytes(" ") + char(1) + "x"},
    };
    Create();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        firstLine = c.first;
        Open();
        const Bytes shown = dialog->VoorbeeldEditor->Text();
        // The setter puts the leading blank in front of a text given without one.
        EXPECT_TRUE(shown == c.text || " " + shown == c.text) << shown;
        dialog->CancelBtn->click();
    }
}

// Each node shows its page; re-opening empties the page area whatever node is selected.
TEST_F(OptiesVensterTest, TreeNodesShowTheirPages) {
    Create();
    Open();
    EXPECT_TRUE(ShownPage().isEmpty());
    EXPECT_EQ(dialog->TreeView2->topLevelItemCount(), 3);
    EXPECT_EQ(dialog->Node("Tekst")->childCount(), 4);
    EXPECT_TRUE(dialog->Node("Tekst")->isExpanded());
    struct Case {
        const char* node;
        QStringList shown;
    };
    const Case cases[] = {
        {"Kleur", {"Voorbeeld", "Kleurbox"}},
        {"Tekst", {"Voorbeeld"}},
        {"Formaat", {"Voorbeeld", "FormaatText"}},
        {"Marges", {}},
        {"VarCursief", {"Voorbeeld", "RadioGroup1"}},
        {"Letters", {"Voorbeeld", "LetterBox"}},
        {"Papier Formaat", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.node);
        Choose(c.node);
        EXPECT_EQ(ShownPage(), c.shown);
        // The controls stand stacked from the top of the page area.
        int top = 0;
        for (QWidget* w : dialog->Panel1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (w->isHidden()) continue;
            EXPECT_EQ(w->width(), 385);
            top = std::max(top, w->geometry().bottom() + 1);
        }
        EXPECT_EQ(dialog->Panel1->height(), top);
    }
    Choose("Kleur");
    EXPECT_TRUE(dialog->Kleurbox->hasFocus());
    dialog->CancelBtn->click();
    Open();
    EXPECT_TRUE(ShownPage().isEmpty());
    Choose("Kleur"); // the same node again: no change of selection, nothing shown
    EXPECT_TRUE(ShownPage().isEmpty());
    Choose("Formaat");
    EXPECT_EQ(ShownPage(), (QStringList{"Voorbeeld", "FormaatText"}));
    EXPECT_EQ(dialog->size(), QSize(512, 169));
}

// Entering a page selects from the preview (size, colour) or from the stored mode.
TEST_F(OptiesVensterTest, EnteringAPageSelectsItsEntry) {
    WriteFile(HandWritten("Tahoma", 13, 0x00FFFF00, 1, 0, 1));
    Create();
    Open();
    EXPECT_EQ(dialog->FormaatText->count(), 16);
    Choose("Formaat"); // 13 points is not in the list
    EXPECT_EQ(dialog->FormaatText->currentIndex(), -1);
    Pick(dialog->FormaatText, "14");
    EXPECT_EQ(dialog->VoorbeeldEditor->Font().height, -19); // -MulDiv(14, 96, 72)
    Choose("Tekst");
    Choose("Formaat");
    EXPECT_EQ(dialog->FormaatText->currentText(), "14");

    Choose("Kleur");
    EXPECT_EQ(dialog->Kleurbox->currentText(), "Zeeblauw");
    EXPECT_EQ(dialog->Kleurbox->count(), 16);
    EXPECT_EQ(dialog->Kleurbox->itemText(1), "Kastanjebruin");

    // The mode page re-selects the stored mode (plain text) each time it is entered.
    struct Step {
        const char* what;
        std::function<void()> act;
        int index;
        bool previewPlain;
        int beeps;
    };
    const Step steps[] = {
        {"entered first", [&] { Choose("VarCursief"); }, 0, true, 1},
        {"Wiskundige Invoer chosen", [&] { ChooseMode(1); }, 1, false, 2},
        {"left", [&] { Choose("Tekst"); }, 1, false, 2},
        {"entered again", [&] { Choose("VarCursief"); }, 0, true, 3},
        {"entered again unchanged",
         [&] {
             Choose("Tekst");
             Choose("VarCursief");
         },
         0, true, 3},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.act();
        EXPECT_EQ(dialog->RadioGroupIndex(), s.index);
        EXPECT_EQ(dialog->VoorbeeldEditor->PlainText(), s.previewPlain);
        EXPECT_EQ(beeps, s.beeps);
    }
}

// Settings files of any content: creation reports a short file once, the dialog opens, and OK
// writes back a whole record that reads as what the dialog stored.
TEST_F(OptiesVensterTest, RandomSettingsFiles) {
    std::mt19937 rng(11);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        std::string bytes(std::size_t(pick(3) == 0 ? pick(272) : 272 + pick(40)), '\0');
        for (char& b : bytes)
            b = char(pick(256));
        if (bytes.size() > 0 && pick(2) == 0) bytes[0] = char(pick(12)); // short face names
        if (bytes.size() >= 260 && pick(2) == 0) {
            const std::int32_t size = pick(80) - 8;
            for (int i = 0; i < 4; ++i)
                bytes[256 + i] = char((std::uint32_t(size) >> (8 * i)) & 0xFF);
        }
        WriteFile(bytes);
        messages.clear();
        Create();
        EXPECT_EQ(dialog->Opties, DecodeOpties(bytes));
        EXPECT_EQ(messages.size(), bytes.size() < 272 ? 1 : 0);
        Open();
        Choose(pick(2) ? "Formaat" : "Kleur");
        EXPECT_LE(std::abs(dialog->VoorbeeldEditor->Font().height), 2184); // 1638 points
        dialog->SaveOptiesCheck->setChecked(true);
        dialog->OKBtn->click();
        const std::optional<std::string> written = ReadFile();
        ASSERT_TRUE(written.has_value());
        EXPECT_EQ(written->size(), 272u);
        EXPECT_EQ(DecodeOpties(*written), dialog->Opties);
        EXPECT_EQ(EncodeOpties(DecodeOpties(*written)), *written);
        dialog.reset();
    }
}

} // namespace
} // namespace zelm
