// Test helper: sends a window the polite close request (WM_DELETE_WINDOW), as a window
// manager's close button would, and waits until the window is gone.
//   tivora_send_close WINDOW_ID [TIMEOUT_SECONDS]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <xcb/xcb.h>

static xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *r = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

static bool exists(xcb_connection_t *c, xcb_window_t w)
{
    xcb_get_window_attributes_reply_t *r =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
    std::free(r);
    return r != nullptr;
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
    xcb_client_message_event_t e {};
    e.response_type = XCB_CLIENT_MESSAGE;
    e.format = 32;
    e.window = w;
    e.type = atom(c, "WM_PROTOCOLS");
    e.data.data32[0] = atom(c, "WM_DELETE_WINDOW");
    e.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c, 0, w, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&e));
    xcb_flush(c);
    if (timeout <= 0)
        return 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout);
    while (exists(c, w)) {
        if (std::chrono::steady_clock::now() > deadline)
            return 1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    xcb_disconnect(c);
    return 0;
}
