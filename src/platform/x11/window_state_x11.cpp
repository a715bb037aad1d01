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

xcb_window_t rootOf(xcb_connection_t *c)
{
    const xcb_setup_t *setup = xcb_get_setup(c);
    return setup ? xcb_setup_roots_iterator(setup).data->root : xcb_window_t(XCB_WINDOW_NONE);
}

void setDesktop(xcb_connection_t *c, xcb_window_t w, std::uint32_t desktop)
{
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, atom(c, "_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL,
                        32, 1, &desktop);
}

} // namespace

void setWidgetWindowState(std::uintptr_t window, bool above)
{
    xcb_connection_t *c = toolkitConnection();
    if (!window || !c)
        return;
    const xcb_window_t w = xcb_window_t(window);
    const xcb_atom_t state = atom(c, "_NET_WM_STATE");
    const xcb_atom_t aboveAtom = atom(c, "_NET_WM_STATE_ABOVE");
    std::vector<xcb_atom_t> wanted = {atom(c, "_NET_WM_STATE_SKIP_TASKBAR"),
                                      atom(c, "_NET_WM_STATE_SKIP_PAGER"),
                                      atom(c, "_NET_WM_STATE_STICKY")};
    if (above)
        wanted.push_back(aboveAtom);

    // Keep whatever other states the toolkit already put there.
    std::vector<xcb_atom_t> states;
    xcb_get_property_reply_t *reply =
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, state, XCB_ATOM_ATOM, 0, 64), nullptr);
    if (reply && reply->format == 32) {
        const auto *values = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply));
        states.assign(values, values + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    if (!above)
        states.erase(std::remove(states.begin(), states.end(), aboveAtom), states.end());
    for (xcb_atom_t a : wanted) {
        if (a != XCB_ATOM_NONE && std::find(states.begin(), states.end(), a) == states.end())
            states.push_back(a);
    }
    // On the toolkit's connection, so the server has the states before the toolkit's
    // request to map the window. A window manager that starts later (or again) reads
    // them from here as well.
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, state, XCB_ATOM_ATOM, 32,
                        std::uint32_t(states.size()), states.data());
    setDesktop(c, w, 0xFFFFFFFFu); // every workspace
}

void setKeptAbove(std::uintptr_t window, bool above)
{
    xcb_connection_t *c = toolkitConnection();
    if (!window || !c)
        return;
    xcb_client_message_event_t event = {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = xcb_window_t(window);
    event.type = atom(c, "_NET_WM_STATE");
    event.data.data32[0] = above ? 1 : 0; // add or remove
    event.data.data32[1] = atom(c, "_NET_WM_STATE_ABOVE");
    event.data.data32[3] = 1; // asked by an application
    xcb_send_event(c, 0, rootOf(c),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(c);
}

void setOnCurrentWorkspace(std::uintptr_t window)
{
    xcb_connection_t *c = toolkitConnection();
    if (!window || !c)
        return;
    const xcb_window_t root = rootOf(c);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, root, atom(c, "_NET_CURRENT_DESKTOP"), XCB_ATOM_CARDINAL, 0, 1),
        nullptr);
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply) == 4)
        setDesktop(c, xcb_window_t(window),
                   *static_cast<const std::uint32_t *>(xcb_get_property_value(reply)));
    std::free(reply);
}

std::optional<ScreenPoint> windowTopLeft(std::uintptr_t window)
{
    xcb_connection_t *c = toolkitConnection();
    if (!window || !c || xcb_connection_has_error(c))
        return std::nullopt;
    xcb_translate_coordinates_reply_t *reply = xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, xcb_window_t(window), rootOf(c), 0, 0), nullptr);
    if (!reply)
        return std::nullopt;
    const ScreenPoint p {reply->dst_x, reply->dst_y};
    std::free(reply);
    return p;
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

void sendRequestsNow()
{
    if (xcb_connection_t *c = toolkitConnection())
        xcb_flush(c);
}

} // namespace tivora
