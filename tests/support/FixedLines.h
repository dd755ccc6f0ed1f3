// For widget tests: while a FixedLines lives, new line widgets measure on the fixed-metrics
// canvas without font smoothing, so that every coordinate can be worked out by hand, and the
// program's shared state starts as at program start.
#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "editor/LineEditor.h"
#include "formula/Errors.h"
#include "support/FixedCanvas.h"
#include "support/TestBytes.h"

namespace zelm::test {

struct FixedLines {
    FixedLines() {
        FreshGlobals::Reset();
        TMathEditor::measureFactory = [] { return std::make_unique<FixedCanvas>(); };
        TMathEditor::fontSmoothingSource = [] { return false; };
    }
    ~FixedLines() {
        TMathEditor::measureFactory = nullptr;
        TMathEditor::fontSmoothingSource = nullptr;
        FreshGlobals::Reset();
    }
};

/// The message of the error `action` raises, or an empty text when it raises none.
inline QString MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ZelmError& e) {
        return e.what();
    }
    return {};
}

} // namespace zelm::test
