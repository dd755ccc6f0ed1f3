#include "app/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolTip>
#include <QWindow>

#include "app/MenuStyle.h"
#include "dialogs/FunctieFormMath.h"
#include "editor/LineAccessible.h"
#include "files/DocumentCodec.h"
#include "formula/FormulaText.h"
#include "formula/LineKeys.h"
#include "platform/ErrorReport.h"
#include "platform/KeyCodes.h"
#include "platform/WorkArea.h"

namespace zelm {

namespace {

// The hint's word for a line's mode, indexed by its PlainText.
const char* const ModeNames[2] = {"Zelm", "Plain"};

// The designed position of the window on the screen.
const QPoint DesignedPosition(800, 125);

// A line is stored in one record: what no edit may outgrow is what a record holds.
static_assert(LongestStoredLine == ShortStringMax);

} // namespace

TBasisMath::TBasisMath(QString programDir, std::function<void(const QString&)> showMessage,
                       QStringList arguments)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                               Qt::WindowStaysOnTopHint),
      programDir_(programDir.isEmpty() ? QCoreApplication::applicationDirPath() : programDir),
      showMessage_(std::move(showMessage)), column_(*this, *this) {
    if (!showMessage_) {
        showMessage_ = [this](const QString& text) { ShowMessageBox(this, text); };
    }
    setWindowTitle("ZelmEditor");
    setMinimumSize(SmallestWindow);
    move(DesignedPosition);

    setCentralWidget(column_.Scroll());
    column_.Scroll()->setAccessibleName("Regels");
    column_.Widget()->setAccessibleName("Kolom van regels");
    resize(480, 1041);

    CreatePopupMenu1();
    CreateMainMenu();
    FormCreate();
    document_.OpenCommandLineDocument(arguments);
    // Only now: a box of the start-up (an unsaved session, a damaged document) runs the event
    // loop, and an offer taken there would be replaced by the command line's document.
    crash_.StartAtLaunch();
    // The remembered zoom last: the lines were made and loaded at their actual size, which
    // the document keeps whatever the zoom.
    if (const int stored = StoredZoom(); stored != ActualSize) ApplyZoom(stored);
}

// The lines go only once the window's own part is gone; the line with the focus then reports
// that it lost it, to a window that no longer exists.
TBasisMath::~TBasisMath() {
    for (TMathEditor* line : column_.Widget()->findChildren<TMathEditor*>())
        line->SetOwner(nullptr);
}

void TBasisMath::FormCreate() {
    EditorState().plainTextDefault = true;
    show();
    CreateEd();
    FitToLines();
    FocusFirstLine();
    recovery_.MakeRecoveryFolder(programDir_, showMessage_);
    // The window manager's frame, and a screen of another scale, are known only once the
    // window is on the screen: fit again then.
    QMetaObject::invokeMethod(this, &TBasisMath::FitToLines, Qt::QueuedConnection);
    if (QWindow* w = windowHandle())
        connect(w, &QWindow::screenChanged, this, &TBasisMath::FitToLines);
    // Saves killed halfway leave their temporary files; the first instance clears them.
    recovery_.ClaimFolder();
    recovery_.PruneSessions();
    recovery_.AnnounceUnsavedWork(showMessage_);
}

void TBasisMath::FocusFirstLine() {
    if (!Lines().empty()) FocusLine(*Lines().front());
}

// A hidden line would take the focus only once it shows again.
void TBasisMath::FocusLine(TMathEditor& line) {
    if (line.isHidden()) line.show();
    line.setFocus(Qt::OtherFocusReason);
}

TMathEditor* TBasisMath::CreateEd() {
    TMathEditor* line = NewLine();
    column_.ShowIfNearView(*line);
    return line;
}

// A line placed right after it is made shows or hides only once it is in place: a loaded line
// made at the top of the column would otherwise show there first, to hide again at its own top.
TMathEditor* TBasisMath::NewLine() {
    TMathEditor* line = column_.AddLine(*this);
    line->SetSprites(&sprites_);
    line->setFocusPolicy(Qt::ClickFocus); // Tabstop False
    line->popupmenu = PopupMenu1;
    line->installEventFilter(this); // the hints
    line->SetZoom(zoom_);
    StartLine(*line, WindowFont, WindowFontColor);
    return line;
}

TMathEditor* TBasisMath::CurrentLine() const {
    auto* focused = qobject_cast<TMathEditor*>(QApplication::focusWidget());
    return focused && column_.IndexOf(*focused) >= 0 ? focused : nullptr;
}

void TBasisMath::Autoresize(TMathEditor& editor, int newHeight) {
    actualPlacesStale_ = true;
    if (!column_.MakeRoomFor(editor, newHeight)) return;
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
    column_.Widen(newWidth);
    FitToLines();
}

void TBasisMath::OpNeer(TMathEditor& editor, unsigned short direction) {
    // The focused line; the reporting line when the window is not active at the moment.
    TMathEditor* current = CurrentLine() ? CurrentLine() : &editor;
    const std::vector<TMathEditor*>& lines = Lines();
    const int i = column_.IndexOf(*current);
    if (i < 0) return; // a line already taken out of the column
    const int last = int(lines.size()) - 1;
    TMathEditor* target = nullptr;
    switch (direction) {
    case 37: // Left: to the end of the line above
        if (i > 0) {
            target = lines[std::size_t(i - 1)];
            target->Line().DispCaret = int(target->Cursieftext().size());
            target->Line().DisplayToText();
        }
        break;
    case 38: // Up
        if (i > 0) target = lines[std::size_t(i - 1)];
        break;
    case 39: // Right: behind the leading blank of the line below
        if (i < last) {
            target = lines[std::size_t(i + 1)];
            target->Line().DispCaret = 1;
            target->Line().DisplayToText();
        }
        break;
    case 40: // Down
        if (i < last) target = lines[std::size_t(i + 1)];
        break;
    default:
        break;
    }
    if (target) FocusLine(*target);
}

// The check mark of "Plain&Text" is the mode of the line that has the focus, not the default
// that new lines take, so that it says what Ctrl+T will switch from.
void TBasisMath::EditorEnter(TMathEditor& sender) {
    if (popPlainText) popPlainText->setChecked(sender.PlainText());
    column_.KeepInView(sender);
}

void TBasisMath::Exited(TMathEditor& line) {
    if (column_.IndexOf(line) >= 0) column_.ShowIfNearView(line);
}

void TBasisMath::CaretMoved(TMathEditor& line) {
    if (focusWidget() == &line) column_.KeepInView(line);
}

QString TBasisMath::HintFor(const TMathEditor& line) const {
    return "Regel " + QString::number(line.LineIndex()) + " " +
           ModeNames[line.PlainText() ? 1 : 0] + " ..Click rechts voor menu";
}

bool TBasisMath::FormHelp() {
    if (showHelp) showHelp();
    return true;
}

// Auto-size: the client area below the menu bar follows the lines. The window grows up to the
// screen's work area, moving left and up just as far as it must to stay inside it; beyond
// that the column scrolls, so that no line is out of reach, and the focused line is kept in
// view.
void TBasisMath::FitToLines() {
    if (zoom_ != ActualSize) StackZoomedLines();
    const QSize extent = column_.Extent();
    column_.Widget()->resize(extent);
    const QRect work = screen() ? screen()->availableGeometry() : QRect(0, 0, 1 << 20, 1 << 20);
    const QSize frame = frameGeometry().size() - size();
    const int barWidth = column_.Scroll()->verticalScrollBar()->sizeHint().width();
    const int barHeight = column_.Scroll()->horizontalScrollBar()->sizeHint().height();

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
    column_.ChooseScrollBars();
    if (TMathEditor* line = column_.LineInFocus()) column_.KeepInView(*line);
}

QSize TBasisMath::ClientSize() const {
    return centralWidget()->size();
}

QSize TBasisMath::DocumentSize() const {
    const int menu = menuBar()->sizeHint().height();
    return LinesExtent().expandedTo({minimumWidth(), std::max(1, minimumHeight() - menu)});
}

int TBasisMath::MenuBarHeight(int width) const {
    const QWidget* bar = menuWidget();
    if (!bar || bar->isHidden()) return 0;
    const int h = bar->hasHeightForWidth() ? bar->heightForWidth(width) : -1;
    return h >= 0 ? h : bar->sizeHint().height();
}

bool TBasisMath::eventFilter(QObject* watched, QEvent* e) {
    if (ZoomWheel(e)) return true;
    if (watched == column_.Scroll() && e->type() == QEvent::Resize) {
        column_.ChooseScrollBars(); // the user sized the window
        column_.ShowLinesNearView();
        return false;
    }
    auto* line = qobject_cast<TMathEditor*>(watched);
    if (line && e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        QToolTip::showText(help->globalPos(), HintFor(*line), line);
        return true;
    }
    return QMainWindow::eventFilter(watched, e);
}

void TBasisMath::closeEvent(QCloseEvent* e) {
    // Closing never asks and is never refused: a state that cannot be stored is reported and
    // the window closes all the same.
    try {
        recovery_.FormClose();
        crash_.Remove(); // only once the closing state is stored
    } catch (const std::exception& error) {
        ReportFailure(QString::fromLocal8Bit(error.what()));
    }
    QMainWindow::closeEvent(e);
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
    TMathEditor* line = column_.InsertBelow(current, [this] { return NewLine(); });
    FitToLines();
    return line;
}

void TBasisMath::RemoveLine(TMathEditor& line) {
    column_.Remove(line);
}

// A line is destroyed from within its own key handling, so it goes once the event is done.
void TBasisMath::DestroyLine(TMathEditor* line) {
    line->removeEventFilter(this);
    line->hide();
    line->deleteLater();
    FitToLines();
}

void TBasisMath::FormKeyDown(TMathEditor& current, int& key, ShiftState shift) {
    if (key == VK::F1) {
        key = 0;
        FormHelp();
        return;
    }
    if (column_.IndexOf(current) < 0) return;
    if (key == VK::F4 && shift.alt) {
        key = 0;
        close();
    }
}

TMathEditor* TBasisMath::Neighbour(TMathEditor& line, int offset) {
    const std::vector<TMathEditor*>& lines = Lines();
    const int i = column_.IndexOf(line);
    if (i < 0 || i + offset < 0 || i + offset >= int(lines.size())) return nullptr;
    return lines[std::size_t(i + offset)];
}

void TBasisMath::CreatePopupMenu1() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setAccessibleName("Regelmenu");
    auto add = [this](const QString& caption, const QKeySequence& shortcut, auto handler) {
        QAction* a = PopupMenu1->addAction(caption);
        a->setShortcut(shortcut);
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a); // the shortcut works without opening the menu
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    SetHeading(*PopupMenu1->addAction("-----Regel----"));
    popPlainText = add("Plain&Text", QKeySequence("Ctrl+T"), &TBasisMath::PopPlTextClick);
    popPlainText->setCheckable(true);
    popPlainText->setChecked(true);
    PopFont = add("&Font", QKeySequence("Ctrl+F"), &TBasisMath::PopFontClick);
    add("&Alles kiezen", QKeySequence("Ctrl+A"), &TBasisMath::PopAllClick);
    add("&Herstellen", QKeySequence("Ctrl+Z"), &TBasisMath::PopRedoClick);
    add("Opnieuw", QKeySequence("Ctrl+Y"), &TBasisMath::PopOpnieuwClick);
    SetHeading(*PopupMenu1->addAction("-----Selectie-----"));
    add("&Knippen", QKeySequence("Ctrl+X"), &TBasisMath::PopKnippenClick);
    add(QString::fromUtf8("&Kopiëren"), QKeySequence("Ctrl+C"), &TBasisMath::PopcopyClick);
    add("&Plakken", QKeySequence("Ctrl+V"), &TBasisMath::PopPlakkenClick);
    // The formula commands, here so that a user finds them; Ctrl+Alt with a letter is no
    // structure key of a line.
    KopieerFormule =
        add(QString::fromUtf8("Kopiëren als formule"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C),
            [this] { RunReportingFailure([this] { formulas_.KopieerFormuleClick(); }); });
    PlakFormule = add("Plakken als formule", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_V),
                      [this] { RunReportingFailure([this] { formulas_.PlakFormuleClick(); }); });
    add("&Markeren", QKeySequence("Ctrl+M"), &TBasisMath::popMarkerenClick);
    PopupMenu1->addSeparator();
    QAction* list = add("Functie&Lijst", QKeySequence("Ctrl+L"), &TBasisMath::PopFunctieLijstClick);
    PopupMenu1->setDefaultAction(list);
}

void TBasisMath::PopPlTextClick() {
    TMathEditor* line = CurrentLine();
    if (!line) return;
    // Names recognised in formula mode may make the line longer than its record: then the
    // mode stays as it was, and so does the check mark.
    const bool plain = !line->PlainText();
    line->Line().EditWithinRecord([&] { line->SetPlainText(plain); });
    popPlainText->setChecked(line->PlainText());
    if (line->PlainText() == plain) AnnounceMode(*line);
}

void TBasisMath::AnnounceMode(TMathEditor& line) {
    Announce(line, line.PlainText() ? "tekstmodus" : "formulemodus");
}

void TBasisMath::PopAllClick() {
    if (TMathEditor* line = CurrentLine()) line->SelectAll();
}

void TBasisMath::PopRedoClick() {
    if (TMathEditor* line = CurrentLine()) line->Line().Undo();
}

void TBasisMath::PopOpnieuwClick() {
    if (TMathEditor* line = CurrentLine()) line->Line().Redo();
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
    m.EditWithinRecord([&] {
        const std::size_t s = std::size_t(std::clamp(m.Selstart, 0, int(m.Text().size())));
        const std::size_t c0 = std::size_t(CountCodeChars(m.Text().substr(0, s)));
        Bytes codes = m.Codes();
        codes.insert(std::min(c0, codes.size()), CopiedCodes);
        Bytes text = m.Text();
        text.insert(s, CopiedText);
        m.SetCodes(codes);
        m.SetText(text);
    });
}

void TBasisMath::PopFunctieLijstClick() {
    if (TMathEditor* line = CurrentLine()) TFuncFormMath::OpenFor(*line);
}

void TBasisMath::popMarkerenClick() {
    TMathEditor* line = CurrentLine();
    if (!line) return;
    MathLine& m = line->Line();
    m.EditWithinRecord([&] {
        if (m.Seleinde == m.Selstart) m.Seleinde += 1;
        Bytes text = m.Text(), codes = m.Codes();
        InsertStructureCode(text, codes, m.Selstart + 1, StructKind::Colour);
        InsertStructureCode(text, codes, m.Seleinde + 2, StructKind::Colour);
        m.SetCodes(codes);
        m.CaretPos = m.Seleinde + 1;
        m.SetText(text);
        m.Selstart = m.Seleinde = m.CaretPos;
        m.TextToDisplay();
        m.PlaceCaret();
    });
}

} // namespace zelm
