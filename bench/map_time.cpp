// Start-up time of a program's window: starts the program given on the command line and
// prints the milliseconds from the exec to the map of its first top-level window, and
// whether the window already showed a picture when it was mapped (it is read back at
// once: a window mapped before its first paint shows the background, one colour).
// A measurement tool for bench/startup.sh, not a test.
//
//   map_time PROGRAM [ARGUMENTS...]   prints "MAP_MS PICTURE" (PICTURE: 1 or 0)

#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: map_time PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "map_time: no display\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); // in force now

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    int status = 0;
    const auto elapsed = [&] {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count();
    };
    // Windows mapped by others while waiting are told apart by the time they were made:
    // only windows created after the start count.
    std::set<xcb_window_t> created;
    while (xcb_generic_event_t *e = xcb_wait_for_event(c)) {
        const std::unique_ptr<xcb_generic_event_t, decltype(&free)> owned(e, &free);
        const int type = e->response_type & 0x7f;
        if (type == XCB_CREATE_NOTIFY) {
            created.insert(reinterpret_cast<xcb_create_notify_event_t *>(e)->window);
            continue;
        }
        if (type != XCB_MAP_NOTIFY)
            continue;
        const xcb_window_t w = reinterpret_cast<xcb_map_notify_event_t *>(e)->window;
        if (!created.count(w))
            continue;
        const double ms = elapsed();
        // The window as it is on the screen now: one colour means no picture yet.
        bool picture = false;
        xcb_get_geometry_reply_t *g = xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr);
        if (g) {
            xcb_get_image_reply_t *img = xcb_get_image_reply(
                c,
                xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, w, 0, 0, g->width, g->height,
                              ~0u),
                nullptr);
            if (img) {
                const uint32_t *px = reinterpret_cast<const uint32_t *>(xcb_get_image_data(img));
                const int n = xcb_get_image_data_length(img) / 4;
                for (int i = 1; i < n && !picture; ++i)
                    picture = (px[i] & 0xffffff) != (px[0] & 0xffffff);
                free(img);
            }
            free(g);
        }
        std::printf("%.1f %d\n", ms, picture ? 1 : 0);
        kill(child, SIGTERM);
        waitpid(child, &status, 0);
        xcb_disconnect(c);
        return 0;
    }
    kill(child, SIGTERM);
    waitpid(child, &status, 0);
    std::fprintf(stderr, "map_time: the connection ended before a map\n");
    return 1;
}
