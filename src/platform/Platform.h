// Services the program takes from its platform.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <string>

#include "formula/Charset.h" // AppendUtf8

class QClipboard;
class QCoreApplication;
class QWidget;

namespace zelm {

/// Registers the faces the program offers that fontconfig does not know by itself: Tahoma
/// (installed by fonts-wine outside fontconfig's folders) and Tangerine (the npm package).
/// Returns the files it could not register; safe to call more than once.
QStringList RegisterProgramFonts();

} // namespace zelm

namespace zelm {

/// A path as the file system takes it: UTF-8, with the bytes DecodeFileName escaped restored.
std::string NativePath(const QString& path);
/// A file name from the file system; bytes that are not valid UTF-8 survive in escaped form.
QString DecodeFileName(const std::string& bytes);
/// The program's arguments after the program name, decoded as file names.
QStringList ProgramArguments(int argc, char** argv);

/// The name of the program's desktop entry, icon and AppStream component.
inline const QString DesktopId = "nl.zelmeditor.ZelmEditor";

/// The data folder of an installed program, <prefix>/share/zelmeditor/ for a program in
/// <prefix>/bin/ (with its trailing slash); empty for a program that runs from its build folder.
QString InstalledDataFolder(const QString& programDir);

/// The program's icon as installed beside its data folder; empty when not installed.
QString InstalledIconFile(const QString& programDir);

/// The font files RegisterProgramFonts registers for a program in `programDir`; a file found
/// nowhere is given by its bare name.
QStringList ProgramFontFiles(const QString& programDir);

/// Calls `handler` from the event loop when the process receives SIGTERM, SIGINT or SIGHUP
/// (the session ends, Ctrl+C, the terminal closes); an empty handler restores their defaults.
void OnTerminationSignal(std::function<void()> handler);

/// The system clipboard; raises "Cannot open clipboard" when there is none.
QClipboard& SystemClipboard();

/// The application's standard error report: the message in a box over the active window (the
/// main window when none is active); the program goes on.
void ShowErrorMessage(const QString& message);

/// A message box with an OK button over `parent`, kept on the screen; an error shows as one.
void ShowMessageBox(QWidget* parent, const QString& message, bool error = false);

/// Loads Qt's Dutch translations of its standard dialogs (Debian qt6-translations-l10n) into
/// `app`; false when they are not installed, and the dialogs stay English.
bool InstallQtTranslations(QCoreApplication& app);

} // namespace zelm
