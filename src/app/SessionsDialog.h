// The dialog of "Vorige sessies…": the earlier sessions' closing states to choose from.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace zelm {

/// Shows one row per session over `parent`; the chosen row, or -1 when cancelled.
int ChooseSession(QWidget* parent, const QStringList& rows);

} // namespace zelm
