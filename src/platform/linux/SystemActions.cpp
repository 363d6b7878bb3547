// TSysUtils on Linux: the network adapters' hardware addresses (from the
// kernel's interface list) and log-off, restart and shutdown (through logind
// on the system bus).
#include <gio/gio.h>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if_arp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <memory>
#include <span>

#include "core/SystemText.h"
#include "ports/SysUtils.h"

namespace zel {

namespace {

bool IsWireless(const char* name) {
  const std::string base = std::string("/sys/class/net/") + name;
  return access((base + "/wireless").c_str(), F_OK) == 0 ||
         access((base + "/phy80211").c_str(), F_OK) == 0;
}

std::string KindOf(const ifaddrs& entry, const sockaddr_ll& link) {
  if (IsWireless(entry.ifa_name)) return "W";
  return link.sll_hatype == ARPHRD_ETHER ? "E" : "U";
}

struct TGErrorFree {
  void operator()(GError* e) const { g_error_free(e); }
};
struct TObjectUnref {
  void operator()(gpointer o) const { g_object_unref(o); }
};

// Long enough for a busy logind, short enough not to hang the page's call.
constexpr int kLogindTimeoutMs = 15000;

struct TLogindCall {
  const char* Path;
  const char* Interface;
  const char* Method;
  bool WithInteractive;  // Manager methods take "interactive"; Terminate takes nothing
};

bool LogindCallFor(unsigned flags, TLogindCall& call) {
  constexpr const char* kManagerPath = "/org/freedesktop/login1";
  constexpr const char* kManager = "org.freedesktop.login1.Manager";
  switch (flags) {
    case 4:
      call = {"/org/freedesktop/login1/session/auto", "org.freedesktop.login1.Session", "Terminate",
              false};
      return true;
    case 6:
      call = {kManagerPath, kManager, "Reboot", true};
      return true;
    case 5:
      // PowerOff: a machine that is halted but still powered looks alive.
      call = {kManagerPath, kManager, "PowerOff", true};
      return true;
    default:
      return false;
  }
}

}  // namespace

std::vector<std::string> TSysUtils::GetMacAddresses() {
  std::vector<std::string> list;
  ifaddrs* all = nullptr;
  if (getifaddrs(&all) != 0) return list;
  for (const ifaddrs* entry = all; entry; entry = entry->ifa_next) {
    if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_PACKET) continue;
    const auto& link = *reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr);
    const size_t length =
        link.sll_halen < sizeof link.sll_addr ? link.sll_halen : sizeof link.sll_addr;
    if (auto text = MacAddressEntry(KindOf(*entry, link), std::span(link.sll_addr, length)))
      list.push_back(std::move(*text));
  }
  freeifaddrs(all);
  return list;
}

bool TSysUtils::ExitWindows(unsigned RebootParam, std::string& SystemMessage) {
  TLogindCall call{};
  if (!LogindCallFor(RebootParam, call)) {
    SystemMessage = "Invalid argument";
    return false;
  }
  GError* rawError = nullptr;
  // A connection of its own, to the address the environment names now: the
  // process-wide shared system bus would outlive a changed address.
  std::unique_ptr<gchar, decltype(&g_free)> address(
      g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SYSTEM, nullptr, &rawError), &g_free);
  std::unique_ptr<GDBusConnection, TObjectUnref> connection;
  if (address)
    connection.reset(g_dbus_connection_new_for_address_sync(
        address.get(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &rawError));
  GVariant* reply = nullptr;
  if (connection) {
    // interactive false: no authentication prompt, polkit's rules decide.
    reply = g_dbus_connection_call_sync(
        connection.get(), "org.freedesktop.login1", call.Path, call.Interface, call.Method,
        call.WithInteractive ? g_variant_new("(b)", FALSE) : nullptr, nullptr,
        G_DBUS_CALL_FLAGS_NO_AUTO_START, kLogindTimeoutMs, nullptr, &rawError);
    g_dbus_connection_close_sync(connection.get(), nullptr, nullptr);
  }
  std::unique_ptr<GError, TGErrorFree> error(rawError);
  if (reply) {
    g_variant_unref(reply);
    return true;
  }
  if (error) {
    g_dbus_error_strip_remote_error(error.get());
    SystemMessage = error->message;
  }
  return false;
}

}  // namespace zel
