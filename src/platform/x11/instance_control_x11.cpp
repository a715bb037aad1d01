#include "platform/instance_control.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>
#include <xcb/xcb.h>

namespace tivora {

namespace {

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};
template<class T> using XcbReply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t internAtom(xcb_connection_t *c, const char *name)
{
    XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

std::vector<xcb_window_t> children(xcb_connection_t *c, xcb_window_t parent)
{
    XcbReply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(c, xcb_query_tree(c, parent), nullptr));
    if (!tree)
        return {};
    const xcb_window_t *kids = xcb_query_tree_children(tree.get());
    return {kids, kids + xcb_query_tree_children_length(tree.get())};
}

// The window's title as the old text property holds it, cut at 254 bytes.
std::string windowTitle(xcb_connection_t *c, xcb_window_t w)
{
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 64), nullptr));
    if (!reply || reply->format != 8)
        return {};
    const int len = xcb_get_property_value_length(reply.get());
    std::string title(static_cast<const char *>(xcb_get_property_value(reply.get())),
                      std::size_t(len));
    if (title.size() > 254)
        title.resize(254);
    return title;
}

bool acceptsCloseRequests(xcb_connection_t *c, xcb_window_t w, xcb_atom_t protocols,
                          xcb_atom_t deleteWindow)
{
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, w, protocols, XCB_ATOM_ATOM, 0, 32), nullptr));
    if (!reply || reply->format != 32)
        return false;
    const auto *atoms = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
    const int n = xcb_get_property_value_length(reply.get()) / 4;
    return std::find(atoms, atoms + n, deleteWindow) != atoms + n;
}

bool windowExists(xcb_connection_t *c, xcb_window_t w)
{
    XcbReply<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr));
    return reply != nullptr;
}

} // namespace

int closeWindowsTitled(const std::string &title, std::uintptr_t ownWindow)
{
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (!c || xcb_connection_has_error(c)) {
        if (c)
            xcb_disconnect(c);
        return 0;
    }
    const xcb_atom_t protocols = internAtom(c, "WM_PROTOCOLS");
    const xcb_atom_t deleteWindow = internAtom(c, "WM_DELETE_WINDOW");

    // The snapshot: top-level windows, and the client windows inside the frames a
    // reparenting window manager puts around them.
    std::vector<xcb_window_t> snapshot;
    for (xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c)); it.rem;
         xcb_screen_next(&it)) {
        for (xcb_window_t top : children(c, it.data->root)) {
            snapshot.push_back(top);
            for (xcb_window_t inner : children(c, top))
                snapshot.push_back(inner);
        }
    }

    int asked = 0;
    for (xcb_window_t w : snapshot) {
        if (w == ownWindow || windowTitle(c, w) != title)
            continue;
        xcb_client_message_event_t event {};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = w;
        event.type = protocols;
        event.data.data32[0] = deleteWindow;
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(c, 0, w, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&event));
        xcb_flush(c);
        ++asked;
        // A window that does not take part in the close protocol cannot answer it.
        if (!acceptsCloseRequests(c, w, protocols, deleteWindow))
            continue;
        // The request is synchronous for the caller: wait until the window is gone
        // (its instance has saved and ended), but never hang on one that won't close.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (windowExists(c, w) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    xcb_disconnect(c);
    return asked;
}

} // namespace tivora
