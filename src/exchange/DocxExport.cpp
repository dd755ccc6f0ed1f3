#include "exchange/DocxExport.h"

#include "exchange/MathWriters.h"
#include "exchange/WriterText.h"
#include "exchange/ZipPackage.h"

namespace zelm {
namespace docx {
namespace {

const char* const Declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
const char* const WordNamespace = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
const char* const MathNamespace = "http://schemas.openxmlformats.org/officeDocument/2006/math";
const char* const RelationshipTypes =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

std::string ContentTypes() {
    return std::string(Declaration) +
           "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
           "<Default Extension=\"rels\" "
           "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
           "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
           "<Override PartName=\"/word/document.xml\" ContentType=\"application/"
           "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
           "<Override PartName=\"/word/styles.xml\" ContentType=\"application/"
           "vnd.openxmlformats-officedocument.wordprocessingml.styles+xml\"/>"
           "</Types>";
}

std::string Relationships(const char* type, const char* target) {
    return std::string(Declaration) +
           "<Relationships "
           "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
           "<Relationship Id=\"rId1\" Type=\"" +
           RelationshipTypes + type + "\" Target=\"" + target + "\"/></Relationships>";
}

// Notes are read top to bottom: a little room between paragraphs, none indented.
std::string Styles() {
    return std::string(Declaration) + "<w:styles xmlns:w=\"" + WordNamespace +
           "\"><w:docDefaults><w:rPrDefault><w:rPr><w:sz w:val=\"24\"/></w:rPr></w:rPrDefault>"
           "<w:pPrDefault><w:pPr><w:spacing w:after=\"120\"/></w:pPr></w:pPrDefault>"
           "</w:docDefaults><w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\">"
           "<w:name w:val=\"Normal\"/></w:style></w:styles>";
}

/// A text run; every space kept.
void AppendTextRun(std::string& out, const std::string& utf8) {
    if (utf8.empty()) return;
    out += "<w:r><w:t xml:space=\"preserve\">";
    out += writer::XmlEscaped(utf8);
    out += "</w:t></w:r>";
}

/// A plain-text line: its characters as text runs, each stretch of structures between them
/// as an equation in the text.
std::string TextParagraph(const MathTree& tree) {
    std::string out = "<w:p>";
    const std::vector<MathNode>& items = tree.root.children;
    for (std::size_t i = 0; i < items.size();) {
        const bool text = items[i].kind == NodeKind::Char;
        std::size_t end = i;
        while (end < items.size() && (items[end].kind == NodeKind::Char) == text)
            ++end;
        MathTree stretch;
        stretch.plainText = text;
        stretch.root.children.assign(items.begin() + std::ptrdiff_t(i),
                                     items.begin() + std::ptrdiff_t(end));
        if (text)
            AppendTextRun(out, ToPlainText(stretch));
        else
            out += ToOmml(stretch);
        i = end;
    }
    return out + "</w:p>";
}

std::string Paragraph(const NoteLine& line) {
    const MathTree tree = ContentTree(line);
    if (line.plainText) return TextParagraph(tree);
    return "<w:p><m:oMathPara>" + ToOmml(tree) + "</m:oMathPara></w:p>";
}

} // namespace
} // namespace docx

std::string DocxDocumentXml(const std::vector<NoteLine>& lines) {
    std::string out = std::string(docx::Declaration) + "<w:document xmlns:w=\"" +
                      docx::WordNamespace + "\" xmlns:m=\"" + docx::MathNamespace + "\"><w:body>";
    for (const NoteLine& line : lines)
        if (!HoldsNothing(line)) out += docx::Paragraph(line);
    // A4 with margins of 2 cm.
    out += "<w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/><w:pgMar w:top=\"1134\" "
           "w:right=\"1134\" w:bottom=\"1134\" w:left=\"1134\" w:header=\"709\" w:footer=\"709\" "
           "w:gutter=\"0\"/></w:sectPr></w:body></w:document>";
    return out;
}

void WriteDocx(const std::vector<NoteLine>& lines, const ByteSink& write) {
    ZipPackage package;
    package.Add("[Content_Types].xml", docx::ContentTypes());
    package.Add("_rels/.rels", docx::Relationships("officeDocument", "word/document.xml"));
    package.Add("word/document.xml", DocxDocumentXml(lines));
    package.Add("word/_rels/document.xml.rels", docx::Relationships("styles", "styles.xml"));
    package.Add("word/styles.xml", docx::Styles());
    package.WriteTo(write);
}

} // namespace zelm
