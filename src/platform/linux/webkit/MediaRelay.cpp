#include "platform/linux/webkit/MediaRelay.h"

#include <libsoup/soup.h>
#include <sys/random.h>

#include <array>
#include <cstring>

#include "platform/linux/webkit/ComUtils.h"

namespace zel::webkit {

namespace {

constexpr std::size_t kMaxHead = 16 * 1024;
constexpr std::size_t kChunk = 128 * 1024;
constexpr int kMaxConnections = 64;
// A client that connects gets this long to send its request.
constexpr guint kHeadTimeoutSeconds = 10;

std::string NewSecret() {
  std::array<unsigned char, 16> bytes{};
  if (getrandom(bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) return {};
  static constexpr char kHex[] = "0123456789abcdef";
  std::string secret;
  for (unsigned char b : bytes) {
    secret += kHex[b >> 4];
    secret += kHex[b & 15];
  }
  return secret;
}

// Headers the relay sets itself, or that describe the host's own transfer.
bool IsOwnHeader(std::string_view name) {
  for (const char* own : {"Connection", "Keep-Alive", "Content-Length", "Transfer-Encoding",
                          "Cache-Control", "Proxy-Connection", "Upgrade"})
    if (SameHeaderName(name, own)) return true;
  return false;
}

bool IsSafeHeaderText(std::string_view text) {
  return text.find_first_of("\r\n", 0) == std::string_view::npos &&
         std::memchr(text.data(), '\0', text.size()) == nullptr;
}

std::string ResponseHead(const TRelayAnswer& answer, std::optional<std::uint64_t> length) {
  std::string reason = answer.Reason;
  if (reason.empty() || !IsSafeHeaderText(reason))
    reason = soup_status_get_phrase(static_cast<guint>(answer.Status));
  std::string head = "HTTP/1.1 " + std::to_string(answer.Status) + " " + reason + "\r\n";
  for (const auto& [name, value] : answer.Headers) {
    if (IsOwnHeader(name) || name.empty() || !IsSafeHeaderText(name) || !IsSafeHeaderText(value))
      continue;
    head += name + ": " + value + "\r\n";
  }
  if (length) head += "Content-Length: " + std::to_string(*length) + "\r\n";
  // The engine's disk cache would keep a copy of every video otherwise.
  head += "Cache-Control: no-store\r\nConnection: close\r\n\r\n";
  return head;
}

}  // namespace

// One client connection: reads one request head, hands the request on,
// writes the answer and closes. It owns itself through the callbacks in
// flight (each holds a shared reference).
class TMediaRelay::TConnection : public std::enable_shared_from_this<TConnection> {
 public:
  TConnection(TMediaRelay* relay, GSocketConnection* connection)
      : FRelay(relay),
        FCancellable(relay->FCancellable),
        FConnection(TGObjectPtr<GSocketConnection>::Ref(connection)) {
    ++FRelay->FConnections;
  }
  ~TConnection() {
    if (RelayAlive()) --FRelay->FConnections;
    g_io_stream_close(G_IO_STREAM(FConnection.Get()), nullptr, nullptr);
  }

  void Start() {
    g_socket_set_timeout(g_socket_connection_get_socket(FConnection.Get()), kHeadTimeoutSeconds);
    ReadHead();
  }

 private:
  using TSelf = std::shared_ptr<TConnection>;

  bool RelayAlive() const { return !g_cancellable_is_cancelled(FCancellable.Get()); }
  GInputStream* In() const { return g_io_stream_get_input_stream(G_IO_STREAM(FConnection.Get())); }
  GOutputStream* Out() const {
    return g_io_stream_get_output_stream(G_IO_STREAM(FConnection.Get()));
  }

  void ReadHead() {
    g_input_stream_read_async(In(), FChunk.data(), 4096, G_PRIORITY_DEFAULT, FCancellable.Get(),
                              &TConnection::OnRead, new TSelf(shared_from_this()));
  }

  static void OnRead(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<TSelf> self(static_cast<TSelf*>(data));
    GuardCallback([&] {
      gssize read = g_input_stream_read_finish(G_INPUT_STREAM(source), result, nullptr);
      if (read <= 0 || !(*self)->RelayAlive()) return;
      (*self)->Received(std::string_view((*self)->FChunk.data(), static_cast<std::size_t>(read)));
    });
  }

  void Received(std::string_view bytes) {
    FHead.append(bytes);
    std::size_t end = FHead.find("\r\n\r\n");
    if (end == std::string::npos) {
      if (FHead.size() > kMaxHead) return Answer(StatusAnswer(431), true);
      return ReadHead();
    }
    g_socket_set_timeout(g_socket_connection_get_socket(FConnection.Get()), 0);
    std::optional<TRelayRequest> request = ParseRelayHead(std::string_view(FHead).substr(0, end));
    if (!request) return Answer(StatusAnswer(400), true);
    const bool withBody = request->Method != "HEAD";
    const std::string* host = FindHeaderValue(request->Headers, "Host");
    if (!host || *host != FRelay->FHost) return Answer(StatusAnswer(403), withBody);
    // Without the secret the relay gives nothing away, not even that the
    // address is wrong in some other way.
    std::optional<TRelayTarget> target = ParseRelayTarget(request->Target, FRelay->FSecret);
    if (!target) return Answer(StatusAnswer(404), withBody);
    if (withBody && request->Method != "GET") {
      TRelayAnswer refusal = StatusAnswer(405);
      refusal.Headers.emplace_back("Allow", "GET, HEAD");
      return Answer(std::move(refusal), true);
    }
    FRelay->FServe(target->PageId, target->HostUri, *request,
                   [self = shared_from_this(), withBody](TRelayAnswer answer) {
                     self->Answer(std::move(answer), withBody);
                   });
  }

  void Answer(TRelayAnswer answer, bool withBody) {
    std::optional<std::uint64_t> length = AnnouncedLength(answer.Status, answer.Headers);
    if (!length) length = answer.Length;
    FBody = std::move(answer.Read);
    FRemaining = withBody && FBody ? length : std::optional<std::uint64_t>(0);
    FBuffer = ResponseHead(answer, length);
    Write();
  }

  void Write() {
    g_output_stream_write_all_async(Out(), FBuffer.data(), FBuffer.size(), G_PRIORITY_DEFAULT,
                                    FCancellable.Get(), &TConnection::OnWritten,
                                    new TSelf(shared_from_this()));
  }

  static void OnWritten(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<TSelf> self(static_cast<TSelf*>(data));
    GuardCallback([&] {
      if (!g_output_stream_write_all_finish(G_OUTPUT_STREAM(source), result, nullptr, nullptr))
        return;
      (*self)->Pump();
    });
  }

  // The next piece of the body. Reading may decrypt or wait for the disk, so
  // it runs on a worker thread (the response streams are agile), never on
  // the UI thread; one read is in flight at a time. The connection ends (and
  // closes) when nothing is left in flight.
  void Pump() {
    std::size_t want = kChunk;
    if (FRemaining) want = static_cast<std::size_t>(std::min<std::uint64_t>(*FRemaining, want));
    if (want == 0 || !FBody) return;
    FBuffer.resize(want);
    GTask* task = g_task_new(nullptr, FCancellable.Get(), &TConnection::OnPumped,
                             new TSelf(shared_from_this()));
    g_task_set_task_data(task, this, nullptr);
    g_task_run_in_thread(task, &TConnection::ReadBody);
    g_object_unref(task);
  }

  static void ReadBody(GTask* task, gpointer, gpointer data, GCancellable*) {
    auto* self = static_cast<TConnection*>(data);
    std::ptrdiff_t read = GuardCallback(std::ptrdiff_t{-1}, [&] {
      return self->FBody(self->FBuffer.data(), self->FBuffer.size());
    });
    g_task_return_int(task, read);
  }

  static void OnPumped(GObject*, GAsyncResult* result, gpointer data) {
    std::unique_ptr<TSelf> self(static_cast<TSelf*>(data));
    GuardCallback([&] {
      gssize read = g_task_propagate_int(G_TASK(result), nullptr);
      if (read <= 0 || !(*self)->RelayAlive()) return;
      (*self)->FBuffer.resize(static_cast<std::size_t>(read));
      if ((*self)->FRemaining) *(*self)->FRemaining -= static_cast<std::uint64_t>(read);
      (*self)->Write();
    });
  }

  TMediaRelay* FRelay;
  TGObjectPtr<GCancellable> FCancellable;
  TGObjectPtr<GSocketConnection> FConnection;
  std::array<char, 4096> FChunk{};
  std::string FHead;
  std::string FBuffer;
  std::function<std::ptrdiff_t(char*, std::size_t)> FBody;
  // Bytes of the body still to send; unknown when the answer gives no
  // length (the end of the connection ends the body then).
  std::optional<std::uint64_t> FRemaining;
};

TMediaRelay::TMediaRelay(TServe serve, std::string secret)
    : FServe(std::move(serve)),
      FSecret(std::move(secret)),
      FService(TGObjectPtr<GSocketService>::Adopt(g_socket_service_new())),
      FCancellable(TGObjectPtr<GCancellable>::Adopt(g_cancellable_new())) {}

TMediaRelay::~TMediaRelay() {
  g_cancellable_cancel(FCancellable.Get());
  g_signal_handlers_disconnect_by_data(FService.Get(), this);
  g_socket_service_stop(FService.Get());
  g_socket_listener_close(G_SOCKET_LISTENER(FService.Get()));
}

std::unique_ptr<TMediaRelay> TMediaRelay::Start(TServe serve) {
  std::string secret = NewSecret();
  if (secret.empty()) return nullptr;
  std::unique_ptr<TMediaRelay> relay(new TMediaRelay(std::move(serve), std::move(secret)));
  auto loopback =
      TGObjectPtr<GInetAddress>::Adopt(g_inet_address_new_loopback(G_SOCKET_FAMILY_IPV4));
  auto address = TGObjectPtr<GSocketAddress>::Adopt(g_inet_socket_address_new(loopback.Get(), 0));
  GSocketAddress* bound = nullptr;
  if (!g_socket_listener_add_address(G_SOCKET_LISTENER(relay->FService.Get()), address.Get(),
                                     G_SOCKET_TYPE_STREAM, G_SOCKET_PROTOCOL_TCP, nullptr, &bound,
                                     nullptr))
    return nullptr;
  auto effective = TGObjectPtr<GSocketAddress>::Adopt(bound);
  const guint16 port = g_inet_socket_address_get_port(G_INET_SOCKET_ADDRESS(effective.Get()));
  relay->FHost = "127.0.0.1:" + std::to_string(port);
  relay->FBase = "http://" + relay->FHost + "/" + relay->FSecret + "/";
  g_signal_connect(relay->FService.Get(), "incoming", G_CALLBACK(&TMediaRelay::OnIncoming),
                   relay.get());
  g_socket_service_start(relay->FService.Get());
  return relay;
}

gboolean TMediaRelay::OnIncoming(GSocketService*, GSocketConnection* connection, GObject*,
                                 gpointer self) {
  return GuardCallback(TRUE, [&] {
    auto* relay = static_cast<TMediaRelay*>(self);
    // Refused connections close when the service lets go of them.
    if (relay->FConnections >= kMaxConnections) return TRUE;
    std::make_shared<TConnection>(relay, connection)->Start();
    return TRUE;
  });
}

TRelayAnswer TMediaRelay::StatusAnswer(int status) {
  TRelayAnswer answer;
  answer.Status = status;
  answer.Reason = soup_status_get_phrase(static_cast<guint>(status));
  answer.Headers.emplace_back("Content-Type", "text/plain; charset=utf-8");
  auto text = std::make_shared<std::string>(answer.Reason);
  auto offset = std::make_shared<std::size_t>(0);
  answer.Read = [text, offset](char* buffer, std::size_t size) -> std::ptrdiff_t {
    std::size_t n = std::min(size, text->size() - *offset);
    std::memcpy(buffer, text->data() + *offset, n);
    *offset += n;
    return static_cast<std::ptrdiff_t>(n);
  };
  answer.Length = text->size();
  return answer;
}

}  // namespace zel::webkit
