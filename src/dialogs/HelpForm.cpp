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

/// Where a page stands as designed, what it shows, and what a screen reader says of it.
struct PageDesign {
    const char* name;
    QRect place;
    const char* picture;
    bool framed;
    const char* title;
    const char* alternative;
};

// The page with index i is shown by the tree node with absolute index i.
const PageDesign PageDesigns[TZelmEditHelp::PageCount] = {
    {"InleidingP",
     {139, 401, 531, 175},
     ":/help/Inleiding.svg",
     true,
     "Inleiding",
     "Welkom bij ZelmEditor. ZelmEditor is een kleine editor voor wiskundige aantekeningen. Een "
     "document is een kolom van regels; in elke regel typt u gewone tekst of een formule. In de "
     "formulemodus herkent het programma namen als sin, cos, log en ln terwijl u typt, zet het "
     "letters schuin en maakt u met een paar toetsen machten, breuken, wortels, haakjes, "
     "integralen en sommen. Voorbeeldformule: f van x is gelijk aan x kwadraat plus breuk, "
     "wortel uit x plus 1, gedeeld door 2, einde breuk, plus som van k is 1 tot n van, haakje "
     "openen, breuk, x, gedeeld door k, einde breuk, haakje sluiten. U bewaart uw werk als "
     ".mds-bestand, als plaatje of op papier. Kies links een onderwerp. Een letter, Enter of "
     "Esc sluit dit venster; met F1 in een regel komt het terug."},
    {"InstallatieP",
     {138, 226, 632, 154},
     ":/help/Installatie.svg",
     true,
     "Installatie",
     "Installeren: kopieer ZelmEditor naar een eigen map en start het daar. Geeft u een "
     "document mee (ZelmEditor werk.mds), dan opent het programma dat meteen. Nieuwe regels "
     "staan in tekstmodus; Ctrl+T zet een regel in formulemodus. Herstel: bij de allereerste "
     "start maakt het programma de map Herstel aan naast zichzelf en meldt dat één keer. "
     "Daarin bewaart het de herstelstanden (*.wes) en, zodra u uw instellingen opslaat, het "
     "instellingenbestand Instellingen.ops. Sterretje bovenaan: lees verder bij Gebruik; daar "
     "staat hoe u formules typt. Sterretje bij Herstel: is de map van het programma "
     "alleen-lezen, dan komt Herstel in ~/.local/share/TextverwerkerZelm."},
    {"GebruikP",
     {138, 10, 770, 221},
     ":/help/Help.svg",
     false,
     "Gebruik",
     "Formules typen. Zet de regel met Ctrl+T in formulemodus en typ gewoon: functienamen "
     "worden vet, letters schuin. Deze toetsen maken een structuur; typ daarna de inhoud en ga "
     "er met pijl rechts of End weer uit. Shift+pijl omhoog: macht, x kwadraat plus y tot de "
     "macht n. Shift+pijl omlaag: index, a index n plus a index n plus 1. Alt+pijl omhoog: "
     "breuk, a plus b gedeeld door c. Schuine streep: schuine breuk, 1 gedeeld door 2 plus 3 "
     "gedeeld door 4. Ctrl+pijl omhoog: wortel, r is gelijk aan wortel uit x plus 1, plus "
     "derdemachtswortel uit 8. Ctrl+0: haakjes, 2 maal haakje openen breuk a gedeeld door b "
     "haakje sluiten. Ctrl+D: afgeleide, d f naar d x. Ctrl+P pi, Ctrl+E e: 2 pi r plus e tot "
     "de macht x. Ctrl+I: integraal van t kwadraat d t. Ctrl+S: som van k is 0 tot n van k "
     "kwadraat. Ctrl+Shift+2: macht, e tot de macht x plus x kwadraat. Shift+Alt+n: index, x "
     "index n plus y index 0. Enter splitst een regel, Backspace en Delete voegen regels "
     "samen. Iets misgegaan? Zie Herstellen."},
    {"HerstellenP",
     {138, 17, 650, 150},
     ":/help/Herstellen.svg",
     true,
     "Herstellen",
     "Herstellen: terug naar een eerdere stand. Voordat Enter een regel splitst en voordat "
     "Backspace of Delete twee regels samenvoegt, bewaart ZelmEditor het hele document als "
     "genummerde stand in de map Herstel. In het menu Herstel gaat Vorige (Ctrl+Shift+Z) een "
     "stand terug en Terug (Ctrl+Shift+T) weer een stand vooruit. Stand 1: a kwadraat plus b "
     "kwadraat is gelijk aan c kwadraat. Stand 2: a kwadraat plus b kwadraat is gelijk aan c "
     "kwadraat, c is gelijk aan 5. Bij het sluiten bewaart het programma het document als "
     "stand 0; na de volgende start haalt Vorige het terug. Binnen één regel maakt Ctrl+Z "
     "(Herstellen in het regelmenu) de laatste wijzigingen ongedaan."},
    {"InvoerP",
     {307, 393, 589, 223},
     ":/help/invoer.svg",
     true,
     "Invoer",
     "Tekst en formules invoeren. Een nieuwe regel staat in tekstmodus (Plain): wat u typt, "
     "blijft zoals het is. Ctrl+T (PlainText in het regelmenu) zet de regel in formulemodus "
     "(Zelm). Dezelfde toetsen geven dan: als tekst y=sin(x)+a.b, als formule y is gelijk aan "
     "sinus x plus a maal b. Griekse letters: druk op Scroll Lock en typ één letter; a wordt "
     "alfa, b bèta, p pi, s sigma. De letter daarna is weer gewoon. Voorbeeld: alfa plus bèta "
     "is gelijk aan gamma kwadraat. De functielijst (Ctrl+L, FunctieLijst in het regelmenu) "
     "toont alle namen, tekens en sneltoetsen; een keuze wordt in de regel getypt. Onder "
     "Instellingen kiest u lettertype, grootte, kleur en modus voor nieuwe regels. Wijs een "
     "regel aan met de muis: de hint toont het regelnummer en de modus. Klik rechts op een "
     "regel voor het regelmenu."},
    {"CopyP",
     {315, 393, 658, 178},
     ":/help/Copy.jpg",
     true,
     "Doorgeven",
     "Een formule doorgeven. Voorbeeldformule: x is gelijk aan breuk, min b plus wortel uit b "
     "kwadraat min 4 a c, gedeeld door 2 a, einde breuk. Kopiëren, JPG maakt van alle regels "
     "één plaatje: het komt op het klembord en als bestand (de venstertitel met .jpg) op het "
     "bureaublad. Kopiëren, Metafile maakt er een vectorplaatje van, Meta.wmf op het "
     "bureaublad en op het klembord; het blijft scherp bij elke grootte. Plak het plaatje met "
     "Ctrl+V in een verslag, een mail of een chat; WhatsAppWeb start uw berichtenprogramma. "
     "Print zet alle regels op één pagina, zo breed als het papier. Stukken van regels "
     "verplaatst u binnen het programma met Knippen, Kopiëren en Plakken (Ctrl+X, Ctrl+C, "
     "Ctrl+V) in het regelmenu; de formules gaan mee."},
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
        // The picture is the page's text: a screen reader reads it from its alternative, and
        // Tab from the tree reaches it.
        page->setAccessibleName(QString::fromUtf8(d.title));
        picture->setAccessibleName("Afbeelding: " + QString::fromUtf8(d.title));
        picture->setAccessibleDescription(QString::fromUtf8(d.alternative));
        picture->setFocusPolicy(Qt::TabFocus);
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
    TreeView1->setAccessibleName("Onderwerpen");
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
    Label3->setAccessibleName("Naar Gebruik");
    Label2->setAccessibleName("Naar Herstellen");
    Label1->setAccessibleName("Naar Installatie");
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
