// The system clipboard, or the error the program reports when there is none; and whether the
// program that holds it answers at all.
#pragma once

class QClipboard;

namespace zelm {

/// The system clipboard; raises "Cannot open clipboard" when there is none.
QClipboard& SystemClipboard();

/// Whether the clipboard's owner answers a request for its flavours within `timeoutMs`.
/// Asking the clipboard through Qt on X11 blocks the window until the owner answers or Qt
/// gives up after several seconds; this asks on a connection of its own and waits at most
/// `timeoutMs`. True where the question cannot be asked (no X11) and when the program owns
/// the clipboard itself.
bool ClipboardAnswers(int timeoutMs);

} // namespace zelm
