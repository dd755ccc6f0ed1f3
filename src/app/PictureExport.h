// The column of lines as a picture (JPEG and bitmap, enhanced metafile, SVG, PNG, PDF), on one
// printed page, and the search for the messaging program. The commands themselves are members
// of TBasisMath (PictureExport.cpp); what they share and what the tests check lives here.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <vector>

#include "formula/Canvas.h"
#include "formula/Parts.h"

namespace zelm {

class TMathEditor;

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

/// Which face the text of a picture is drawn in.
enum class PictureFace {
    LineFace,   ///< each line's own face (JPG)
    CanvasFace, ///< the surface's own face, the user-interface face (Metafile)
};

/// Draws every line at (0, its top) in its colour, through the export painter.
void DrawAllLines(Canvas& canvas, const std::vector<ExportLine>& lines, PictureFace face);

/// The face a surface starts with: the platform's default user-interface face.
QString DefaultFace();

/// The lines on a white picture of `size`, each in its own face.
QImage RenderPicture(const std::vector<ExportLine>& lines, QSize size);
/// JPEG of quality 90, baseline, full colour.
QByteArray JpegBytes(const QImage& picture);
/// A Windows BMP file.
QByteArray BmpBytes(const QImage& picture);
QByteArray PngBytes(const QImage& picture);
/// An enhanced metafile of `size` with a transparent background, text in `face`.
QByteArray MetafileBytes(const std::vector<ExportLine>& lines, QSize size, const QString& face);
/// An SVG of `size`; with PictureFace::CanvasFace the text is in `face`.
QByteArray SvgBytes(const std::vector<ExportLine>& lines, QSize size, PictureFace pictureFace,
                    const QString& face = {});
/// A one-page PDF of `size` pixels at 96 pixels per inch.
QByteArray PdfBytes(const std::vector<ExportLine>& lines, QSize size);

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

} // namespace zelm
