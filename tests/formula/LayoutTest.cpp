#include <gtest/gtest.h>

#include "formula/Layout.h"
#include "support/FixedCanvas.h"

namespace zelm {
namespace {

TEST(Layout, Smoke) {
    test::FixedCanvas canvas;
    Bytes text = " ", codes;
    TTextdelen list = LayoutFormula(text, codes, canvas, {});
    EXPECT_EQ(list.Count(), 1);
}

} // namespace
} // namespace zelm
