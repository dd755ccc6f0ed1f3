// The Dutch spoken form of a formula line, for screen readers.
#pragma once

#include <string>

#include "exchange/MathTree.h"

namespace zelm {

/// The whole line as a Dutch teacher reads it aloud ("x kwadraat plus y kwadraat"), UTF-8.
std::string SpeakLine(const MathTree& tree);

/// Where caret position `caret` stands, in a few words ("in de teller", "in de exponent");
/// empty at the top level of the line.
std::string SpeakCaretContext(const MathTree& tree, int caret);

/// What moving the caret from `from` to `to` changed of its context ("uit de wortel",
/// "na de breuk"); empty when the context is the same.
std::string SpeakContextChange(const MathTree& tree, int from, int to);

} // namespace zelm
