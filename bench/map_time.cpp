// Start-up time of a program's window: starts the program given on the command line and
// prints the milliseconds from the exec to the map of its first top-level window, and
// whether the window showed a picture the instant it was mapped (a window mapped before
// the program drew anything shows one colour).
//
// The tool stands in for the window manager (it redirects the maps on the root window),
// so it maps the window itself, with the server grabbed, and reads the window back before
// any other client's request runs: what it reads is what the map alone put there. The
// program cannot have painted in between, so a picture there was given to the window
// before it asked for the map. Where another client already redirects the maps (a window
// manager runs), the window is read as soon as its map is seen, which a fast program can
// beat. A measurement tool for bench/startup.sh and the end-to-end tests.
//
//   map_time [--save FILE.ppm] PROGRAM [ARGUMENTS...]   prints "MAP_MS PICTURE" (1 or 0)
//
// --save writes what the window showed at the map (24-bit TrueColor screens).

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace {

template<class T> using Reply = std::unique_ptr<T, decltype(&free)>;

// Reads the window where it is on the screen (the server reads nothing beyond): whether
// it shows more than one colour, and its pixels to `save`.
bool showsPicture(xcb_connection_t *c, xcb_window_t w, const char *save)
{
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const Reply<xcb_get_geometry_reply_t> g(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr), &free);
    const Reply<xcb_translate_coordinates_reply_t> at(
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, w, screen->root, 0, 0),
                                        nullptr),
        &free);
    if (!g || !at)
        return false;
    const int left = std::max(0, -at->dst_x);
    const int top = std::max(0, -at->dst_y);
    const int width = std::min(int(g->width), screen->width_in_pixels - at->dst_x) - left;
    const int height = std::min(int(g->height), screen->height_in_pixels - at->dst_y) - top;
    if (width <= 0 || height <= 0)
        return false;
    const Reply<xcb_get_image_reply_t> img(
        xcb_get_image_reply(c,
                            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, w, int16_t(left),
                                          int16_t(top), uint16_t(width), uint16_t(height), ~0u),
                            nullptr),
        &free);
    if (!img)
        return false;
    const auto *px = reinterpret_cast<const uint32_t *>(xcb_get_image_data(img.get()));
    const int n = xcb_get_image_data_length(img.get()) / 4;
    bool picture = false;
    for (int i = 1; i < n && !picture; ++i)
        picture = (px[i] & 0xffffff) != (px[0] & 0xffffff);
    if (save && n == width * height) {
        if (FILE *f = std::fopen(save, "wb")) {
            std::fprintf(f, "P6\n%d %d\n255\n", width, height);
            for (int i = 0; i < n; ++i) {
                const unsigned char rgb[3] = {uint8_t(px[i] >> 16), uint8_t(px[i] >> 8),
                                              uint8_t(px[i])};
                std::fwrite(rgb, 1, 3, f);
            }
            std::fclose(f);
        }
    }
    return picture;
}

// Does what the program asked of its window's place, size and stacking.
void configure(xcb_connection_t *c, const xcb_configure_request_event_t *e)
{
    uint32_t values[7];
    int n = 0;
    const uint16_t m = e->value_mask;
    if (m & XCB_CONFIG_WINDOW_X)
        values[n++] = uint32_t(e->x);
    if (m & XCB_CONFIG_WINDOW_Y)
        values[n++] = uint32_t(e->y);
    if (m & XCB_CONFIG_WINDOW_WIDTH)
        values[n++] = e->width;
    if (m & XCB_CONFIG_WINDOW_HEIGHT)
        values[n++] = e->height;
    if (m & XCB_CONFIG_WINDOW_BORDER_WIDTH)
        values[n++] = e->border_width;
    if (m & XCB_CONFIG_WINDOW_SIBLING)
        values[n++] = e->sibling;
    if (m & XCB_CONFIG_WINDOW_STACK_MODE)
        values[n++] = e->stack_mode;
    xcb_configure_window(c, e->window, m, values);
}

} // namespace

int main(int argc, char **argv)
{
    const char *save = nullptr;
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "--save") == 0) {
        save = argv[2];
        first = 3;
    }
    if (argc <= first) {
        std::fprintf(stderr, "usage: map_time [--save FILE.ppm] PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "map_time: no display\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
    if (xcb_generic_error_t *taken = xcb_request_check(
            c, xcb_change_window_attributes_checked(c, root, XCB_CW_EVENT_MASK, &mask))) {
        free(taken);
        std::fprintf(stderr,
                     "map_time: a window manager runs: the window is read just after "
                     "its map, not at it\n");
        mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    }
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); // in force now

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[first], argv + first);
        _exit(127);
    }
    int status = 0;
    const auto finish = [&](double ms, bool picture) {
        std::printf("%.1f %d\n", ms, picture ? 1 : 0);
        kill(child, SIGTERM);
        waitpid(child, &status, 0);
        xcb_disconnect(c);
        return 0;
    };
    // Windows mapped by others while waiting are told apart by the time they were made:
    // only windows created after the start count.
    std::set<xcb_window_t> created;
    while (xcb_generic_event_t *e = xcb_wait_for_event(c)) {
        const Reply<xcb_generic_event_t> owned(e, &free);
        const int type = e->response_type & 0x7f;
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        if (type == XCB_CREATE_NOTIFY) {
            created.insert(reinterpret_cast<xcb_create_notify_event_t *>(e)->window);
        } else if (type == XCB_CONFIGURE_REQUEST) {
            configure(c, reinterpret_cast<xcb_configure_request_event_t *>(e));
            xcb_flush(c);
        } else if (type == XCB_MAP_REQUEST) {
            const xcb_window_t w = reinterpret_cast<xcb_map_request_event_t *>(e)->window;
            if (!created.count(w)) {
                xcb_map_window(c, w);
                xcb_flush(c);
                continue;
            }
            xcb_grab_server(c);
            xcb_map_window(c, w);
            const bool picture = showsPicture(c, w, save);
            xcb_ungrab_server(c);
            xcb_flush(c);
            return finish(ms, picture);
        } else if (type == XCB_MAP_NOTIFY && !(mask & XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT)) {
            const xcb_window_t w = reinterpret_cast<xcb_map_notify_event_t *>(e)->window;
            if (created.count(w))
                return finish(ms, showsPicture(c, w, save));
        }
    }
    kill(child, SIGTERM);
    waitpid(child, &status, 0);
    std::fprintf(stderr, "map_time: the connection ended before a map\n");
    return 1;
}
