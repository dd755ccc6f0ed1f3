#include "exchange/NotesExport.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "exchange/DocxExport.h"
#include "exchange/MathWriters.h"
#include "exchange/OdfFormula.h"
#include "exchange/WriterText.h"

namespace zelm {

namespace {

const char* const MathNamespace = "http://www.w3.org/1998/Math/MathML";
const char* const XmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

/// A piece of a plain-text line: its characters as text, or one structure as a formula.
struct Piece {
    bool formula = false;
    std::string content; ///< UTF-8 text, or the formula in the format asked for
};

/// A plain-text line in runs of characters and formulas between them; `formula` writes a row
/// of structures (a power follows the character it stands on, as its own formula).
template <class Formula> std::vector<Piece> PiecesOf(const MathTree& tree, Formula formula) {
    std::vector<Piece> pieces;
    MathTree run;
    bool runIsText = true;
    const auto flush = [&] {
        if (run.root.children.empty()) return;
        if (runIsText) {
            run.plainText = true;
            pieces.push_back({false, ToPlainText(run)});
        } else {
            run.plainText = false;
            pieces.push_back({true, formula(run)});
        }
        run.root.children.clear();
    };
    for (const MathNode& item : tree.root.children) {
        const bool text = item.kind == NodeKind::Char;
        if (text != runIsText) flush();
        runIsText = text;
        run.root.children.push_back(item);
    }
    flush();
    return pieces;
}

std::string Trimmed(const std::string& s) {
    const std::size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::string LatexText(const std::string& utf8) {
    std::string out;
    for (char c : utf8)
        writer::AppendLatexText(out, c);
    return out;
}

// Every ASCII punctuation character may be escaped in Markdown; these would start markup.
std::string MarkdownText(const std::string& utf8) {
    std::string out;
    for (char c : utf8) {
        if (std::string_view("\\`*_[]<>#$|~").find(c) != std::string_view::npos) out += '\\';
        out += c;
    }
    return out;
}

/// The TeX command of a character Markdown or HTML reads as markup; none for the others.
const char* MarkupFreeCommand(char c) {
    switch (c) {
    case '<':
        return "\\lt";
    case '>':
        return "\\gt";
    case '*':
        return "\\ast";
    case '[':
        return "\\lbrack";
    case ']':
        return "\\rbrack";
    case '`':
        return "{\\char96}"; // braced: a digit after it would lengthen the number
    default:
        return nullptr;
    }
}

// A renderer without maths reads what stands between the dollars as Markdown: every sign it
// would take for markup (HTML, links, emphasis, code) is written as the TeX command of that
// sign, which a maths renderer reads as the same formula. A control symbol (\{, \&, \_) stays:
// Markdown reads it as an escaped character. The brackets of a root's index are TeX's own and
// stay; a "]" inside the index is braced by the writer, so the first one at the index's brace
// depth closes it.
std::string MarkdownMath(const std::string& latex) {
    std::string out;
    std::vector<int> openIndexes; // the brace depth of each root index not yet closed
    int depth = 0;
    for (std::size_t i = 0; i < latex.size(); ++i) {
        const char c = latex[i];
        if (c == '\\' && i + 1 < latex.size()) {
            std::size_t end = i + 1;
            while (end < latex.size() && IsAsciiLetter(latex[end]))
                ++end;
            if (end == i + 1) ++end; // a control symbol
            const std::string_view word(latex.data() + i, end - i);
            out += word;
            if (word == "\\sqrt" && end < latex.size() && latex[end] == '[') {
                openIndexes.push_back(depth);
                out += '[';
                ++end;
            }
            i = end - 1;
            continue;
        }
        if (c == '{') ++depth;
        if (c == '}') --depth;
        if (c == ']' && !openIndexes.empty() && openIndexes.back() == depth) {
            openIndexes.pop_back();
            out += c;
        } else if (const char* command = MarkupFreeCommand(c)) {
            out += command;
            const bool word = IsAsciiLetter(out.back());
            if (word && i + 1 < latex.size() && IsAsciiLetter(latex[i + 1])) out += ' ';
        } else {
            out += c;
            // An underscore followed by a space opens no emphasis.
            if (c == '_' && i + 1 < latex.size() && latex[i + 1] != ' ') out += ' ';
        }
    }
    return out;
}

template <class Text, class Formula>
std::string TextLine(const MathTree& tree, Text text, Formula formula) {
    std::string out;
    for (const Piece& piece : PiecesOf(tree, formula))
        out += piece.formula ? piece.content : text(piece.content);
    return Trimmed(out);
}

std::string Tex(const std::vector<NoteLine>& lines) {
    std::string body;
    bool coloured = false;
    for (const NoteLine& line : lines) {
        if (HoldsNothing(line)) continue;
        const MathTree tree = ContentTree(line);
        std::string latex;
        if (line.plainText) {
            latex = TextLine(tree, LatexText,
                             [](const MathTree& t) { return "\\(" + ToLatex(t) + "\\)"; });
            body += latex + "\n\n";
        } else {
            latex = ToLatex(tree);
            body += "\\[\n" + latex + "\n\\]\n\n";
        }
        coloured = coloured || latex.find("\\textcolor") != std::string::npos;
    }
    std::string out = "\\documentclass{article}\n"
                      "\\usepackage[utf8]{inputenc}\n"
                      "\\usepackage[T1]{fontenc}\n"
                      "\\usepackage{amsmath}\n"
                      "\\usepackage{amssymb}\n";
    if (coloured) out += "\\usepackage{xcolor}\n";
    // Two signs that KaTeX knows and LaTeX itself does not: as LaTeX draws them.
    if (body.find("\\degree") != std::string::npos) out += "\\providecommand{\\degree}{\\circ}\n";
    if (body.find("\\omicron") != std::string::npos) out += "\\providecommand{\\omicron}{o}\n";
    // Notes are read top to bottom: no indented first lines.
    out += "\\setlength{\\parindent}{0pt}\n\\setlength{\\parskip}{0.5\\baselineskip}\n";
    return out + "\n\\begin{document}\n\n" + body + "\\end{document}\n";
}

std::string Html(const std::vector<NoteLine>& lines, std::string_view title) {
    std::string out = "<!DOCTYPE html>\n<html lang=\"nl\">\n<head>\n<meta charset=\"utf-8\"/>\n"
                      "<title>" +
                      writer::XmlEscaped(title) +
                      "</title>\n<style>\n"
                      "body { font-family: serif; max-width: 50em; margin: 2em auto; "
                      "padding: 0 1em; }\n"
                      "math[display=block] { margin: 0.8em 0; }\n"
                      "</style>\n</head>\n<body>\n";
    for (const NoteLine& line : lines) {
        if (HoldsNothing(line)) continue;
        const MathTree tree = ContentTree(line);
        if (line.plainText)
            out +=
                "<p>" +
                TextLine(tree, writer::XmlEscaped, [](const MathTree& t) { return ToMathML(t); }) +
                "</p>\n";
        else
            out += ToMathMLBlock(tree) + "\n";
    }
    return out + "</body>\n</html>\n";
}

std::string Markdown(const std::vector<NoteLine>& lines) {
    std::string out;
    for (const NoteLine& line : lines) {
        if (HoldsNothing(line)) continue;
        const MathTree tree = ContentTree(line);
        if (line.plainText)
            out += TextLine(tree, MarkdownText,
                            [](const MathTree& t) { return "$" + MarkdownMath(ToLatex(t)) + "$"; });
        else
            out += "$$" + MarkdownMath(ToLatex(tree)) + "$$";
        out += "\n\n";
    }
    return out;
}

// One table of one column, a row per line: formula editors that import MathML open it as one
// formula, and browsers show the rows one below the other.
std::string MathMLRows(const std::vector<NoteLine>& lines) {
    std::string rows = "<mtable columnalign=\"left\">\n";
    for (const NoteLine& line : lines) {
        if (HoldsNothing(line)) continue;
        rows += "<mtr><mtd>" + ToMathMLContent(ContentTree(line)) + "</mtd></mtr>\n";
    }
    rows += "</mtable>";
    return "<math xmlns=\"" + std::string(MathNamespace) + "\" display=\"block\">\n" + rows +
           "\n</math>\n";
}

} // namespace

bool HoldsNothing(const NoteLine& line) {
    return line.codes.empty() &&
           std::all_of(line.text.begin(), line.text.end(), [](char c) { return c == ' '; });
}

MathTree ContentTree(const NoteLine& line) {
    return LineContent(BuildTree(line.text, line.codes, line.plainText), int(line.text.size()));
}

std::optional<NotesFormat> NotesFormatOf(std::string_view suffix) {
    if (suffix == "tex") return NotesFormat::Tex;
    if (suffix == "html" || suffix == "htm") return NotesFormat::Html;
    if (suffix == "md") return NotesFormat::Markdown;
    if (suffix == "mml") return NotesFormat::MathML;
    if (suffix == "odt") return NotesFormat::Odt;
    if (suffix == "docx") return NotesFormat::Docx;
    return std::nullopt;
}

// A row's positions hold its items' positions: the row holding the whole selection is found
// by descending through the one item that holds it.
MathTree LineContent(const MathTree& tree, int length) {
    return SelectedTree(tree, 1, length);
}

MathTree SelectedTree(const MathTree& tree, int from, int to) {
    if (from > to) std::swap(from, to);
    const MathNode* row = &tree.root;
    for (bool deeper = true; deeper;) {
        deeper = false;
        for (const MathNode& item : row->children) {
            if (item.begin > from || to > item.end) continue;
            for (const MathNode& child : item.children)
                if (child.kind == NodeKind::Row && child.begin <= from && to <= child.end) {
                    row = &child;
                    deeper = true;
                    break;
                }
            break;
        }
    }
    MathTree out;
    out.plainText = tree.plainText;
    for (const MathNode& item : row->children)
        if (item.begin < to && item.end > from) out.root.children.push_back(item);
    if (!out.root.children.empty()) {
        out.root.begin = out.root.children.front().begin;
        out.root.end = out.root.children.back().end;
    }
    return out;
}

std::string MathMLDocument(const std::string& math) {
    return XmlDeclaration + math + "\n";
}

std::string LatexLines(const std::vector<NoteLine>& lines) {
    std::string out;
    for (const NoteLine& line : lines)
        if (!HoldsNothing(line)) out += ToLatex(ContentTree(line)) + "\n";
    return out;
}

std::string WriteNotes(NotesFormat format, const std::vector<NoteLine>& lines,
                       std::string_view title) {
    switch (format) {
    case NotesFormat::Tex:
        return Tex(lines);
    case NotesFormat::Html:
        return Html(lines, title);
    case NotesFormat::Markdown:
        return Markdown(lines);
    case NotesFormat::MathML:
        return XmlDeclaration + MathMLRows(lines);
    case NotesFormat::Odt: {
        std::string odt;
        WriteOdt(lines, {}, [&](std::string_view piece) { odt += piece; });
        return odt;
    }
    case NotesFormat::Docx: {
        std::string docx;
        WriteDocx(lines, [&](std::string_view piece) { docx += piece; });
        return docx;
    }
    }
    return {};
}

} // namespace zelm
