#include "platform/window_state.h"

#include "platform/x11/toolkit_connection.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <vector>
#include <xcb/xcb.h>

namespace tivora {

namespace {

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return a;
}

} // namespace

void setSkipTaskbar(std::uintptr_t window)
{
    xcb_connection_t *c = toolkitConnection();
    if (!window || !c)
        return;
    const xcb_window_t w = xcb_window_t(window);
    const xcb_atom_t state = atom(c, "_NET_WM_STATE");
    const xcb_atom_t wanted[] = {atom(c, "_NET_WM_STATE_SKIP_TASKBAR"),
                                 atom(c, "_NET_WM_STATE_SKIP_PAGER")};

    // Keep whatever states the toolkit already put there (stay-on-top among them).
    std::vector<xcb_atom_t> states;
    xcb_get_property_reply_t *reply =
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, state, XCB_ATOM_ATOM, 0, 64), nullptr);
    if (reply && reply->format == 32) {
        const auto *values = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply));
        states.assign(values, values + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    for (xcb_atom_t a : wanted) {
        if (a != XCB_ATOM_NONE && std::find(states.begin(), states.end(), a) == states.end())
            states.push_back(a);
    }
    // On the toolkit's connection, so the server has the states before the toolkit's
    // request to map the window.
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, state, XCB_ATOM_ATOM, 32,
                        std::uint32_t(states.size()), states.data());
}

void widenRequestBuffer()
{
    xcb_connection_t *c = toolkitConnection();
    if (!c)
        return;
    // A tick of many faces sends a few hundred kilobytes, about the usual socket buffer.
    // The kernel caps the size at its limit; a smaller buffer only costs a wait.
    const int size = 1 << 20;
    setsockopt(xcb_get_file_descriptor(c), SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
}

} // namespace tivora
