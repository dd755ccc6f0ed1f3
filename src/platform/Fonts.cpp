#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>

#include "platform/Platform.h"
#include "platform/QtCanvas.h"

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

    QStringList files = {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"};
    for (const char* f : {"tangerine-latin-400-normal.woff", "tangerine-latin-700-normal.woff"}) {
        const QString path = FirstExisting(TangerineCandidates(), f);
        files << (path.isEmpty() ? QString(f) : path);
    }
    // The font database needs the application object; without it nothing can be registered
    // yet, and a later call tries again.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return files;
    done = true;
    for (const QString& file : files) {
        if (!QFileInfo::exists(file) || QFontDatabase::addApplicationFont(file) < 0) failed << file;
    }
    // Faces looked up before the registration resolved to stand-ins.
    ClearFontCache();
    return failed;
}

} // namespace zelm
