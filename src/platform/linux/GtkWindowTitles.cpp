// TSysUtils::GetWindowsCaptions on Linux: the X11 window tree of GDK's
// display. Other GDK back-ends (Wayland) offer no way to list windows.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gdk/gdkx.h>

#include <string>
#include <vector>

#include "com/Utf.h"
#include "core/Text.h"
#include "platform/linux/GtkCommon.h"
#include "ports/SysUtils.h"

namespace zel {
namespace {

bool HasProperty(Display* Dpy, Window W, Atom Property) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const int status = XGetWindowProperty(Dpy, W, Property, 0, 0, False, AnyPropertyType, &type,
                                        &format, &count, &after, &data);
  if (data) XFree(data);
  return status == Success && type != None;
}

// The window that carries WM_STATE below W (depth first), or None.
Window FindWmState(Display* Dpy, Window W, Atom WmState, int Depth) {
  if (HasProperty(Dpy, W, WmState)) return W;
  if (Depth > 8) return None;
  Window root = None, parent = None, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(Dpy, W, &root, &parent, &children, &count)) return None;
  Window found = None;
  for (unsigned i = 0; i < count && found == None; ++i)
    found = FindWmState(Dpy, children[i], WmState, Depth + 1);
  if (children) XFree(children);
  return found;
}

// _NET_WM_NAME as UTF-8, else WM_NAME in its own encoding.
std::string WindowTitle(Display* Dpy, Window W, Atom NetWmName, Atom Utf8String) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(Dpy, W, NetWmName, 0, 65536, False, Utf8String, &type, &format, &count,
                         &after, &data) == Success &&
      data) {
    std::string title(reinterpret_cast<char*>(data), type == Utf8String ? count : 0);
    XFree(data);
    if (type == Utf8String) return SanitizeUtf8(title);
  }
  XTextProperty text{};
  if (!XGetTextProperty(Dpy, W, &text, XA_WM_NAME) || !text.value) return {};
  std::string title;
  char** list = nullptr;
  int n = 0;
  if (Xutf8TextPropertyToTextList(Dpy, &text, &list, &n) >= Success && list) {
    for (int i = 0; i < n; ++i) title += list[i];
    XFreeStringList(list);
  } else {
    title.assign(reinterpret_cast<char*>(text.value), text.nitems);
  }
  XFree(text.value);
  return SanitizeUtf8(title);
}

void ReadTitles(Display* Dpy, std::vector<std::string>& List) {
  const Atom wmState = XInternAtom(Dpy, "WM_STATE", False);
  const Atom netWmName = XInternAtom(Dpy, "_NET_WM_NAME", False);
  const Atom utf8String = XInternAtom(Dpy, "UTF8_STRING", False);
  Window root = None, parent = None, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(Dpy, DefaultRootWindow(Dpy), &root, &parent, &children, &count)) return;
  // The list comes bottom to top.
  for (unsigned i = count; i-- > 0;) {
    const Window client = FindWmState(Dpy, children[i], wmState, 0);
    std::string title =
        WindowTitle(Dpy, client != None ? client : children[i], netWmName, utf8String);
    if (!IsBlank(title)) List.push_back(std::move(title));
  }
  if (children) XFree(children);
}

}  // namespace

void TSysUtils::GetWindowsCaptions(std::vector<std::string>& List) {
  List.clear();
  if (!gtk::EnsureGtk()) return;
  GdkDisplay* display = gdk_display_get_default();
  if (!display || !GDK_IS_X11_DISPLAY(display)) return;
  // A window may be destroyed during the walk: its BadWindow errors are
  // dropped instead of ending the process in Xlib's default handler.
  gdk_x11_display_error_trap_push(display);
  ReadTitles(GDK_DISPLAY_XDISPLAY(display), List);
  gdk_x11_display_error_trap_pop_ignored(display);
}

}  // namespace zel
