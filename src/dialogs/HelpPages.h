// The help window's pages: the picture each shows, its place in the topic tree, and the text
// alternative a screen reader reads of it (the picture's prose, its formulas in words).
#pragma once

#include <array>

namespace zelm {

struct HelpPage {
    const char* name;    ///< the page's object name
    const char* title;   ///< its node in the topic tree
    int parent;          ///< the index of the parent node, -1 for a root
    const char* picture; ///< the resource it shows
    bool framed;         ///< a raised 1-pixel panel frame around the picture
    const char* alternative;
};

/// In tree order: the node with absolute (depth-first) index i shows page i.
extern const std::array<HelpPage, 11> HelpPages;

} // namespace zelm
