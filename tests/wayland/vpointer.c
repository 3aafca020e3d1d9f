// petalstream-vpointer: moves and clicks a pointer on a wlroots compositor (sway), for the
// end-to-end tests: the compositor's virtual pointer takes the place of a mouse.
//   petalstream-vpointer STEP...   with the steps   move DX DY | click | wait MS
// A new pointer device is announced to the clients before it moves; the steps follow after a
// short pause, each as one frame of pointer events.
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <wayland-client.h>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

static struct zwlr_virtual_pointer_manager_v1* manager;

static void global(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                   uint32_t version) {
  (void)data;
  (void)version;
  if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
    manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
  }
}

static void global_remove(void* data, struct wl_registry* registry, uint32_t name) {
  (void)data;
  (void)registry;
  (void)name;
}

static const struct wl_registry_listener registry_listener = {global, global_remove};

static void pause_ms(long ms) {
  struct timespec t = {ms / 1000, (ms % 1000) * 1000000L};
  nanosleep(&t, NULL);
}

static uint32_t now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (uint32_t)(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

static int usage(void) {
  fprintf(stderr, "usage: petalstream-vpointer STEP...  (move DX DY | click | wait MS)\n");
  return 2;
}

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  struct wl_display* display = wl_display_connect(NULL);
  if (display == NULL) {
    fprintf(stderr, "petalstream-vpointer: no Wayland display\n");
    return 1;
  }
  struct wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &registry_listener, NULL);
  wl_display_roundtrip(display);
  if (manager == NULL) {
    fprintf(stderr, "petalstream-vpointer: the compositor offers no virtual pointer\n");
    return 1;
  }
  struct zwlr_virtual_pointer_v1* pointer =
      zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, NULL);
  wl_display_roundtrip(display);
  pause_ms(300);  // the clients learn of the new device before it moves

  int status = 0;
  for (int i = 1; i < argc && status == 0; ++i) {
    if (strcmp(argv[i], "move") == 0 && i + 2 < argc) {
      double dx = atof(argv[i + 1]), dy = atof(argv[i + 2]);
      zwlr_virtual_pointer_v1_motion(pointer, now_ms(), wl_fixed_from_double(dx),
                                     wl_fixed_from_double(dy));
      zwlr_virtual_pointer_v1_frame(pointer);
      i += 2;
    } else if (strcmp(argv[i], "click") == 0) {
      zwlr_virtual_pointer_v1_button(pointer, now_ms(), BTN_LEFT, WL_POINTER_BUTTON_STATE_PRESSED);
      zwlr_virtual_pointer_v1_frame(pointer);
      zwlr_virtual_pointer_v1_button(pointer, now_ms(), BTN_LEFT, WL_POINTER_BUTTON_STATE_RELEASED);
      zwlr_virtual_pointer_v1_frame(pointer);
    } else if (strcmp(argv[i], "wait") == 0 && i + 1 < argc) {
      pause_ms(atol(argv[++i]));
    } else {
      status = usage();
      break;
    }
    if (wl_display_roundtrip(display) < 0) {
      fprintf(stderr, "petalstream-vpointer: the compositor closed the connection\n");
      status = 1;
    }
  }
  zwlr_virtual_pointer_v1_destroy(pointer);
  zwlr_virtual_pointer_manager_v1_destroy(manager);
  wl_display_roundtrip(display);
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return status;
}
