// What leaves the program as editable maths: the part of a line a selection covers, and whole
// documents of notes as a LaTeX article, an HTML page with MathML, Markdown, one MathML
// document and an OpenDocument text. All output is UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/MathTree.h"

namespace zelm {

/// One line of a document, as the window holds it.
struct NoteLine {
    Bytes text;
    Bytes codes;
    bool plainText = false;
};

/// The document formats of the notes export.
enum class NotesFormat { Tex, Html, Markdown, MathML, Odt, Docx };

/// The format a file name suffix (lower case, without the dot) asks for; none for another.
std::optional<NotesFormat> NotesFormatOf(std::string_view suffix);

/// Whether a line holds nothing but blanks: the exports leave it out.
bool HoldsNothing(const NoteLine& line);

/// The structure of what a line holds (LineContent of its tree).
MathTree ContentTree(const NoteLine& line);

/// The part of `tree` that the caret positions `from` to `to` select, structures kept whole:
/// the innermost row holding the whole selection gives the items it touches.
MathTree SelectedTree(const MathTree& tree, int from, int to);

/// What a line of `length` Text characters holds: all but the blank that starts every line.
MathTree LineContent(const MathTree& tree, int length);

/// One `<math>` element as an XML document, with the XML declaration.
std::string MathMLDocument(const std::string& math);

/// The LaTeX of every line that holds something, one line each.
std::string LatexLines(const std::vector<NoteLine>& lines);

/// The whole document in `format`: formula lines as display formulas, plain-text lines as
/// paragraphs (their structures as inline formulas); lines holding nothing are left out.
/// `title` names the HTML page.
std::string WriteNotes(NotesFormat format, const std::vector<NoteLine>& lines,
                       std::string_view title);

} // namespace zelm
