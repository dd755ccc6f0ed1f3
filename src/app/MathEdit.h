// TBasisMath: the main window, a column of formula lines that sizes itself to them.
#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>
#include <vector>

#include "editor/MathEditor.h"
#include "formula/Keys.h"

class QScrollArea;
class QAction;
class QMenu;

namespace zelm {

class TBasisMath : public QMainWindow {
    Q_OBJECT
public:
    /// `programDir` is the folder of the program file (the recovery folder goes there);
    /// `showMessage` shows a message box (tests replace it).
    explicit TBasisMath(QString programDir = {},
                        std::function<void(const QString&)> showMessage = {});
    ~TBasisMath() override;

    /// Creates a line at the bottom of the column with the window's defaults.
    TMathEditor* CreateEd();
    /// The lines in column order.
    const std::vector<TMathEditor*>& Lines() const { return lines_; }
    /// The line with the keyboard focus, or nullptr.
    TMathEditor* CurrentLine() const;

    // Handlers of the lines' events.
    void Autoresize(TMathEditor& editor, int newHeight);
    void Widthresize(TMathEditor& editor, int newWidth);
    void OpNeer(TMathEditor& editor, unsigned short direction);
    void EditorEnter(TMathEditor& sender);
    /// The hint text of a line.
    QString HintFor(const TMathEditor& line) const;
    /// A help request: shows the help window; the platform's help is never asked.
    bool FormHelp();

    QString HerstelDir;
    QString DocDir;
    int HerstelNummer = 0;
    /// The window's font for new lines, and its colour.
    FontDesc WindowFont{"Tahoma", -16};
    ColorRef WindowFontColor = 0;
    /// Shows the help window; set by start-up once the help window exists.
    std::function<void()> showHelp;
    /// The line menu's "Plain&Text" item, whose check mark follows PlainTextDefault.
    QAction* popPlainText = nullptr;

    /// Creates a line directly below `current`; the lines further down move down.
    TMathEditor* InsertLineBelow(TMathEditor& current);
    /// Takes `line` out of the column and closes the gap; the caller destroys it.
    void RemoveLine(TMathEditor& line);
    /// The key preview: sees every key down before the focused line. Sets `key` to 0 when it
    /// consumed the key.
    void FormKeyDown(TMathEditor& current, int& key, ShiftState shift);
    // The document file and the recovery store (DocumentFile.cpp, RecoveryStore.cpp).
    /// Stores the document as the next recovery state (before a split or join).
    void SaveHerstel();

    // The line menu and its commands, on the line that has the focus.
    QMenu* PopupMenu1 = nullptr;
    void PopPlTextClick();
    void PopAllClick();
    void PopRedoClick();
    void PopcopyClick();
    void PopKnippenClick();
    void PopPlakkenClick();
    void popMarkerenClick();
    /// The window's own clipboard for line fragments, shared by all lines.
    Bytes CopiedText, CopiedCodes;

    /// The extent of the lines: the widest line and the bottom of the lowest.
    QSize LinesExtent() const;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void FormCreate();
    void MakeRecoveryFolder();
    void FitToLines();
    /// Scrolls the column so that `line` is visible.
    void KeepInView(TMathEditor& line);
    void CreatePopupMenu1();
    void DestroyLine(TMathEditor* line);
    int IndexOf(const TMathEditor& line) const;

    QString programDir_;
    std::function<void(const QString&)> showMessage_;
    QScrollArea* scroll_ = nullptr;
    QWidget* column_ = nullptr;
    std::vector<TMathEditor*> lines_;
};

} // namespace zelm
