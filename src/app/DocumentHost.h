// What the window's parts (the document file, the recovery store, the crash state, the picture
// and formula commands) ask of the window that holds the document. The main window is one host;
// the command-line export loads a document into a host without a window.
#pragma once

#include <QSize>
#include <QString>
#include <vector>

class QWidget;

namespace zelm {

class DocumentFile;
class LineColumn;
class RecoveryStore;
class TMathEditor;

/// The smallest size of a document's window, its menu bar included.
constexpr QSize SmallestWindow{400, 200};

class DocumentHost {
public:
    /// The document's folder, where the file commands look first.
    QString DocDir;
    /// The recovery folder, and the number of the next recovery state.
    QString HerstelDir;
    int HerstelNummer = 0;

    /// The column that holds the lines.
    virtual LineColumn& Column() = 0;
    /// The lines in column order.
    virtual const std::vector<TMathEditor*>& Lines() const = 0;
    /// A new line at the bottom of the column, with the host's defaults, not yet shown: its
    /// caller places it, then shows it.
    virtual TMathEditor* NewLine() = 0;
    /// The line with the keyboard focus, or nullptr.
    virtual TMathEditor* CurrentLine() const = 0;
    /// The document's name, which the recovery states carry.
    virtual QString Caption() const = 0;
    virtual void SetCaption(const QString& caption) = 0;
    /// Sizes the host to its lines.
    virtual void FitToLines() = 0;
    /// Gives `line` the focus; the first line, as at start-up.
    virtual void FocusLine(TMathEditor& line) = 0;
    virtual void FocusFirstLine() = 0;
    /// Shows a message of the start-up (a folder made, a damaged document).
    virtual void ShowMessage(const QString& text) = 0;
    /// Reports the failure of a command; the program goes on.
    virtual void ReportFailure(const QString& text) = 0;
    /// The widget the dialogs show over (the window, or the lines' parent of a host without
    /// one).
    virtual QWidget* DialogParent() = 0;
    /// The area the lines are shown in.
    virtual QSize ClientSize() const = 0;
    /// The host's document file and recovery store, which load and store for each other.
    virtual DocumentFile& Document() = 0;
    virtual RecoveryStore& Recovery() = 0;

protected:
    ~DocumentHost() = default;
};

} // namespace zelm
