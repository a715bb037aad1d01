// Test helper: sends a window the polite close request (WM_DELETE_WINDOW), as a window
// manager's close button would, and waits until the window is destroyed.
//   tivora_send_close WINDOW_ID [TIMEOUT_SECONDS]
// With a timeout of 0 it returns once the server has taken the request, without
// waiting for the window. Exit code 0: done (or the window was already gone); 1: the
// window still exists after the timeout; 2: no display or bad arguments.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <xcb/xcb.h>

static xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *r = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

// Whether the server has delivered the window's destruction.
static bool destroyed(xcb_connection_t *c, xcb_window_t w)
{
    bool gone = false;
    while (xcb_generic_event_t *e = xcb_poll_for_event(c)) {
        if ((e->response_type & 0x7f) == XCB_DESTROY_NOTIFY
            && reinterpret_cast<xcb_destroy_notify_event_t *>(e)->window == w)
            gone = true;
        std::free(e);
    }
    return gone;
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s WINDOW_ID [TIMEOUT_SECONDS]\n", argv[0]);
        return 2;
    }
    const xcb_window_t w = xcb_window_t(std::strtoul(argv[1], nullptr, 0));
    const int timeout = argc > 2 ? std::atoi(argv[2]) : 10;
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 2;

    // Watch for the window's destruction before asking, so it cannot be missed; a
    // window that no longer exists refuses the selection.
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    if (xcb_generic_error_t *error = xcb_request_check(
            c, xcb_change_window_attributes_checked(c, w, XCB_CW_EVENT_MASK, &mask))) {
        std::free(error);
        xcb_disconnect(c);
        return 0;
    }

    xcb_client_message_event_t e {};
    e.response_type = XCB_CLIENT_MESSAGE;
    e.format = 32;
    e.window = w;
    e.type = atom(c, "WM_PROTOCOLS");
    e.data.data32[0] = atom(c, "WM_DELETE_WINDOW");
    e.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c, 0, w, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&e));
    // A round trip: once the reply is here, the server has delivered the request, so it
    // cannot be lost when this program ends right away.
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));

    int status = 0;
    if (timeout > 0) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout);
        status = 1;
        while (!xcb_connection_has_error(c)) {
            if (destroyed(c, w)) {
                status = 0;
                break;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            pollfd fd {xcb_get_file_descriptor(c), POLLIN, 0};
            poll(&fd, 1, int(left.count()));
        }
    }
    xcb_disconnect(c);
    return status;
}
