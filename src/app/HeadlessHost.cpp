#include "app/HeadlessHost.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <algorithm>
#include <limits>

#include "app/MenuStyle.h"
#include "editor/LineEditor.h"

namespace zelm {

namespace {

// The height of the window's menu bar on one row: its items show a picture beside a caption.
int MenuBarRowHeight() {
    QMenuBar bar;
    bar.setNativeMenuBar(false);
    MenuStyle style;
    bar.setStyle(&style);
    QAction* item = bar.addAction("&Alles");
    SetImageIndex(*item, 3);
    SetOwnerDrawn(*item);
    return bar.sizeHint().height();
}

} // namespace

HeadlessHost::HeadlessHost() {
    EditorState().plainTextDefault = true;
    // A load's progress dialog would be a window.
    document_.loadProgressDelay = std::numeric_limits<int>::max();
}

HeadlessHost::~HeadlessHost() {
    for (TMathEditor* line : Lines())
        line->SetOwner(nullptr);
}

TMathEditor* HeadlessHost::NewLine() {
    TMathEditor* line = column_.AddLine(*this);
    StartLine(*line, DefaultLineFont, 0);
    return line;
}

QSize HeadlessHost::DocumentSize() const {
    const int lowest = std::max(1, SmallestWindow.height() - MenuBarRowHeight());
    return column_.Extent().expandedTo({SmallestWindow.width(), lowest});
}

void HeadlessHost::HeightChanged(TMathEditor& line, int newHeight) {
    column_.MakeRoomFor(line, newHeight);
}

// As the window does, a line near its longest rings the bell when it widens.
void HeadlessHost::WidthChanged(TMathEditor& line, int newWidth) {
    if (line.Text().size() > 250) QApplication::beep();
    column_.Widen(newWidth);
    TakeExtent();
}

void HeadlessHost::TakeExtent() {
    column_.Widget()->resize(column_.Extent());
}

} // namespace zelm
