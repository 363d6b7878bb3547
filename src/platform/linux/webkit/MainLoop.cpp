#include "platform/linux/webkit/MainLoop.h"

#include <glib.h>

#include "platform/linux/webkit/ComUtils.h"

namespace zel::webkit {

namespace {

gboolean RunOnce(gpointer data) {
  GuardCallback([&] { (*static_cast<std::function<void()>*>(data))(); });
  return G_SOURCE_REMOVE;
}

void FreeWork(gpointer data) {
  delete static_cast<std::function<void()>*>(data);
}

}  // namespace

void RunLater(std::function<void()> work) {
  g_idle_add_full(G_PRIORITY_DEFAULT, RunOnce, new std::function<void()>(std::move(work)),
                  FreeWork);
}

}  // namespace zel::webkit
