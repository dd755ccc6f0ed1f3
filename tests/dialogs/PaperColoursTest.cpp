// Under a dark desktop palette the surfaces that show a document's maths stay paper: white
// ground, the stored black text. Menus and dialogs around them follow the desktop.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>
#include <functional>
#include <memory>

#include "dialogs/FunctieFormMath.h"
#include "dialogs/HelpForm.h"
#include "editor/LineEditor.h"

namespace zelm {
namespace {

QPalette DarkPalette() {
    QPalette dark;
    for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button, QPalette::AlternateBase})
        dark.setColor(role, QColor(45, 45, 45));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(role, QColor(238, 238, 238));
    dark.setColor(QPalette::Mid, QColor(30, 30, 30));
    dark.setColor(QPalette::Highlight, QColor(21, 83, 158));
    return dark;
}

TEST(PaperColoursTest, LinesGridsAndHelpPagesStayWhitePaperUnderADarkPalette) {
    const QPalette before = QApplication::palette();
    QApplication::setPalette(DarkPalette());
    QWidget owner;
    owner.resize(600, 400);
    struct Row {
        const char* surface;
        std::function<QImage()> draw;
        QPoint blank; // a spot of bare paper
    };
    const Row rows[] = {
        {"line",
         [&] {
             auto* line = new TMathEditor(&owner);
             line->Line().Selstart = line->Line().Seleinde = line->Line().CaretPos = 1;
             line->SetText(" x+y=1 en sin a");
             return line->grab().toImage();
         },
         {2, 2}},
        {"function list",
         [&] {
             auto* list = new TFuncFormMath(&owner);
             list->FormActivate();
             TRooster* grid = list->Rooster();
             return grid->grab().toImage();
         },
         {66, 27}},
        {"help page",
         [&] { return (new THelpPicture(":/help/Help.svg", false, &owner))->grab().toImage(); },
         {765, 2}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.surface);
        const QImage image = row.draw();
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(QColor(image.pixel(row.blank)), QColor(Qt::white));
        int white = 0, ink = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const int grey = qGray(image.pixel(x, y));
                white += grey > 240;
                ink += grey < 80;
            }
        // Mostly paper, with dark letters on it.
        EXPECT_GT(white * 2, image.width() * image.height());
        EXPECT_GT(ink, 20);
    }
    QApplication::setPalette(before);
}

} // namespace
} // namespace zelm
