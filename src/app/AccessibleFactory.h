// The program's own widgets on the accessibility bus: one factory, installed once at start-up
// as Qt installs its own, asks each interface's maker in turn.
#pragma once

class QAccessibleInterface;
class QObject;
class QString;

namespace zelm {

/// The accessible interface of a line, the function list's grid, a help picture or the
/// wrapping menu bar; nullptr for every other object, which Qt's own factories then serve.
QAccessibleInterface* AccessibleFactory(const QString& className, QObject* object);

/// Registers AccessibleFactory with Qt; once, before the first widget is made.
void InstallAccessibleFactory();

} // namespace zelm
