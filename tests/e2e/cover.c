/* Covers the whole screen with a window no window manager handles (override-redirect, as a
 * screen locker's), black, until it is ended; says "covered" once the server has mapped it. */
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>
#include <xcb/xcb.h>

int main(void) {
  xcb_connection_t* c = xcb_connect(NULL, NULL);
  if (xcb_connection_has_error(c)) {
    fprintf(stderr, "cover: no X display\n");
    return 1;
  }
  xcb_screen_t* s = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  xcb_window_t w = xcb_generate_id(c);
  uint32_t values[] = {s->black_pixel, 1};
  xcb_create_window(c, XCB_COPY_FROM_PARENT, w, s->root, 0, 0, s->width_in_pixels,
                    s->height_in_pixels, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, s->root_visual,
                    XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
  xcb_map_window(c, w);
  free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), NULL)); /* mapped by now */
  printf("covered\n");
  fflush(stdout);
  pause(); /* the window goes with the connection */
  return 0;
}
