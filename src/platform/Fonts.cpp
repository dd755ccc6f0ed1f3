#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>

#include "platform/Fonts.h"
#include "platform/Paths.h"
#include "platform/QtCanvas.h"

namespace zelm {

namespace {

const QStringList TahomaFiles = {"/usr/share/wine/fonts/tahoma.ttf",
                                 "/usr/share/wine/fonts/tahomabd.ttf"};
const QStringList TangerineFiles = {"tangerine-latin-400-normal.woff",
                                    "tangerine-latin-700-normal.woff"};

// Where the Tangerine WOFF files may be. An installed program has them in its data folder and
// looks nowhere else, so that a moved or copied prefix needs nothing from the machine it was
// built on; a program in its build folder takes them from the set-up's npm folder.
QStringList TangerineFolders(const QString& programDir) {
    const QString installed = InstalledDataFolder(programDir);
    if (!installed.isEmpty()) return {installed + "fonts/"};
    const QString npm = "node_modules/@fontsource/tangerine/files/";
    return {programDir + "/fonts/", programDir + "/" + npm,
            QStringLiteral(ZELM_DEPS_DIR "/") + npm};
}

QString FirstExisting(const QStringList& folders, const QString& file) {
    for (const QString& folder : folders) {
        if (QFileInfo::exists(folder + file)) return QDir::cleanPath(folder + file);
    }
    return {};
}

} // namespace

QStringList ProgramFontFiles(const QString& programDir) {
    QStringList files = TahomaFiles;
    const QStringList folders = TangerineFolders(programDir);
    for (const QString& name : TangerineFiles) {
        const QString path = FirstExisting(folders, name);
        files << (path.isEmpty() ? name : path);
    }
    return files;
}

QStringList RegisterProgramFonts() {
    static QStringList failed;
    static bool done = false;
    if (done) return failed;

    const QStringList files = ProgramFontFiles(QCoreApplication::applicationDirPath());
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
