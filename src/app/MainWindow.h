// TBasisMath: the main window, a column of formula lines that sizes itself to them.
#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/CrashState.h"
#include "app/DocumentFile.h"
#include "app/DocumentHost.h"
#include "app/FormulaExchange.h"
#include "app/LineColumn.h"
#include "app/PictureExport.h"
#include "app/RecoveryStore.h"
#include "dialogs/FontDialog.h"
#include "editor/LineEditor.h"
#include "files/DocumentCodec.h"
#include "formula/Errors.h"
#include "formula/Keys.h"
#include "platform/SpriteCache.h"

class QAction;
class QMenu;
class QCloseEvent;

namespace zelm {

class MenuStyle;
class TOptiesVenster;

class TBasisMath final : public QMainWindow, public LineOwner, public DocumentHost {
    Q_OBJECT
public:
    /// `programDir` is the folder of the program file (the recovery folder goes there);
    /// `showMessage` shows a message box (tests replace it).
    /// `arguments` are the program's arguments without the program name.
    explicit TBasisMath(QString programDir = {},
                        std::function<void(const QString&)> showMessage = {},
                        QStringList arguments = {});
    ~TBasisMath() override;

    /// Creates a line at the bottom of the column with the window's defaults.
    TMathEditor* CreateEd();
    // The calls of DocumentHost, for the window's parts.
    LineColumn& Column() override { return column_; }
    const std::vector<TMathEditor*>& Lines() const override { return column_.Lines(); }
    /// A line as CreateEd makes it, not yet shown: its caller places it, then shows it.
    TMathEditor* NewLine() override;
    TMathEditor* CurrentLine() const override;
    /// The window's title.
    QString Caption() const override { return windowTitle(); }
    void SetCaption(const QString& caption) override { setWindowTitle(caption); }
    void FitToLines() override;
    /// Gives `line` the focus, showing it first when it lies far out of view.
    void FocusLine(TMathEditor& line) override;
    void FocusFirstLine() override;
    void ShowMessage(const QString& text) override { showMessage_(text); }
    /// The message of a failed menu command (the application's error report).
    void ReportFailure(const QString& text) override;
    QWidget* DialogParent() override { return this; }
    /// The client area below the menu bar.
    QSize ClientSize() const override;
    DocumentFile& Document() override { return document_; }
    RecoveryStore& Recovery() override { return recovery_; }

    // Handlers of the lines' events, and the calls of LineOwner that reach them.
    void Autoresize(TMathEditor& editor, int newHeight);
    void Widthresize(TMathEditor& editor, int newWidth);
    void OpNeer(TMathEditor& editor, unsigned short direction);
    void EditorEnter(TMathEditor& sender);
    void HeightChanged(TMathEditor& line, int newHeight) override { Autoresize(line, newHeight); }
    void WidthChanged(TMathEditor& line, int newWidth) override { Widthresize(line, newWidth); }
    void UpDown(TMathEditor& line, unsigned short direction) override { OpNeer(line, direction); }
    void Entered(TMathEditor& line) override { EditorEnter(line); }
    /// A far line shows only while it has the focus.
    void Exited(TMathEditor& line) override;
    /// The focused line's caret is kept in view.
    void CaretMoved(TMathEditor& line) override;
    /// Every change of a line's text is work the crash state keeps.
    void TextChanged(TMathEditor&) override {
        actualPlacesStale_ = true;
        crash_.Changed();
    }
    /// At a zoom, the place the line would have at the actual size.
    std::pair<int, int> StoredPlace(const TMathEditor& line) override;
    // The column's steps of a line's split or join.
    TMathEditor* Neighbour(TMathEditor& line, int offset) override;
    void CheckRoomForNewLine() override { document_.CheckRoomForLine(); }
    void SaveRecoveryState() override { recovery_.SaveHerstel(); }
    TMathEditor& NewLineBelow(TMathEditor& line) override { return *InsertLineBelow(line); }
    void TakeOut(TMathEditor& line) override { RemoveLine(line); }
    void Discard(TMathEditor& line) override { DestroyLine(&line); }
    void Focus(TMathEditor& line) override { FocusLine(line); }
    /// The hint text of a line.
    QString HintFor(const TMathEditor& line) const;
    /// A help request: shows the help window; the platform's help is never asked.
    bool FormHelp();

    /// The window's font for new lines, and its colour.
    FontDesc WindowFont = DefaultLineFont;
    ColorRef WindowFontColor = 0;
    /// Shows the help window; set by start-up once the help window exists.
    std::function<void()> showHelp;
    /// The line menu's "Plain&Text" item, whose check mark is the focused line's mode.
    QAction* popPlainText = nullptr;

    /// Creates a line directly below `current`; the lines further down move down.
    TMathEditor* InsertLineBelow(TMathEditor& current);
    /// Takes `line` out of the column and closes the gap; the caller destroys it.
    void RemoveLine(TMathEditor& line);
    /// The key preview: sees every key down of a line before the line does (F1, Alt+F4). Sets
    /// `key` to 0 when it consumed the key. The splits and joins are the line's own.
    void FormKeyDown(TMathEditor& current, int& key, ShiftState shift) override;
    // The document file, the recovery store, the crash state and the picture and formula
    // commands are parts of their own; the menu binds to their handlers.
    PictureExport& Pictures() { return pictures_; }
    FormulaExchange& Formulas() { return formulas_; }
    CrashState& Crash() { return crash_; }
    static constexpr int LargestDocumentLines = DocumentFile::LargestDocumentLines;
    /// Shows the message of a failed menu command (the application's error report).
    std::function<void(const QString&)> showError;
    QAction* MSave = nullptr;
    QAction* MLoad = nullptr;
    QMenu* Herstel1 = nullptr;
    QAction* mVorige = nullptr;
    QAction* mterug = nullptr;
    QAction* mVorigeSessies = nullptr;
    /// The client size the window takes for its lines when the screen does not limit it.
    QSize DocumentSize() const;

    // The rest of the main menu, the window menu and the font and settings commands.
    QMenu* MSchrijven = nullptr; ///< "&Kopiëren"
    QAction* Mjpg = nullptr;
    QAction* MWMF = nullptr;
    QAction* MLatex = nullptr;
    QAction* MMathML = nullptr;
    QAction* MExporteren = nullptr;
    /// "Kopiëren als formule" and "Plakken als formule": window shortcuts of the focused line.
    QAction* KopieerFormule = nullptr;
    QAction* PlakFormule = nullptr;
    QAction* MPrint = nullptr;
    QMenu* MDocument = nullptr; ///< "&Alles"
    QAction* Font1 = nullptr;
    QAction* plText = nullptr;
    QAction* Nieuw1 = nullptr;
    QAction* MWattsApp = nullptr;
    QAction* Instellingen1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QAction* Alleswissen1 = nullptr;
    QAction* Nieuweregel1 = nullptr;
    QAction* PopFont = nullptr;
    /// The style of the main menu and the line menu.
    MenuStyle* menuStyle = nullptr;
    /// "Font" in "&Alles": the window's font for every line.
    void Font1Click();
    /// "PlainText" in "&Alles": the item's check state for the default and every line.
    void plTextClick();
    /// "Nieuw" and "Alles wissen": one empty line instead of all lines.
    void Alleswissen1Click();
    /// "Nieuweregel": a new line at the bottom.
    void Nieuweregel1Click();
    /// "&Instellingen": the settings dialog; OK applies its settings to lines made later.
    void Instellingen1Click();
    /// "&Font": the font of the line with the focus.
    void PopFontClick();
    /// The settings dialog that "&Instellingen" shows; the item works once it is given.
    void UseOptiesVenster(TOptiesVenster& dialog);
    TOptiesVenster* OptiesVenster = nullptr;
    /// The font dialog: the choice, or nothing when cancelled. Tests replace it.
    std::function<std::optional<ChosenFont>(const FontDesc&, ColorRef)> chooseFont;

private:
    void CreateMainMenu();
    void FocusOnOpen(QMenu& menu);
    void RunReportingFailure(const std::function<void()>& command);

public:
    // The line menu and its commands, on the line that has the focus.
    QMenu* PopupMenu1 = nullptr;
    void PopPlTextClick();
    /// The screen reader says the mode `line` is in now.
    void AnnounceMode(TMathEditor& line);
    void PopAllClick();
    void PopRedoClick();
    void PopOpnieuwClick();
    void PopcopyClick();
    void PopKnippenClick();
    void PopPlakkenClick();
    void popMarkerenClick();
    /// "Functie&Lijst": shows the target line's own function list beside it.
    void PopFunctieLijstClick();
    /// The window's own clipboard for line fragments, shared by all lines.
    Bytes CopiedText, CopiedCodes;

    // The zoom: the size every line is drawn at, in percent; the document keeps its fonts.
    static constexpr int SmallestZoom = 50, LargestZoom = 400, ZoomStep = 10, ActualSize = 100;
    int Zoom() const { return zoom_; }
    /// Draws every line at `percent` (kept within the range), fits the window to the lines and
    /// remembers the zoom for the next run.
    void SetZoom(int percent);
    /// The zoom the last run left; the actual size when there is none.
    static int StoredZoom();
    /// Runs `command` with every line laid out at its actual size, as pictures, prints and
    /// exports draw them; the zoom comes back afterwards.
    void AtActualSize(const std::function<void()>& command);
    QAction* Inzoomen = nullptr;
    QAction* Uitzoomen = nullptr;
    QAction* WareGrootte = nullptr;

    /// The extent of the lines: the widest line and the bottom of the lowest.
    QSize LinesExtent() const { return column_.Extent(); }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    /// Closing (close box, system menu, Alt+F4) runs FormClose.
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    /// A right click outside the lines opens the window menu.
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    void FormCreate();
    bool fitPending_ = false; ///< a refit is queued
    /// The height the menu bar takes in a window `width` wide.
    int MenuBarHeight(int width) const;
    void CreatePopupMenu1();
    void CreatePopupMenu2();
    void StyleMenus();
    void DestroyLine(TMathEditor* line);
    void CreateZoomItems();
    void ApplyZoom(int percent);
    void StackZoomedLines();
    void StoreZoom() const;
    /// Ctrl with the mouse wheel: true when it took the event.
    bool ZoomWheel(QEvent* e);
    int zoom_ = ActualSize;
    int wheelTurn_ = 0; ///< wheel rotation not yet a whole step
    // The lines' tops and their width at the actual size, for the document, while zoomed.
    std::vector<int> actualTops_;
    int actualWidth_ = 0;
    int columnWidthAtActualSize_ = 0;
    bool actualPlacesStale_ = true;

    QString programDir_;
    std::function<void(const QString&)> showMessage_;
    LineColumn column_;
    /// The sprites the lines paint from.
    SpriteCache sprites_;
    DocumentFile document_{*this};
    RecoveryStore recovery_{*this};
    PictureExport pictures_{*this};
    FormulaExchange formulas_{*this};
    CrashState crash_{*this};
};

} // namespace zelm
