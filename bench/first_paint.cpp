// first_paint COMMAND [ARG...]: starts COMMAND on the X display of $DISPLAY and prints
// the milliseconds from its start until a window of it is mapped and first painted, then
// ends it. "Painted" is the first damage the X server reports on a mapped top-level
// window, that is, the program's first drawing into it: a window with no background of
// its own (as Qt makes them) shows nothing the server draws. Exit status 1 when nothing
// was painted within 20 seconds or the program ended first.

#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <set>

namespace {

double nowMs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

int finish(pid_t child, int status) {
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: first_paint COMMAND [ARG...]\n");
    return 2;
  }
  // A server just started may take a moment to accept connections.
  xcb_connection_t* x = xcb_connect(nullptr, nullptr);
  for (int tries = 0; xcb_connection_has_error(x) && tries < 100; ++tries) {
    xcb_disconnect(x);
    usleep(50000);
    x = xcb_connect(nullptr, nullptr);
  }
  if (xcb_connection_has_error(x)) {
    std::fprintf(stderr, "first_paint: no X display\n");
    return 1;
  }
  const xcb_query_extension_reply_t* damage = xcb_get_extension_data(x, &xcb_damage_id);
  if (!damage || !damage->present) {
    std::fprintf(stderr, "first_paint: the X server has no DAMAGE extension\n");
    return 1;
  }
  free(xcb_damage_query_version_reply(x, xcb_damage_query_version(x, 1, 1), nullptr));
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
  const uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &events);
  xcb_flush(x);

  const double start = nowMs();
  const pid_t child = fork();
  if (child == 0) {
    execvp(argv[1], argv + 1);
    _exit(127);
  }
  // Every top-level window is watched from its creation, before its program can draw.
  std::set<xcb_window_t> mapped;
  const int fd = xcb_get_file_descriptor(x);
  while (nowMs() - start < 20000) {
    if (waitpid(child, nullptr, WNOHANG) == child) {
      std::fprintf(stderr, "first_paint: %s ended before it painted a window\n", argv[1]);
      return 1;
    }
    xcb_generic_event_t* e = xcb_poll_for_event(x);
    if (!e) {
      fd_set in;
      FD_ZERO(&in);
      FD_SET(fd, &in);
      timeval wait{0, 10000};
      select(fd + 1, &in, nullptr, nullptr, &wait);
      continue;
    }
    const int type = e->response_type & 0x7f;
    if (type == XCB_CREATE_NOTIFY) {
      const auto* c = reinterpret_cast<xcb_create_notify_event_t*>(e);
      xcb_damage_create(x, xcb_generate_id(x), c->window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
      xcb_flush(x);
    } else if (type == XCB_MAP_NOTIFY) {
      mapped.insert(reinterpret_cast<xcb_map_notify_event_t*>(e)->window);
    } else if (type == damage->first_event + XCB_DAMAGE_NOTIFY) {
      const auto* d = reinterpret_cast<xcb_damage_notify_event_t*>(e);
      if (mapped.count(d->drawable)) {
        std::printf("%.2f\n", nowMs() - start);
        free(e);
        return finish(child, 0);
      }
    }
    // Errors (a window that takes no damage object, such as an input-only one) are
    // of no concern here.
    free(e);
  }
  std::fprintf(stderr, "first_paint: %s painted no window within 20 s\n", argv[1]);
  return finish(child, 1);
}
