#include <gtest/gtest.h>

#include "formula/DeclMath.h"

namespace zelm {
namespace {

TEST(DeclMath, LongerNamesComeBeforeTheShorterNamesInsideThem) {
    auto index = [](std::string_view n) {
        for (int i = 0; i < int(NameTable.size()); ++i)
            if (NameTable[std::size_t(i)] == n) return i;
        return -1;
    };
    EXPECT_LT(index("arcsin"), index("sin"));
    EXPECT_LT(index("arctan"), index("tan"));
    EXPECT_LT(index("2eafg"), index("afg"));
    EXPECT_LT(index("cumkans"), index("kans"));
    EXPECT_LT(index("intgr"), index("intgr[0,x]"));
    EXPECT_EQ(index("log"), NameLog);
    EXPECT_EQ(index("normv"), NameNormv);
    EXPECT_EQ(index("cumnv"), NameCumnv);
    EXPECT_EQ(NameTable[42], "geen");
}

TEST(DeclMath, OnlyTheListedParametersAreStructureKinds) {
    int kinds = 0;
    for (int p = 0; p < 256; ++p)
        kinds += StructKindOf((unsigned char)p).has_value();
    EXPECT_EQ(kinds, 27);
    EXPECT_FALSE(StructKindOf(29).has_value());
    EXPECT_FALSE(StructKindOf(36).has_value());
    EXPECT_EQ(CloserOf(Family::IndexRegion), StructKind::Separator);
}

} // namespace
} // namespace zelm
