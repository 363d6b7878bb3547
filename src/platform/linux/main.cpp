// The Linux entry point.
#include <gtk/gtk.h>

#include <malloc.h>

#include <clocale>

#include "host/startup/Program.h"
#include "platform/linux/GtkUI.h"
#include "platform/linux/Platform.h"

int main() {
  // Blocks of 1 MB and more are mapped and go back to the system when freed.
  // By default glibc raises that limit to the largest block freed so far, so
  // after one big page message every later one stays on the heap for good.
  mallopt(M_MMAP_THRESHOLD, 1 << 20);
  // The user's locale for text, but C rules for numbers, which the host
  // formats and parses itself.
  gtk_disable_setlocale();
  std::setlocale(LC_ALL, "");
  std::setlocale(LC_NUMERIC, "C");
  zel::gtk::InstallSystemMimeLookup();
  zel::gtk::InstallTempFileGuard();
  zel::gtk::TGtkUI ui;
  zel::SetUI(&ui);
  const int exitCode = zel::RunProgram();
  zel::SetUI(nullptr);
  return exitCode;
}
