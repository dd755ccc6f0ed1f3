#include <QClipboard>
#include <QGuiApplication>

#include "formula/Errors.h"
#include "platform/Clipboard.h"

namespace zelm {

QClipboard& SystemClipboard() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) throw ZelmError("Cannot open clipboard");
    return *clipboard;
}

} // namespace zelm
