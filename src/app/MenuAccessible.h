// The main menu on the accessibility bus: the wrapping bar shows its items in several rows, and a
// screen reader finds them all, in order, as the items of one menu bar; and the menus the main
// window opens itself, found in the window while they show.
#pragma once

class QAccessibleInterface;
class QObject;

namespace zelm {

/// The accessible interface of `object` when it is the wrapping menu bar, the main window or a
/// pop-up menu, else nullptr.
QAccessibleInterface* MenuAccessibleFor(QObject* object);

} // namespace zelm
