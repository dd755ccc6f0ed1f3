// A document host without a window that writes down the calls its parts make, in order:
// "caption meet", "fit", "focus first", "message File not found". It starts, as a window does,
// with one blank line.
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
    void FocusFirstLine() override { calls << "focus first"; }
    void ShowMessage(const QString& text) override { calls << "message " + text; }
};

} // namespace zelm::test
