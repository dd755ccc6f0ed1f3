#include "app/MenuAccessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <map>

#include "app/WrappingMenuBar.h"

namespace zelm {

namespace {

/// The row of the wrapping bar that shows `item` now.
QMenuBar* RowOf(WrappingMenuBar& bar, QAction* item) {
    if (bar.actions().contains(item)) return &bar;
    for (QMenuBar* row : bar.FurtherRows())
        if (row->actions().contains(item)) return row;
    return &bar;
}

/// The items of the main menu, in order, over all its rows.
QList<QAction*> BarItems(WrappingMenuBar& bar) {
    return bar.Items().isEmpty() ? bar.actions() : bar.Items();
}

/// What an item of the bar and an item of a pop-up menu share: its action, the menu it opens
/// as its one child, the press action, and the state its action gives it.
class ActionItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    QObject* object() const override { return item_; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 && Menu() ? QAccessible::queryAccessibleInterface(Menu()) : nullptr;
    }
    int childCount() const override { return Menu() ? 1 : 0; }
    int indexOfChild(const QAccessibleInterface* c) const override {
        return c && Menu() && c->object() == Menu() ? 0 : -1;
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}
    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                 : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

protected:
    explicit ActionItemAccessible(QAction* item) : item_(item) {}
    /// The menu the item opens, if any.
    QMenu* Menu() const { return item_ ? item_->menu() : nullptr; }
    /// The state the action gives: enabled, checkable and checked, opening a menu.
    QAccessible::State ActionState() const {
        QAccessible::State s;
        s.disabled = !item_->isEnabled();
        s.checkable = item_->isCheckable();
        s.checked = item_->isChecked();
        s.hasPopup = Menu() != nullptr;
        return s;
    }

    QPointer<QAction> item_;
};

/// One item of the main menu, in whichever row it stands.
class BarItemAccessible : public ActionItemAccessible {
public:
    BarItemAccessible(WrappingMenuBar* bar, QAction* item)
        : ActionItemAccessible(item), bar_(bar) {}

    bool isValid() const override { return bar_ && item_; }
    QWindow* window() const override { return bar_ ? bar_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return bar_ ? QAccessible::queryAccessibleInterface(bar_.data()) : nullptr;
    }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && item_ ? QString(item_->text()).remove('&') : QString();
    }
    QRect rect() const override {
        if (!isValid()) return {};
        QMenuBar* row = RowOf(*bar_, item_);
        const QRect r = row->actionGeometry(item_);
        return QRect(row->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override {
        // An item that runs its command at once is a button; one that opens a menu, its item.
        return Menu() ? QAccessible::MenuItem : QAccessible::PushButton;
    }
    QAccessible::State state() const override {
        if (!isValid()) return {};
        QAccessible::State s = ActionState();
        s.invisible = !item_->isVisible() || !RowOf(*bar_, item_)->isVisible();
        s.focusable = true;
        s.focused = RowOf(*bar_, item_)->activeAction() == item_;
        return s;
    }
    void doAction(const QString& name) override {
        if (name != pressAction() || !isValid() || !item_->isEnabled()) return;
        if (Menu())
            RowOf(*bar_, item_)->setActiveAction(item_);
        else
            item_->trigger();
    }

private:
    QPointer<WrappingMenuBar> bar_;
};

/// One item of a pop-up menu: a command, a check item, a heading (disabled, so no stop) or the
/// item that opens a further menu.
class PopupItemAccessible : public ActionItemAccessible {
public:
    PopupItemAccessible(QMenu* menu, QAction* item) : ActionItemAccessible(item), menu_(menu) {}

    bool isValid() const override { return menu_ && item_; }
    QWindow* window() const override { return menu_ ? menu_->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return menu_ ? QAccessible::queryAccessibleInterface(menu_.data()) : nullptr;
    }
    QString text(QAccessible::Text t) const override {
        if (!item_) return {};
        if (t == QAccessible::Name) return QString(item_->text()).remove('&');
        if (t == QAccessible::Accelerator)
            return item_->shortcut().toString(QKeySequence::NativeText);
        return {};
    }
    QRect rect() const override {
        if (!isValid()) return {};
        const QRect r = menu_->actionGeometry(item_);
        return QRect(menu_->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override {
        return item_ && item_->isSeparator() ? QAccessible::Separator : QAccessible::MenuItem;
    }
    QAccessible::State state() const override {
        if (!isValid()) return {};
        QAccessible::State s = ActionState();
        s.invisible = !item_->isVisible() || !menu_->isVisible();
        s.focusable = !item_->isSeparator() && item_->isEnabled();
        s.focused = menu_->activeAction() == item_;
        return s;
    }
    void doAction(const QString& name) override {
        if (name != pressAction() || !isValid() || !item_->isEnabled()) return;
        menu_->setActiveAction(item_);
        if (!Menu()) {
            menu_->close();
            item_->trigger();
        }
    }

private:
    QPointer<QMenu> menu_;
};

/// A pop-up menu, found in the place it opens from: a menu of the bar under its item, a menu
/// the window opens among the window's children. Qt would give it the application as parent,
/// which does not list it, and a screen reader passes over a menu it cannot find there.
class PopupMenuAccessible : public QAccessibleWidget {
public:
    explicit PopupMenuAccessible(QMenu* menu) : QAccessibleWidget(menu, QAccessible::PopupMenu) {}
    ~PopupMenuAccessible() override {
        for (const auto& [item, id] : ids_)
            QAccessible::deleteAccessibleInterface(id);
    }

    QMenu* Menu() const { return static_cast<QMenu*>(widget()); }
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name) return QAccessibleWidget::text(t);
        const QString own = Menu()->accessibleName();
        return own.isEmpty() ? QString(Menu()->title()).remove('&') : own;
    }
    // Open with no item chosen yet, the menu itself has the focus.
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.focusable = true;
        s.focused = Menu()->isVisible() && !Menu()->activeAction();
        return s;
    }
    QAccessibleInterface* parent() const override {
        QWidget* owner = Menu()->parentWidget();
        QAccessibleInterface* place =
            QAccessible::queryAccessibleInterface(owner ? static_cast<QObject*>(owner) : qApp);
        // A menu that opens from an item, in the bar or in a further menu, hangs under it.
        QList<QAction*> items;
        if (auto* bar = qobject_cast<WrappingMenuBar*>(owner)) items = BarItems(*bar);
        if (auto* menu = qobject_cast<QMenu*>(owner)) items = menu->actions();
        const int at = int(items.indexOf(Menu()->menuAction()));
        QAccessibleInterface* item = at >= 0 ? place->child(at) : nullptr;
        return item ? item : place;
    }
    int childCount() const override { return int(Menu()->actions().size()); }
    QAccessibleInterface* child(int index) const override {
        const QList<QAction*> items = Menu()->actions();
        if (index < 0 || index >= items.size()) return nullptr;
        QAccessible::Id& id = ids_[items[index]];
        if (!id)
            id = QAccessible::registerAccessibleInterface(
                new PopupItemAccessible(Menu(), items[index]));
        return QAccessible::accessibleInterface(id);
    }
    int indexOfChild(const QAccessibleInterface* c) const override {
        return c ? int(Menu()->actions().indexOf(qobject_cast<QAction*>(c->object()))) : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        QAction* item = Menu()->actionAt(Menu()->mapFromGlobal(QPoint(x, y)));
        return item ? child(int(Menu()->actions().indexOf(item))) : nullptr;
    }

private:
    mutable std::map<QAction*, QAccessible::Id> ids_;
};

/// The main menu: every item of every row, in order, as one bar.
class WrappingBarAccessible : public QAccessibleWidget {
public:
    explicit WrappingBarAccessible(WrappingMenuBar* bar)
        : QAccessibleWidget(bar, QAccessible::MenuBar) {}
    ~WrappingBarAccessible() override {
        for (const auto& [item, id] : ids_)
            QAccessible::deleteAccessibleInterface(id);
    }

    WrappingMenuBar* Bar() const { return static_cast<WrappingMenuBar*>(widget()); }
    QList<QAction*> Items() const { return BarItems(*Bar()); }
    int childCount() const override { return int(Items().size()); }
    QAccessibleInterface* child(int index) const override {
        const QList<QAction*> items = Items();
        if (index < 0 || index >= items.size()) return nullptr;
        QAccessible::Id& id = ids_[items[index]];
        if (!id)
            id = QAccessible::registerAccessibleInterface(
                new BarItemAccessible(Bar(), items[index]));
        return QAccessible::accessibleInterface(id);
    }
    // A menu that opens from the bar stands at its item's place: a screen reader takes a menu
    // it cannot find in its parent for one that has gone, and says nothing of it.
    int indexOfChild(const QAccessibleInterface* c) const override {
        if (!c) return -1;
        const auto* menu = qobject_cast<QMenu*>(c->object());
        QAction* item = menu ? menu->menuAction() : qobject_cast<QAction*>(c->object());
        return int(Items().indexOf(item));
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (int i = 0; i < childCount(); ++i)
            if (child(i)->rect().contains(x, y)) return child(i);
        return nullptr;
    }

private:
    mutable std::map<QAction*, QAccessible::Id> ids_;
};

/// The main window with the menus it opens itself (the line menu, the window menu) among its
/// children: a screen reader names only a menu it finds in its parent.
class MainWindowAccessible : public QAccessibleWidget {
public:
    explicit MainWindowAccessible(QMainWindow* window)
        : QAccessibleWidget(window, QAccessible::Window) {}

    QList<QMenu*> Menus() const {
        return widget()->findChildren<QMenu*>(Qt::FindDirectChildrenOnly);
    }
    int childCount() const override {
        return QAccessibleWidget::childCount() + int(Menus().size());
    }
    QAccessibleInterface* child(int index) const override {
        const int own = QAccessibleWidget::childCount();
        if (index < own) return QAccessibleWidget::child(index);
        const QList<QMenu*> open = Menus();
        return index - own < open.size() ? QAccessible::queryAccessibleInterface(open[index - own])
                                         : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* c) const override {
        const auto* menu = c ? qobject_cast<QMenu*>(c->object()) : nullptr;
        const int at = menu ? int(Menus().indexOf(menu)) : -1;
        return at >= 0 ? QAccessibleWidget::childCount() + at : QAccessibleWidget::indexOfChild(c);
    }
};

} // namespace

QAccessibleInterface* MenuAccessibleFor(QObject* object) {
    if (auto* bar = qobject_cast<WrappingMenuBar*>(object)) return new WrappingBarAccessible(bar);
    if (auto* window = qobject_cast<QMainWindow*>(object)) return new MainWindowAccessible(window);
    if (auto* menu = qobject_cast<QMenu*>(object)) return new PopupMenuAccessible(menu);
    return nullptr;
}

} // namespace zelm
