#include "Harness.h"

#include <arpa/inet.h>
#include <dlfcn.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <thread>

#include "com/Utf.h"

namespace zel {

namespace test {

std::u16string Wide(const std::string& text) {
  return Utf8ToUtf16(text);
}

namespace {

class TTestStream final : public TComObject<IStream> {
 public:
  explicit TTestStream(std::string data) : FData(std::move(data)) {}
  HRESULT Read(void* pv, ULONG cb, ULONG* read) override {
    ULONG n = static_cast<ULONG>(std::min<std::size_t>(cb, FData.size() - FPos));
    std::memcpy(pv, FData.data() + FPos, n);
    FPos += n;
    if (read) *read = n;
    return n < cb ? S_FALSE : S_OK;
  }
  HRESULT Write(const void* pv, ULONG cb, ULONG* written) override {
    FData.replace(FPos, std::min<std::size_t>(cb, FData.size() - FPos),
                  static_cast<const char*>(pv), cb);
    FPos += cb;
    if (written) *written = cb;
    return S_OK;
  }
  HRESULT Seek(std::int64_t move, DWORD origin, std::uint64_t* position) override {
    std::int64_t base = origin == kStreamSeekSet   ? 0
                        : origin == kStreamSeekCur ? FPos
                                                   : FData.size();
    FPos = static_cast<std::size_t>(base + move);
    if (position) *position = FPos;
    return S_OK;
  }
  HRESULT SetSize(std::uint64_t) override { return E_NOTIMPL; }
  HRESULT CopyTo(IStream*, std::uint64_t, std::uint64_t*, std::uint64_t*) override {
    return E_NOTIMPL;
  }
  HRESULT Commit(DWORD) override { return S_OK; }
  HRESULT Revert() override { return E_NOTIMPL; }
  HRESULT LockRegion(std::uint64_t, std::uint64_t, DWORD) override { return E_NOTIMPL; }
  HRESULT UnlockRegion(std::uint64_t, std::uint64_t, DWORD) override { return E_NOTIMPL; }
  HRESULT Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
  HRESULT Clone(IStream**) override { return E_NOTIMPL; }
  const std::string& Data() const { return FData; }

 private:
  std::string FData;
  std::size_t FPos = 0;
};

}  // namespace

TComPtr<IStream> MemoryStream(const std::string& data) {
  return MakeCom<TTestStream, IStream>(data);
}

std::string StreamBytes(IStream* stream) {
  return static_cast<TTestStream*>(stream)->Data();
}

// ---- The library ---------------------------------------------------------------

TRuntime& Runtime() {
  static TRuntime runtime = [] {
    TRuntime r;
    void* library = dlopen(ZEL_RUNTIME_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
      ADD_FAILURE() << dlerror();
      return r;
    }
    r.Create = reinterpret_cast<TCreateCoreWebView2Environment>(
        dlsym(library, "CreateCoreWebView2Environment"));
    r.Version = reinterpret_cast<TGetCoreWebView2BrowserVersionString>(
        dlsym(library, "GetCoreWebView2BrowserVersionString"));
    r.AvailableVersion = reinterpret_cast<TGetAvailableCoreWebView2BrowserVersionString>(
        dlsym(library, "GetAvailableCoreWebView2BrowserVersionString"));
    if (const char* folder = g_getenv("WEBVIEW2_USER_DATA_FOLDER")) r.UserDataFolder = folder;
    if (!r.Create) return r;
    bool done = false;
    r.Create(Handler<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler>(
                 [&](HRESULT hr, ICoreWebView2Environment* environment) {
                   EXPECT_EQ(hr, S_OK);
                   r.Environment = TComPtr<ICoreWebView2Environment>(environment);
                   done = true;
                   return S_OK;
                 })
                 .Get());
    PumpUntil([&] { return done; });
    return r;
  }();
  return runtime;
}

TComPtr<ICoreWebView2Environment> NewEnvironment() {
  TComPtr<ICoreWebView2Environment> environment;
  bool done = false;
  Runtime().Create(Handler<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler>(
                       [&](HRESULT hr, ICoreWebView2Environment* made) {
                         EXPECT_EQ(hr, S_OK);
                         environment = TComPtr<ICoreWebView2Environment>(made);
                         done = true;
                         return S_OK;
                       })
                       .Get());
  PumpUntil([&] { return done; });
  return environment;
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(1000);
  }
  return true;
}

void PumpFor(std::chrono::milliseconds time) {
  auto end = std::chrono::steady_clock::now() + time;
  PumpUntil([&] { return std::chrono::steady_clock::now() > end; }, time + 1s);
}

// ---- Pages ----------------------------------------------------------------------

TPageFolder::TPageFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zel-pages-XXXXXX").string();
  FRoot = mkdtemp(pattern.data());
}

TPageFolder::~TPageFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(FRoot, ignored);
}

void TPageFolder::Write(const std::string& name, const std::string& content) const {
  std::filesystem::create_directories((FRoot / name).parent_path());
  std::ofstream(FRoot / name, std::ios::binary) << content;
}

std::string TPageFolder::Path(const std::string& name) const {
  return (FRoot / name).string();
}

std::string TPageFolder::FileUri(const std::string& name) const {
  return "file://" + Path(name);
}

struct THttpServer::TState {
  std::string Page;
  int Socket = -1;
  int Port = 0;
  std::atomic<bool> Stop{false};
  std::thread Thread;

  void Serve(int client) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
      pollfd p{client, POLLIN, 0};
      if (poll(&p, 1, 2000) <= 0) break;
      ssize_t n = recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      request.append(buffer, static_cast<std::size_t>(n));
    }
    std::string response =
        "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
        std::to_string(Page.size()) + "\r\nConnection: close\r\n\r\n" + Page;
    send(client, response.data(), response.size(), MSG_NOSIGNAL);
    close(client);
  }

  void Run() {
    while (!Stop) {
      pollfd p{Socket, POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) continue;
      int client = accept(Socket, nullptr, nullptr);
      if (client >= 0) Serve(client);
    }
  }
};

THttpServer::THttpServer(std::string page) : FState(std::make_unique<TState>()) {
  FState->Page = std::move(page);
  FState->Socket = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(FState->Socket, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      listen(FState->Socket, 8) != 0 ||
      getsockname(FState->Socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ADD_FAILURE() << "cannot listen on 127.0.0.1";
    return;
  }
  FState->Port = ntohs(address.sin_port);
  FState->Thread = std::thread([state = FState.get()] { state->Run(); });
}

THttpServer::~THttpServer() {
  FState->Stop = true;
  if (FState->Thread.joinable()) FState->Thread.join();
  if (FState->Socket >= 0) close(FState->Socket);
}

std::string THttpServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(FState->Port) + path;
}

int VisibleToplevels() {
  int count = 0;
  GList* windows = gtk_window_list_toplevels();
  for (GList* w = windows; w; w = w->next)
    if (gtk_window_get_window_type(GTK_WINDOW(w->data)) == GTK_WINDOW_TOPLEVEL &&
        gtk_widget_get_visible(GTK_WIDGET(w->data)))
      ++count;
  g_list_free(windows);
  return count;
}

}  // namespace test
}  // namespace zel
