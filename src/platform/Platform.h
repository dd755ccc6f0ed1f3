// Services the program takes from its platform.
#pragma once

#include <QString>
#include <QStringList>
#include <string>

class QCoreApplication;

namespace zelm {

/// Registers the faces the program offers that fontconfig does not know by itself: Tahoma
/// (installed by fonts-wine outside fontconfig's folders) and Tangerine (the npm package).
/// Returns the files it could not register; safe to call more than once.
QStringList RegisterProgramFonts();

} // namespace zelm

namespace zelm {

/// A path as the file system takes it (the local 8-bit encoding of file names).
std::string NativePath(const QString& path);

/// The application's standard error report: the message in a box; the program goes on.
void ShowErrorMessage(const QString& message);

/// Loads Qt's Dutch translations of its standard dialogs (Debian qt6-translations-l10n) into
/// `app`; false when they are not installed, and the dialogs stay English.
bool InstallQtTranslations(QCoreApplication& app);

} // namespace zelm
