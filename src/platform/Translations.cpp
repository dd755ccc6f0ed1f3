#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "platform/Translations.h"

namespace zelm {

// Qt's own texts (the file, print and font dialogs, the buttons of message boxes) in Dutch,
// whatever the system language: the program's own texts are Dutch too.
bool InstallQtTranslations(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::Dutch, QLocale::Netherlands), "qtbase", "_",
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace zelm
