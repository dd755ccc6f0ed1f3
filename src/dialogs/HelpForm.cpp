#include "dialogs/HelpForm.h"

#include "dialogs/HelpPages.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSvgRenderer>
#include <QTreeWidget>
#include <algorithm>
#include <vector>

#include "platform/KeyCodes.h"
#include "platform/QtCanvas.h"
#include "platform/WorkArea.h"

namespace zelm {

namespace {

// The tree on the left, as wide as its longest topic; the page right beside it.
constexpr int TreeLeft = 3;
constexpr int PageGap = 6;

// The pages are paper: white, in a frame of fixed greys.
const QColor Paper(255, 255, 255);
const QColor FrameLight(227, 227, 227);
const QColor FrameShadow(105, 105, 105);

// System colours by their number on the original platform.
constexpr ColorRef WindowColour = 0xFF000005u;
constexpr ColorRef MenuBarColour = 0xFF00001Eu;

const char* const TagProperty = "zelmTag";

/// A character key of the original platform: one that types a character (letters, digits,
/// space, Enter, Escape, Backspace, Ctrl+letter). Tab moves the focus instead.
bool IsCharacterKey(const QKeyEvent& e) {
    const unsigned char c = CharacterOf(e);
    return c != 0 && c != '\t';
}

bool IsInside(const QTreeWidgetItem* ancestor, const QTreeWidgetItem* node) {
    for (; node; node = node->parent())
        if (node == ancestor) return true;
    return false;
}

} // namespace

// ---- THelpPicture ----

THelpPicture::THelpPicture(const QString& resource, bool framed, QWidget* parent)
    : QWidget(parent), inset_(framed ? 1 : 0) {
    if (resource.endsWith(".svg")) {
        svg_ = std::make_unique<QSvgRenderer>(resource);
        size_ = svg_->defaultSize();
    } else {
        image_.load(resource);
        size_ = image_.size();
    }
    resize(size_ + QSize(2 * inset_, 2 * inset_));
}

THelpPicture::~THelpPicture() = default;

void THelpPicture::Draw(QPainter& p) const {
    if (svg_)
        svg_->render(&p, QRectF(0, 0, size_.width(), size_.height()));
    else
        p.drawImage(QRect(QPoint(0, 0), size_), image_);
}

void THelpPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Paper);
    if (inset_ > 0) {
        const QRect r = rect().adjusted(0, 0, -1, -1);
        p.setPen(FrameLight);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(FrameShadow);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
    }
    p.translate(inset_, inset_);
    Draw(p);
}

QImage THelpPicture::Rendered() const {
    QImage out(size_, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    Draw(p);
    return out;
}

// ---- TZelmEditHelp ----

// The main window stays on top of other windows; so does its help, or it would be hidden
// behind it.
TZelmEditHelp::TZelmEditHelp(QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::WindowStaysOnTopHint) {
    setWindowTitle("Help");
    QFont font("Tahoma");
    font.setPixelSize(11); // 8 points at 96 pixels per inch
    setFont(font);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ToQColor(WindowColour));
    setPalette(palette);
    setAutoFillBackground(true);
    // The page scrolls where the window is smaller than it; the tree scrolls by itself.
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setFocusPolicy(Qt::NoFocus);
    content_ = new QWidget;
    scroll_->setWidget(content_);
    KeepInWorkArea(*this);
    CreatePages();
    CreateTree();
    CreateLinks();
    TreeView1->expandAll();
    TreeView1->resizeColumnToContents(0);
    treeWidth_ = TreeView1->columnWidth(0) + 8;
    setMinimumSize(PageLeft() + 100, 120);
    FitToContent();
}

TZelmEditHelp::~TZelmEditHelp() = default;

void TZelmEditHelp::CreatePages() {
    for (int i = 0; i < PageCount; ++i) {
        const HelpPage& d = HelpPages[std::size_t(i)];
        auto* page = new THelpPicture(d.picture, d.framed, content_);
        page->setObjectName(d.name);
        // The picture is the page's text: a screen reader reads it from its alternative, and
        // Tab from the tree reaches it.
        page->setAccessibleName("Afbeelding: " + QString::fromUtf8(d.title));
        page->setAccessibleDescription(QString::fromUtf8(d.alternative));
        page->setFocusPolicy(Qt::TabFocus);
        page->hide();
        Pages[std::size_t(i)] = page;
    }
}

// "Inleiding" comes first, so that every node shows the page of its own name.
void TZelmEditHelp::CreateTree() {
    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName("TreeView1");
    TreeView1->setAccessibleName("Onderwerpen");
    TreeView1->setHeaderHidden(true);
    TreeView1->setIndentation(19);
    TreeView1->setFrameShape(QFrame::NoFrame);
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    QPalette palette = TreeView1->palette();
    palette.setColor(QPalette::Base, ToQColor(MenuBarColour));
    TreeView1->setPalette(palette);
    std::vector<QTreeWidgetItem*> nodes;
    for (const HelpPage& d : HelpPages) {
        const QStringList text{QString::fromUtf8(d.title)};
        nodes.push_back(d.parent < 0 ? new QTreeWidgetItem(TreeView1, text)
                                     : new QTreeWidgetItem(nodes[std::size_t(d.parent)], text));
    }
    // The selection, not the current item: a tree that merely receives the focus makes its
    // first node current without choosing it.
    connect(TreeView1, &QTreeWidget::itemSelectionChanged, this, [this] {
        const QList<QTreeWidgetItem*> chosen = TreeView1->selectedItems();
        if (!chosen.isEmpty()) TreeView1Change(chosen.front());
    });
    TreeView1->installEventFilter(this);
}

void TZelmEditHelp::CreateLinks() {
    Label3 = CreateLink(Pages[1], {440, 7, 6, 13}, 4, "*");
    Label2 = CreateLink(Pages[2], {474, 200, 78, 21}, 5, {});
    Label1 = CreateLink(Pages[1], {464, 54, 6, 13}, 3, "*");
    Label3->setAccessibleName("Naar Gebruik");
    Label2->setAccessibleName("Naar Herstellen");
    Label1->setAccessibleName("Naar Installatie");
    Label3->setObjectName("Label3");
    Label2->setObjectName("Label2");
    Label1->setObjectName("Label1");
}

QLabel* TZelmEditHelp::CreateLink(QWidget* page, QRect place, int tag, const QString& caption) {
    auto* label = new QLabel(caption, page);
    label->setGeometry(place);
    label->setAlignment(Qt::AlignCenter);
    label->setProperty(TagProperty, tag);
    label->setCursor(Qt::PointingHandCursor);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->installEventFilter(this);
    return label;
}

int TZelmEditHelp::TagOf(const QLabel* label) {
    return label->property(TagProperty).toInt();
}

void TZelmEditHelp::Show() {
    setWindowState(windowState() & ~Qt::WindowMinimized);   // a minimized window comes back
    if (current_ < 0) TreeView1->setCurrentItem(NodeAt(0)); // never an empty window
    show();
    raise();
    activateWindow();
    // A window manager may refuse to activate the window; it is laid out as activated anyway.
    FormActivate();
}

void TZelmEditHelp::FormActivate() {
    TreeView1->expandAll();
}

void TZelmEditHelp::TreeView1Change(QTreeWidgetItem* node) {
    if (!node) return;
    SingleExpand(node);
    if (current_ >= 0) Pages[std::size_t(current_)]->hide();
    const int index = AbsoluteIndex(node);
    current_ = index >= 0 && index < PageCount ? index : -1;
    if (current_ >= 0) Pages[std::size_t(current_)]->show();
    FitToContent();
}

// Selecting a node expands it and collapses the node selected before, with its parents that
// do not also hold the new one.
void TZelmEditHelp::SingleExpand(QTreeWidgetItem* chosen) {
    if (selected_ && selected_ != chosen) {
        for (QTreeWidgetItem* n = selected_; n; n = n->parent())
            if (!IsInside(n, chosen)) n->setExpanded(false);
    }
    chosen->setExpanded(true);
    selected_ = chosen;
}

void TZelmEditHelp::LabelClick(QLabel* label) {
    if (QTreeWidgetItem* node = NodeAt(TagOf(label) - 2)) TreeView1->setCurrentItem(node);
}

bool TZelmEditHelp::FormKeyPress(const QKeyEvent& e) {
    if (!IsCharacterKey(e)) return false;
    hide();
    return true;
}

QTreeWidgetItem* TZelmEditHelp::NodeAt(int index) const {
    int i = 0;
    for (QTreeWidgetItemIterator it(TreeView1); *it; ++it, ++i)
        if (i == index) return *it;
    return nullptr;
}

int TZelmEditHelp::AbsoluteIndex(const QTreeWidgetItem* node) const {
    int i = 0;
    for (QTreeWidgetItemIterator it(TreeView1); *it; ++it, ++i)
        if (*it == node) return i;
    return -1;
}

// The window fits the tree and the page shown, within the work area, until the user resizes
// it; a page larger than the room left scrolls.
void TZelmEditHelp::FitToContent() {
    const QSize page = current_ >= 0 ? Pages[std::size_t(current_)]->size() : QSize(0, 0);
    content_->resize(page);
    QTreeWidgetItem* last = NodeAt(PageCount - 1);
    const int treeHeight = last ? TreeView1->visualItemRect(last).bottom() + 4 : 0;
    const QSize extent(PageLeft() + page.width(), std::max(treeHeight, page.height()));
    const QSize room = LargestClientSize(*this);
    const QSize bars(scroll_->verticalScrollBar()->sizeHint().width(),
                     scroll_->horizontalScrollBar()->sizeHint().height());
    // A scroll bar takes room from the other direction.
    bool sideways = extent.width() > room.width();
    const bool upDown = extent.height() + (sideways ? bars.height() : 0) > room.height();
    sideways = sideways || (upDown && extent.width() + bars.width() > room.width());
    const QSize client(extent.width() + (upDown ? bars.width() : 0),
                       extent.height() + (sideways ? bars.height() : 0));
    if (!userSized_) {
        fittedSize_ = client.boundedTo(room).expandedTo(minimumSize());
        resize(fittedSize_);
    }
    PlaceChildren();
}

int TZelmEditHelp::PageLeft() const {
    return TreeLeft + treeWidth_ + PageGap;
}

void TZelmEditHelp::PlaceChildren() {
    TreeView1->setGeometry(TreeLeft, 0, treeWidth_, height());
    scroll_->setGeometry(PageLeft(), 0, std::max(0, width() - PageLeft()), height());
}

void TZelmEditHelp::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    // A size the window did not choose itself is the user's, and the next page keeps it.
    if (isVisible() && e->size() != fittedSize_) userSized_ = true;
    PlaceChildren();
}

bool TZelmEditHelp::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) {
        // The window's outer corner, title bar included, goes to the screen's corner. Only
        // once the window manager has framed the window is the frame known; afterwards the
        // window stays where the user puts it.
        if (!placed_) move(0, 0);
        placed_ = true;
        FormActivate();
    }
    return QWidget::event(e);
}

// The key preview: every key pressed in the tree comes here first. Links answer clicks.
bool TZelmEditHelp::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress && watched == TreeView1)
        return FormKeyPress(*static_cast<QKeyEvent*>(e));
    if (e->type() == QEvent::MouseButtonRelease) {
        auto* label = qobject_cast<QLabel*>(watched);
        auto* mouse = static_cast<QMouseEvent*>(e);
        if (label && mouse->button() == Qt::LeftButton &&
            label->rect().contains(mouse->position().toPoint())) {
            LabelClick(label);
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

void TZelmEditHelp::keyPressEvent(QKeyEvent* e) {
    if (!FormKeyPress(*e)) QWidget::keyPressEvent(e);
}

} // namespace zelm
