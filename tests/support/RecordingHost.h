// A document host without a window that writes down each call its parts make, in order:
// "caption meet", "fit", "focus first", "focus 2", "message File not found", "failure ...".
// Its lines lie in a column of their own under a widget that is never shown; it starts, as a
// window does, with one blank line.
#pragma once

#include <QStringList>
#include <QWidget>

#include "app/DocumentFile.h"
#include "app/DocumentHost.h"
#include "app/LineColumn.h"
#include "app/RecoveryStore.h"
#include "editor/LineEditor.h"

namespace zelm::test {

class RecordingHost : public DocumentHost, public LineOwner {
public:
    RecordingHost() { NewLine()->show(); }
    ~RecordingHost() {
        for (TMathEditor* line : Lines())
            line->SetOwner(nullptr);
    }

    QStringList calls;

    LineColumn& Column() override { return column_; }
    const std::vector<TMathEditor*>& Lines() const override { return column_.Lines(); }
    TMathEditor* NewLine() override {
        TMathEditor* line = column_.AddLine(*this);
        StartLine(*line, DefaultLineFont, 0);
        return line;
    }
    TMathEditor* CurrentLine() const override { return nullptr; }
    QString Caption() const override { return caption_; }
    void SetCaption(const QString& caption) override {
        caption_ = caption;
        Add("caption " + caption);
    }
    void FitToLines() override { Add("fit"); }
    void FocusLine(TMathEditor& line) override {
        Add("focus " + QString::number(line.LineIndex()));
    }
    void FocusFirstLine() override { Add("focus first"); }
    void ShowMessage(const QString& text) override { Add("message " + text); }
    void ReportFailure(const QString& text) override { Add("failure " + text); }
    QWidget* DialogParent() override { return &parent_; }
    QSize ClientSize() const override { return column_.Extent(); }
    DocumentFile& Document() override { return document_; }
    RecoveryStore& Recovery() override { return recovery_; }

    // The lines' own reports are no calls of the host.
    void HeightChanged(TMathEditor& line, int newHeight) override {
        column_.MakeRoomFor(line, newHeight);
    }
    void WidthChanged(TMathEditor&, int newWidth) override { column_.Widen(newWidth); }
    void UpDown(TMathEditor&, unsigned short) override {}
    void Entered(TMathEditor&) override {}
    void Exited(TMathEditor&) override {}
    void CaretMoved(TMathEditor&) override {}
    void TextChanged(TMathEditor&) override {}

private:
    void Add(const QString& call) { calls << call; }

    QWidget parent_;
    LineColumn column_{parent_, parent_};
    QString caption_ = "ZelmEditor";
    DocumentFile document_{*this};
    RecoveryStore recovery_{*this};
};

} // namespace zelm::test
