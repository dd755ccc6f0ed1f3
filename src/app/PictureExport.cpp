#include "app/PictureExport.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QMenuBar>
#include <QMimeData>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <exception>

#include "app/DocumentHost.h"
#include "editor/LineEditor.h"
#include "files/DocumentCodec.h"
#include "files/FileIO.h"
#include "formula/Errors.h"
#include "formula/Layout.h"
#include "formula/Renderers.h"
#include "platform/Clipboard.h"
#include "platform/EmfCanvas.h"
#include "platform/Paths.h"
#include "platform/PngStream.h"
#include "platform/QtCanvas.h"
#include "platform/SvgCanvas.h"

namespace zelm {

namespace {

constexpr int JpegQuality = 90;
constexpr int PrintMargin = 10; // screen pixels beside a printed line
constexpr int PointsPerInch = 72;
const char* const WhatsAppName = "Whatsapp.exe";
const char* const WhatsAppFolder = "WhatsApp";
const char* const WhatsAppWeb = "https://web.whatsapp.com/";
const char* const MetafileName = "Meta.wmf";
const char* const BitmapName = "tt.bmp";

QByteArray Encoded(const QImage& picture, const char* format, int quality = -1) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    if (!writer.write(picture)) throw ZelmError(writer.errorString().toStdString());
    return bytes;
}

// A surface's own font: the user-interface face in the platform's default size.
FontDesc SurfaceFont(const QString& face) {
    FontDesc f;
    f.face = face.toStdString();
    return f;
}

void DrawOnDevice(QPaintDevice& device, const std::vector<ExportLine>& lines, double scale) {
    QtCanvas canvas(device, SurfaceFont(DefaultFace()));
    DrawScaledLines(canvas, lines, scale);
}

// A picture shows only the lines within its rows: the others are not drawn at all.
void DrawOnImage(QImage& image, const std::vector<ExportLine>& lines, double scale = 1) {
    SpriteCache sprites;
    QtCanvas canvas(image, SurfaceFont(DefaultFace()), &sprites);
    DrawScaledLines(canvas, lines, scale, 0, image.height());
}

int Scaled(int value, double scale) {
    return int(std::lround(value * scale));
}

// A font height at `scale`; never 0, which would ask for the default size.
int ScaledFontHeight(int height, double scale) {
    const int scaled = Scaled(height, scale);
    return scaled != 0 ? scaled : (height < 0 ? -1 : 1);
}

// The line laid out on `canvas` in its own font at `scale` times its size, as the line editor
// lays it out on the screen; `cursief` takes the layout's repairs.
TTextdelen LayOutScaled(Canvas& canvas, const ExportLine& line, double scale, Bytes& cursief) {
    FontDesc f = line.font;
    f.height = ScaledFontHeight(line.font.height, scale);
    canvas.SelectFont(f);
    Bytes codes = line.codes;
    return LayoutFormula(cursief, codes, canvas,
                         LayoutVariant{.fontSmoothing = line.fontSmoothing});
}

// A line laid out by LayOutScaled, in its colour and face; the rest of the font is the
// surface's `own`, as DrawAllLines draws.
void DrawLaidOut(Canvas& canvas, const FontDesc& own, const ExportLine& line, Point origin,
                 const TTextdelen& parts, const Bytes& cursief) {
    canvas.SetTextColor(line.color);
    FontDesc f = own;
    f.face = line.font.face;
    canvas.SelectFont(f);
    DrawLineParts(canvas, origin, parts, parts.Count(), cursief, line.color);
}

// A picture held whole in memory: refused, naming the limit, where the format cannot hold it
// or it would take more memory than a picture may.
QString TooLarge(QSize size, const char* format) {
    return QString("te groot voor %1: %2 x %3 beeldpunten; hoogstens ")
        .arg(format)
        .arg(size.width())
        .arg(size.height());
}

void CheckWholePicture(QSize size, const char* format, long long largestSide) {
    const QString asked = TooLarge(size, format);
    if (size.width() > largestSide || size.height() > largestSide)
        throw ZelmError((asked + QString::number(largestSide) + " per zijde").toStdString());
    if ((long long)size.width() * size.height() > LargestWholePicture)
        throw ZelmError(
            (asked + QString::number(LargestWholePicture) + " beeldpunten").toStdString());
}

// Rows drawn at a time into a PNG: a band of at most this many bytes.
constexpr long long PngBandBytes = 16LL << 20;

void WritePngInBands(const std::vector<ExportLine>& lines, QSize size, const ByteSink& write,
                     double scale) {
    size = ScaledSize(size, scale);
    // A band holds whole rows: one may be as wide as a line on the screen, no wider.
    if (size.width() > LargestCoordinate)
        throw ZelmError(
            (TooLarge(size, "PNG") + QString::number(LargestCoordinate) + " breed").toStdString());
    const int width = std::max(1, size.width()), height = std::max(1, size.height());
    PngStream png(width, height, write);
    const int rows = int(std::clamp(PngBandBytes / (4LL * width), 1LL, (long long)height));
    QImage band(width, rows, QImage::Format_RGB32);
    SpriteCache sprites; // the bands' canvases share it
    for (int top = 0; top < height; top += rows) {
        band.fill(Qt::white);
        {
            QPainter painter(&band);
            painter.translate(0, -top);
            QtCanvas canvas(painter, SurfaceFont(DefaultFace()), &sprites);
            DrawScaledLines(canvas, lines, scale, top, top + rows);
        }
        for (int y = 0; y < rows && top + y < height; ++y)
            png.Row(reinterpret_cast<const std::uint32_t*>(band.constScanLine(y)));
    }
    png.Finish();
}

void WriteSvg(const std::vector<ExportLine>& lines, QSize size, const ByteSink& write) {
    SvgCanvas svg(size.width(), size.height(), SurfaceFont(DefaultFace()), write);
    DrawAllLines(svg, lines);
    svg.Finish();
}

// The PDF writer's output device, passing each piece on. A failing write is kept and raised
// once the writer is done: it must not pass through Qt's code.
class SinkDevice final : public QIODevice {
public:
    explicit SinkDevice(const ByteSink& write) : write_(write) { open(QIODevice::WriteOnly); }
    void RaiseFailure() const {
        if (failure_) std::rethrow_exception(failure_);
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (failure_) return -1;
        try {
            write_(std::string_view(data, std::size_t(size)));
        } catch (...) {
            failure_ = std::current_exception();
            return -1;
        }
        return size;
    }

private:
    const ByteSink& write_;
    std::exception_ptr failure_;
};

// The resolution of a PDF drawn at `scale`: whole dots per inch, so the scale is rounded to it.
int PdfDpi(double scale) {
    return std::max(1, Scaled(ScreenDpi, scale));
}

void WritePdf(const std::vector<ExportLine>& lines, QSize size, const ByteSink& write,
              double scale) {
    SinkDevice device(write);
    {
        QPdfWriter pdf(&device);
        const int dpi = PdfDpi(scale);
        pdf.setResolution(dpi);
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setPageSize(QPageSize(QSizeF(size.width() * PointsPerInch / double(ScreenDpi),
                                         size.height() * PointsPerInch / double(ScreenDpi)),
                                  QPageSize::Point));
        DrawOnDevice(pdf, lines, dpi / double(ScreenDpi));
    }
    device.RaiseFailure();
}

// Each line is laid out again at the page's resolution, narrowed when wider than the page;
// its height is that of the new layout.
void WritePdfPagesTo(const std::vector<ExportLine>& lines, QPdfWriter& pdf, double scale) {
    QPainter painter(&pdf);
    QtCanvas canvas(painter, SurfaceFont(DefaultFace()));
    const FontDesc own = canvas.Font();
    const int margin = Scaled(PageMargin, scale);
    const int width = pdf.width() - 2 * margin, bottom = pdf.height() - margin;
    int y = margin;
    for (const ExportLine& line : lines) {
        if (!line.parts || !line.cursief) continue;
        const double narrowed = std::min(1.0, width / (scale * std::max(1, line.parts->Width())));
        Bytes cursief = *line.cursief;
        const TTextdelen parts = LayOutScaled(canvas, line, scale * narrowed, cursief);
        if (y + parts.Height() > bottom && y > margin) {
            pdf.newPage();
            y = margin;
        }
        DrawLaidOut(canvas, own, line, {margin, y}, parts, cursief);
        y += parts.Height();
    }
}

} // namespace

std::vector<ExportLine> ExportLinesOf(const std::vector<TMathEditor*>& lines) {
    std::vector<ExportLine> out;
    for (const TMathEditor* l : lines) {
        const MathLine& m = l->Line();
        out.push_back({&m.PartList(), m.PartCount(), &m.Cursieftext(), m.Codes(), l->Font(),
                       l->FontColor(), l->y(), l->width(), m.fontSmoothing});
    }
    return out;
}

// A line's glyphs may reach out of its box by as much as its height, above and below.
void DrawAllLines(Canvas& canvas, const std::vector<ExportLine>& lines, int fromY, int toY) {
    const FontDesc own = canvas.Font();
    for (const ExportLine& line : lines) {
        const long long height = line.parts ? line.parts->Height() : 0;
        if (line.top - height >= toY || line.top + 2 * height < fromY) continue;
        canvas.SetTextColor(line.color);
        // Only the face is the line's; the weight and the rest stay the surface's.
        FontDesc f = own;
        f.face = line.font.face;
        canvas.SelectFont(f);
        DrawLineParts(canvas, {0, line.top}, *line.parts, line.partCount, *line.cursief,
                      line.color);
    }
    canvas.SelectFont(own);
}

QString DefaultFace() {
    return QApplication::font().family();
}

QSize ScaledSize(QSize size, double scale) {
    const auto side = [&](int length) { return int(std::ceil(length * scale)); };
    return {side(size.width()), side(size.height())};
}

void DrawScaledLines(Canvas& canvas, const std::vector<ExportLine>& lines, double scale, int fromY,
                     int toY) {
    if (scale == 1) return DrawAllLines(canvas, lines, fromY, toY);
    const FontDesc own = canvas.Font();
    for (const ExportLine& line : lines) {
        if (!line.parts || !line.cursief) continue;
        // Laying out is the costly step: lines far from the rows are passed over first.
        const double top = line.top * scale, height = line.parts->Height() * scale;
        if (top - height >= toY || top + 2 * height < fromY) continue;
        Bytes cursief = *line.cursief;
        const TTextdelen parts = LayOutScaled(canvas, line, scale, cursief);
        DrawLaidOut(canvas, own, line, {0, Scaled(line.top, scale)}, parts, cursief);
    }
    canvas.SelectFont(own);
}

QImage RenderPicture(const std::vector<ExportLine>& lines, QSize size, double scale) {
    size = ScaledSize(size, scale);
    CheckWholePicture(size, "JPEG", LargestJpegSide);
    QImage picture(size.expandedTo({1, 1}), QImage::Format_RGB32);
    picture.fill(Qt::white);
    DrawOnImage(picture, lines, scale);
    return picture;
}

QByteArray JpegBytes(const QImage& picture) {
    // Qt writes baseline JPEG unless asked for progressive scans; colour stays full (4:4:4
    // is not promised, the JPEG stays colour).
    return Encoded(picture, "jpeg", JpegQuality);
}

QByteArray BmpBytes(const QImage& picture) {
    return Encoded(picture, "bmp");
}

QByteArray PngBytes(const QImage& picture) {
    return Encoded(picture, "png");
}

QByteArray MetafileBytes(const std::vector<ExportLine>& lines, QSize size) {
    EmfCanvas canvas(size.width(), size.height(), SurfaceFont(DefaultFace()));
    DrawAllLines(canvas, lines);
    return QByteArray::fromStdString(canvas.Finish());
}

QByteArray SvgBytes(const std::vector<ExportLine>& lines, QSize size) {
    QByteArray bytes;
    WriteSvg(lines, size,
             [&](std::string_view piece) { bytes.append(piece.data(), qsizetype(piece.size())); });
    return bytes;
}

void WritePicture(PictureFormat format, const std::vector<ExportLine>& lines, QSize size,
                  const ByteSink& write, double scale) {
    switch (format) {
    case PictureFormat::Png:
        WritePngInBands(lines, size, write, scale);
        return;
    case PictureFormat::Jpeg: {
        const QByteArray jpeg = JpegBytes(RenderPicture(lines, size, scale));
        write(std::string_view(jpeg.constData(), std::size_t(jpeg.size())));
        return;
    }
    case PictureFormat::Svg:
        WriteSvg(lines, size, write);
        return;
    case PictureFormat::Pdf:
        WritePdf(lines, size, write, scale);
        return;
    case PictureFormat::Emf: {
        EmfCanvas canvas(size.width(), size.height(), SurfaceFont(DefaultFace()));
        DrawAllLines(canvas, lines);
        write(canvas.Finish());
        return;
    }
    }
}

void WritePdfPages(const std::vector<ExportLine>& lines, const ByteSink& write, double scale) {
    SinkDevice device(write);
    {
        QPdfWriter pdf(&device);
        const int dpi = PdfDpi(scale);
        pdf.setResolution(dpi);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        WritePdfPagesTo(lines, pdf, dpi / double(ScreenDpi));
    }
    device.RaiseFailure();
}

void WritePictureFile(const QString& path, const QByteArray& bytes) {
    try {
        WriteFileAtomically(NativePath(path), bytes.toStdString());
    } catch (const ZelmError& error) {
        throw ZelmError("Cannot create file \"" + path.toStdString() + "\". " + error.what());
    }
}

int PrinterScale(int printerDpi, int screenDpi) {
    return std::max(1, screenDpi > 0 ? printerDpi / screenDpi : 1);
}

int PrinterFontPoints(int points, int pageWidth, int lineWidth, int scale) {
    const long long across = (long long)(std::max(0, lineWidth) + PrintMargin) * scale;
    return std::max(1, int((long long)points * pageWidth / across));
}

int PrinterLineTop(int pageWidth, int top, int lineWidth) {
    return int((long long)pageWidth * top / std::max(1, lineWidth));
}

void PrintLines(Canvas& printer, const std::vector<ExportLine>& lines, int pageWidth, int scale,
                int printerDpi) {
    for (const ExportLine& line : lines) {
        const int points =
            PrinterFontPoints(HeightToPoints(line.font.height), pageWidth, line.width, scale);
        FontDesc f = printer.Font();
        f.height = -MulDiv(points, printerDpi, PointsPerInch);
        printer.SelectFont(f);
        printer.SetTextColor(line.color);
        Bytes cursief = *line.cursief;
        Bytes codes = line.codes;
        const TTextdelen parts = LayoutFormula(cursief, codes, printer,
                                               LayoutVariant{.fontSmoothing = line.fontSmoothing});
        DrawLineParts(printer, {0, PrinterLineTop(pageWidth, line.top, line.width)}, parts,
                      parts.Count(), cursief, line.color);
    }
}

QString FindWhatsApp(const QString& currentDir, const QString& dataDir) {
    if (QFileInfo(QDir(currentDir).filePath(WhatsAppName)).isFile()) return WhatsAppName;
    const QString inData = QDir(dataDir).filePath(QString(WhatsAppFolder) + "/" + WhatsAppName);
    if (!dataDir.isEmpty() && QFileInfo(inData).isFile()) return inData;
    return {};
}

QString PictureExport::SaveToDesktop(const QString& name) const {
    const QString folder = desktopFolder.isEmpty()
                               ? QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)
                               : desktopFolder;
    QDir().mkpath(folder); // a folder that cannot be made fails the write with its reason
    return QDir(folder).filePath(name);
}

void PictureExport::MjpgClick() {
    const QImage picture = RenderPicture(ExportLinesOf(host_.Lines()), host_.ClientSize());
    WritePictureFile(SaveToDesktop(host_.Caption() + ".jpg"), JpegBytes(picture));
    WritePictureFile(QDir::current().filePath(BitmapName), BmpBytes(picture));
    auto* data = new QMimeData;
    data->setImageData(picture);
    data->setData("image/png", PngBytes(picture));
    data->setData("image/bmp", BmpBytes(picture));
    SystemClipboard().setMimeData(data);
}

void PictureExport::MWMFClick() {
    const std::vector<ExportLine> lines = ExportLinesOf(host_.Lines());
    const QSize size = host_.ClientSize();
    CheckWholePicture(size, "PNG", PngStream::MaxSide);
    const QByteArray metafile = MetafileBytes(lines, size);
    WritePictureFile(SaveToDesktop(MetafileName), metafile);
    // Programs that read no metafile still paste a sharp picture: SVG, and PNG.
    QImage transparent(size.expandedTo({1, 1}), QImage::Format_ARGB32_Premultiplied);
    transparent.fill(Qt::transparent);
    DrawOnImage(transparent, lines);
    auto* data = new QMimeData;
    data->setData("image/emf", metafile);
    data->setData("image/x-emf", metafile);
    data->setData("image/svg+xml", SvgBytes(lines, size));
    data->setData("image/png", PngBytes(transparent));
    SystemClipboard().setMimeData(data);
}

void PictureExport::MPrintClick() {
    QPrinter printer(QPrinter::HighResolution);
    const bool chosen =
        choosePrinter ? choosePrinter(printer)
                      : QPrintDialog(&printer, host_.DialogParent()).exec() == QDialog::Accepted;
    if (!chosen) return;
    QPainter painter;
    if (!painter.begin(&printer)) throw ZelmError("Printer selected is not valid");
    {
        QtCanvas canvas(painter, SurfaceFont(DefaultFace()));
        const int dpi = printer.resolution();
        PrintLines(canvas, ExportLinesOf(host_.Lines()),
                   printer.pageRect(QPrinter::DevicePixel).width(),
                   PrinterScale(dpi, host_.DialogParent()->logicalDpiY()), dpi);
    }
    painter.end();
}

void PictureExport::MWattsAppClick() {
    if (WhatsAppExe.isEmpty())
        WhatsAppExe =
            FindWhatsApp(QDir::currentPath(),
                         QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    // Without the program the caption's promise is kept by its web version. A failed start
    // stays silent.
    if (WhatsAppExe.isEmpty()) {
        if (openUrl)
            openUrl(QUrl(WhatsAppWeb));
        else
            QDesktopServices::openUrl(QUrl(WhatsAppWeb));
        return;
    }
    const QString program = QDir::current().absoluteFilePath(WhatsAppExe);
    if (startProgram)
        startProgram(program);
    else
        QProcess::startDetached(program, {}); // no shell: the path is taken as it stands
}

} // namespace zelm
