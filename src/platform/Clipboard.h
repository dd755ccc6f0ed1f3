// The system clipboard, or the error the program reports when there is none.
#pragma once

class QClipboard;

namespace zelm {

/// The system clipboard; raises "Cannot open clipboard" when there is none.
QClipboard& SystemClipboard();

} // namespace zelm
