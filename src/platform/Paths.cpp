#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/Platform.h"

namespace zelm {

namespace {

// The installed layout: the program in <prefix>/bin, its data in <prefix>/share/zelmeditor.
const QString ProgramFolderName = "bin";
const QString DataFolderBelowPrefix = "share/zelmeditor";

} // namespace

std::string NativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
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
