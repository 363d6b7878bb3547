#include "platform/linux/GtkCommon.h"

namespace zel::gtk {

bool EnsureGtk() {
  static const bool ok = gtk_init_check(nullptr, nullptr);
  return ok;
}

GtkWindow* ActiveWindow() {
  GtkWindow* found = nullptr;
  GList* windows = gtk_window_list_toplevels();
  for (GList* l = windows; l; l = l->next) {
    GtkWindow* w = GTK_WINDOW(l->data);
    if (gtk_window_is_active(w)) found = w;
  }
  g_list_free(windows);
  return found;
}

}  // namespace zel::gtk
