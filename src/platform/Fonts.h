// The faces the program brings along, registered with the font database at start-up.
#pragma once

#include <QString>
#include <QStringList>

namespace zelm {

/// Registers the faces the program offers that fontconfig does not know by itself: Tahoma
/// (installed by fonts-wine outside fontconfig's folders) and Tangerine (the npm package).
/// Returns the files it could not register; safe to call more than once.
QStringList RegisterProgramFonts();

/// The font files RegisterProgramFonts registers for a program in `programDir`; a file found
/// nowhere is given by its bare name.
QStringList ProgramFontFiles(const QString& programDir);

} // namespace zelm
