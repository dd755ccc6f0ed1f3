#include "app/FormulaExchange.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMimeData>
#include <QStringList>
#include <algorithm>

#include "app/DocumentFile.h"
#include "app/DocumentHost.h"
#include "app/LineColumn.h"
#include "app/PictureExport.h"
#include "editor/LineEditor.h"
#include "exchange/MathWriters.h"
#include "exchange/OdfFormula.h"
#include "exchange/PasteFormula.h"
#include "exchange/ReaderNodes.h"
#include "formula/Errors.h"
#include "platform/Clipboard.h"
#include "platform/Paths.h"

namespace zelm {

namespace {

const char* const MathMLType = "application/mathml+xml";
const char* const PresentationType = "application/mathml-presentation+xml";
const char* const UnicodeMathType = "text/x-unicodemath";
// The office suite pastes an editable formula from these two, and only with their format names.
const char* const EmbedSourceType =
    "application/x-openoffice-embed-source-xml;windows_formatname=\"Star Embed Source (XML)\"";
const char* const ObjectDescriptorType = "application/x-openoffice-objectdescriptor-xml;"
                                         "windows_formatname=\"Star Object Descriptor (XML)\"";
// What "Plakken als formule" tells the user.
const char* const ClipboardSilent =
    "Het klembord antwoordt niet: het programma dat het vasthoudt reageert niet. "
    "Er is niets geplakt.";
const char* const NothingToPaste = "Het klembord bevat geen formule; er is niets geplakt.";
const char* const TooLongToPaste = "De formule op het klembord is te lang; er is niets geplakt.";
const char* const NotReadable =
    "De formule op het klembord is te diep genest of onleesbaar; er is niets geplakt.";
const char* const DoesNotFit = "De formule past niet in deze regel (ten hoogste 255 tekens); "
                               "er is niets geplakt.";
const char* const ChangedNamed = "Geplakt, met wijzigingen: ";
const char* const ChangedUnnamed =
    "Geplakt, maar niet alles kon als formule komen: een deel staat er als tekst.";
// More changes than this are counted, not named: the message stays short.
constexpr std::size_t NamedChanges = 5;
// How long the owner of the clipboard may take to name its flavours.
constexpr int ClipboardWait = 1000;

const char* const ExportTypes =
    "LaTeX (*.tex);;HTML met MathML (*.html);;Markdown (*.md);;MathML (*.mml);;"
    "OpenDocument-tekst (*.odt);;Word-document (*.docx);;PDF, A4-pagina's (*.pdf);;"
    "PNG-plaatje (*.png);;JPEG-plaatje (*.jpg)";
// The sizes a picture export offers, in times the screen size (96 dpi), the second proposed.
const std::pair<const char*, double> PictureScales[] = {{"1 × (schermgrootte)", 1},
                                                        {"2 ×", 2},
                                                        {"3 ×", 3},
                                                        {"4 ×", 4},
                                                        {"300 dpi (afdrukken)", 300.0 / 96},
                                                        {"600 dpi", 600.0 / 96}};
constexpr int ProposedScale = 1;

std::optional<PictureFormat> PictureFormatOf(const QString& suffix) {
    if (suffix == "png") return PictureFormat::Png;
    if (suffix == "jpg" || suffix == "jpeg") return PictureFormat::Jpeg;
    return std::nullopt;
}

std::optional<double> AskScale(QWidget* parent) {
    QStringList names;
    for (const auto& [name, scale] : PictureScales)
        names << QString::fromUtf8(name);
    bool ok = false;
    const QString chosen = QInputDialog::getItem(
        parent, "Exporteren", "Grootte van het plaatje:", names, ProposedScale, false, &ok);
    if (!ok || !names.contains(chosen)) return std::nullopt;
    return PictureScales[names.indexOf(chosen)].second;
}

QByteArray Utf8(const std::string& s) {
    return QByteArray::fromStdString(s);
}

// "LaTeX (*.tex)" -> "tex".
QString SuffixOf(const QString& filter) {
    const qsizetype dot = filter.indexOf("*.") + 2;
    return filter.mid(dot, filter.indexOf(')', dot) - dot);
}

bool IsMathMLText(const QByteArray& text) {
    const QByteArray start = text.trimmed().left(5);
    return start == "<math" || start == "<?xml";
}

// The text a clipboard holds where it holds no MathML; empty when it holds none.
QByteArray TextOf(const QMimeData& data) {
    return data.hasText() ? data.text().toUtf8() : QByteArray();
}

bool HoldsMathML(const QMimeData& data) {
    return data.hasFormat(PresentationType) || data.hasFormat(MathMLType) ||
           IsMathMLText(TextOf(data));
}

// Why ReadFormula found nothing in `data`.
QString RefusalOf(const QMimeData& data) {
    QByteArray input;
    for (const char* type : {PresentationType, MathMLType})
        if (input.isEmpty() && data.hasFormat(type)) input = data.data(type);
    if (input.isEmpty()) input = TextOf(data);
    if (input.trimmed().isEmpty()) return NothingToPaste;
    if (std::size_t(input.size()) > LongestPastedFormula) return TooLongToPaste;
    return NotReadable;
}

// Text without any sign of LaTeX: no command, script, group or dollar.
bool IsProse(const QMimeData& data) {
    const QByteArray text = TextOf(data);
    return !text.isEmpty() && !HoldsMathML(data) &&
           std::none_of(text.begin(), text.end(), [](char c) {
               return std::string_view("\\^_{}$").find(c) != std::string_view::npos;
           });
}

// Text for a text line: the line break that ends it dropped, the others and tabs as spaces.
std::string ProseOf(QString text) {
    while (text.endsWith('\n') || text.endsWith('\r'))
        text.chop(1);
    for (const QChar breaking : {QChar('\r'), QChar('\n'), QChar('\t')})
        text.replace(breaking, ' ');
    return text.toStdString();
}

// The message after a paste that came in otherwise than it stood.
QString ChangesMessage(const ReadResult& read) {
    if (read.changes.empty()) return ChangedUnnamed;
    QStringList named;
    for (std::size_t i = 0; i < read.changes.size() && i < NamedChanges; ++i)
        named << QString::fromStdString(read.changes[i]);
    QString message = ChangedNamed + named.join(", ");
    if (read.changes.size() > NamedChanges)
        message += QString(" en %1 meer").arg(read.changes.size() - NamedChanges);
    return message + ".";
}

// The replacement pictures of a document's formulas are drawn at twice the screen's
// resolution, so that they print sharp; their size on the page stays the screen's.
constexpr double ReplacementScale = 2;

// The picture of one line on its own, as big as its layout (in screen pixels) at `scale`.
OdfPicture LinePicture(const ExportLine& line, double scale = 1) {
    if (!line.parts) return {};
    ExportLine placed = line;
    placed.top = 0;
    const QSize size(std::max(1, line.parts->Width()), std::max(1, line.parts->Height()));
    return {PngBytes(RenderPicture({placed}, size, scale)).toStdString(), size.width(),
            size.height()};
}

} // namespace

std::vector<NoteLine> NoteLinesOf(const std::vector<TMathEditor*>& lines) {
    std::vector<NoteLine> out;
    out.reserve(lines.size());
    for (const TMathEditor* line : lines)
        out.push_back({line->Text(), line->Line().Codes(), line->PlainText()});
    return out;
}

QMimeData* FormulaMimeData(const MathTree& tree, QSize size) {
    const std::string math = ToMathML(tree);
    const QByteArray document = Utf8(MathMLDocument(math));
    auto* data = new QMimeData;
    data->setData("text/plain", Utf8(ToLatex(tree)));
    data->setData("text/html", Utf8(math));
    data->setData(MathMLType, document);
    data->setData(PresentationType, document);
    data->setData(UnicodeMathType, Utf8(ToUnicodeMath(tree).utf8));
    data->setData(EmbedSourceType, Utf8(FormulaPackage(tree)));
    data->setData(
        ObjectDescriptorType,
        Utf8(FormulaObjectDescriptor(HundredthsOfMm(size.width()), HundredthsOfMm(size.height()))));
    return data;
}

std::optional<ReadResult> ReadFormula(const QMimeData& data) {
    for (const char* type : {PresentationType, MathMLType})
        if (data.hasFormat(type)) return ReadMathML(data.data(type).toStdString());
    if (!data.hasText()) return std::nullopt;
    const QByteArray text = data.text().toUtf8();
    if (IsMathMLText(text)) return ReadMathML(text.toStdString());
    return ReadLatex(text.toStdString());
}

void WriteNotes(std::optional<NotesFormat> format, const std::vector<TMathEditor*>& lines,
                const QString& title, const ByteSink& write) {
    if (!format) return WritePdfPages(ExportLinesOf(lines), write);
    if (*format == NotesFormat::Odt) {
        const std::vector<ExportLine> pictures = ExportLinesOf(lines);
        return WriteOdt(
            NoteLinesOf(lines),
            [&](std::size_t i) { return LinePicture(pictures[i], ReplacementScale); }, write);
    }
    write(zelm::WriteNotes(*format, NoteLinesOf(lines), title.toStdString()));
}

void FormulaExchange::KopieerFormuleClick() {
    TMathEditor* line = host_.CurrentLine();
    if (!line) return;
    const MathLine& m = line->Line();
    const MathTree tree = BuildTree(m.Text(), m.Codes(), m.PlainText());
    const QSize size(m.PartList().Width(), m.PartList().Height());
    if (m.Selstart != m.Seleinde)
        return SystemClipboard().setMimeData(
            FormulaMimeData(SelectedTree(tree, m.Selstart, m.Seleinde), size));
    QMimeData* data = FormulaMimeData(LineContent(tree, int(m.Text().size())), size);
    // The picture of the whole line only: a selection's would show what was not copied. The
    // office suite still pastes the embedded formula rather than the picture.
    data->setData("image/png", Utf8(LinePicture(ExportLinesOf({line})[0]).png));
    SystemClipboard().setMimeData(data);
}

void FormulaExchange::PlakFormuleClick() {
    TMathEditor* line = host_.CurrentLine();
    if (!line) return;
    const bool answers = clipboardAnswers ? clipboardAnswers() : ClipboardAnswers(ClipboardWait);
    if (!answers) return Refuse(ClipboardSilent);
    const QMimeData* data = SystemClipboard().mimeData();
    if (!data) return Refuse(NothingToPaste);
    // A text line takes plain text as it stands, spaces and all; LaTeX would drop them.
    if (line->PlainText() && IsProse(*data)) {
        ReadResult prose;
        bool unknown = false;
        reading::AppendText(prose.row, ProseOf(data->text()), unknown);
        if (unknown) NoteChange(prose, "tekens die de regel niet kent als ?");
        return Insert(*line, prose);
    }
    const std::optional<ReadResult> read = ReadFormula(*data);
    if (!read) return Refuse(RefusalOf(*data));
    Insert(*line, ChangesInto(*read, line->PlainText()));
}

void FormulaExchange::Insert(TMathEditor& line, const ReadResult& read) {
    if (read.row.children.empty()) return Refuse(NothingToPaste);
    // InsertStructures refuses what the line's record cannot hold before the setter runs;
    // EditWithinRecord also what the setter's repairs lengthen, and beeps itself.
    bool fits = false;
    if (!line.Line().EditWithinRecord([&] { fits = InsertStructures(line.Line(), read.row); }))
        return host_.ShowMessage(DoesNotFit);
    if (!fits) return Refuse(DoesNotFit);
    if (read.lossy) {
        TMathEditor::Beep();
        host_.ShowMessage(ChangesMessage(read));
    }
}

void FormulaExchange::Refuse(const QString& why) {
    TMathEditor::Beep();
    host_.ShowMessage(why);
}

void FormulaExchange::MLatexClick() {
    auto* data = new QMimeData;
    data->setData("text/plain", Utf8(LatexLines(NoteLinesOf(host_.Lines()))));
    SystemClipboard().setMimeData(data);
}

void FormulaExchange::MMathMLClick() {
    const QByteArray document =
        Utf8(zelm::WriteNotes(NotesFormat::MathML, NoteLinesOf(host_.Lines()), {}));
    auto* data = new QMimeData;
    // As text too: MathML is asked for where its source is wanted.
    data->setData("text/plain", document);
    data->setData("text/html", document.mid(document.indexOf("<math")));
    data->setData(MathMLType, document);
    data->setData(PresentationType, document);
    SystemClipboard().setMimeData(data);
}

void FormulaExchange::MExporterenClick() {
    const DocumentFile& document = host_.Document();
    const QString suggested = document.DialogFolder() + document.ProposedName() + ".tex";
    QString path;
    if (chooseExportFile) {
        path = chooseExportFile(suggested);
    } else {
        QFileDialog dialog(host_.DialogParent(), "Exporteren", suggested, ExportTypes);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // The name follows the chosen type; a name typed without a type takes it too.
        dialog.setDefaultSuffix("tex");
        QObject::connect(&dialog, &QFileDialog::filterSelected, [&](const QString& filter) {
            const QString suffix = SuffixOf(filter);
            dialog.setDefaultSuffix(suffix);
            const QStringList chosen = dialog.selectedFiles();
            if (!chosen.isEmpty())
                dialog.selectFile(QFileInfo(chosen.front()).completeBaseName() + "." + suffix);
        });
        if (dialog.exec() == QDialog::Accepted) path = dialog.selectedFiles().value(0);
    }
    if (path.isEmpty()) return;
    const QString suffix = QFileInfo(path).suffix().toLower();
    const std::optional<NotesFormat> format = NotesFormatOf(suffix.toStdString());
    const std::optional<PictureFormat> picture = PictureFormatOf(suffix);
    if (!format && !picture && suffix != "pdf")
        throw ZelmError(
            ("Onbekend type \"" + suffix + "\" (tex, html, md, mml, odt, docx, pdf, png of jpg)")
                .toStdString());
    // A picture is drawn at the size the user chooses next.
    const std::optional<double> scale = !picture      ? 1.0
                                        : chooseScale ? chooseScale()
                                                      : AskScale(host_.DialogParent());
    if (!scale) return;
    try {
        WriteFileAtomically(NativePath(path), [&](const ByteSink& write) {
            if (picture)
                WritePicture(*picture, ExportLinesOf(host_.Lines()),
                             host_.Column().Extent().expandedTo({1, 1}), write, *scale);
            else
                WriteNotes(format, host_.Lines(), QFileInfo(path).completeBaseName(), write);
        });
    } catch (const std::exception& error) {
        throw ZelmError("Cannot create file \"" + path.toStdString() + "\". " + error.what());
    }
}

} // namespace zelm
