// Composes the six pictures of the help window and writes them into the folder named on the
// command line (resources/help/ for `make help-pictures`): five SVG pictures and one JPEG.
// Every formula in them is typed key by key into a real line editor and drawn by the
// program's own export painter through the canvas, so the pictures show exactly what the
// program makes of those keys. The prose is Dutch, written for someone new to the program.
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgGenerator>
#include <cstdio>
#include <functional>

#include "editor/LineEditor.h"
#include "exchange/MathTree.h"
#include "exchange/MathWriters.h"
#include "exchange/Speech.h"
#include "formula/Renderers.h"
#include "platform/Fonts.h"
#include "platform/QtCanvas.h"
#include "samples/HelpFormulas.h"
#include "support/KeyScriptQt.h"

namespace {

using zelm::FontDesc;

const QColor Ink(0, 0, 0);
const QColor HeadingInk(0, 51, 128);
const QColor LinkInk(0, 0, 204);
const QColor LineFrame(160, 160, 160);
const QColor MarkFill(204, 224, 255);

// Where the links of the help window lie over the pictures, in picture pixels (the labels'
// places in their pages, less the page's 1-pixel frame where the page has one).
const QRect InstallationStarTop(439, 6, 6, 13);
const QRect InstallationStarLower(463, 53, 6, 13);
const QRect UseHotSpot(474, 200, 78, 20);

QFont Prose(int pixels, bool bold = false, bool italic = false) {
    QFont f("Tahoma");
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setItalic(italic);
    f.setKerning(false);
    return f;
}

/// A line in formula mode (or text mode) with a key script typed into it.
class FormulaLine {
public:
    FormulaLine(const char* keys, int fontHeight, bool plainText) : line_(&host_) {
        host_.resize(2000, 200);
        line_.SetFont(FontDesc{"Tahoma", fontHeight}, 0);
        line_.SetPlainText(plainText);
        // As the main window makes a new line: the caret behind the leading blank.
        line_.Line().Selstart = line_.Line().Seleinde = line_.Line().CaretPos = 1;
        line_.SetText(" ");
        zelm::test::ClickKeys(&line_, keys);
    }
    const zelm::MathLine& Model() const { return line_.Line(); }
    QSize Extent() const { return {Model().PartList()[0].Left, Model().PartList()[0].Top}; }

private:
    QWidget host_;
    zelm::TMathEditor line_;
};

/// Draws onto one picture: prose with QPainter, formulas through the program's canvas.
class Composer {
public:
    explicit Composer(QPainter& p) : p_(p) { p_.setRenderHint(QPainter::TextAntialiasing); }

    /// A bold heading; returns the top of the next line.
    int Heading(int x, int top, const QString& text) {
        return Line(x, top, text, Prose(14, true), HeadingInk) + 2;
    }
    /// One line of prose at `top`; returns the top of the next line.
    int Line(int x, int top, const QString& text, const QFont& font = Prose(12),
             const QColor& ink = Ink) {
        p_.setFont(font);
        p_.setPen(ink);
        const QFontMetrics m(font);
        p_.drawText(x, top + m.ascent(), text);
        lastRight_ = x + m.horizontalAdvance(text);
        return top + m.height() + 1;
    }
    /// Prose wrapped into `width`; returns the top of the line after it.
    int Paragraph(int x, int top, int width, const QString& text, const QFont& font = Prose(12)) {
        const QFontMetrics m(font);
        QString line;
        for (const QString& word : text.split(' ', Qt::SkipEmptyParts)) {
            const QString longer = line.isEmpty() ? word : line + ' ' + word;
            if (m.horizontalAdvance(longer) > width && !line.isEmpty()) {
                top = Line(x, top, line, font);
                line = word;
            } else {
                line = longer;
            }
        }
        return line.isEmpty() ? top : Line(x, top, line, font);
    }
    /// Prose whose right end comes at `right`.
    void LineEndingAt(int right, int top, const QString& text, const QFont& font = Prose(12)) {
        Line(right - QFontMetrics(font).horizontalAdvance(text), top, text, font);
    }
    /// Prose stretched between `left` and `right` by widening the gaps between its words.
    void JustifiedLine(int left, int right, int top, const QString& text,
                       const QFont& font = Prose(12)) {
        const QStringList words = text.split(' ', Qt::SkipEmptyParts);
        const QFontMetrics m(font);
        int natural = 0;
        for (const QString& w : words)
            natural += m.horizontalAdvance(w);
        const int gaps = int(words.size()) - 1;
        const int room = right - left - natural;
        int x = left;
        for (int i = 0; i < int(words.size()); ++i) {
            Line(x, top, words[i], font);
            x += m.horizontalAdvance(words[i]) +
                 (gaps > 0 ? room * (i + 1) / gaps - room * i / gaps : 0);
        }
        if (room < gaps * 2 || room > gaps * 3 * m.horizontalAdvance(' '))
            std::fprintf(stderr, "justified line badly filled: %s\n", qPrintable(text));
    }
    /// Words that lead elsewhere, in link colour and underlined.
    void LinkWords(int x, int top, const QString& text) {
        QFont f = Prose(12);
        f.setUnderline(true);
        Line(x, top, text, f, LinkInk);
    }
    /// The pale spot a "*" link of the window stands on.
    void LinkMark(const QRect& r) {
        p_.setPen(Qt::NoPen);
        p_.setBrush(MarkFill);
        p_.drawRoundedRect(r.adjusted(-2, -1, 2, 1), 2, 2);
    }
    /// The right end of the last line drawn.
    int LastRight() const { return lastRight_; }

    /// A formula line typed with `keys`, drawn in a frame like a line of the editor with its
    /// top-left corner at x, top; returns the frame.
    QRect Formula(int x, int top, const char* keys, int fontHeight = -16, bool plain = false) {
        const FormulaLine line(keys, fontHeight, plain);
        const QSize size = line.Extent();
        const QRect frame(x, top, size.width() + 6, size.height() + 4);
        p_.setPen(LineFrame);
        p_.setBrush(Qt::white);
        p_.drawRect(frame.adjusted(0, 0, -1, -1));
        {
            zelm::QtCanvas canvas(p_, line.Model().BaseFont(), &sprites_);
            canvas.SetBkColor(zelm::Rgb(255, 255, 255));
            canvas.SetTextColor(0);
            zelm::DrawLineParts(canvas, zelm::Point{x + 3, top + 2}, line.Model().PartList(),
                                line.Model().PartCount(), line.Model().Cursieftext(), 0);
        }
        return frame;
    }
    /// A formula to the right of a caption naming its keys, both centred on one row.
    QRect KeyedFormula(int x, int top, int captionWidth, const QString& caption, const char* keys) {
        const QRect frame = Formula(x + captionWidth, top, keys, -14);
        Line(x, top + (frame.height() - QFontMetrics(Prose(12)).height()) / 2, caption);
        return frame;
    }
    QPainter& Painter() { return p_; }

private:
    QPainter& p_;
    zelm::SpriteCache sprites_; // the formulas' canvases share it
    int lastRight_ = 0;
};

// ---- The pages ----

void Inleiding(Composer& c) {
    int y = c.Heading(10, 6, "Welkom bij ZelmEditor");
    y = c.Paragraph(
        10, y, 505,
        "ZelmEditor is een kleine editor voor wiskundige aantekeningen. Een document "
        "is een kolom van regels; in elke regel typt u gewone tekst of een formule. "
        "In de formulemodus herkent het programma namen als sin, cos, log en ln terwijl "
        "u typt, zet het letters schuin en maakt u met een paar toetsen machten, "
        "breuken, wortels, haakjes, integralen en sommen:");
    c.Formula(40, y + 4, zelm::help::IntroFormula);
    y += 52;
    c.Paragraph(10, y, 505,
                "U bewaart uw werk als .mds-bestand, als plaatje of op papier. Kies links een "
                "onderwerp. Een letter, Enter of Esc sluit dit venster; met F1 in een regel "
                "komt het terug.");
}

void Installatie(Composer& c) {
    c.LinkMark(InstallationStarTop);
    c.LinkMark(InstallationStarLower);
    const int text = 112;
    c.Line(10, 4, "Installeren", Prose(12, true));
    c.JustifiedLine(text, InstallationStarTop.left() - 4, 4,
                    "Vanuit de broncode bouwt en start make run het programma.");
    int y =
        c.Line(text, 20, "make install PREFIX=$HOME/.local (of sudo make install) installeert het");
    c.Line(text, y, "met menu-item en bestandstype .mds; make package maakt een Debian-pakket.");
    c.Line(10, 51, "Herstel", Prose(12, true));
    c.JustifiedLine(text, InstallationStarLower.left() - 4, 51,
                    "Het geïnstalleerde programma bewaart de herstelstanden (*.wes)");
    y = c.Line(text, 67,
               "en Instellingen.ops in ~/.local/share/TextverwerkerZelm/Herstel/ en meldt");
    y = c.Line(text, y,
               "één keer dat het die map maakt. Gestart vanuit de bouwmap: build/Herstel.");
    y += 9;
    y = c.Line(10, y, "* Bovenaan: lees verder bij Gebruik; daar staat hoe u formules typt.",
               Prose(11, false, true));
    c.Line(10, y,
           "* Bij Herstel: wat daar staat, haalt u terug met het menu Herstel; zie Herstellen en "
           "Ongedaan maken.",
           Prose(11, false, true));
}

void Gebruik(Composer& c) {
    int y = c.Heading(8, 4, "Formules typen");
    y = c.Paragraph(8, y, 750,
                    "Zet de regel met Ctrl+T in formulemodus en typ gewoon: functienamen worden "
                    "vet, letters schuin. Deze toetsen maken een structuur; typ daarna de inhoud "
                    "en ga er met \u2192 of End weer uit.");
    y += 3;
    const int col[3] = {8, 262, 516};
    const int rowH = 37;
    for (int k = 0; k < 3; ++k)
        for (int r = 0; r < 4; ++r)
            c.KeyedFormula(col[k], y + r * rowH, 118,
                           QString::fromUtf8(zelm::help::KeyTable[k][r].caption),
                           zelm::help::KeyTable[k][r].keys);
    // The sentence that leads on to recovery; the window's hot spot lies over its last words.
    c.LineEndingAt(UseHotSpot.left() + 1, 203,
                   "Enter splitst een regel, Backspace en Delete voegen regels samen. Iets "
                   "misgegaan? Zie");
    c.LinkWords(UseHotSpot.left() + 5, 203, "Herstellen");
}

void Herstellen(Composer& c) {
    int y = c.Heading(8, 4, "Herstellen: terug naar een eerdere stand");
    y = c.Paragraph(8, y, 630,
                    "Voordat Enter een regel splitst en voordat Backspace of Delete twee regels "
                    "samenvoegt, bewaart ZelmEditor het hele document als genummerde stand in de "
                    "map Herstel. In het menu Herstel gaat Vorige (Ctrl+Shift+Z) een stand "
                    "terug en Terug (Ctrl+Shift+T) weer een stand vooruit.");
    y += 3;
    c.Line(8, y + 7, "stand 1", Prose(11, true));
    const QRect a = c.Formula(60, y, zelm::help::StateOne, -15);
    const QFont small = Prose(11);
    c.Line(a.right() + 14, y, "Terug (Ctrl+Shift+T) \u2192", small);
    c.Line(a.right() + 14, y + 14, "\u2190 Vorige (Ctrl+Shift+Z)", small);
    c.Line(a.right() + 170, y + 7, "stand 2", Prose(11, true));
    const QRect b = c.Formula(a.right() + 222, y, zelm::help::StateTwo, -15);
    y = std::max(a.bottom(), b.bottom()) + 5;
    c.Paragraph(8, y, 630,
                "Bij het sluiten bewaart het programma het document als stand 0; na de "
                "volgende start haalt Vorige het terug. Binnen één regel maakt Ctrl+Z "
                "(Herstellen in het regelmenu) de laatste wijzigingen ongedaan.");
}

void Invoer(Composer& c) {
    int y = c.Heading(8, 4, "Tekst en formules invoeren");
    y = c.Paragraph(8, y, 570,
                    "Een nieuwe regel staat in tekstmodus (Plain): wat u typt, blijft zoals het "
                    "is. Ctrl+T (PlainText in het regelmenu) zet de regel in formulemodus "
                    "(Zelm). Dezelfde toetsen geven dan:");
    y += 2;
    c.Line(8, y + 6, "tekst:");
    const QRect plain = c.Formula(52, y, zelm::help::BothModes, -15, true);
    c.Line(plain.right() + 16, y + 6, "formule:");
    const QRect formula = c.Formula(plain.right() + 70, y, zelm::help::BothModes, -15);
    y = std::max(plain.bottom(), formula.bottom()) + 5;
    y = c.Paragraph(8, y, 570,
                    "Griekse letters: druk op Scroll Lock en typ één letter; a wordt alfa, "
                    "b bèta, p pi, s sigma. De letter daarna is weer gewoon.");
    c.Formula(40, y + 2, zelm::help::GreekLetters, -15);
    y += 32;
    y = c.Paragraph(8, y, 570,
                    "De functielijst (Ctrl+L, FunctieLijst in het regelmenu) toont alle namen, "
                    "tekens en sneltoetsen; een keuze wordt in de regel getypt. Onder Instellingen "
                    "kiest u lettertype, grootte, kleur en modus voor nieuwe regels.");
    c.Paragraph(8, y + 6, 570,
                "Wijs een regel aan met de muis: de hint toont het regelnummer en de modus. "
                "Klik rechts op een regel voor het regelmenu.");
}

void Doorgeven(Composer& c) {
    int y = c.Heading(8, 4, "Een formule doorgeven");
    c.Formula(470, 8, zelm::help::QuadraticFormula, -16);
    y = c.Paragraph(8, y, 450,
                    "Kopiëren \u2192 JPG maakt van alle regels één plaatje: het komt op het "
                    "klembord en als bestand (de venstertitel met .jpg) op het bureaublad.");
    y = c.Paragraph(8, y + 4, 450,
                    "Kopiëren \u2192 Metafile maakt er een vectorplaatje van, Meta.wmf op het "
                    "bureaublad en op het klembord; het blijft scherp bij elke grootte.");
    y = c.Paragraph(8, y + 6, 640,
                    "Plak het plaatje met Ctrl+V in een verslag, een mail of een chat; "
                    "WhatsAppWeb start uw berichtenprogramma. Print zet alle regels op één "
                    "pagina, zo breed als het papier.");
    c.Paragraph(8, y + 6, 640,
                "Stukken van regels verplaatst u binnen het programma met Knippen, Kopiëren en "
                "Plakken (Ctrl+X, Ctrl+C, Ctrl+V) in het regelmenu; de formules gaan mee.");
}

// ---- What the program learned since ----

/// A line's text through the writers: what the program makes of the keys.
zelm::MathTree TreeOf(const char* keys) {
    const FormulaLine line(keys, -16, false);
    return zelm::BuildTree(line.Model().Text(), line.Model().Codes(), false);
}

void Plakken(Composer& c) {
    int y = c.Heading(8, 4, "Formules kopiëren en plakken");
    y = c.Paragraph(8, y, 620,
                    "Ctrl+Alt+C (Kopiëren als formule in het regelmenu) zet de regel, of wat u "
                    "erin geselecteerd hebt, als bewerkbare wiskunde op het klembord: als LaTeX, "
                    "MathML en UnicodeMath. Plak met Ctrl+V in LibreOffice Writer (een formule "
                    "die u kunt bewerken), in een webpagina of in een LaTeX-bestand.");
    const QRect f = c.Formula(40, y + 4, zelm::help::PastedFormula, -15);
    c.Line(f.right() + 16, y + 4 + (f.height() - 15) / 2,
           "wordt in LaTeX:  " +
               QString::fromStdString(zelm::ToLatex(TreeOf(zelm::help::PastedFormula))));
    y = c.Paragraph(8, f.bottom() + 6, 620,
                    "Ctrl+Alt+V (Plakken als formule) leest MathML of LaTeX van het klembord in "
                    "de regel, op de plaats van de cursor. Wat een regel niet kan bevatten, wordt "
                    "de dichtstbijzijnde vorm; een melding zegt wat er veranderde.");
    c.Paragraph(8, y + 6, 620,
                "Ctrl+C en Ctrl+V zonder Alt kopiëren en plakken binnen het programma; "
                "plaatjes: zie Doorgeven.");
}

void Exporteren(Composer& c) {
    int y = c.Heading(8, 4, "Exporteren: het hele document als aantekeningen");
    y = c.Paragraph(8, y, 640,
                    "Kopiëren \u2192 Exporteren… bewaart alle regels in één bestand met "
                    "bewerkbare wiskunde; het type kiest u in het opslagvenster:");
    const char* const types[][2] = {
        {".tex", "een LaTeX-artikel"},
        {".html", "een webpagina met MathML"},
        {".md", "Markdown, elke formule tussen $$ en $$"},
        {".mml", "één MathML-document"},
        {".pdf", "A4-pagina's met de regels"},
        {".odt",
         "OpenDocument voor LibreOffice Writer: elke formule een bewerkbaar formule-object"},
        {".docx", "Word: elke formule een bewerkbare vergelijking"}};
    y += 2;
    for (const auto& [type, what] : types) {
        c.Line(20, y, type, Prose(12, true));
        y = c.Line(70, y, QString::fromUtf8(what));
    }
    y = c.Paragraph(8, y + 4, 640,
                    "Plaatjes (PNG, JPEG en PDF) tekent het programma op een schaal naar keuze, "
                    "scherp genoeg om af te drukken; het exportvenster vraagt de schaal. Zonder "
                    "venster, vanaf de opdrachtregel:");
    QFont code("DejaVu Sans Mono");
    code.setPixelSize(11);
    for (const char* command : {"ZelmEditor --export aantekeningen.docx werk.mds",
                                "ZelmEditor --scale 3 --export formules.png werk.mds",
                                "ZelmEditor --export aantekeningen.pdf --pages werk.mds"})
        y = c.Line(20, y + 1, command, code);
    c.Line(8, y + 3, "ZelmEditor --help noemt alle mogelijkheden.");
}

void Ongedaan(Composer& c) {
    int y = c.Heading(8, 4, "Ongedaan maken en opnieuw");
    y = c.Paragraph(8, y, 620,
                    "Binnen één regel maakt Ctrl+Z (Herstellen in het regelmenu) de laatste "
                    "wijziging ongedaan, tot tien stappen terug; Ctrl+Y (Opnieuw) doet ze weer, "
                    "tot u iets nieuws typt.");
    const QRect a = c.Formula(40, y + 4, zelm::help::BeforeUndo, -15);
    const QFont small = Prose(11);
    c.Line(a.right() + 14, y + 4, "Ctrl+Z \u2192", small);
    c.Line(a.right() + 14, y + 18, "\u2190 Ctrl+Y", small);
    const QRect b = c.Formula(a.right() + 80, y + 4, zelm::help::AfterUndo, -15);
    y = c.Paragraph(8, std::max(a.bottom(), b.bottom()) + 6, 620,
                    "Het hele document: vóór Enter, het samenvoegen van regels en de opdrachten "
                    "die alles veranderen (Nieuw, Alles wissen, Openen, Font, PlainText) bewaart "
                    "het programma een herstelstand. Herstel \u2192 Vorige (Ctrl+Shift+Z) gaat "
                    "een stand terug, Terug (Ctrl+Shift+T) een stand vooruit; Herstel \u2192 "
                    "Vorige sessies… toont de standen van eerdere sessies.");
    c.Paragraph(8, y + 6, 620,
                "Noodkopie: enkele seconden nadat u stopt met typen bewaart het programma het "
                "document; sluit het onverwacht af, dan biedt de volgende start het werk aan.");
}

void Zoomen(Composer& c) {
    int y = c.Heading(8, 4, "Zoomen: groter of kleiner op het scherm");
    y = c.Paragraph(8, y, 600,
                    "Ctrl+Alt+= vergroot de regels, Ctrl+Alt+- verkleint ze en Ctrl+Alt+0 zet ze "
                    "terug op 100 %; Ctrl met het muiswiel doet hetzelfde. De zoom loopt van 50 % "
                    "tot 400 %, in stappen van 10 %; de opdrachten staan ook in het venstermenu.");
    c.Line(8, y + 14, "100 %", Prose(11, true));
    const QRect a = c.Formula(50, y + 4, zelm::help::PastedFormula, -14);
    c.Line(a.right() + 20, y + 30, "200 %", Prose(11, true));
    const QRect b = c.Formula(a.right() + 62, y + 4, zelm::help::PastedFormula, -28);
    c.Paragraph(8, std::max(a.bottom(), b.bottom()) + 6, 600,
                "Zoomen verandert alleen hoe de regels op het scherm staan: het document, de "
                "herstelstanden, plaatjes, exports en afdrukken blijven zoals ze zijn. Het "
                "programma onthoudt de zoom voor de volgende keer.");
}

void Schermlezer(Composer& c) {
    int y = c.Heading(8, 4, "Met een schermlezer");
    y = c.Paragraph(8, y, 620,
                    "ZelmEditor werkt met de schermlezer Orca. Elke regel heet Regel 1, Regel 2, "
                    "enzovoort, en Orca leest de formule in het Nederlands voor:");
    const QRect f = c.Formula(40, y + 4, zelm::help::SpokenFormula, -15);
    c.Line(f.right() + 16, y + 4 + (f.height() - 15) / 2,
           "Orca zegt: " +
               QString::fromStdString(zelm::SpeakLine(TreeOf(zelm::help::SpokenFormula))),
           Prose(12, false, true));
    y = c.Paragraph(8, f.bottom() + 6, 620,
                    "Ctrl+Alt+S leest de hele regel voor. Onderweg hoort u waar de cursor komt, "
                    "bijvoorbeeld in de teller. Ctrl+T wisselt tussen formulemodus en tekstmodus "
                    "en zegt welke.");
    c.Paragraph(8, y + 6, 620,
                "In de functielijst (Ctrl+L) leest Orca elke cel in woorden. In dit helpvenster "
                "brengt Tab u van de onderwerpen naar de pagina; Orca leest dan de tekst van de "
                "pagina.");
}

// ---- Writing ----

struct Picture {
    const char* file;
    QSize size;
    bool transparent;
    void (*draw)(Composer&);
};

const Picture Pictures[] = {
    {"Inleiding.svg", {529, 173}, false, Inleiding},
    {"Installatie.svg", {630, 152}, false, Installatie},
    {"Help.svg", {770, 220}, true, Gebruik},
    {"Herstellen.svg", {648, 148}, true, Herstellen},
    {"invoer.svg", {587, 221}, false, Invoer},
    {"Copy.jpg", {656, 176}, false, Doorgeven},
    {"Plakken.svg", {636, 190}, false, Plakken},
    {"Exporteren.svg", {656, 250}, false, Exporteren},
    {"Ongedaan.svg", {636, 200}, false, Ongedaan},
    {"Zoomen.svg", {616, 180}, false, Zoomen},
    {"Schermlezer.svg", {636, 180}, false, Schermlezer},
};

// QSvgGenerator states the size in millimetres; the help window wants it in pixels.
bool WriteSvg(const Picture& pic, const QString& path) {
    QString svg;
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        QSvgGenerator gen;
        gen.setOutputDevice(&buffer);
        gen.setSize(pic.size);
        gen.setViewBox(QRect(QPoint(0, 0), pic.size));
        gen.setTitle(QString(pic.file).section('.', 0, 0));
        gen.setDescription("ZelmEditor help");
        {
            QPainter p(&gen);
            if (!pic.transparent) p.fillRect(QRect(QPoint(0, 0), pic.size), Qt::white);
            Composer c(p);
            pic.draw(c);
        }
        svg = QString::fromUtf8(bytes);
    }
    svg.replace(
        QRegularExpression(R"(<svg width="[^"]*" height="[^"]*")"),
        QString(R"(<svg width="%1" height="%2")").arg(pic.size.width()).arg(pic.size.height()));
    QFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(svg.toUtf8()) > 0;
}

bool WriteJpeg(const Picture& pic, const QString& path) {
    QImage image(pic.size, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        Composer c(p);
        pic.draw(c);
    }
    return image.save(path, "JPG", 90);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    zelm::RegisterProgramFonts();
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : "resources/help";
    QDir().mkpath(folder);
    for (const Picture& pic : Pictures) {
        const QString path = folder + "/" + pic.file;
        const bool ok = path.endsWith(".jpg") ? WriteJpeg(pic, path) : WriteSvg(pic, path);
        if (!ok) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
    }
    return 0;
}
