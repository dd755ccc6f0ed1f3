// The document file of the main window: saving and loading the column of lines as 792-byte
// line records, the two file commands with their dialogs, and the document named on the
// command line.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "files/DocumentCodec.h"
#include "formula/Errors.h"

class QProgressDialog;

namespace zelm {

class DocumentHost;
class TMathEditor;

/// The failure of a load that still put every line in place: a line's repairs gave up on the
/// way. The message is shown; the document is there.
class LineLoadError : public ZelmError {
public:
    using ZelmError::ZelmError;
};

class DocumentFile {
public:
    explicit DocumentFile(DocumentHost& host) : host_(host) {}

    /// The most lines a document may have (a line takes about 5 KB once on the screen).
    static constexpr int LargestDocumentLines = 20000;

    /// Writes every line, in column order, to `fileName`, replacing the file atomically.
    void Save(const QString& fileName);
    /// The bytes Save writes; `cutLine` is set when a line was longer than its record holds.
    std::string Encoded(bool& cutLine) const;
    /// True while Load builds the lines: what a load puts in is no unsaved work.
    bool Loading() const { return loading_; }
    /// Replaces every line by the lines stored in `fileName`. The whole file is read first,
    /// so a file that cannot be read leaves the lines as they were. A long load shows its
    /// progress; false when the user cancelled it, which also leaves the lines as they were.
    /// A line whose repairs give up is reported with LineLoadError once every line is in; so is
    /// a damaged file, after its lines that can be read. When none can, the lines stay.
    bool Load(const QString& fileName);
    /// Loads `fileName` as the document `caption` in `folder`, taking that name first (recovery
    /// states carry the caption) and storing the present lines as a recovery state first when
    /// asked. A load that fails or is cancelled gives the window its old name back.
    bool LoadNamed(const QString& fileName, const QString& caption, const QString& folder,
                   bool storeStateFirst);
    /// Refuses a new line, with a message, once the document has as many as a load accepts.
    void CheckRoomForLine() const;
    /// "Op&slaan": asks for a file name and saves there; the caption stays.
    void MSaveClick();
    /// "&Openen": asks for an existing file, takes its folder and name, and loads it.
    void MLoadClick();
    /// The open dialog may close only on a file that exists.
    static bool OpenDialogCanClose(const QString& fileName);
    /// Loads the first program argument when its extension is exactly ".mds"; sets DocDir.
    void OpenCommandLineDocument(const QStringList& arguments);

    /// The document last opened or saved; empty while the window holds none.
    QString LastDocument;
    /// The folder the file dialogs start in, with a trailing "/": that of the document last
    /// opened or saved, else the user's documents folder; never the recovery folder.
    QString DialogFolder() const;
    /// The name, without type, that the save dialogs propose: that of the document last opened
    /// or saved, else the window's caption unless that is only the program's name.
    QString ProposedName() const;
    /// Empty: the platform's documents folder (tests set their own).
    QString documentsFolder;
    /// Milliseconds a load runs before its progress dialog shows (tests make it 0).
    int loadProgressDelay = 500;
    /// Called after each line a load has made, with the count so far (tests watch the dialog).
    std::function<void(int loaded)> onLineLoaded;
    /// The dialogs of the file commands: given the proposed name, they return the chosen
    /// path or an empty string when cancelled. Tests replace them.
    std::function<QString(const QString&proposed)> chooseSaveFile, chooseOpenFile;

private:
    void ForgetLastDocumentUnless(const QString& caption, const QString& oldCaption);
    bool BuildLines(const std::vector<TLineRecord>& records,
                    std::optional<std::string>& lineFailure);
    std::unique_ptr<QProgressDialog> MakeProgressDialog(int lines);
    void ApplyRecord(TMathEditor& line, const TLineRecord& record,
                     std::optional<std::string>& lineFailure);
    void PutLinesBack(std::vector<TMathEditor*> previous, TMathEditor* focused);

    DocumentHost& host_;
    bool loading_ = false;
};

} // namespace zelm
