// Under a dark desktop palette the surfaces that show maths stay paper: white ground, the
// stored black text. Menus and dialogs around them follow the desktop.
#include <gtest/gtest.h>

#include <QApplication>
#include <functional>

#include "dialogs/FunctieFormMath.h"
#include "dialogs/HelpForm.h"
#include "editor/LineEditor.h"

namespace zelm {
namespace {

TEST(PaperColoursTest, LinesGridsAndHelpPagesStayWhitePaperUnderADarkPalette) {
    const QPalette before = QApplication::palette();
    QApplication::setPalette(QPalette(QColor(45, 45, 45))); // black base, white text
    QWidget owner;
    owner.resize(600, 400);
    auto line = [&] {
        auto* e = new TMathEditor(&owner);
        e->Line().Selstart = e->Line().Seleinde = e->Line().CaretPos = 1;
        e->SetText(" x+y=1 en sin a");
        return e->grab().toImage();
    };
    auto grid = [&] {
        auto* list = new TFuncFormMath(&owner);
        list->FormActivate();
        return list->Rooster()->grab().toImage();
    };
    auto page = [&] {
        return (new THelpPicture(":/help/Help.svg", false, &owner))->grab().toImage();
    };
    const std::pair<std::function<QImage()>, QPoint> rows[] = {
        {line, {2, 2}}, {grid, {66, 27}}, {page, {765, 2}}}; // with a spot of bare paper
    for (const auto& [draw, blank] : rows) {
        const QImage image = draw();
        EXPECT_EQ(QColor(image.pixel(blank)), QColor(Qt::white));
        int white = 0, ink = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                white += qGray(image.pixel(x, y)) > 240;
                ink += qGray(image.pixel(x, y)) < 80;
            }
        EXPECT_GT(white * 2, image.width() * image.height()); // mostly paper
        EXPECT_GT(ink, 20);                                   // with dark letters on it
    }
    QApplication::setPalette(before);
}

} // namespace
} // namespace zelm
