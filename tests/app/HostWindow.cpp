// A stand-in for Velmora's window in the display tests: a plain X window of another
// process. Prints its id in hexadecimal digits (as Velmora passes it) and lives until it
// is killed or the display goes away; its window goes with it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <xcb/xcb.h>

int main() {
  int screenNumber = 0;
  xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
  if (xcb_connection_has_error(connection)) {
    std::fprintf(stderr, "host window: cannot open the display\n");
    return 1;
  }
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
  for (int i = 0; i < screenNumber; ++i) xcb_screen_next(&screens);
  xcb_screen_t* screen = screens.data;

  const xcb_window_t window = xcb_generate_id(connection);
  const std::uint32_t values[] = {0x808080u, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
  xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 800, 400, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                    XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
  const char title[] = "Velmora host";
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING,
                      8, std::strlen(title), title);
  xcb_map_window(connection, window);
  xcb_flush(connection);

  std::printf("%x\n", window);
  std::fflush(stdout);

  while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) std::free(event);
  xcb_disconnect(connection);
  return 0;
}
