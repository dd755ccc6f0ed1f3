// Services the program takes from its platform.
#pragma once

#include <QString>
#include <QStringList>
#include <string>

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

/// The application's standard error report: the message in a box; the program goes on.
void ShowErrorMessage(const QString& message);

} // namespace zelm
