// What every GTK peer needs: GTK started on demand, the window dialogs
// belong to, and a guard for calls from GTK into the host.
#pragma once

#include <gtk/gtk.h>

#include <exception>

#include "ports/UI.h"

namespace zel::gtk {

// Initialises GTK on first use; false when there is no display.
bool EnsureGtk();

// The window that has the focus, for dialogs to belong to.
GtkWindow* ActiveWindow();

// Runs a call that GTK made into the host: exceptions are reported, never
// passed back into GTK.
template <class F>
void Guarded(F&& fn) noexcept {
  try {
    fn();
  } catch (...) {
    ReportException(std::current_exception());
  }
}

}  // namespace zel::gtk
