// Formulas as editable maths on the system clipboard and in files: copying a line or its
// selection as LaTeX, MathML and UnicodeMath, pasting LaTeX or MathML into a line, the whole
// document as LaTeX or MathML, and the export of the notes as .tex, .html, .md, .mml, .odt or
// PDF pages.
#pragma once

#include <QSize>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "exchange/MathReaders.h"
#include "exchange/NotesExport.h"
#include "files/FileIO.h"

class QMimeData;

namespace zelm {

class DocumentHost;
class TMathEditor;

/// The lines of a window in column order.
std::vector<NoteLine> NoteLinesOf(const std::vector<TMathEditor*>& lines);

/// The clipboard flavours of `tree`: text/plain (LaTeX), text/html (a `<math>` element),
/// application/mathml+xml and application/mathml-presentation+xml (XML documents),
/// text/x-unicodemath, and the office suite's embedded formula with its object descriptor;
/// `size` is the formula's in pixels.
QMimeData* FormulaMimeData(const MathTree& tree, QSize size = {});

/// What the clipboard holds as a formula: its MathML flavour, else its text as MathML when it
/// is a `<math>` element, else its text as LaTeX. Nothing when it holds none or is refused.
std::optional<ReadResult> ReadFormula(const QMimeData& data);

/// Hands `lines` to `write` in `format`, or as A4 pages of PDF when there is none; `title`
/// names an HTML page.
void WriteNotes(std::optional<NotesFormat> format, const std::vector<TMathEditor*>& lines,
                const QString& title, const ByteSink& write);

/// The formula commands of the main window.
class FormulaExchange {
public:
    explicit FormulaExchange(DocumentHost& host) : host_(host) {}

    /// "Kopiëren als formule" (Ctrl+Alt+C): the focused line's selection, or the whole line
    /// when nothing is selected, on the clipboard in the formula flavours; the whole line also
    /// as a PNG picture.
    void KopieerFormuleClick();
    /// "Plakken als formule" (Ctrl+Alt+V): the clipboard's formula in place of the focused
    /// line's selection; in a text line, text without LaTeX in it as it stands. A beep and a
    /// message naming the changes when something came in otherwise than it stood; a beep, a
    /// message saying why and no change when the clipboard holds nothing the line can take or
    /// its owner does not answer.
    void PlakFormuleClick();
    /// "LaTeX": the whole document, one formula a line, on the clipboard as text.
    void MLatexClick();
    /// "MathML": the whole document as one MathML document on the clipboard.
    void MMathMLClick();
    /// "Exporteren…": the notes in a file of the type the save dialog chooses, or the lines as a
    /// PNG or JPEG picture at a chosen scale. The dialog starts where the document lives.
    void MExporterenClick();

    /// The save dialog: the chosen file name, empty when cancelled. Tests replace it.
    std::function<QString(const QString& suggested)> chooseExportFile;
    /// The size of an exported picture in times the screen size; none when cancelled. Tests
    /// replace it.
    std::function<std::optional<double>()> chooseScale;
    /// Whether the clipboard's owner answers (ClipboardAnswers). Tests replace it.
    std::function<bool()> clipboardAnswers;

private:
    /// `read` in place of the line's selection, with the message of what it changed.
    void Insert(TMathEditor& line, const ReadResult& read);
    /// A beep and `why`, the line unchanged.
    void Refuse(const QString& why);

    DocumentHost& host_;
};

} // namespace zelm
