// The look of the program's menus: the pictures of the main menu (ImageList1, vector pictures
// drawn at any scale) and the menu style that draws the owner-drawn items in the desktop's own
// way with their accelerator letters always underlined.
#pragma once

#include <QIcon>
#include <QProxyStyle>

class QAction;
class QWidget;

namespace zelm {

/// Number of pictures in ImageList1; picture 2 is empty.
constexpr int MenuPictureCount = 5;
/// Picture `index` of ImageList1 (0 copy, 1 disk, 3 text style, 4 printer), or a null icon.
QIcon MenuPicture(int index);
/// Gives `item` picture `index` and remembers the index (the item's ImageIndex).
void SetImageIndex(QAction& item, int index);
/// The picture index of an item, or -1 for none.
int ImageIndex(const QAction& item);

/// Marks an item as drawn by the program: its accelerator letter is always underlined.
void SetOwnerDrawn(QAction& item);
/// Whether an item is drawn by the program.
bool IsOwnerDrawn(const QAction& item);

/// Marks an item as a heading of the items below it: drawn as written, but no stop for the
/// keyboard or a screen reader.
void SetHeading(QAction& item);
/// Whether an item is a heading.
bool IsHeading(const QAction& item);

/// Keeps the captions of a menu's items as written: a desktop that adds accelerator letters of
/// its own to every menu has them taken out again at once.
void KeepCaptions(QWidget& menu);

/// The menu style: the desktop's style, except that owner-drawn items always underline their
/// accelerator letter and menu bar items show their picture beside the caption.
class MenuStyle : public QProxyStyle {
    Q_OBJECT
public:
    /// Wraps `base` (the application's style when null); takes ownership of it.
    explicit MenuStyle(QStyle* base = nullptr);

    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;

    /// The item of a menu or menu bar that `option` draws, or nullptr.
    static QAction* ItemOf(const QStyleOption* option, const QWidget* widget);
};

} // namespace zelm
