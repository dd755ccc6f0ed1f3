#include "app/DocumentFile.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QProgressDialog>
#include <QScopedValueRollback>
#include <QStandardPaths>
#include <QWidget>

#include <algorithm>
#include <exception>
#include <optional>
#include <string>

#include "app/DocumentHost.h"
#include "app/LineColumn.h"
#include "app/RecoveryStore.h"
#include "editor/LineEditor.h"
#include "files/DocumentCodec.h"
#include "files/FileIO.h"
#include "formula/Errors.h"
#include "platform/Paths.h"

namespace zelm {

namespace {

const QString DocumentFilter = "ZavoVudaVudu (*.mds)";
const QString DocumentSuffix = "mds";
const QString DocumentExtension = ".mds";
// The caption of a window that holds no named document, and the name proposed for it instead.
const QString ProgramCaption = "ZelmEditor";
const QString UntitledName = "Naamloos";

// Qt keeps widget sizes within this bound, and so a record that can be a line; a top is kept
// within it too, so that top + height cannot overflow.
static_assert(LargestCoordinate == QWIDGETSIZE_MAX);

// The largest file a document may be: its whole records and a cut-off rest.
constexpr std::size_t LargestDocumentBytes =
    std::size_t(DocumentFile::LargestDocumentLines + 1) * LineRecordSize - 1;

const std::string TooManyLines = "Dit document is te groot om te openen: het heeft meer dan " +
                                 std::to_string(DocumentFile::LargestDocumentLines) + " regels.";

// A document the program writes must open again: it never grows past what a load accepts.
const std::string NoRoomForLine = "Dit document heeft al " +
                                  std::to_string(DocumentFile::LargestDocumentLines) +
                                  " regels, meer dan dat opent het programma niet.";

// A file with records that cannot be lines, or cut off inside one: what is whole is loaded.
constexpr const char* DamagedDocument = "Dit document is beschadigd. Gelezen: %1 van de %2 regels.";

std::string DamageOf(const DecodedDocument& document) {
    return QString(DamagedDocument).arg(document.lines.size()).arg(document.records).toStdString();
}

// Milliseconds between two updates of a load's progress dialog, and its width.
constexpr qint64 ProgressInterval = 100;
constexpr int ProgressWidth = 320;

// The folder of a chosen file, with the trailing separator the dialogs expect.
QString FolderOf(const QString& path) {
    return QFileInfo(path).absolutePath() + "/";
}

// The caption a document gives the window: its file name without the ".mds" (the last four
// characters, whatever they are).
QString CaptionOf(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    return name.left(std::max<qsizetype>(0, name.size() - 4));
}

// The extension as the path functions take it: from the last "." of the file name onward.
QString ExtensionOf(const QString& path) {
    const QString name = path.mid(path.lastIndexOf('/') + 1);
    const qsizetype dot = name.lastIndexOf('.');
    return dot < 0 ? QString() : name.mid(dot);
}

void PrepareDocumentDialog(QFileDialog& dialog, const QString& proposed) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilter(DocumentFilter);
    dialog.setDefaultSuffix(DocumentSuffix);
    dialog.setSizeGripEnabled(true);
    const QFileInfo info(proposed);
    dialog.setDirectory(info.absolutePath());
    dialog.selectFile(info.fileName());
}

// The open dialog asks OpenDialogCanClose before it closes, and simply stays open otherwise.
class OpenDocumentDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override {
        const QString chosen = selectedFiles().value(0);
        // A folder name still opens that folder inside the dialog.
        if (QFileInfo(chosen).isDir() || DocumentFile::OpenDialogCanClose(chosen))
            QFileDialog::accept();
    }
};

QString RunSaveDialog(QWidget* parent, const QString& proposed) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    PrepareDocumentDialog(dialog, proposed); // Qt asks before it overwrites a file
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QString RunOpenDialog(QWidget* parent, const QString& proposed) {
    OpenDocumentDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Any name may be typed; accept() decides whether the dialog closes, without a message.
    dialog.setFileMode(QFileDialog::AnyFile);
    PrepareDocumentDialog(dialog, proposed);
    dialog.setSidebarUrls({}); // no places bar
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

} // namespace

void DocumentFile::Save(const QString& fileName) {
    bool cutLine = false;
    const std::string bytes = Encoded(cutLine);
    if (cutLine) QApplication::beep();
    WriteFileAtomically(NativePath(fileName), bytes);
}

std::string DocumentFile::Encoded(bool& cutLine) const {
    const std::vector<TMathEditor*>& lines = host_.Lines();
    DocumentWriter writer(lines.size());
    // Neighbouring lines nearly always share their font: its record is made once for them.
    TFontRecord font = FontToRecord(FontDesc{}, 0);
    const FontDesc* fontOf = nullptr;
    ColorRef colorOf = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        PrefetchAhead(lines, i);
        const TMathEditor* line = lines[i];
        if (!fontOf || !(*fontOf == line->Font()) || colorOf != line->FontColor()) {
            fontOf = &line->Font();
            colorOf = line->FontColor();
            font = FontToRecord(*fontOf, colorOf);
        }
        const auto [top, width] = line->StoredPlace();
        if (writer.Add(line->PlainText(), font, line->Text(), line->Line().Codes(), top, width))
            cutLine = true;
    }
    return writer.Take();
}

bool DocumentFile::Load(const QString& fileName) {
    // Everything is read before the first line goes: a file that cannot be read leaves the
    // window as it was.
    const std::string bytes =
        ReadWholeFile(NativePath(fileName), LargestDocumentBytes, TooManyLines);
    const QScopedValueRollback<bool> loading(loading_, true);
    const DecodedDocument document = ReadDocumentRecords(bytes);
    // A damaged file without one line to read must not cost the user the lines on the screen.
    if (document.Damaged() && document.lines.empty()) throw ZelmError(DamageOf(document));
    const std::vector<TLineRecord>& records = document.lines;
    TMathEditor* focused = host_.CurrentLine();
    LineColumn& column = host_.Column();
    std::vector<TMathEditor*> previous = column.SetAside();
    std::optional<std::string> lineFailure;
    bool built = false;
    try {
        built = BuildLines(records, lineFailure);
    } catch (...) {
        // Nothing but a line's own failure is expected here; the lines made so far stay.
        column.Discard(previous);
        host_.FitToLines();
        host_.FocusFirstLine();
        throw;
    }
    if (!built) {
        // The window keeps its width until the new lines are in: each new line takes it as the
        // width it reports beyond, as a line created in the full window does.
        column.DiscardAll();
        PutLinesBack(std::move(previous), focused);
        return false;
    }
    column.Discard(previous);
    host_.FitToLines();
    host_.FocusFirstLine(); // typing goes on in the document just loaded
    // One message: the damage says more than a line's repairs that gave up.
    if (document.Damaged()) throw LineLoadError(DamageOf(document));
    if (lineFailure) throw LineLoadError(*lineFailure);
    return true;
}

// Lines of another caption (an earlier session, another instance's closing state, a document
// loaded damaged) are not the last document: saving them must not propose its name.
void DocumentFile::ForgetLastDocumentUnless(const QString& caption, const QString& oldCaption) {
    if (caption != oldCaption) LastDocument.clear();
}

bool DocumentFile::LoadNamed(const QString& fileName, const QString& caption, const QString& folder,
                             bool storeStateFirst) {
    QString& docDir = host_.DocDir;
    const QString oldCaption = host_.Caption(), oldFolder = docDir;
    bool stored = false;
    const auto restore = [&] {
        host_.SetCaption(oldCaption);
        docDir = oldFolder;
        if (stored) host_.Recovery().FollowCaptionBack();
    };
    host_.SetCaption(caption);
    docDir = folder;
    try {
        if (storeStateFirst) {
            host_.Recovery().SaveHerstel();
            stored = true;
        }
        if (Load(fileName)) {
            ForgetLastDocumentUnless(caption, oldCaption);
            return true;
        }
    } catch (const LineLoadError&) {
        ForgetLastDocumentUnless(caption, oldCaption);
        throw; // the document is in place, under its name
    } catch (...) {
        restore();
        throw;
    }
    restore(); // cancelled
    return false;
}

void DocumentFile::CheckRoomForLine() const {
    if (int(host_.Lines().size()) >= LargestDocumentLines) throw ZelmError(NoRoomForLine);
}

// Makes a line for each record, with a progress dialog once this takes longer than a moment.
// False when the user cancelled.
bool DocumentFile::BuildLines(const std::vector<TLineRecord>& records,
                              std::optional<std::string>& lineFailure) {
    // A quick load makes no dialog and lets no event in; the dialog comes once the load has
    // taken loadProgressDelay milliseconds.
    std::unique_ptr<QProgressDialog> progress;
    QElapsedTimer clock;
    clock.start();
    qint64 lastUpdate = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (!progress && clock.elapsed() >= loadProgressDelay) {
            progress = MakeProgressDialog(int(records.size()));
            lastUpdate = -ProgressInterval;
        }
        // Each update lets events in (a click on cancel, the window refitting to its lines);
        // a few per second keep the load from crawling.
        if (progress && clock.elapsed() - lastUpdate >= ProgressInterval) {
            progress->setValue(int(i));
            lastUpdate = clock.elapsed();
        }
        if (progress && progress->wasCanceled()) return false;
        TMathEditor& line = *host_.NewLine();
        ApplyRecord(line, records[i], lineFailure);
        host_.Column().ShowIfNearView(line);
        if (onLineLoaded) onLineLoaded(int(i) + 1);
    }
    return !(progress && progress->wasCanceled());
}

std::unique_ptr<QProgressDialog> DocumentFile::MakeProgressDialog(int lines) {
    auto progress = std::make_unique<QProgressDialog>("Document openen...", "Annuleren", 0, lines,
                                                      host_.DialogParent());
    progress->setWindowModality(Qt::WindowModal);
    progress->setWindowTitle(QApplication::applicationName());
    progress->setMinimumWidth(ProgressWidth); // wide enough for the title
    progress->setMinimumDuration(0);
    progress->setAutoReset(false);
    progress->show();
    return progress;
}

void DocumentFile::PutLinesBack(std::vector<TMathEditor*> previous, TMathEditor* focused) {
    host_.Column().PutBack(std::move(previous));
    host_.FitToLines();
    host_.Column().ShowLinesNearView();
    if (focused) host_.FocusLine(*focused);
}

// The steps of one loaded line, in their order: the code string goes before the text because
// the setter checks the one against the other. A line whose repairs give up keeps what they
// reached and still takes its font and place: one such line must not cost the lines after it.
void DocumentFile::ApplyRecord(TMathEditor& line, const TLineRecord& record,
                               std::optional<std::string>& lineFailure) {
    const auto step = [&](const auto& action) {
        try {
            action();
        } catch (const ZelmError& error) {
            if (!lineFailure) lineFailure = error.what();
        }
    };
    line.SetPlainText(record.plainText);
    line.Line().SetCodes(record.codes);
    step([&] { line.SetText(record.text); });
    const RecordedFont font = RecordToFont(record.font);
    step([&] { line.SetFont(font.font, font.color); });
    line.move(line.x(), std::clamp(record.top, -LargestCoordinate, LargestCoordinate));
    line.resize(record.width, line.height());
    line.Line().ClientWidth = record.width;
}

QString DocumentFile::DialogFolder() const {
    if (!LastDocument.isEmpty() && QFileInfo(FolderOf(LastDocument)).isDir())
        return FolderOf(LastDocument);
    const QString documents =
        documentsFolder.isEmpty()
            ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
            : documentsFolder;
    // A home without a documents folder: the home itself.
    return (QFileInfo(documents).isDir() ? documents : QDir::homePath()) + "/";
}

QString DocumentFile::ProposedName() const {
    if (!LastDocument.isEmpty()) return QFileInfo(LastDocument).completeBaseName();
    const QString caption = host_.Caption();
    return caption.isEmpty() || caption == ProgramCaption ? UntitledName : caption;
}

void DocumentFile::MSaveClick() {
    QString& docDir = host_.DocDir;
    const QString proposed = DialogFolder() + ProposedName() + DocumentExtension;
    const QString chosen =
        chooseSaveFile ? chooseSaveFile(proposed) : RunSaveDialog(host_.DialogParent(), proposed);
    if (chosen.isEmpty()) return;
    docDir = FolderOf(chosen);
    // Saves killed halfway leave their temporary files beside the document.
    RemoveStaleTemporaries(NativePath(docDir));
    Save(chosen);
    LastDocument = chosen;
}

void DocumentFile::MLoadClick() {
    const QString proposed = DialogFolder() + "*" + DocumentExtension;
    const QString chosen =
        chooseOpenFile ? chooseOpenFile(proposed) : RunOpenDialog(host_.DialogParent(), proposed);
    if (chosen.isEmpty()) return;
    // The lines on the screen are stored first, under the new caption, where the next
    // "&Vorige" looks for them.
    if (LoadNamed(chosen, CaptionOf(chosen), FolderOf(chosen), true)) LastDocument = chosen;
}

bool DocumentFile::OpenDialogCanClose(const QString& fileName) {
    return FileExists(NativePath(fileName));
}

void DocumentFile::OpenCommandLineDocument(const QStringList& arguments) {
    QString& docDir = host_.DocDir;
    const QString document = arguments.value(0);
    // Compared byte for byte: "x.MDS" is not a document.
    if (ExtensionOf(document) != DocumentExtension) {
        docDir = host_.HerstelDir;
        return;
    }
    docDir = FolderOf(document);
    try {
        if (!Load(document)) return;
    } catch (const LineLoadError& error) {
        host_.ShowMessage(
            QString::fromLocal8Bit(error.what())); // the document is there all the same
    } catch (const std::exception& error) {
        // Start-up runs before the event loop, whose handler reports the other failures.
        host_.ShowMessage(QString::fromLocal8Bit(error.what()));
        return;
    }
    host_.SetCaption(CaptionOf(document));
    LastDocument = document;
}

} // namespace zelm
