#include "app/ExportCommand.h"

#include <QApplication>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
