// File names as the file system has them, and where an installed program finds its data.
#pragma once

#include <QString>
#include <QStringList>
#include <string>

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

} // namespace zelm
