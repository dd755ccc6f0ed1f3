#include "app/MathEdit.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QToolTip>

namespace zelm {

namespace {

// The hint's word for a line's mode, indexed by its PlainText.
const char* const ModeNames[2] = {"Zelm", "Plain"};

const QString RecoveryFolderMade = "Er is een Herstel directorie gemaakt: ";

} // namespace

TBasisMath::TBasisMath(QString programDir, std::function<void(const QString&)> showMessage)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                               Qt::WindowStaysOnTopHint),
      programDir_(programDir.isEmpty() ? QCoreApplication::applicationDirPath() : programDir),
      showMessage_(std::move(showMessage)) {
    if (!showMessage_) {
        showMessage_ = [this](const QString& text) {
            QMessageBox::information(this, QApplication::applicationName(), text);
        };
    }
    setWindowTitle("ZelmEditor");
    setMinimumSize(400, 200);
    move(800, 125);

    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(false);
    column_ = new QWidget;
    column_->setAutoFillBackground(true);
    column_->resize(480, 1041);
    scroll_->setWidget(column_);
    setCentralWidget(scroll_);
    resize(480, 1041);

    FormCreate();
}

TBasisMath::~TBasisMath() = default;

void TBasisMath::FormCreate() {
    EditorState().plainTextDefault = true;
    show();
    TMathEditor* first = CreateEd();
    FitToLines();
    first->setFocus(Qt::OtherFocusReason);
    MakeRecoveryFolder();
}

// The recovery folder lives next to the program; a program folder we may not write to (a
// read-only install) gets it in the user's data folder instead, so splitting and joining
// lines keep working.
void TBasisMath::MakeRecoveryFolder() {
    const QString beside = QDir(programDir_).absolutePath() + "/Herstel/";
    const QString perUser =
        QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + "/Herstel/";
    for (const QString& folder : {beside, perUser}) {
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
    auto* line = new TMathEditor(column_);
    lines_.push_back(line);
    line->SetLineIndex(int(lines_.size()) - 1);
    line->OnHeightChange = [this](TMathEditor& e, int h) { Autoresize(e, h); };
    line->OnWidthChange = [this](TMathEditor& e, int w) { Widthresize(e, w); };
    line->OnUpDownKeys = [this](TMathEditor& e, unsigned short d) { OpNeer(e, d); };
    line->Onenter = [this](TMathEditor& e) { EditorEnter(e); };
    line->setFocusPolicy(Qt::ClickFocus); // Tabstop False
    line->SetFont(WindowFont, WindowFontColor);
    line->SetPlainText(EditorState().plainTextDefault);
    line->installEventFilter(this); // hints and the key preview
    MathLine& m = line->Line();
    m.Selstart = m.Seleinde = m.CaretPos = 1;
    line->SetText(" ");
    line->show();
    return line;
}

TMathEditor* TBasisMath::CurrentLine() const {
    for (TMathEditor* l : lines_)
        if (l->hasFocus()) return l;
    return nullptr;
}

int TBasisMath::IndexOf(const TMathEditor& line) const {
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i] == &line) return int(i);
    return -1;
}

void TBasisMath::Autoresize(TMathEditor& editor, int newHeight) {
    const int delta = newHeight - editor.height();
    const int i = IndexOf(editor);
    if (i < 0) return;
    for (std::size_t k = std::size_t(i) + 1; k < lines_.size(); ++k)
        lines_[k]->move(lines_[k]->x(), lines_[k]->y() + delta);
    // The line takes its new height right after this report; fit the window once it has.
    QMetaObject::invokeMethod(this, [this] { FitToLines(); }, Qt::QueuedConnection);
}

void TBasisMath::Widthresize(TMathEditor& editor, int newWidth) {
    if (editor.Text().size() > 250) QApplication::beep();
    int widest = newWidth;
    for (TMathEditor* l : lines_) widest = std::max(widest, l->NeededWidth());
    for (TMathEditor* l : lines_) {
        l->resize(widest, l->height());
        l->Line().ClientWidth = widest;
    }
    FitToLines();
}

void TBasisMath::OpNeer(TMathEditor&, unsigned short direction) {
    TMathEditor* current = CurrentLine();
    if (!current) return;
    const int i = IndexOf(*current);
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
    if (target) target->setFocus(Qt::OtherFocusReason);
}

void TBasisMath::EditorEnter(TMathEditor& sender) {
    if (popPlainText) popPlainText->setChecked(EditorState().plainTextDefault);
    scroll_->ensureWidgetVisible(&sender, 0, 0);
}

QString TBasisMath::HintFor(const TMathEditor& line) const {
    return "Regel " + QString::number(line.LineIndex()) + " " + ModeNames[line.PlainText() ? 1 : 0] +
           " ..Click rechts voor menu";
}

bool TBasisMath::FormHelp() {
    if (showHelp) showHelp();
    return true;
}

QSize TBasisMath::LinesExtent() const {
    int w = 0, h = 0;
    for (const TMathEditor* l : lines_) {
        w = std::max(w, l->x() + l->width());
        h = std::max(h, l->y() + l->height());
    }
    return {w, h};
}

// Auto-size: the window's client area follows its lines, up to the screen's work area; beyond
// that the column scrolls.
void TBasisMath::FitToLines() {
    const QSize extent = LinesExtent();
    column_->resize(extent);
    QSize client = extent;
    if (const QScreen* s = screen()) {
        const QRect work = s->availableGeometry();
        const int frameW = frameGeometry().width() - width();
        const int frameH = frameGeometry().height() - height();
        const int bar = scroll_->verticalScrollBar()->sizeHint().width();
        if (client.height() > work.height() - frameH) client = {client.width() + bar, work.height() - frameH};
        client.setWidth(std::min(client.width(), work.width() - frameW));
    }
    resize(client.expandedTo(minimumSize()));
}

bool TBasisMath::eventFilter(QObject* watched, QEvent* e) {
    auto* line = qobject_cast<TMathEditor*>(watched);
    if (line && e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        QToolTip::showText(help->globalPos(), HintFor(*line), line);
        return true;
    }
    if (line && e->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (key->key() == Qt::Key_F1) return FormHelp();
    }
    return QMainWindow::eventFilter(watched, e);
}

} // namespace zelm
