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
#include <set>
#include <string>
#include <vector>

#include "app/LineColumn.h"
#include "dialogs/FontDialog.h"
#include "editor/LineEditor.h"
#include "files/DocumentCodec.h"
#include "formula/Errors.h"
#include "formula/Keys.h"

class QScrollArea;
class QAction;
class QMenu;
class QCloseEvent;
class QPrinter;
class QProgressDialog;
class QUrl;

namespace zelm {

class MenuStyle;
class TOptiesVenster;
class FolderClaim;

/// The failure of a load that still put every line in place: a line's repairs gave up on the
/// way. The message is shown; the document is there.
class LineLoadError : public ZelmError {
public:
    using ZelmError::ZelmError;
};

class TBasisMath : public QMainWindow, public LineOwner {
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
    /// The lines in column order.
    const std::vector<TMathEditor*>& Lines() const { return column_.Lines(); }
    /// The line with the keyboard focus, or nullptr.
    TMathEditor* CurrentLine() const;
    /// Gives `line` the focus, showing it first when it lies far out of view.
    void FocusLine(TMathEditor& line);

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
    /// The hint text of a line.
    QString HintFor(const TMathEditor& line) const;
    /// A help request: shows the help window; the platform's help is never asked.
    bool FormHelp();

    QString HerstelDir;
    QString DocDir;
    int HerstelNummer = 0;
    /// The window's font for new lines, and its colour.
    FontDesc WindowFont{"Tahoma", -16, 0, 400, 0, 0, 0, 1}; // default character set (1)
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
    // The document file and the recovery store
    /// Writes every line, in column order, to `fileName`, replacing the file atomically.
    void Save(const QString& fileName);
    /// Replaces every line by the lines stored in `fileName`. The whole file is read first,
    /// so a file that cannot be read leaves the lines as they were. A long load shows its
    /// progress; false when the user cancelled it, which also leaves the lines as they were.
    /// A line whose repairs give up is reported with LineLoadError once every line is in.
    bool Load(const QString& fileName);
    /// Refuses a new line, with a message, once the document has as many as a load accepts.
    void CheckRoomForLine() const;
    /// The most lines a document may have (a line takes about 5 KB once on the screen).
    static constexpr int LargestDocumentLines = 20000;
    /// Milliseconds a load runs before its progress dialog shows (tests make it 0).
    int loadProgressDelay = 500;
    /// Called after each line a load has made, with the count so far (tests watch the dialog).
    std::function<void(int loaded)> onLineLoaded;
    /// "Op&slaan": asks for a file name and saves there; the caption stays.
    void MSaveClick();
    /// "&Openen": asks for an existing file, takes its folder and name, and loads it.
    void MLoadClick();
    /// The open dialog may close only on a file that exists.
    static bool OpenDialogCanClose(const QString& fileName);
    /// Loads the first program argument when its extension is exactly ".mds"; sets DocDir.
    void OpenCommandLineDocument(const QStringList& arguments);
    /// The dialogs of the file commands: given the proposed name, they return the chosen
    /// path or an empty string when cancelled. Tests replace them.
    std::function<QString(const QString&proposed)> chooseSaveFile, chooseOpenFile;
    /// Shows the message of a failed menu command (the application's error report).
    std::function<void(const QString&)> showError;
    /// The name of recovery state `n`: HerstelDir + caption + n + ".wes".
    QString HerstelFileName(int n) const;
    /// Stores the document as the next recovery state (before a split or join).
    void SaveHerstel();
    /// "&Vorige": one recovery state back, or the state left by the last closing.
    void Herstel1Click();
    /// "&Terug": one recovery state forward, when it exists.
    void mterugClick();
    /// Deletes every "*.wes" file of `folder` but the one named `keep`; what cannot be deleted
    /// stays, silently.
    static void ClearDir(const QString& folder, const QString& keep = {});
    /// The file steps of closing: store the document as state 0, then clear the other states
    /// (a failed store keeps them all).
    void FormClose();
    QAction* MSave = nullptr;
    QAction* MLoad = nullptr;
    QMenu* Herstel1 = nullptr;
    QAction* mVorige = nullptr;
    QAction* mterug = nullptr;
    // Pictures, printing and the messaging program (PictureExport.cpp)
    /// "JPG": the lines on a white picture of the client size, as caption + ".jpg" on the
    /// desktop, "tt.bmp" in the working folder and on the clipboard.
    void MjpgClick();
    /// "Metafile": the lines as an enhanced metafile "Meta.wmf" on the desktop and on the
    /// clipboard (with SVG and PNG renderings).
    void MWMFClick();
    /// "&Print": the lines on one page, each across the page width.
    void MPrintClick();
    /// "&WhatsAppWeb": starts the messaging program, or opens its web version.
    void MWattsAppClick();
    /// The desktop folder (made when missing) followed by `name`.
    QString SaveToDesktop(const QString& name) const;
    /// The client area below the menu bar.
    QSize ClientSize() const;
    /// The client size the window takes for its lines when the screen does not limit it.
    QSize DocumentSize() const;
    QString desktopFolder; ///< empty: the platform's desktop folder (tests set their own)
    QString WhatsAppExe;   ///< found on first use and kept for the run
    /// The print dialog, the program start and the browser; tests replace them.
    std::function<bool(QPrinter&)> choosePrinter;
    std::function<void(const QString& program)> startProgram;
    std::function<void(const QUrl&)> openUrl;

    // The rest of the main menu, the window menu and the font and settings commands.
    QMenu* MSchrijven = nullptr; ///< "&Kopiëren"
    QAction* Mjpg = nullptr;
    QAction* MWMF = nullptr;
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
    void PutLinesBack(std::vector<TMathEditor*> previous, TMathEditor* focused);
    bool BuildLines(const std::vector<TLineRecord>& records,
                    std::optional<std::string>& lineFailure);
    std::unique_ptr<QProgressDialog> MakeProgressDialog(int lines);
    void ApplyRecord(TMathEditor& line, const TLineRecord& record,
                     std::optional<std::string>& lineFailure);
    /// Loads `fileName` as the document `caption` in `folder`, taking that name first (recovery
    /// states carry the caption) and storing the present lines as a recovery state first when
    /// asked. A load that fails or is cancelled gives the window its old name back.
    bool LoadNamed(const QString& fileName, const QString& caption, const QString& folder,
                   bool storeStateFirst);
    void RunReportingFailure(void (TBasisMath::*command)());
    void ReportFailure(const std::exception& error);

public:
    // The line menu and its commands, on the line that has the focus.
    QMenu* PopupMenu1 = nullptr;
    void PopPlTextClick();
    void PopAllClick();
    void PopRedoClick();
    void PopcopyClick();
    void PopKnippenClick();
    void PopPlakkenClick();
    void popMarkerenClick();
    /// "Functie&Lijst": shows the target line's own function list beside it.
    void PopFunctieLijstClick();
    /// The window's own clipboard for line fragments, shared by all lines.
    Bytes CopiedText, CopiedCodes;

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
    void MakeRecoveryFolder();
    /// The first number of this run's recovery states.
    void StartCounter();
    /// A line as CreateEd makes it, not yet shown: its caller places it, then shows it.
    TMathEditor* NewLine();
    void FitToLines();
    bool fitPending_ = false; ///< a refit is queued
    /// The height the menu bar takes in a window `width` wide.
    int MenuBarHeight(int width) const;
    /// Gives the first line the focus, as at start-up.
    void FocusFirstLine();
    void CreatePopupMenu1();
    void CreatePopupMenu2();
    void StyleMenus();
    void DestroyLine(TMathEditor* line);

    QString programDir_;
    std::function<void(const QString&)> showMessage_;
    LineColumn column_;
    /// Keeps the recovery folder marked as in use while the window lives.
    std::unique_ptr<FolderClaim> herstelClaim_;
    /// The recovery files this window wrote: all that closing may remove while another
    /// instance holds the folder.
    std::set<QString> writtenStates_;
};

} // namespace zelm
