#include "app/AccessibleFactory.h"

#include <QAccessible>

#include "app/MenuAccessible.h"
#include "dialogs/DialogAccessible.h"
#include "editor/LineAccessible.h"

namespace zelm {

QAccessibleInterface* AccessibleFactory(const QString&, QObject* object) {
    if (QAccessibleInterface* line = LineAccessibleFor(object)) return line;
    if (QAccessibleInterface* dialogPart = DialogAccessibleFor(object)) return dialogPart;
    return MenuAccessibleFor(object);
}

void InstallAccessibleFactory() {
    QAccessible::installFactory(AccessibleFactory);
}

} // namespace zelm
