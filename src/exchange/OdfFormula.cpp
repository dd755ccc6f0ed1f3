#include "exchange/OdfFormula.h"

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "exchange/MathWriters.h"
#include "exchange/WriterText.h"
#include "exchange/ZipPackage.h"

namespace zelm {

namespace {

const char* const TextType = "application/vnd.oasis.opendocument.text";
const char* const OdfVersion = "1.3";
const char* const XmlPrologue = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
// The office suite's class of formula objects, and its descriptor's closing signature.
constexpr std::uint32_t FormulaClass1 = 0x078B7ABA;
constexpr std::uint16_t FormulaClass2 = 0x54FC, FormulaClass3 = 0x457F;
constexpr unsigned char FormulaClass4[8] = {0x85, 0x51, 0x61, 0x47, 0xE7, 0x76, 0xA9, 0x97};
constexpr std::uint32_t DescriptorSignature1 = 0x01234567, DescriptorSignature2 = 0x89abcdef;
constexpr std::uint32_t ContentAspect = 1;
const char* const FormulaTypeName = "Formule";
// Without a picture a formula's frame gets this size; the office suite sizes it when it lays
// the formula out.
constexpr int UnknownWidth = 96, UnknownHeight = 24;

// Text for XML content and attribute values: markup escaped, so "]]>" cannot end anything,
// and control characters, which XML cannot hold, left out.
std::string XmlText(std::string_view utf8) {
    std::string kept;
    kept.reserve(utf8.size());
    for (const char c : utf8)
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') kept += c;
    return writer::XmlEscaped(kept);
}

// A paragraph's text: a paragraph collapses runs of blanks, so each blank after the first of a
// run (and one at the start) is written as a space element, and a tab as a tab element.
std::string ParagraphText(std::string_view utf8) {
    std::string out;
    int blanks = 0;
    const auto flushBlanks = [&] {
        if (blanks == 0) return;
        const bool atStart = out.empty();
        if (!atStart) out += ' ';
        const int kept = atStart ? blanks : blanks - 1;
        if (kept > 0) out += "<text:s text:c=\"" + std::to_string(kept) + "\"/>";
        blanks = 0;
    };
    for (const char c : XmlText(utf8)) {
        if (c == ' ') {
            ++blanks;
            continue;
        }
        flushBlanks();
        if (c == '\t')
            out += "<text:tab/>";
        else
            out += c;
    }
    flushBlanks();
    return out;
}

std::string Length(int pixels) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.4fin", pixels / 96.0);
    return buffer;
}

void AppendLittleEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += char((value >> (8 * i)) & 0xFF);
}

void AppendCountedString(std::string& out, std::string_view text) {
    AppendLittleEndian(out, std::uint32_t(text.size()), 2);
    out += text;
}

struct ManifestEntry {
    std::string path, type;
    bool document = false; // a (sub-)document, carrying the version
};

std::string Manifest(const std::vector<ManifestEntry>& entries) {
    std::string out = std::string(XmlPrologue) +
                      "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:"
                      "xmlns:manifest:1.0\" manifest:version=\"" +
                      OdfVersion + "\">\n";
    for (const ManifestEntry& e : entries) {
        out += " <manifest:file-entry manifest:full-path=\"" + XmlText(e.path) + "\"";
        if (e.document) out += std::string(" manifest:version=\"") + OdfVersion + "\"";
        out += " manifest:media-type=\"" + XmlText(e.type) + "\"/>\n";
    }
    return out + "</manifest:manifest>\n";
}

const char* const ContentStart =
    "<office:document-content"
    " xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
    " xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\""
    " xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\""
    " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\""
    " xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\""
    " xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\""
    " xmlns:xlink=\"http://www.w3.org/1999/xlink\" office:version=\"1.3\">\n"
    // A formula stands on the text's baseline, as the office suite places its own.
    "<office:automatic-styles>\n"
    "<style:style style:name=\"Formule\" style:family=\"graphic\">"
    "<style:graphic-properties style:vertical-pos=\"top\" style:vertical-rel=\"baseline\""
    " fo:margin-left=\"0in\" fo:margin-right=\"0in\"/>"
    "</style:style>\n"
    "</office:automatic-styles>\n"
    "<office:body>\n<office:text>\n";
// Without styles the office suite lays the text out on a page of no size in a 2 pt font: an A4
// page and the usual 12 pt text.
const char* const Styles =
    "<office:document-styles"
    " xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
    " xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\""
    " xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\""
    " office:version=\"1.3\">\n"
    "<office:styles>\n"
    "<style:default-style style:family=\"paragraph\">"
    "<style:paragraph-properties fo:margin-top=\"0cm\" fo:margin-bottom=\"0.2cm\"/>"
    "<style:text-properties fo:font-size=\"12pt\" fo:language=\"nl\" fo:country=\"NL\"/>"
    "</style:default-style>\n"
    "<style:style style:name=\"Standard\" style:family=\"paragraph\" style:class=\"text\"/>\n"
    "</office:styles>\n"
    "<office:automatic-styles>\n"
    "<style:page-layout style:name=\"A4\"><style:page-layout-properties fo:page-width=\"21cm\""
    " fo:page-height=\"29.7cm\" style:print-orientation=\"portrait\" fo:margin-top=\"2cm\""
    " fo:margin-bottom=\"2cm\" fo:margin-left=\"2cm\" fo:margin-right=\"2cm\"/>"
    "</style:page-layout>\n"
    "</office:automatic-styles>\n"
    "<office:master-styles>\n"
    "<style:master-page style:name=\"Standard\" style:page-layout-name=\"A4\"/>\n"
    "</office:master-styles>\n"
    "</office:document-styles>\n";

const char* const ContentEnd = "</office:text>\n</office:body>\n</office:document-content>\n";

// The paragraph of formula object `name`, with its picture where there is one.
std::string FormulaParagraph(const std::string& name, int number, const OdfPicture* picture) {
    const int width = picture ? picture->width : UnknownWidth;
    const int height = picture ? picture->height : UnknownHeight;
    std::string out = "<text:p><draw:frame draw:style-name=\"Formule\" draw:name=\"Formule " +
                      std::to_string(number) + "\" text:anchor-type=\"as-char\" svg:width=\"" +
                      Length(width) + "\" svg:height=\"" + Length(height) +
                      "\" draw:z-index=\"0\"><draw:object xlink:href=\"./" + name +
                      "\" xlink:type=\"simple\" xlink:show=\"embed\" xlink:actuate=\"onLoad\"/>";
    if (picture)
        out += "<draw:image xlink:href=\"./ObjectReplacements/" + name +
               "\" xlink:type=\"simple\" xlink:show=\"embed\" xlink:actuate=\"onLoad\"/>";
    return out + "</draw:frame></text:p>\n";
}

} // namespace

std::string FormulaContent(const MathTree& tree) {
    return XmlPrologue + ToMathMLBlock(tree) + "\n";
}

std::string FormulaPackage(const MathTree& tree) {
    ZipPackage zip;
    zip.AddStored("mimetype", OdfFormulaType);
    zip.Add("content.xml", FormulaContent(tree));
    zip.Add("META-INF/manifest.xml",
            Manifest({{"/", OdfFormulaType, true}, {"content.xml", "text/xml", false}}));
    return zip.Bytes();
}

std::string FormulaObjectDescriptor(int widthHmm, int heightHmm) {
    std::string body;
    AppendLittleEndian(body, FormulaClass1, 4);
    AppendLittleEndian(body, FormulaClass2, 2);
    AppendLittleEndian(body, FormulaClass3, 2);
    for (const unsigned char b : FormulaClass4)
        body += char(b);
    AppendLittleEndian(body, ContentAspect, 4);
    AppendLittleEndian(body, std::uint32_t(widthHmm), 4);
    AppendLittleEndian(body, std::uint32_t(heightHmm), 4);
    AppendLittleEndian(body, 0, 4); // where a drag started: none
    AppendLittleEndian(body, 0, 4);
    AppendCountedString(body, FormulaTypeName);
    AppendCountedString(body, ""); // display name
    AppendLittleEndian(body, DescriptorSignature1, 4);
    AppendLittleEndian(body, DescriptorSignature2, 4);
    std::string out;
    AppendLittleEndian(out, std::uint32_t(body.size() + 4), 4);
    return out + body;
}

int HundredthsOfMm(int pixels) {
    return int((pixels * 2540LL + 48) / 96);
}

void WriteOdt(const std::vector<NoteLine>& lines, const OdfPictureOf& pictureOf,
              const ByteSink& write) {
    ZipPackage zip;
    zip.AddStored("mimetype", TextType);
    zip.Add("styles.xml", XmlPrologue + std::string(Styles));
    std::vector<ManifestEntry> manifest{{"/", TextType, true},
                                        {"content.xml", "text/xml", false},
                                        {"styles.xml", "text/xml", false}};
    std::string content = XmlPrologue + std::string(ContentStart);
    int objects = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const NoteLine& line = lines[i];
        if (HoldsNothing(line)) continue;
        const MathTree tree = ContentTree(line);
        if (line.plainText) {
            content += "<text:p>" + ParagraphText(ToPlainText(tree)) + "</text:p>\n";
            continue;
        }
        const std::string name = "Object " + std::to_string(++objects);
        zip.Add(name + "/content.xml", FormulaContent(tree));
        manifest.push_back({name + "/", OdfFormulaType, true});
        manifest.push_back({name + "/content.xml", "text/xml", false});
        OdfPicture picture;
        if (pictureOf) picture = pictureOf(i);
        const bool pictured = !picture.png.empty();
        if (pictured) {
            zip.AddStored("ObjectReplacements/" + name, std::move(picture.png));
            manifest.push_back({"ObjectReplacements/" + name, "image/png", false});
        }
        content += FormulaParagraph(name, objects, pictured ? &picture : nullptr);
    }
    zip.Add("content.xml", content + ContentEnd);
    zip.Add("META-INF/manifest.xml", Manifest(manifest));
    zip.WriteTo(write);
}

} // namespace zelm
