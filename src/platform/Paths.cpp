// File names as the file system holds them: bytes, UTF-8 where they are valid. A byte that is
// not part of valid UTF-8 becomes the lone surrogate U+DC80 + (byte - 0x80) on the way in and
// that byte again on the way out, so every existing name survives the round trip through a
// QString (Qt's own conversion turns such bytes into U+FFFD and loses the file).
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "formula/Charset.h"
#include "platform/Paths.h"

namespace zelm {

namespace {

// The installed layout: the program in <prefix>/bin, its data in <prefix>/share/zelmeditor.
const QString ProgramFolderName = "bin";
const QString DataFolderBelowPrefix = "share/zelmeditor";

constexpr char16_t EscapeBase = 0xDC00;

bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// What a lead byte starts: the sequence's length, the bits it gives the code point, and the
// smallest code point that length may encode (a smaller one would be an overlong form).
struct Lead {
    int length;
    char32_t bits;
    char32_t smallest;
};

Lead LeadOf(unsigned char lead) {
    if (lead < 0x80) return {1, lead, 0};
    if ((lead & 0xE0) == 0xC0) return {2, char32_t(lead & 0x1F), 0x80};
    if ((lead & 0xF0) == 0xE0) return {3, char32_t(lead & 0x0F), 0x800};
    if ((lead & 0xF8) == 0xF0) return {4, char32_t(lead & 0x07), 0x10000};
    return {0, 0, 0};
}

// The length of the valid UTF-8 sequence at `i` with its code point, 0 when there is none.
int ValidSequence(const std::string& bytes, std::size_t i, char32_t& cp) {
    const Lead lead = LeadOf(static_cast<unsigned char>(bytes[i]));
    if (lead.length == 0 || bytes.size() - i < std::size_t(lead.length)) return 0;
    cp = lead.bits;
    for (int k = 1; k < lead.length; ++k) {
        const auto b = static_cast<unsigned char>(bytes[i + std::size_t(k)]);
        if (!IsContinuation(b)) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    // Overlong forms, surrogates and code points beyond Unicode are not valid UTF-8.
    if (cp < lead.smallest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return lead.length;
}

} // namespace

QString DecodeFileName(const std::string& bytes) {
    QString name;
    name.reserve(qsizetype(bytes.size()));
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t cp = 0;
        const int length = ValidSequence(bytes, i, cp);
        if (length == 0) {
            name += QChar(char16_t(EscapeBase + static_cast<unsigned char>(bytes[i])));
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            name += QChar(QChar::highSurrogate(cp));
            name += QChar(QChar::lowSurrogate(cp));
        } else {
            name += QChar(char16_t(cp));
        }
        i += std::size_t(length);
    }
    return name;
}

std::string NativePath(const QString& path) {
    std::string out;
    out.reserve(std::size_t(path.size()));
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t u = path[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < path.size() &&
            QChar::isLowSurrogate(path[i + 1].unicode())) {
            AppendUtf8(out, QChar::surrogateToUcs4(u, path[i + 1].unicode()));
            ++i;
        } else if (u >= EscapeBase + 0x80 && u <= EscapeBase + 0xFF) {
            out += char(u - EscapeBase); // an escaped byte goes back as it came
        } else if (QChar::isSurrogate(u)) {
            AppendUtf8(out, 0xFFFD); // no file name holds it
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

QStringList ProgramArguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << DecodeFileName(argv[i]);
    return arguments;
}

QString InstalledDataFolder(const QString& programDir) {
    const QDir bin(programDir);
    if (bin.dirName() != ProgramFolderName) return {};
    // Relative to the program itself, so that a prefix moved elsewhere still finds its data.
    const QString data = QDir::cleanPath(bin.absoluteFilePath("../" + DataFolderBelowPrefix));
    return QFileInfo(data).isDir() ? data + "/" : QString();
}

QString InstalledIconFile(const QString& programDir) {
    const QString data = InstalledDataFolder(programDir);
    if (data.isEmpty()) return {};
    const QString icon = data + "../icons/hicolor/scalable/apps/" + DesktopId + ".svg";
    return QFileInfo::exists(icon) ? QDir::cleanPath(icon) : QString();
}

} // namespace zelm
