#include "app/MenuStyle.h"

#include <algorithm>

#include <QAction>
#include <QActionEvent>
#include <QApplication>
#include <QEvent>
#include <QIconEngine>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QStyleFactory>
#include <QStyleOption>
#include <QSvgRenderer>

#include <memory>

namespace zelm {

namespace {

const char* const ImageIndexProperty = "ImageIndex";
const char* const OwnerDrawnProperty = "OwnerDrawn";
const char* const CaptionProperty = "DesignedCaption";
const char* const HeadingProperty = "Heading";

// Room between a menu bar item's picture and its caption.
constexpr int PictureSpacing = 4;

// Draws a vector picture at whatever size is asked, so that it stays sharp at any scale.
class SvgPictureEngine : public QIconEngine {
public:
    explicit SvgPictureEngine(QString path)
        : path_(std::move(path)), renderer_(std::make_shared<QSvgRenderer>(path_)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        renderer_->render(painter, rect);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        {
            QPainter painter(&pm);
            paint(&painter, QRect(QPoint(), size), QIcon::Normal, state);
        }
        if (mode == QIcon::Normal) return pm;
        QStyleOption opt;
        opt.palette = QApplication::palette();
        const QPixmap generated = QApplication::style()->generatedIconPixmap(mode, pm, &opt);
        return generated.isNull() ? pm : generated;
    }

    QIconEngine* clone() const override { return new SvgPictureEngine(*this); }
    QString key() const override { return "ZelmMenuPicture"; }

private:
    QString path_;
    std::shared_ptr<QSvgRenderer> renderer_;
};

QString StripAccelerators(QString s) {
    return s.remove('&');
}

// Restores the designed caption of items whose text someone else changed by adding or moving
// accelerator markers only.
class CaptionKeeper : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::ActionChanged && e->type() != QEvent::ActionAdded)
            return QObject::eventFilter(watched, e);
        QAction* item = static_cast<QActionEvent*>(e)->action();
        const QVariant designed = item ? item->property(CaptionProperty) : QVariant();
        if (!designed.isValid()) {
            if (item) item->setProperty(CaptionProperty, item->text());
        } else if (item->text() != designed.toString() &&
                   StripAccelerators(item->text()) == StripAccelerators(designed.toString())) {
            item->setText(designed.toString());
        } else if (item->text() != designed.toString()) {
            item->setProperty(CaptionProperty, item->text()); // the program's own change
        }
        return QObject::eventFilter(watched, e);
    }
};

} // namespace

QIcon MenuPicture(int index) {
    if (index < 0 || index >= MenuPictureCount || index == 2) return {};
    return QIcon(new SvgPictureEngine(QString(":/menu/%1.svg").arg(index)));
}

void SetImageIndex(QAction& item, int index) {
    item.setProperty(ImageIndexProperty, index);
    item.setIcon(MenuPicture(index));
}

int ImageIndex(const QAction& item) {
    const QVariant v = item.property(ImageIndexProperty);
    return v.isValid() ? v.toInt() : -1;
}

void SetOwnerDrawn(QAction& item) {
    item.setProperty(OwnerDrawnProperty, true);
}

bool IsOwnerDrawn(const QAction& item) {
    return item.property(OwnerDrawnProperty).toBool();
}

// A disabled item is passed over by the arrow keys and the screen reader; the style draws a
// heading as the enabled item it looks like.
void SetHeading(QAction& item) {
    item.setProperty(HeadingProperty, true);
    item.setEnabled(false);
}

bool IsHeading(const QAction& item) {
    return item.property(HeadingProperty).toBool();
}

void KeepCaptions(QWidget& menu) {
    for (QAction* item : menu.actions())
        item->setProperty(CaptionProperty, item->text());
    menu.installEventFilter(new CaptionKeeper(&menu));
}

MenuStyle::MenuStyle(QStyle* base)
    : QProxyStyle(base ? base : QStyleFactory::create(QApplication::style()->name())) {}

QAction* MenuStyle::ItemOf(const QStyleOption* option, const QWidget* widget) {
    if (!option || !widget) return nullptr;
    const QPoint centre = option->rect.center();
    if (const auto* menu = qobject_cast<const QMenu*>(widget)) return menu->actionAt(centre);
    if (const auto* bar = qobject_cast<const QMenuBar*>(widget)) return bar->actionAt(centre);
    return nullptr;
}

int MenuStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                         QStyleHintReturn* returnData) const {
    if (hint == SH_UnderlineShortcut && qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
        const QAction* item = ItemOf(option, widget);
        if (item && IsOwnerDrawn(*item)) return 1;
    }
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

// A menu bar item with a picture: the desktop's style draws either the picture or the caption;
// this one draws the item's background as the desktop does and then both, picture first.
void MenuStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                            const QWidget* widget) const {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (element == CE_MenuItem && item) {
        const QAction* action = ItemOf(option, widget);
        if (!action || !IsHeading(*action))
            return QProxyStyle::drawControl(element, option, painter, widget);
        QStyleOptionMenuItem heading = *item;
        heading.state |= State_Enabled;
        heading.palette.setCurrentColorGroup(QPalette::Active);
        return QProxyStyle::drawControl(element, &heading, painter, widget);
    }
    if (element != CE_MenuBarItem || !item || item->icon.isNull())
        return QProxyStyle::drawControl(element, option, painter, widget);
    QStyleOptionMenuItem background = *item;
    background.icon = QIcon();
    background.text.clear();
    QProxyStyle::drawControl(element, &background, painter, widget);

    const bool enabled = item->state & State_Enabled;
    const int extent = pixelMetric(PM_SmallIconSize, option, widget);
    const QFont font = widget ? widget->font() : item->font;
    const QFontMetrics fm(font);
    const int textWidth = fm.horizontalAdvance(QString(item->text).remove('&'));
    const int width = extent + PictureSpacing + textWidth;
    const int left = item->rect.left() + (item->rect.width() - width) / 2;
    const QRect pictureRect(left, item->rect.top() + (item->rect.height() - extent) / 2, extent,
                            extent);
    item->icon.paint(painter, pictureRect, Qt::AlignCenter,
                     enabled ? QIcon::Normal : QIcon::Disabled);
    int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic | Qt::TextDontClip |
                Qt::TextSingleLine;
    if (!styleHint(SH_UnderlineShortcut, option, widget, nullptr)) flags |= Qt::TextHideMnemonic;
    const bool active = (item->state & State_Selected) && (item->state & State_Sunken);
    const QRect textRect(pictureRect.right() + 1 + PictureSpacing, item->rect.top(), textWidth + 2,
                         item->rect.height());
    painter->save();
    painter->setFont(font);
    drawItemText(painter, textRect, flags, item->palette, enabled, item->text,
                 active && enabled ? QPalette::HighlightedText : QPalette::ButtonText);
    painter->restore();
}

QSize MenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                  const QWidget* widget) const {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (type != CT_MenuBarItem || !item || item->icon.isNull() || item->text.isEmpty())
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    // The menu bar measured the picture alone; room for the caption beside it.
    const QFontMetrics fm(widget ? widget->font() : item->font);
    const QSize text = fm.size(Qt::TextShowMnemonic, item->text);
    const int extent = pixelMetric(PM_SmallIconSize, option, widget);
    const QSize both(extent + PictureSpacing + text.width(), std::max(extent, text.height()));
    return QProxyStyle::sizeFromContents(type, option, both, widget);
}

} // namespace zelm
