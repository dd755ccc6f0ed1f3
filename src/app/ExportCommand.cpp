#include "app/ExportCommand.h"

#include <QApplication>
#include <QFileInfo>
#include <QMenuBar>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

#include "app/DocumentFile.h"
#include "app/DocumentHost.h"
#include "app/FormulaExchange.h"
#include "app/LineColumn.h"
#include "app/MenuStyle.h"
#include "app/PictureExport.h"
#include "app/RecoveryStore.h"
#include "editor/LineEditor.h"
#include "files/FileIO.h"
#include "platform/Platform.h"

namespace zelm {

namespace {

constexpr int Failed = 1;
constexpr int Misused = 2;

const char* const Usage =
    "Gebruik: ZelmEditor [DOCUMENT.mds]\n"
    "         ZelmEditor --export UIT.{png,jpg,svg,pdf,emf} DOCUMENT.mds\n"
    "         ZelmEditor --export UIT.{tex,html,md,mml} DOCUMENT.mds\n"
    "         ZelmEditor --export UIT.pdf --pages DOCUMENT.mds\n"
    "\n"
    "  DOCUMENT.mds     opent het document in het venster\n"
    "  --export UIT DOC tekent het document zonder venster in een plaatje (png, jpg, svg,\n"
    "                   pdf) of een enhanced metafile (emf), zo groot als het venster;\n"
    "                   of schrijft het als LaTeX (tex), HTML met MathML (html), Markdown\n"
    "                   (md) of MathML (mml): een formule per formuleregel\n"
    "  --pages          met pdf: de regels op A4-pagina's, op hun schermgrootte\n"
    "  --help           toont deze tekst\n";

void Fail(const QString& message) {
    std::fprintf(stderr, "ZelmEditor: %s\n", message.toLocal8Bit().constData());
}

// The format a file name's suffix asks for; none for one we do not write.
std::optional<PictureFormat> FormatOf(const QString& suffix) {
    if (suffix == "png") return PictureFormat::Png;
    if (suffix == "jpg" || suffix == "jpeg") return PictureFormat::Jpeg;
    if (suffix == "svg") return PictureFormat::Svg;
    if (suffix == "pdf") return PictureFormat::Pdf;
    if (suffix == "emf") return PictureFormat::Emf;
    return std::nullopt;
}

// The command's standard error carries its own messages only: Qt's remarks about the
// environment (no runtime folder under cron or in a container) mean nothing to its user.
void DropQtMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

// The height of the window's menu bar on one row: its items show a picture beside a caption.
int MenuBarRowHeight() {
    QMenuBar bar;
    bar.setNativeMenuBar(false);
    MenuStyle style;
    bar.setStyle(&style);
    QAction* item = bar.addAction("&Alles");
    SetImageIndex(*item, 3);
    SetOwnerDrawn(*item);
    return bar.sizeHint().height();
}

// The document without a window: its lines lie under a widget that is never shown, and take
// their widths as they do in the window. No menus, no recovery folder, no folder claim, no
// dialogs.
class HeadlessHost final : public DocumentHost, public LineOwner {
public:
    HeadlessHost() {
        EditorState().plainTextDefault = true;
        // A load's progress dialog would be a window.
        document_.loadProgressDelay = std::numeric_limits<int>::max();
    }
    ~HeadlessHost() {
        for (TMathEditor* line : Lines())
            line->SetOwner(nullptr);
    }

    LineColumn& Column() override { return column_; }
    const std::vector<TMathEditor*>& Lines() const override { return column_.Lines(); }
    TMathEditor* NewLine() override {
        TMathEditor* line = column_.AddLine(*this);
        StartLine(*line, DefaultLineFont, 0);
        return line;
    }
    TMathEditor* CurrentLine() const override { return nullptr; }
    QString Caption() const override { return caption_; }
    void SetCaption(const QString& caption) override { caption_ = caption; }
    // As the window's column takes the extent of the lines: new lines start that wide.
    void FitToLines() override { column_.Widget()->resize(column_.Extent()); }
    void FocusLine(TMathEditor&) override {}
    void FocusFirstLine() override {}
    void ShowMessage(const QString&) override {}
    void ReportFailure(const QString&) override {}
    QWidget* DialogParent() override { return &parent_; }
    QSize ClientSize() const override { return DocumentSize(); }
    DocumentFile& Document() override { return document_; }
    RecoveryStore& Recovery() override { return recovery_; }

    /// The client size the window takes for the lines when the screen does not limit it.
    QSize DocumentSize() const {
        const int lowest = std::max(1, SmallestWindow.height() - MenuBarRowHeight());
        return column_.Extent().expandedTo({SmallestWindow.width(), lowest});
    }

    // The lines' reports, as the window's column takes them.
    void HeightChanged(TMathEditor& line, int newHeight) override {
        column_.MakeRoomFor(line, newHeight);
    }
    void WidthChanged(TMathEditor&, int newWidth) override {
        column_.Widen(newWidth);
        FitToLines();
    }
    void UpDown(TMathEditor&, unsigned short) override {}
    void Entered(TMathEditor&) override {}
    void Exited(TMathEditor&) override {}
    void CaretMoved(TMathEditor&) override {}
    void TextChanged(TMathEditor&) override {}

private:
    QWidget parent_;
    LineColumn column_{parent_, parent_};
    QString caption_ = "ZelmEditor";
    DocumentFile document_{*this};
    RecoveryStore recovery_{*this};
};

// What the export writes: a picture, a document of notes, or PDF pages (neither).
struct ExportType {
    std::optional<PictureFormat> picture;
    std::optional<NotesFormat> notes;
};

int Export(int argc, char** argv, const QString& target, const QString& document, bool pages) {
    qInstallMessageHandler(DropQtMessages);
    // No window is shown, so no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName("TextverwerkerZelm");
    RegisterProgramFonts();
    const QString suffix = QFileInfo(target).suffix().toLower();
    ExportType type{FormatOf(suffix), NotesFormatOf(suffix.toStdString())};
    if (pages) {
        if (suffix != "pdf") {
            Fail("--pages alleen met pdf, niet met \"" + suffix + "\"");
            return Misused;
        }
        type.picture.reset();
    } else if (!type.picture && !type.notes) {
        Fail("onbekend formaat \"" + suffix + "\" (png, jpg, svg, pdf, emf, tex, html, md of mml)");
        return Misused;
    }
    HeadlessHost host;
    try {
        host.Document().Load(document);
    } catch (const std::exception& error) {
        Fail(document + ": " + QString::fromLocal8Bit(error.what()));
        return Failed;
    }
    try {
        WriteFileAtomically(NativePath(target), [&](const ByteSink& write) {
            if (type.picture)
                WritePicture(*type.picture, ExportLinesOf(host.Lines()), host.DocumentSize(),
                             write);
            else
                WriteNotes(type.notes, host.Lines(), QFileInfo(target).completeBaseName(), write);
        });
    } catch (const std::exception& error) {
        Fail(target + ": niet geschreven: " + QString::fromLocal8Bit(error.what()));
        return Failed;
    }
    return EXIT_SUCCESS;
}

} // namespace

bool RunCommandLineTool(int argc, char** argv, int& status) {
    if (argc < 2) return false;
    const char* option = argv[1];
    if (std::strcmp(option, "--help") == 0 || std::strcmp(option, "-h") == 0) {
        std::fputs(Usage, stdout);
        status = EXIT_SUCCESS;
        return true;
    }
    if (std::strcmp(option, "--export") != 0) return false;
    // "--pages" may stand after the output or after the document.
    std::vector<const char*> operands;
    bool pages = false;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--pages") == 0 && !pages)
            pages = true;
        else
            operands.push_back(argv[i]);
    }
    if (operands.size() != 2) {
        std::fputs(Usage, stderr);
        status = Misused;
        return true;
    }
    status = Export(argc, argv, QString::fromLocal8Bit(operands[0]),
                    QString::fromLocal8Bit(operands[1]), pages);
    return true;
}

} // namespace zelm
