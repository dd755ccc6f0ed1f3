#include "app/ExportCommand.h"

#include <QApplication>
#include <QFileInfo>
#include <QStringList>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include "app/FormulaExchange.h"
#include "app/HeadlessHost.h"
#include "app/PictureExport.h"
#include "files/FileIO.h"
#include "platform/Fonts.h"
#include "platform/Paths.h"

namespace zelm {

namespace {

constexpr int Failed = 1;
constexpr int Misused = 2;

const char* const Usage =
    "Gebruik: ZelmEditor [DOCUMENT.mds]\n"
    "         ZelmEditor --export UIT.{png,jpg,pdf} [--scale N | --dpi N] DOCUMENT.mds\n"
    "         ZelmEditor --export UIT.{svg,emf,tex,html,md,mml,odt,docx} DOCUMENT.mds\n"
    "         ZelmEditor --export UIT.pdf --pages [--scale N | --dpi N] DOCUMENT.mds\n"
    "         ZelmEditor --version | --help\n"
    "\n"
    "  DOCUMENT.mds     opent het document in het venster\n"
    "  --export UIT DOC tekent het document zonder venster in een plaatje (png, jpg, svg,\n"
    "                   pdf) of een enhanced metafile (emf), zo groot als het venster;\n"
    "                   of schrijft het als LaTeX (tex), HTML met MathML (html), Markdown\n"
    "                   (md), MathML (mml), OpenDocument-tekst (odt) of Word-document\n"
    "                   (docx): een formule per formuleregel, in odt en docx bewerkbaar\n"
    "  --scale N        png en jpg N keer zo groot als op het scherm, elke regel op die\n"
    "                   grootte opnieuw gezet (niet vergroot); pdf even groot, N keer zo\n"
    "                   fijn gezet; svg en emf zijn tekeningen en blijven gelijk\n"
    "                   (N groter dan 0, hoogstens 16; standaard 1)\n"
    "  --dpi N          als --scale N/96: het scherm telt 96 beeldpunten per inch\n"
    "  --pages          met pdf: de regels op A4-pagina's, op hun grootte in punten\n"
    "                   (12 pt tekst wordt 12 pt), standaard gezet op 300 dpi\n"
    "  --version        toont het versienummer\n"
    "  --help           toont deze tekst\n"
    "\n"
    "De opties mogen in elke volgorde staan, voor of na het document.\n";

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

// What the export writes: a picture, a document of notes, or PDF pages (neither).
struct ExportType {
    std::optional<PictureFormat> picture;
    std::optional<NotesFormat> notes;
};

// What the command line asks of the tool; its options and their values may stand anywhere.
struct Request {
    bool help = false, version = false, exportAsked = false, pages = false, sized = false;
    double scale = 1; // screen pixels to picture pixels, from --scale or --dpi
    QString target;   // the value of --export, when it has one
    std::vector<QString> operands;
    QString misuse; // the first wrong option, in the user's words
};

bool IsOption(const QString& argument) {
    const QString name = argument.section('=', 0, 0);
    for (const char* known :
         {"--help", "-h", "--version", "--export", "--pages", "--scale", "--dpi"})
        if (name == known) return true;
    return false;
}

// A scale from `text` counted in `perScale` units (96 for dots per inch); none when it is no
// number or lies outside what a picture may be drawn at.
std::optional<double> ScaleOf(const QString& text, double perScale) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || value <= 0 || value / perScale > LargestScale)
        return std::nullopt;
    return value / perScale;
}

void ReadSize(Request& request, const QString& option, const std::optional<QString>& value) {
    const bool dpi = option == "--dpi";
    const double perScale = dpi ? ScreenDpi : 1;
    const std::optional<double> scale = value ? ScaleOf(*value, perScale) : std::nullopt;
    if (request.sized && request.misuse.isEmpty())
        request.misuse = "geef --scale of --dpi maar een keer";
    if (!scale && request.misuse.isEmpty())
        request.misuse = QString("%1 vraagt een getal groter dan 0 en hoogstens %2, niet \"%3\"")
                             .arg(option)
                             .arg(LargestScale * perScale)
                             .arg(value.value_or(""));
    request.sized = true;
    if (scale) request.scale = *scale;
}

Request ReadCommandLine(const QStringList& arguments) {
    Request request;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!IsOption(argument)) {
            request.operands.push_back(argument);
            continue;
        }
        const QString option = argument.section('=', 0, 0);
        std::optional<QString> value;
        if (argument.contains('='))
            value = argument.section('=', 1);
        else if (i + 1 < arguments.size() && !IsOption(arguments[i + 1]) &&
                 (option == "--export" || option == "--scale" || option == "--dpi"))
            value = arguments[++i];
        if (option == "--help" || option == "-h")
            request.help = true;
        else if (option == "--version")
            request.version = true;
        else if (option == "--pages")
            request.pages = true;
        else if (option == "--export") {
            request.exportAsked = true;
            if (value) request.target = *value;
        } else
            ReadSize(request, option, value);
    }
    return request;
}

int Export(int argc, char** argv, const QString& target, const QString& document, bool pages,
           std::optional<double> scale) {
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
        Fail("onbekend formaat \"" + suffix +
             "\" (png, jpg, svg, pdf, emf, tex, html, md, mml, odt of docx)");
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
            if (pages)
                WritePdfPages(ExportLinesOf(host.Lines()), write, scale.value_or(PageScale));
            else if (type.picture)
                WritePicture(*type.picture, ExportLinesOf(host.Lines()), host.DocumentSize(), write,
                             scale.value_or(1));
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
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    Request request = ReadCommandLine(arguments);
    if (!request.help && !request.version && !request.exportAsked && !request.pages &&
        !request.sized)
        return false; // an ordinary start
    status = EXIT_SUCCESS;
    if (request.help) {
        std::fputs(Usage, stdout);
    } else if (request.version) {
        std::fputs("ZelmEditor " ZELM_VERSION "\n", stdout);
    } else if (!request.misuse.isEmpty() || !request.exportAsked) {
        Fail(request.misuse.isEmpty() ? "--pages, --scale en --dpi alleen met --export"
                                      : request.misuse);
        status = Misused;
    } else {
        // The output is the value of --export, else the first operand; the document the other.
        if (!request.target.isEmpty())
            request.operands.insert(request.operands.begin(), request.target);
        if (request.operands.size() != 2) {
            std::fputs(Usage, stderr);
            status = Misused;
        } else {
            status = Export(argc, argv, request.operands[0], request.operands[1], request.pages,
                            request.sized ? std::optional(request.scale) : std::nullopt);
        }
    }
    return true;
}

} // namespace zelm
