// A loopback HTTP relay for media. WebKitGTK's media player loads only
// http(s), blob, file and data addresses, so <video> and <audio> sources
// of local pages are pointed here instead of at app:. Each request is handed
// to the web view whose page made it, which answers it as it answers app:
// requests (the host's WebResourceRequested handler, else the file); the
// answer's status and headers (Range answers included) go back as they are
// and its body is streamed.
//
// Who can read through it: the socket listens on 127.0.0.1 only; every
// address starts with a secret made for this run, known only to the
// runtime's own web processes; the Host header must name the relay (no
// rebinding of another name to it); and the web view answers only while
// its current page is local.
#pragma once

#include <gio/gio.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/linux/webkit/GObjectPtr.h"
#include "platform/linux/webkit/RelayRequest.h"

namespace zel::webkit {

struct TRelayAnswer {
  int Status = 200;
  std::string Reason;
  THeaderList Headers;
  // Fills the buffer; returns the bytes read, 0 at the end, -1 on an error.
  std::function<std::ptrdiff_t(char* buffer, std::size_t size)> Read;
  // The body's length when the headers do not announce it.
  std::optional<std::uint64_t> Length;
};

class TMediaRelay {
 public:
  using TReply = std::function<void(TRelayAnswer answer)>;
  // Answers a checked request (GET or HEAD) for the file address; Reply may
  // be called later, on the main loop.
  using TServe = std::function<void(std::uint64_t pageId, const std::string& hostUri,
                                    const TRelayRequest& request, TReply reply)>;

  // Listens on a free loopback port; null when no socket can be had.
  static std::unique_ptr<TMediaRelay> Start(TServe serve);
  ~TMediaRelay();
  TMediaRelay(const TMediaRelay&) = delete;
  TMediaRelay& operator=(const TMediaRelay&) = delete;

  // "http://127.0.0.1:<port>/<secret>/"; a page's addresses continue with
  // "<page id>/<path>".
  const std::string& Base() const { return FBase; }

  static TRelayAnswer StatusAnswer(int status);

 private:
  class TConnection;
  TMediaRelay(TServe serve, std::string secret);
  static gboolean OnIncoming(GSocketService* service, GSocketConnection* connection,
                             GObject* source, gpointer self);

  TServe FServe;
  std::string FSecret;
  std::string FHost;  // "127.0.0.1:<port>"
  std::string FBase;
  TGObjectPtr<GSocketService> FService;
  // Cancelled when the relay goes: connections still running then end.
  TGObjectPtr<GCancellable> FCancellable;
  int FConnections = 0;
};

}  // namespace zel::webkit
