// Fonts selected by id on a canvas that keeps no fonts of its own: the base class's table
// turns ids back into descriptions for SelectFont, so older canvases keep working.
#include <gtest/gtest.h>

#include "support/FixedCanvas.h"

namespace zelm {
namespace {

TEST(CanvasFontIds, AreOnePerDescriptionAndSelectThatDescription) {
    test::FixedCanvas canvas;
    const FontDesc fonts[] = {
        {"Tahoma", -16},
        {"Tahoma", -16, 0, 700},
        {"Symbol", -14},
        {"Tahoma", -16, 0, 400, 1},
        {"Tahoma", -16, 0, 400, 0, 1},
    };
    std::vector<FontId> ids;
    for (const FontDesc& f : fonts)
        ids.push_back(canvas.FontIdOf(f));
    for (std::size_t i = 0; i < ids.size(); ++i) {
        EXPECT_EQ(canvas.FontIdOf(fonts[i]), ids[i]) << i; // asked again: the same id
        for (std::size_t k = 0; k < i; ++k)
            EXPECT_NE(ids[i], ids[k]) << i << " " << k;
    }
    // Selecting by id goes through SelectFont, so the metrics and the log follow.
    for (int round = 0; round < 2; ++round)
        for (std::size_t i = 0; i < ids.size(); ++i) {
            canvas.SelectFontId(ids[i]);
            EXPECT_EQ(canvas.Font(), fonts[i]) << i;
            EXPECT_EQ(canvas.Metrics(), test::FixedMetrics(fonts[i])) << i;
        }
    EXPECT_EQ(canvas.fontsSelected, 2 * int(ids.size()));
}

} // namespace
} // namespace zelm
