// The texts of a main window's lines, top to bottom, for tests that compare documents.
#pragma once

#include <vector>

#include "app/MainWindow.h"

namespace zelm::test {

inline std::vector<Bytes> TextsOf(const TBasisMath& window) {
    std::vector<Bytes> texts;
    for (const TMathEditor* l : window.Lines())
        texts.push_back(l->Text());
    return texts;
}

} // namespace zelm::test
