// A document without a window: its lines lie in a column under a widget that is never shown,
// and take their places and widths as they do in the window. No menus, no recovery folder, no
// folder claim, no dialogs: what the command-line export loads a document into.
#pragma once

#include <QSize>
#include <QString>
#include <QWidget>
#include <vector>

#include "app/DocumentFile.h"
#include "app/DocumentHost.h"
#include "app/LineColumn.h"
#include "app/RecoveryStore.h"
#include "editor/LineOwner.h"

namespace zelm {

class HeadlessHost : public DocumentHost, public LineOwner {
public:
    HeadlessHost();
    ~HeadlessHost();

    LineColumn& Column() override { return column_; }
    const std::vector<TMathEditor*>& Lines() const override { return column_.Lines(); }
    TMathEditor* NewLine() override;
    TMathEditor* CurrentLine() const override { return nullptr; }
    QString Caption() const override { return caption_; }
    void SetCaption(const QString& caption) override { caption_ = caption; }
    void FitToLines() override { TakeExtent(); }
    void FocusLine(TMathEditor&) override {}
    void FocusFirstLine() override {}
    void ShowMessage(const QString&) override {}
    void ReportFailure(const QString&) override {}
    QWidget* DialogParent() override { return &parent_; }
    QSize ClientSize() const override { return DocumentSize(); }
    DocumentFile& Document() override { return document_; }
    RecoveryStore& Recovery() override { return recovery_; }

    /// The client size the window takes for the lines when the screen does not limit it.
    QSize DocumentSize() const;

    // The lines' reports, as the window's column takes them.
    void HeightChanged(TMathEditor& line, int newHeight) override;
    void WidthChanged(TMathEditor& line, int newWidth) override;
    void UpDown(TMathEditor&, unsigned short) override {}
    void Entered(TMathEditor&) override {}
    void Exited(TMathEditor&) override {}
    void CaretMoved(TMathEditor&) override {}
    void TextChanged(TMathEditor&) override {}
    // No key reaches a line that is never shown: its lines stand in no column a key could split.
    void FormKeyDown(TMathEditor&, int&, ShiftState) override {}
    TMathEditor* Neighbour(TMathEditor&, int) override { return nullptr; }
    void CheckRoomForNewLine() override {}
    void SaveRecoveryState() override {}
    TMathEditor& NewLineBelow(TMathEditor& line) override { return line; }
    void TakeOut(TMathEditor&) override {}
    void Discard(TMathEditor&) override {}
    void Focus(TMathEditor&) override {}

private:
    /// As the window's column takes the extent of the lines: new lines start that wide.
    void TakeExtent();

    QWidget parent_;
    LineColumn column_{parent_, parent_};
    QString caption_ = "ZelmEditor";
    DocumentFile document_{*this};
    RecoveryStore recovery_{*this};
};

} // namespace zelm
