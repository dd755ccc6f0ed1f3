// The column of lines as a picture (JPEG and bitmap, enhanced metafile, SVG, PNG, PDF), on one
// printed page, and the search for the messaging program: the main window's picture commands
// and what they share with the command-line export.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <QUrl>
#include <functional>
#include <limits>
#include <vector>

#include "files/FileIO.h"
#include "formula/Canvas.h"
#include "formula/Parts.h"

class QPrinter;

namespace zelm {

class TMathEditor;
class DocumentHost;

/// One line as the pictures and the printed page draw it.
struct ExportLine {
    const TTextdelen* parts = nullptr; ///< the screen layout; element 0 is the header
    int partCount = 0;
    const Bytes* cursief = nullptr; ///< the Cursieftext the parts refer to
    Bytes codes;                    ///< the code string, for laying the line out again
    FontDesc font;
    ColorRef color = 0;
    int top = 0, width = 0;
    bool fontSmoothing = false;
};

/// The lines of a window in column order, as they stand on the screen.
std::vector<ExportLine> ExportLinesOf(const std::vector<TMathEditor*>& lines);

/// Draws, at (0, its top) in its colour and its own face, every line that may reach into the
/// rows from `fromY` up to `toY`, through the export painter.
void DrawAllLines(Canvas& canvas, const std::vector<ExportLine>& lines,
                  int fromY = std::numeric_limits<int>::min(),
                  int toY = std::numeric_limits<int>::max());

/// Screen pixels per inch: a picture at "--dpi 300" is drawn 300 / 96 times its screen size.
constexpr int ScreenDpi = 96;
/// The largest scale a picture is drawn at (1536 dpi): far beyond any printer.
constexpr double LargestScale = 16;
/// The scale PDF pages are laid out at: a printer's 300 dpi.
constexpr double PageScale = 300.0 / ScreenDpi;

/// `size` at `scale`, each side rounded up.
QSize ScaledSize(QSize size, double scale);
/// As DrawAllLines, `scale` times as large: each line laid out again on `canvas` at `scale`
/// times its font size and drawn at `scale` times its top, rather than its screen layout
/// enlarged. `fromY` and `toY` are rows of the scaled picture.
void DrawScaledLines(Canvas& canvas, const std::vector<ExportLine>& lines, double scale,
                     int fromY = std::numeric_limits<int>::min(),
                     int toY = std::numeric_limits<int>::max());

/// The face a surface starts with: the platform's default user-interface face.
QString DefaultFace();

/// The formats a picture file is written in.
enum class PictureFormat { Png, Jpeg, Svg, Pdf, Emf };

/// The largest JPEG side the format holds.
constexpr int LargestJpegSide = 65535;
/// The most pixels a picture held whole in memory may have: 256 MB at 4 bytes a pixel.
constexpr long long LargestWholePicture = 1LL << 26;

/// The lines on a white picture of `size` (screen pixels) drawn at `scale`, each in its own
/// face. A scaled size that JPEG cannot hold, or larger than LargestWholePicture, is refused
/// with a message that names the limit.
QImage RenderPicture(const std::vector<ExportLine>& lines, QSize size, double scale = 1);
/// JPEG of quality 90, baseline, full colour.
QByteArray JpegBytes(const QImage& picture);
/// A Windows BMP file.
QByteArray BmpBytes(const QImage& picture);
QByteArray PngBytes(const QImage& picture);
/// An enhanced metafile of `size` with a transparent background.
QByteArray MetafileBytes(const std::vector<ExportLine>& lines, QSize size);
/// An SVG of `size` with a transparent background.
QByteArray SvgBytes(const std::vector<ExportLine>& lines, QSize size);
/// Hands the picture of `size` in `format` to `write` piece by piece, never holding the whole
/// of a large one: PNG is drawn in bands of rows, SVG and PDF are written as they are drawn.
/// PNG and JPEG have `scale` times the pixels; a PDF keeps its size on paper and is laid out
/// on a grid `scale` times finer; SVG and metafiles, drawings without pixels, ignore it.
void WritePicture(PictureFormat format, const std::vector<ExportLine>& lines, QSize size,
                  const ByteSink& write, double scale = 1);

/// Screen pixels between the lines and the edges of a PDF page.
constexpr int PageMargin = 48;
/// The lines one below the other on A4 pages of PDF at their size in points (12 pt text prints
/// as 12 pt; a line wider than the page narrowed to fit), a line that does not fit in what is
/// left of a page starting the next; each laid out again at `scale` times its screen size on
/// a grid of `scale` * 96 dpi; handed to `write` as the pages are made.
void WritePdfPages(const std::vector<ExportLine>& lines, const ByteSink& write,
                   double scale = PageScale);

/// Replaces the file at `path` atomically; a failure raises "Cannot create file "path". why".
void WritePictureFile(const QString& path, const QByteArray& bytes);

/// The printer's dots per screen pixel in whole numbers; at least 1, so that a printer coarser
/// than the screen still prints.
int PrinterScale(int printerDpi, int screenDpi);
/// The printer font size in points that spreads a line of `lineWidth` screen pixels, with a
/// margin of 10, across `pageWidth` printer pixels; at least 1.
int PrinterFontPoints(int points, int pageWidth, int lineWidth, int scale);
/// Where on the page a line of the given top and width goes.
int PrinterLineTop(int pageWidth, int top, int lineWidth);
/// Lays each line out again on the printer's canvas in its printer font size and draws it;
/// the canvas's font face is kept.
void PrintLines(Canvas& printer, const std::vector<ExportLine>& lines, int pageWidth, int scale,
                int printerDpi);

/// The messaging program: "Whatsapp.exe" in `currentDir` (then the bare name), else in the
/// "WhatsApp" folder of `dataDir` (then the full path), else empty.
QString FindWhatsApp(const QString& currentDir, const QString& dataDir);

/// The picture commands of the main window.
class PictureExport {
public:
    explicit PictureExport(DocumentHost& host) : host_(host) {}

    /// "JPG": the lines on a white picture of the client size, as caption + ".jpg" on the
    /// desktop, "tt.bmp" in the working folder and on the clipboard.
    void MjpgClick();
    /// "Metafile": the lines as an enhanced metafile "Meta.wmf" on the desktop and on the
    /// clipboard (with SVG and PNG renderings).
    void MWMFClick();
    /// "&Print": the lines on one page, each across the page width.
    void MPrintClick();
    /// "&WhatsAppWeb": starts the messaging program, or opens its web version.
    void MWattsAppClick();
    /// The desktop folder (made when missing) followed by `name`.
    QString SaveToDesktop(const QString& name) const;

    QString desktopFolder; ///< empty: the platform's desktop folder (tests set their own)
    QString WhatsAppExe;   ///< found on first use and kept for the run
    /// The print dialog, the program start and the browser; tests replace them.
    std::function<bool(QPrinter&)> choosePrinter;
    std::function<void(const QString& program)> startProgram;
    std::function<void(const QUrl&)> openUrl;

private:
    DocumentHost& host_;
};

} // namespace zelm
