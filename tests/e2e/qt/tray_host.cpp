// A notification area for a bare X server, so that the end-to-end run can
// reach tarsil's tray icon: it owns the system tray selection of screen 0
// and takes every icon that asks to dock (the XEmbed tray protocol) into a
// strip of its own, at the place the command line gives, 24 pixels an icon.
//
//   tray_host X Y
//
// It prints "docked N" for each icon, N its place from the left (0 the
// first), and runs until it is ended.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kIconSize = 24;
constexpr long kRequestDock = 0;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tray_host X Y\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return 1;
  const int screen = DefaultScreen(display);
  const Window root = RootWindow(display, screen);
  const Window strip = XCreateSimpleWindow(display, root, std::atoi(argv[1]), std::atoi(argv[2]),
                                           kIconSize * 4, kIconSize, 0, 0, 0x303030);
  XStoreName(display, strip, "Tray host");
  XMapWindow(display, strip);

  const Atom selection = XInternAtom(display, "_NET_SYSTEM_TRAY_S0", False);
  const Atom opcode = XInternAtom(display, "_NET_SYSTEM_TRAY_OPCODE", False);
  const Atom manager = XInternAtom(display, "MANAGER", False);
  const Atom orientation = XInternAtom(display, "_NET_SYSTEM_TRAY_ORIENTATION", False);
  const long horizontal = 0;
  XChangeProperty(display, strip, orientation, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&horizontal), 1);
  XSetSelectionOwner(display, selection, strip, CurrentTime);
  if (XGetSelectionOwner(display, selection) != strip) return 1;

  // Programs started before the tray learn of it from this message.
  XEvent announce{};
  announce.xclient.type = ClientMessage;
  announce.xclient.window = root;
  announce.xclient.message_type = manager;
  announce.xclient.format = 32;
  announce.xclient.data.l[0] = CurrentTime;
  announce.xclient.data.l[1] = static_cast<long>(selection);
  announce.xclient.data.l[2] = static_cast<long>(strip);
  XSendEvent(display, root, False, StructureNotifyMask, &announce);
  XFlush(display);

  // An icon may ask more than once (when it started before the strip was
  // announced, it asks again on the announcement): it keeps its place.
  std::vector<Window> docked;
  for (;;) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type != ClientMessage || event.xclient.message_type != opcode ||
        event.xclient.data.l[1] != kRequestDock) {
      continue;
    }
    const auto icon = static_cast<Window>(event.xclient.data.l[2]);
    auto place = std::find(docked.begin(), docked.end(), icon);
    if (place == docked.end()) place = docked.insert(docked.end(), icon);
    const int at = static_cast<int>(place - docked.begin());
    XReparentWindow(display, icon, strip, at * kIconSize, 0);
    XResizeWindow(display, icon, kIconSize, kIconSize);
    XMapRaised(display, icon);
    XFlush(display);
    std::printf("docked %d\n", at);
    std::fflush(stdout);
  }
}
