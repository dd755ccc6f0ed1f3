#include "app/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QToolTip>
#include <QWindow>

#include "dialogs/FunctieFormMath.h"
#include "formula/FormulaText.h"
#include "formula/LineKeys.h"
#include "files/FileIO.h"
#include "platform/KeyCodes.h"
#include "platform/Platform.h"
#include "platform/WorkArea.h"

namespace zelm {

namespace {

// The hint's word for a line's mode, indexed by its PlainText.
const char* const ModeNames[2] = {"Zelm", "Plain"};

const QString RecoveryFolderMade = "Er is een Herstel directorie gemaakt: ";

// The designed position of the window on the screen.
const QPoint DesignedPosition(800, 125);

// The scroll value that shows the stretch [from, to] of a view `extent` long, moving as
// little as possible from `value`.
int ScrolledToShow(int value, int extent, int from, int to) {
    if (to >= value + extent) value = to - extent + 1;
    if (from < value) value = from;
    return value;
}

} // namespace

// How many lines ahead a pass over the column asks for a line's widget, and then for what the
// widget points to.
constexpr std::size_t PrefetchDistance = 8;

void PrefetchAhead(const std::vector<TMathEditor*>& lines, std::size_t k) {
    if (k + 2 * PrefetchDistance < lines.size())
        TMathEditor::PrefetchObject(lines[k + 2 * PrefetchDistance]);
    if (k + PrefetchDistance < lines.size()) lines[k + PrefetchDistance]->Prefetch();
}

TBasisMath::TBasisMath(QString programDir, std::function<void(const QString&)> showMessage,
                       QStringList arguments)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                               Qt::WindowStaysOnTopHint),
      programDir_(programDir.isEmpty() ? QCoreApplication::applicationDirPath() : programDir),
      showMessage_(std::move(showMessage)) {
    if (!showMessage_) {
        showMessage_ = [this](const QString& text) { ShowMessageBox(this, text); };
    }
    setWindowTitle("ZelmEditor");
    setMinimumSize(400, 200);
    move(DesignedPosition);

    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(false);
    scroll_->setFocusPolicy(Qt::NoFocus); // keys are for the lines, never for the scrolling
    scroll_->installEventFilter(this);
    // Below and beside the lines the window shows the window colour, as the lines do.
    scroll_->setBackgroundRole(QPalette::Base);
    scroll_->viewport()->setBackgroundRole(QPalette::Base);
    column_ = new QWidget;
    column_->setBackgroundRole(QPalette::Base);
    column_->setAutoFillBackground(true);
    column_->resize(480, 1041);
    scroll_->setWidget(column_);
    setCentralWidget(scroll_);
    connect(scroll_->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &TBasisMath::ShowLinesNearView);
    resize(480, 1041);

    CreatePopupMenu1();
    CreateMainMenu();
    FormCreate();
    OpenCommandLineDocument(arguments);
}

// The lines go only once the window's own part is gone; the line with the focus then reports
// that it lost it, to a window that no longer exists.
TBasisMath::~TBasisMath() {
    for (TMathEditor* line : column_->findChildren<TMathEditor*>())
        line->Onexit = nullptr;
}

void TBasisMath::FormCreate() {
    EditorState().plainTextDefault = true;
    show();
    CreateEd();
    FitToLines();
    FocusFirstLine();
    MakeRecoveryFolder();
    StartCounter();
    // The window manager's frame, and a screen of another scale, are known only once the
    // window is on the screen: fit again then.
    QMetaObject::invokeMethod(this, &TBasisMath::FitToLines, Qt::QueuedConnection);
    if (QWindow* w = windowHandle())
        connect(w, &QWindow::screenChanged, this, &TBasisMath::FitToLines);
    // Saves killed halfway leave their temporary files; the first instance clears them.
    herstelClaim_ = std::make_unique<FolderClaim>(NativePath(HerstelDir));
}

void TBasisMath::FocusFirstLine() {
    if (!lines_.empty()) FocusLine(*lines_.front());
}

// A hidden line would take the focus only once it shows again.
void TBasisMath::FocusLine(TMathEditor& line) {
    if (line.isHidden()) line.show();
    line.setFocus(Qt::OtherFocusReason);
}

// The recovery folder lives next to the program; a program folder we may not write to (a
// read-only install) gets it in the user's data folder instead, so splitting and joining
// lines keep working. An installed program always keeps it per user: its folder is shared by
// every user, even where one of them (root) may write there.
void TBasisMath::MakeRecoveryFolder() {
    const QString beside = QDir(programDir_).absolutePath() + "/Herstel/";
    const QString perUser =
        QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + "/Herstel/";
    QStringList folders = {perUser};
    if (InstalledDataFolder(programDir_).isEmpty()) folders.prepend(beside);
    for (const QString& folder : folders) {
        QFileInfo info(folder);
        if (info.isDir() && info.isWritable()) {
            HerstelDir = folder;
            return;
        }
        if (!info.exists() && QDir().mkpath(folder) && QFileInfo(folder).isWritable()) {
            HerstelDir = folder;
            showMessage_(RecoveryFolderMade + folder);
            return;
        }
    }
    HerstelDir = beside; // neither is usable: later writes report their own errors
}

TMathEditor* TBasisMath::CreateEd() {
    TMathEditor* line = NewLine();
    ShowIfNearView(*line, NearView());
    return line;
}

// A line placed right after it is made shows or hides only once it is in place: a loaded line
// made at the top of the column would otherwise show there first, to hide again at its own top.
TMathEditor* TBasisMath::NewLine() {
    // A line starts as wide as the window's client area, also in a column left empty, which
    // has no width of its own.
    const int clientWidth = scroll_->viewport()->width();
    if (column_->width() < clientWidth) column_->resize(clientWidth, column_->height());
    auto* line = new TMathEditor(column_);
    lines_.push_back(line);
    line->SetLineIndex(int(lines_.size()) - 1);
    line->OnHeightChange = [this](TMathEditor& e, int h) { Autoresize(e, h); };
    line->OnWidthChange = [this](TMathEditor& e, int w) { Widthresize(e, w); };
    line->OnUpDownKeys = [this](TMathEditor& e, unsigned short d) { OpNeer(e, d); };
    line->Onenter = [this](TMathEditor& e) { EditorEnter(e); };
    line->Onexit = [this](TMathEditor& e) { // a far line shows only while it has the focus
        if (IndexOf(e) >= 0) ShowIfNearView(e, NearView());
    };
    line->OnCaretMove = [this](TMathEditor& e) {
        if (focusWidget() == &e) KeepInView(e);
    };
    line->setFocusPolicy(Qt::ClickFocus); // Tabstop False
    line->SetFont(WindowFont, WindowFontColor);
    line->popupmenu = PopupMenu1;
    line->SetPlainText(EditorState().plainTextDefault);
    line->installEventFilter(this); // hints and the key preview
    MathLine& m = line->Line();
    m.Selstart = m.Seleinde = m.CaretPos = 1;
    line->SetText(" ");
    return line;
}

TMathEditor* TBasisMath::CurrentLine() const {
    auto* focused = qobject_cast<TMathEditor*>(QApplication::focusWidget());
    return focused && IndexOf(*focused) >= 0 ? focused : nullptr;
}

int TBasisMath::IndexOf(const TMathEditor& line) const {
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i] == &line) return int(i);
    return -1;
}

void TBasisMath::Autoresize(TMathEditor& editor, int newHeight) {
    const int i = IndexOf(editor);
    if (i < 0) return;
    ShiftLinesFrom(std::size_t(i) + 1, newHeight - editor.height(), 0);
    // The line takes its new height right after this report; fit the window once it has, once
    // for all the reports that come in before then (a load reports every line).
    if (fitPending_) return;
    fitPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            fitPending_ = false;
            FitToLines();
        },
        Qt::QueuedConnection);
}

void TBasisMath::Widthresize(TMathEditor& editor, int newWidth) {
    if (editor.Text().size() > 250) QApplication::beep();
    int widest = newWidth;
    for (TMathEditor* l : lines_)
        widest = std::max(widest, l->NeededWidth());
    for (TMathEditor* l : lines_) {
        l->resize(widest, l->height());
        l->Line().ClientWidth = widest;
    }
    FitToLines();
}

void TBasisMath::OpNeer(TMathEditor& editor, unsigned short direction) {
    // The focused line; the reporting line when the window is not active at the moment.
    TMathEditor* current = CurrentLine() ? CurrentLine() : &editor;
    const int i = IndexOf(*current);
    if (i < 0) return; // a line already taken out of the column
    const int last = int(lines_.size()) - 1;
    TMathEditor* target = nullptr;
    switch (direction) {
    case 37: // Left: to the end of the line above
        if (i > 0) {
            target = lines_[std::size_t(i - 1)];
            target->Line().DispCaret = int(target->Cursieftext().size());
            target->Line().DisplayToText();
        }
        break;
    case 38: // Up
        if (i > 0) target = lines_[std::size_t(i - 1)];
        break;
    case 39: // Right: behind the leading blank of the line below
        if (i < last) {
            target = lines_[std::size_t(i + 1)];
            target->Line().DispCaret = 1;
            target->Line().DisplayToText();
        }
        break;
    case 40: // Down
        if (i < last) target = lines_[std::size_t(i + 1)];
        break;
    default:
        break;
    }
    if (target) FocusLine(*target);
}

void TBasisMath::EditorEnter(TMathEditor& sender) {
    if (popPlainText) popPlainText->setChecked(EditorState().plainTextDefault);
    KeepInView(sender);
}

QString TBasisMath::HintFor(const TMathEditor& line) const {
    return "Regel " + QString::number(line.LineIndex()) + " " +
           ModeNames[line.PlainText() ? 1 : 0] + " ..Click rechts voor menu";
}

bool TBasisMath::FormHelp() {
    if (showHelp) showHelp();
    return true;
}

QSize TBasisMath::LinesExtent() const {
    int w = 0, h = 0;
    for (std::size_t k = 0; k < lines_.size(); ++k) {
        PrefetchAhead(lines_, k);
        const TMathEditor* l = lines_[k];
        w = std::max(w, l->x() + l->width());
        h = std::max(h, l->y() + l->height());
    }
    return {w, h};
}

// Auto-size: the client area below the menu bar follows the lines. The window grows up to the
// screen's work area, moving left and up just as far as it must to stay inside it; beyond
// that the column scrolls, so that no line is out of reach, and the focused line is kept in
// view.
void TBasisMath::FitToLines() {
    const QSize extent = LinesExtent();
    column_->resize(extent);
    const QRect work = screen() ? screen()->availableGeometry() : QRect(0, 0, 1 << 20, 1 << 20);
    const QSize frame = frameGeometry().size() - size();
    const int barWidth = scroll_->verticalScrollBar()->sizeHint().width();
    const int barHeight = scroll_->horizontalScrollBar()->sizeHint().height();

    // A scroll bar takes room from the other direction.
    const int maxWidth = std::max(minimumWidth(), work.width() - frame.width());
    bool sideways = extent.width() > maxWidth;
    int width = std::clamp(extent.width(), minimumWidth(), maxWidth);
    const auto maxViewHeight = [&] {
        return work.height() - frame.height() - MenuBarHeight(width);
    };
    int viewHeight = extent.height() + (sideways ? barHeight : 0);
    if (viewHeight > maxViewHeight()) {
        width = std::clamp(extent.width() + barWidth, minimumWidth(), maxWidth);
        if (!sideways && extent.width() + barWidth > maxWidth) {
            sideways = true;
            viewHeight += barHeight;
        }
        viewHeight = std::max(0, maxViewHeight());
    }
    resize(width, std::max(minimumHeight(), viewHeight + MenuBarHeight(width)));

    const QRect placed = PlaceInWorkArea(QRect(pos(), size() + frame), work);
    if (placed.topLeft() != pos()) move(placed.topLeft());
    ChooseScrollBars();
    if (TMathEditor* line = LineInFocus()) KeepInView(*line);
}

// The scroll bars show exactly when the column does not fit; left to decide for themselves,
// a column that fits exactly could keep both of them, each needed only for the other.
void TBasisMath::ChooseScrollBars() {
    const QSize room = scroll_->size();
    const QSize need = column_->size();
    const int barWidth = scroll_->verticalScrollBar()->sizeHint().width();
    const int barHeight = scroll_->horizontalScrollBar()->sizeHint().height();
    bool sideways = need.width() > room.width();
    const bool upDown = need.height() > room.height() - (sideways ? barHeight : 0);
    if (upDown) sideways = need.width() > room.width() - barWidth;
    scroll_->setHorizontalScrollBarPolicy(sideways ? Qt::ScrollBarAlwaysOn
                                                   : Qt::ScrollBarAlwaysOff);
    scroll_->setVerticalScrollBarPolicy(upDown ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

int TBasisMath::MenuBarHeight(int width) const {
    const QWidget* bar = menuWidget();
    if (!bar || bar->isHidden()) return 0;
    const int h = bar->hasHeightForWidth() ? bar->heightForWidth(width) : -1;
    return h >= 0 ? h : bar->sizeHint().height();
}

TMathEditor* TBasisMath::LineInFocus() const {
    for (TMathEditor* l : lines_)
        if (focusWidget() == l) return l;
    return nullptr;
}

// Up and down the whole line shows when it fits; sideways only the caret's cell, so that a
// line wider than the window neither hides the caret nor pulls the other lines out of view.
void TBasisMath::KeepInView(TMathEditor& line) {
    const QRect inColumn = line.geometry();
    const CaretRect& c = line.Line().CaretCellValue();
    const QRect caret =
        QRect(c.x, c.y, std::max(1, c.width), c.height).normalized().translated(inColumn.topLeft());
    const QSize view = scroll_->viewport()->size();
    const QRect upDown = inColumn.height() <= view.height() ? inColumn : caret;
    QScrollBar* v = scroll_->verticalScrollBar();
    QScrollBar* h = scroll_->horizontalScrollBar();
    v->setValue(ScrolledToShow(v->value(), view.height(), upDown.top(), upDown.bottom()));
    h->setValue(ScrolledToShow(h->value(), view.width(), caret.left(), caret.right()));
}

bool TBasisMath::eventFilter(QObject* watched, QEvent* e) {
    if (watched == scroll_ && e->type() == QEvent::Resize) {
        ChooseScrollBars(); // the user sized the window
        ShowLinesNearView();
        return false;
    }
    auto* line = qobject_cast<TMathEditor*>(watched);
    if (line && e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        QToolTip::showText(help->globalPos(), HintFor(*line), line);
        return true;
    }
    if (line && e->type() == QEvent::KeyPress) {
        auto* keyEvent = static_cast<QKeyEvent*>(e);
        if (keyEvent->key() == Qt::Key_F1) return FormHelp();
        int key = VirtualKeyOf(*keyEvent);
        const bool hasCode = key != 0; // keys without a code ("ü", "é") are the line's own
        FormKeyDown(*line, key, ShiftStateOf(*keyEvent));
        if (hasCode && key == 0) return true; // consumed: the line never sees it
    }
    return QMainWindow::eventFilter(watched, e);
}

// Keys reach the window itself only while no line has the focus (after a load, say); Alt+F4
// closes it then too, as it does through the key preview of a line.
void TBasisMath::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F4 && (e->modifiers() & Qt::AltModifier)) {
        close();
        return;
    }
    QMainWindow::keyPressEvent(e);
}

TMathEditor* TBasisMath::InsertLineBelow(TMathEditor& current) {
    const std::size_t at = std::size_t(IndexOf(current)) + 1;
    // The lines after `current` leave the column for a moment and come back below the new one.
    std::vector<TMathEditor*> queue(lines_.begin() + std::ptrdiff_t(at), lines_.end());
    lines_.resize(at);
    TMathEditor* line = NewLine();
    MoveLine(*line, current.y() + current.height(), ColumnInView(), NearView());
    lines_.insert(lines_.end(), queue.begin(), queue.end());
    ShiftLinesFrom(at + 1, line->height(), +1);
    FitToLines();
    return line;
}

void TBasisMath::RemoveLine(TMathEditor& line) {
    const int i = IndexOf(line);
    if (i < 0) return;
    lines_.erase(lines_.begin() + i);
    ShiftLinesFrom(std::size_t(i), -line.height(), -1);
}

// Qt moves an opaque line in view by scrolling its pixels, and first looks through every other
// line of the column for one that overlaps it, twice: in a long document that search costs far
// more than painting the few lines in view again. Those lines move as lines that are repainted;
// lines out of view cost Qt no painting either way.
void TBasisMath::ShiftLinesFrom(std::size_t first, int dy, int indexStep) {
    if (dy == 0 && indexStep == 0) return;
    const QRect inView = ColumnInView();
    const ColumnStretch near = NearView();
    for (std::size_t k = first; k < lines_.size(); ++k) {
        PrefetchAhead(lines_, k);
        TMathEditor* l = lines_[k];
        l->SetLineIndex(l->LineIndex() + indexStep);
        MoveLine(*l, l->y() + dy, inView, near);
    }
}

void TBasisMath::MoveLine(TMathEditor& line, int y, const QRect& inView,
                          const ColumnStretch& near) {
    const bool shown = !line.isHidden() && inView.intersects(line.geometry());
    if (shown) line.setAttribute(Qt::WA_OpaquePaintEvent, false);
    line.move(line.x(), y);
    if (shown) line.setAttribute(Qt::WA_OpaquePaintEvent, true);
    ShowIfNearView(line, near);
}

QRect TBasisMath::ColumnInView() const {
    return {-column_->pos(), scroll_->viewport()->size()};
}

// Lines far from the view are hidden: Qt moves a hidden line without repainting anything or
// sending it events, and moving the thousands of lines below a split or a join was most of
// the cost of one in a long document. A line shows again as the view comes near it.
ColumnStretch TBasisMath::NearView() const {
    const int top = scroll_->verticalScrollBar()->value();
    const int height = scroll_->viewport()->height();
    return {top - height, top + 2 * height};
}

void TBasisMath::ShowLinesNearView() {
    const ColumnStretch near = NearView();
    for (std::size_t k = 0; k < lines_.size(); ++k) {
        PrefetchAhead(lines_, k);
        ShowIfNearView(*lines_[k], near);
    }
}

void TBasisMath::ShowIfNearView(TMathEditor& line, const ColumnStretch& near) {
    const bool show = near.Meets(line) || focusWidget() == &line;
    if (show == line.isHidden()) line.setVisible(show);
}

// A line is destroyed from within its own key handling, so it goes once the event is done.
void TBasisMath::DestroyLine(TMathEditor* line) {
    line->removeEventFilter(this);
    line->hide();
    line->deleteLater();
    FitToLines();
}

void TBasisMath::FormKeyDown(TMathEditor& current, int& key, ShiftState shift) {
    const int i = IndexOf(current);
    if (i < 0) return;
    MathLine& cur = current.Line();
    switch (key) {
    case VK::Back: {
        if (i == 0 || cur.CaretPos > 1) return;
        SaveHerstel();
        RemoveLine(current);
        TMathEditor* previous = lines_[std::size_t(i - 1)];
        previous->Line().SetCodes(previous->Line().Codes() + cur.Codes());
        previous->SetText(previous->Text() + cur.Text());
        FocusLine(*previous);
        previous->PlaceCaret();
        DestroyLine(&current);
        key = 0;
        return;
    }
    case VK::Return: {
        CheckRoomForLine();
        SaveHerstel();
        TMathEditor* line = InsertLineBelow(current);
        line->SetFont(current.Font(), current.FontColor());
        line->SetPlainText(current.PlainText());
        cur.Selstart = cur.CaretPos;
        cur.Seleinde = int(cur.Text().size());
        // The tail and exactly the code bytes of its code characters go to the new line.
        const Bytes head = cur.Text().substr(0, std::size_t(std::max(0, cur.CaretPos)));
        const std::size_t c0 = std::size_t(CountCodeChars(head));
        line->Line().SetCodes(c0 < cur.Codes().size() ? cur.Codes().substr(c0) : Bytes());
        line->SetText(" " + (std::size_t(cur.CaretPos) < cur.Text().size()
                                 ? cur.Text().substr(std::size_t(cur.CaretPos))
                                 : Bytes()));
        DeleteSelection(cur);
        FocusLine(*line);
        key = 0;
        return;
    }
    case VK::Delete: {
        if (cur.CaretPos < int(cur.Text().size()) || i + 1 >= int(lines_.size())) return;
        SaveHerstel();
        TMathEditor* next = lines_[std::size_t(i + 1)];
        cur.SetCodes(cur.Codes() + next->Line().Codes());
        current.SetText(current.Text() + next->Text());
        RemoveLine(*next);
        DestroyLine(next);
        key = 0;
        return;
    }
    case VK::F4:
        if (shift.alt) {
            key = 0;
            close();
        }
        return;
    default:
        return;
    }
}

void TBasisMath::CreatePopupMenu1() {
    PopupMenu1 = new QMenu(this);
    auto add = [this](const QString& caption, const QKeySequence& shortcut, auto handler) {
        QAction* a = PopupMenu1->addAction(caption);
        a->setShortcut(shortcut);
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a); // the shortcut works without opening the menu
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    PopupMenu1->addAction("-----Regel----");
    popPlainText = add("Plain&Text", QKeySequence("Ctrl+T"), &TBasisMath::PopPlTextClick);
    popPlainText->setCheckable(true);
    popPlainText->setChecked(true);
    PopFont = add("&Font", QKeySequence("Ctrl+F"), &TBasisMath::PopFontClick);
    add("&Alles kiezen", QKeySequence("Ctrl+A"), &TBasisMath::PopAllClick);
    add("&Herstellen", QKeySequence("Ctrl+Z"), &TBasisMath::PopRedoClick);
    PopupMenu1->addAction("-----Selectie-----");
    add("&Knippen", QKeySequence("Ctrl+X"), &TBasisMath::PopKnippenClick);
    add(QString::fromUtf8("&Kopiëren"), QKeySequence("Ctrl+C"), &TBasisMath::PopcopyClick);
    add("&Plakken", QKeySequence("Ctrl+V"), &TBasisMath::PopPlakkenClick);
    add("&Markeren", QKeySequence("Ctrl+M"), &TBasisMath::popMarkerenClick);
    PopupMenu1->addSeparator();
    QAction* list = add("Functie&Lijst", QKeySequence("Ctrl+L"), &TBasisMath::PopFunctieLijstClick);
    PopupMenu1->setDefaultAction(list);
}

void TBasisMath::PopPlTextClick() {
    if (TMathEditor* line = CurrentLine()) line->SetPlainText(popPlainText->isChecked());
}

void TBasisMath::PopAllClick() {
    if (TMathEditor* line = CurrentLine()) line->SelectAll();
}

void TBasisMath::PopRedoClick() {
    TMathEditor* line = CurrentLine();
    if (!line) return;
    MathLine& m = line->Line();
    line->SetTextPlusCode(m.ring[std::size_t(m.ringIndex)]);
    m.ringIndex = m.ringIndex < 2 ? 10 : m.ringIndex - 1;
}

void TBasisMath::PopcopyClick() {
    TMathEditor* line = CurrentLine();
    if (!line) return;
    const MathLine& m = line->Line();
    const int len = int(m.Text().size());
    const int s = std::clamp(m.Selstart, 0, len), e = std::clamp(m.Seleinde, s, len);
    CopiedText = m.Text().substr(std::size_t(s), std::size_t(e - s));
    const std::size_t c0 = std::size_t(CountCodeChars(m.Text().substr(0, std::size_t(s))));
    const std::size_t c1 = std::size_t(CountCodeChars(CopiedText));
    CopiedCodes = c0 < m.Codes().size() ? m.Codes().substr(c0, c1) : Bytes();
}

void TBasisMath::PopKnippenClick() {
    TMathEditor* line = CurrentLine();
    if (!line) return;
    PopcopyClick();
    DeleteSelection(line->Line());
    line->SetText(line->Text());
}

void TBasisMath::PopPlakkenClick() {
    TMathEditor* line = CurrentLine();
    if (!line) return;
    MathLine& m = line->Line();
    const std::size_t s = std::size_t(std::clamp(m.Selstart, 0, int(m.Text().size())));
    const std::size_t c0 = std::size_t(CountCodeChars(m.Text().substr(0, s)));
    Bytes codes = m.Codes();
    codes.insert(std::min(c0, codes.size()), CopiedCodes);
    Bytes text = m.Text();
    text.insert(s, CopiedText);
    m.SetCodes(codes);
    line->SetText(text);
}

void TBasisMath::PopFunctieLijstClick() {
    if (TMathEditor* line = CurrentLine()) TFuncFormMath::OpenFor(*line);
}

void TBasisMath::popMarkerenClick() {
    TMathEditor* line = CurrentLine();
    if (!line) return;
    MathLine& m = line->Line();
    if (m.Seleinde == m.Selstart) m.Seleinde += 1;
    Bytes text = m.Text(), codes = m.Codes();
    InsertStructureCode(text, codes, m.Selstart + 1, StructKind::Colour);
    InsertStructureCode(text, codes, m.Seleinde + 2, StructKind::Colour);
    m.SetCodes(codes);
    m.CaretPos = m.Seleinde + 1;
    line->SetText(text);
    m.Selstart = m.Seleinde = m.CaretPos;
    m.TextToDisplay();
    line->PlaceCaret();
}

} // namespace zelm
