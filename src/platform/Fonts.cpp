#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>

#include "platform/Platform.h"

namespace zelm {

namespace {

// The folders where the Tangerine WOFF files may be: next to the executable (an installed
// copy), then the set-up's npm folder of the source tree.
QStringList TangerineCandidates() {
    const QString rel = "node_modules/@fontsource/tangerine/files/";
    const QString exeDir = QCoreApplication::applicationDirPath();
    return {exeDir + "/fonts/", exeDir + "/" + rel, QStringLiteral(ZELM_DEPS_DIR "/") + rel};
}

QString FirstExisting(const QStringList& folders, const QString& file) {
    for (const QString& folder : folders) {
        if (QFileInfo::exists(folder + file)) return folder + file;
    }
    return {};
}

} // namespace

QStringList RegisterProgramFonts() {
    static QStringList failed;
    static bool done = false;
    if (done) return failed;
    done = true;

    QStringList files = {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"};
    for (const char* f : {"tangerine-latin-400-normal.woff", "tangerine-latin-700-normal.woff"}) {
        const QString path = FirstExisting(TangerineCandidates(), f);
        files << (path.isEmpty() ? QString(f) : path);
    }
    for (const QString& file : files) {
        if (!QFileInfo::exists(file) || QFontDatabase::addApplicationFont(file) < 0) failed << file;
    }
    return failed;
}

} // namespace zelm
