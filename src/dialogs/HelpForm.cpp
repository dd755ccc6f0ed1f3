#include "dialogs/HelpForm.h"

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

#include "platform/KeyCodes.h"
#include "platform/QtCanvas.h"
#include "platform/WorkArea.h"

namespace zelm {

namespace {

/// Where a page stands as designed and what it shows.
struct PageDesign {
    const char* name;
    QRect place;
    const char* picture;
    bool framed;
};

// The page with index i is shown by the tree node with absolute index i.
const PageDesign PageDesigns[TZelmEditHelp::PageCount] = {
    {"InleidingP", {139, 401, 531, 175}, ":/help/Inleiding.svg", true},
    {"InstallatieP", {138, 226, 632, 154}, ":/help/Installatie.svg", true},
    {"GebruikP", {138, 10, 770, 221}, ":/help/Help.svg", false},
    {"HerstellenP", {138, 17, 650, 150}, ":/help/Herstellen.svg", true},
    {"InvoerP", {307, 393, 589, 223}, ":/help/invoer.svg", true},
    {"CopyP", {315, 393, 658, 178}, ":/help/Copy.jpg", true},
};

const QRect TreeDesign(3, 10, 105, 127);

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

THelpPicture::THelpPicture(const QString& resource, QWidget* parent) : QWidget(parent) {
    if (resource.endsWith(".svg")) {
        svg_ = std::make_unique<QSvgRenderer>(resource);
        resize(svg_->defaultSize());
    } else {
        image_.load(resource);
        resize(image_.size());
    }
}

THelpPicture::~THelpPicture() = default;

void THelpPicture::Draw(QPainter& p) const {
    if (svg_)
        svg_->render(&p, QRectF(0, 0, width(), height()));
    else
        p.drawImage(QRect(0, 0, width(), height()), image_);
}

void THelpPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    Draw(p);
}

QImage THelpPicture::Rendered() const {
    QImage out(size(), QImage::Format_ARGB32_Premultiplied);
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
    // The pages and the tree stand on a surface that scrolls when the screen cannot hold it.
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setFocusPolicy(Qt::NoFocus);
    content_ = new QWidget;
    scroll_->setWidget(content_);
    KeepInWorkArea(*this);
    CreatePages();
    CreateTree();
    CreateLinks();
    FitToContent();
}

TZelmEditHelp::~TZelmEditHelp() = default;

void TZelmEditHelp::CreatePages() {
    for (int i = 0; i < PageCount; ++i) {
        const PageDesign& d = PageDesigns[i];
        auto* page = new QFrame(content_);
        page->setObjectName(d.name);
        page->setGeometry(d.place);
        page->setFrameStyle(d.framed ? QFrame::Panel | QFrame::Raised : QFrame::NoFrame);
        page->setLineWidth(1);
        const int inset = d.framed ? 1 : 0;
        auto* picture = new THelpPicture(d.picture, page);
        picture->move(inset, inset);
        page->hide();
        Pages[std::size_t(i)] = page;
        Pictures[std::size_t(i)] = picture;
    }
    InleidingP = Pages[0];
    InstallatieP = Pages[1];
    GebruikP = Pages[2];
    HerstellenP = Pages[3];
    InvoerP = Pages[4];
    CopyP = Pages[5];
}

// "Inleiding" comes first, so that every node shows the page of its own name.
void TZelmEditHelp::CreateTree() {
    TreeView1 = new QTreeWidget(content_);
    TreeView1->setObjectName("TreeView1");
    TreeView1->setGeometry(TreeDesign);
    TreeView1->setHeaderHidden(true);
    TreeView1->setIndentation(19);
    TreeView1->setFrameShape(QFrame::NoFrame);
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    QPalette palette = TreeView1->palette();
    palette.setColor(QPalette::Base, ToQColor(MenuBarColour));
    TreeView1->setPalette(palette);
    new QTreeWidgetItem(TreeView1, QStringList{"Inleiding"});
    new QTreeWidgetItem(TreeView1, QStringList{"Installatie"});
    auto* use = new QTreeWidgetItem(TreeView1, QStringList{"Gebruik"});
    for (const char* child : {"Herstellen", "Invoer", "Doorgeven"})
        new QTreeWidgetItem(use, QStringList{child});
    // The selection, not the current item: a tree that merely receives the focus makes its
    // first node current without choosing it.
    connect(TreeView1, &QTreeWidget::itemSelectionChanged, this, [this] {
        const QList<QTreeWidgetItem*> chosen = TreeView1->selectedItems();
        if (!chosen.isEmpty()) TreeView1Change(chosen.front());
    });
    TreeView1->installEventFilter(this);
}

void TZelmEditHelp::CreateLinks() {
    Label3 = CreateLink(InstallatieP, {440, 7, 6, 13}, 4, "*");
    Label2 = CreateLink(GebruikP, {474, 200, 78, 21}, 5, {});
    Label1 = CreateLink(InstallatieP, {464, 54, 6, 13}, 3, "*");
    Label3->setObjectName("Label3");
    Label2->setObjectName("Label2");
    Label1->setObjectName("Label1");
}

QLabel* TZelmEditHelp::CreateLink(QFrame* page, QRect place, int tag, const QString& caption) {
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
    setWindowState(windowState() & ~Qt::WindowMinimized); // a minimized window comes back
    show();
    raise();
    activateWindow();
    // A window manager may refuse to activate the window; it is laid out as activated anyway.
    FormActivate();
}

void TZelmEditHelp::FormActivate() {
    TreeView1->expandAll();
    for (QFrame* page : Pages)
        page->move(page->x(), 0);
    TreeView1->move(TreeView1->x(), 0);
    FitToContent();
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

// Auto-size: the client area reaches exactly to the right and bottom edges of the visible
// controls, which keep their places. Where the work area is smaller the window takes what it
// can and its content scrolls.
void TZelmEditHelp::FitToContent() {
    QRect extent(0, 0, 0, 0);
    for (QWidget* child : content_->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (!child->isHidden())
            extent = extent.united(QRect(QPoint(0, 0), child->geometry().bottomRight()));
    content_->resize(extent.size());
    const QSize room = LargestClientSize(*this);
    const QSize bars(scroll_->verticalScrollBar()->sizeHint().width(),
                     scroll_->horizontalScrollBar()->sizeHint().height());
    // A scroll bar takes room from the other direction.
    bool sideways = extent.width() > room.width();
    const bool upDown = extent.height() + (sideways ? bars.height() : 0) > room.height();
    sideways = sideways || (upDown && extent.width() + bars.width() > room.width());
    const QSize client(extent.width() + (upDown ? bars.width() : 0),
                       extent.height() + (sideways ? bars.height() : 0));
    setFixedSize(client.boundedTo(room));
    ChooseScrollBars();
}

// The scroll bars show exactly when the content does not fit the window as it is now.
void TZelmEditHelp::ChooseScrollBars() {
    scroll_->setGeometry(rect());
    const QSize need = content_->size();
    const QSize bars(scroll_->verticalScrollBar()->sizeHint().width(),
                     scroll_->horizontalScrollBar()->sizeHint().height());
    bool sideways = need.width() > width();
    const bool upDown = need.height() > height() - (sideways ? bars.height() : 0);
    sideways = sideways || (upDown && need.width() > width() - bars.width());
    scroll_->setHorizontalScrollBarPolicy(sideways ? Qt::ScrollBarAlwaysOn
                                                   : Qt::ScrollBarAlwaysOff);
    scroll_->setVerticalScrollBarPolicy(upDown ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void TZelmEditHelp::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    ChooseScrollBars(); // the work area may have made the window smaller than its content
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
