// A document host without a window that writes down each call its parts make, in order:
// "caption meet", "fit", "focus first", "focus 2", "message File not found", "failure ...".
// It starts, as a window does, with one blank line.
#pragma once

#include <QStringList>

#include "app/HeadlessHost.h"
#include "editor/LineEditor.h"

namespace zelm::test {

class RecordingHost : public HeadlessHost {
public:
    RecordingHost() { NewLine()->show(); }

    QStringList calls;

    void SetCaption(const QString& caption) override {
        HeadlessHost::SetCaption(caption);
        calls << "caption " + caption;
    }
    void FitToLines() override {
        HeadlessHost::FitToLines();
        calls << "fit";
    }
    void FocusLine(TMathEditor& line) override {
        calls << "focus " + QString::number(line.LineIndex());
    }
    void FocusFirstLine() override { calls << "focus first"; }
    void ShowMessage(const QString& text) override { calls << "message " + text; }
    void ReportFailure(const QString& text) override { calls << "failure " + text; }
};

} // namespace zelm::test
