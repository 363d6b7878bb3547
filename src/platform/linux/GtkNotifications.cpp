// Desktop notifications through libnotify (the freedesktop notification
// service on the session bus).
#include <libnotify/notify.h>

#include <map>
#include <string>

#include "core/Text.h"
#include "platform/linux/GtkCommon.h"
#include "platform/linux/GtkUI.h"

namespace zel::gtk {

namespace {

constexpr const char* kNameKey = "zel-notification-name";
// Servers lay out all they get, and the host waits for their answer: a
// page's megabytes kept one busy (and the window frozen) for minutes. More
// than a notification can show is cut.
constexpr size_t kMaxTitleBytes = 1024;
constexpr size_t kMaxBodyBytes = 16 * 1024;

class TLibnotifyCenter final : public INotificationCenter {
 public:
  TLibnotifyCenter(const std::string& appName, std::function<void(const std::string&)> onClick)
      : FOnClick(std::move(onClick)) {
    // notify_init belongs to the process, once.
    FInitialised = notify_is_initted() || notify_init(appName.empty() ? "zel" : appName.c_str());
  }

  ~TLibnotifyCenter() override {
    for (auto& [name, n] : FShown) Release(n);
  }

  bool Supported() override {
    if (!FInitialised) return false;
    // Asked every time: the service may come and go while the program runs.
    GList* caps = notify_get_server_caps();
    if (!caps) return false;
    FMarkup = g_list_find_custom(caps, "body-markup", (GCompareFunc)g_strcmp0) != nullptr;
    g_list_free_full(caps, g_free);
    return true;
  }

  bool Present(const std::string& Name, const std::string& FullTitle,
               const std::string& FullBody) override {
    const std::string Title = ShortenUtf8(FullTitle, kMaxTitleBytes);
    const std::string Body = ShortenUtf8(FullBody, kMaxBodyBytes);
    // A server that reads markup would take "a < b & c" for broken markup.
    gchar* shownBody = FMarkup ? g_markup_escape_text(Body.c_str(), -1) : g_strdup(Body.c_str());
    NotifyNotification* n = nullptr;
    const auto it = FShown.find(Name);
    const bool created = it == FShown.end();
    if (created) {
      n = notify_notification_new(Title.c_str(), shownBody, nullptr);
      g_object_set_data_full(G_OBJECT(n), kNameKey, g_strdup(Name.c_str()), g_free);
      // Servers invoke "default" when the notification itself is clicked.
      notify_notification_add_action(n, "default", "Open", &TLibnotifyCenter::Activated, this,
                                     nullptr);
      g_signal_connect(n, "closed", G_CALLBACK(&TLibnotifyCenter::Closed), this);
    } else {
      // The same object shown again: the server replaces it in place.
      n = it->second;
      notify_notification_update(n, Title.c_str(), shownBody, nullptr);
    }
    g_free(shownBody);
    GError* error = nullptr;
    if (!notify_notification_show(n, &error)) {
      g_clear_error(&error);
      if (created) Release(n);
      return false;
    }
    // Kept referenced until the server closes it: libnotify delivers clicks
    // only to live objects.
    if (created) FShown[Name] = n;
    return true;
  }

 private:
  void Release(NotifyNotification* n) {
    g_signal_handlers_disconnect_by_data(n, this);
    notify_notification_clear_actions(n);
    g_object_unref(n);
  }

  static std::string NameOf(NotifyNotification* n) {
    const auto* name = static_cast<const char*>(g_object_get_data(G_OBJECT(n), kNameKey));
    return name ? name : "";
  }

  static void Activated(NotifyNotification* n, char*, gpointer self) {
    auto* center = static_cast<TLibnotifyCenter*>(self);
    const std::string name = NameOf(n);
    Guarded([&] { center->FOnClick(name); });
  }

  static void Closed(NotifyNotification* n, gpointer self) {
    auto* center = static_cast<TLibnotifyCenter*>(self);
    const auto it = center->FShown.find(NameOf(n));
    // A later notification of the same name may own the entry by now.
    if (it == center->FShown.end() || it->second != n) return;
    center->FShown.erase(it);
    center->Release(n);
  }

  std::function<void(const std::string&)> FOnClick;
  // One reference each.
  std::map<std::string, NotifyNotification*> FShown;
  bool FInitialised = false;
  bool FMarkup = false;
};

}  // namespace

std::unique_ptr<INotificationCenter> TGtkUI::CreateNotificationCenter(
    const std::string& AppName, std::function<void(const std::string&)> OnClick) {
  return std::make_unique<TLibnotifyCenter>(AppName, std::move(OnClick));
}

}  // namespace zel::gtk
