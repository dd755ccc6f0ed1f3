#include <QClipboard>
#include <QGuiApplication>
#include <chrono>

#include "formula/Errors.h"
#include "platform/Clipboard.h"

#ifdef ZELM_HAVE_XCB
#include <poll.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif

namespace zelm {

QClipboard& SystemClipboard() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) throw ZelmError("Cannot open clipboard");
    return *clipboard;
}

#ifdef ZELM_HAVE_XCB
namespace {

xcb_atom_t AtomOf(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

// Waits for the owner's SelectionNotify to `window` until `timeoutMs` have passed. With no
// owner the server itself answers at once.
bool SelectionNotified(xcb_connection_t* c, xcb_window_t window, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            const bool answer =
                (event->response_type & 0x7F) == XCB_SELECTION_NOTIFY &&
                reinterpret_cast<xcb_selection_notify_event_t*>(event)->requestor == window;
            std::free(event);
            if (answer) return true;
        }
        if (xcb_connection_has_error(c)) return true; // no answer to wait for: let Qt ask
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return false;
        poll(&fd, 1, int(left.count()));
    }
}

bool OwnerAnswersOnX11(int timeoutMs) {
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return true;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && screens.rem > 1; ++i)
        xcb_screen_next(&screens);
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screens.data->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_convert_selection(c, window, AtomOf(c, "CLIPBOARD"), AtomOf(c, "TARGETS"),
                          AtomOf(c, "ZELM_KLEMBORD"), XCB_CURRENT_TIME);
    xcb_flush(c);
    const bool answered = SelectionNotified(c, window, timeoutMs);
    xcb_disconnect(c);
    return answered;
}

} // namespace
#endif

bool ClipboardAnswers(int timeoutMs) {
    if (SystemClipboard().ownsClipboard()) return true;
#ifdef ZELM_HAVE_XCB
    if (QGuiApplication::platformName() == "xcb") return OwnerAnswersOnX11(timeoutMs);
#endif
    (void)timeoutMs;
    return true;
}

} // namespace zelm
