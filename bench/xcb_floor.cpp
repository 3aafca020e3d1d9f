// What any X client pays for waking up fifty times a second and showing a change: a bare xcb
// client that, every 20 ms (on a fixed schedule, as the meadow's timer), draws one point into a
// full-screen window and flushes. bench/xvfb-cpu.sh runs it beside the screensaver, so that the
// screensaver's figures can be read against this floor.
//
//   petalstream-xcb-floor [INTERVAL_MS]   (default 20; runs until it is ended)
#include <poll.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  const int interval = argc > 1 ? std::atoi(argv[1]) : 20;
  if (interval <= 0) {
    std::fprintf(stderr, "petalstream-xcb-floor: the interval is a number of milliseconds\n");
    return 2;
  }
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) {
    std::fprintf(stderr, "petalstream-xcb-floor: no X display\n");
    return 1;
  }
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const xcb_window_t window = xcb_generate_id(c);
  const std::uint32_t back[] = {screen->black_pixel};
  xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, screen->width_in_pixels,
                    screen->height_in_pixels, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                    XCB_CW_BACK_PIXEL, back);
  xcb_map_window(c, window);
  const xcb_gcontext_t gc = xcb_generate_id(c);
  const std::uint32_t fore[] = {screen->white_pixel};
  xcb_create_gc(c, gc, window, XCB_GC_FOREGROUND, fore);
  xcb_flush(c);

  using Clock = std::chrono::steady_clock;
  auto next = Clock::now();
  for (unsigned i = 0; !xcb_connection_has_error(c); ++i) {
    next += std::chrono::milliseconds(interval);
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now());
    poll(nullptr, 0, wait.count() > 0 ? static_cast<int>(wait.count()) : 0);
    const xcb_point_t p{static_cast<std::int16_t>(i % screen->width_in_pixels), 100};
    xcb_poly_point(c, XCB_COORD_MODE_ORIGIN, window, gc, 1, &p);
    xcb_flush(c);
  }
  xcb_disconnect(c);
  return 1;  // the server went away
}
