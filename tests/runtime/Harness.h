// The test side of the runtime: loads libzelwebkit.so as the host does, and
// gives tests COM handlers made of lambdas, a main-loop pump, temporary page
// folders and a browser fixture.
#pragma once

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "com/ComStrings.h"
#include "ports/WebView2.h"

namespace zel::test {

using namespace std::chrono_literals;

// ---- COM helpers -----------------------------------------------------------

template <class I, class TSignature>
class TFnHandler;

template <class I, class... TArgs>
class TFnHandler<I, HRESULT(TArgs...)> final : public TComObject<I> {
 public:
  explicit TFnHandler(std::function<HRESULT(TArgs...)> fn) : FFn(std::move(fn)) {}
  HRESULT Invoke(TArgs... args) override { return FFn(args...); }

 private:
  std::function<HRESULT(TArgs...)> FFn;
};

template <class TMethod>
struct TSignatureOf;
template <class C, class... TArgs>
struct TSignatureOf<HRESULT (C::*)(TArgs...)> {
  using Type = HRESULT(TArgs...);
};

// A handler object for interface I whose Invoke runs fn.
template <class I>
TComPtr<I> Handler(std::function<typename TSignatureOf<decltype(&I::Invoke)>::Type> fn) {
  using TSignature = typename TSignatureOf<decltype(&I::Invoke)>::Type;
  return MakeCom<TFnHandler<I, TSignature>, I>(std::move(fn));
}

// Takes a string the runtime handed out, freeing it.

std::u16string Wide(const std::string& text);

// A memory IStream for responses and previews.
TComPtr<IStream> MemoryStream(const std::string& data = {});
std::string StreamBytes(IStream* stream);

// ---- The library, loaded as the host loads it ------------------------------

struct TRuntime {
  TCreateCoreWebView2Environment Create = nullptr;
  TGetCoreWebView2BrowserVersionString Version = nullptr;
  TGetAvailableCoreWebView2BrowserVersionString AvailableVersion = nullptr;
  TComPtr<ICoreWebView2Environment> Environment;  // made once, for all tests
  std::filesystem::path UserDataFolder;
};
TRuntime& Runtime();
// A further environment, made from the process environment as it is now.
TComPtr<ICoreWebView2Environment> NewEnvironment();

// Runs the main loop until done() or the timeout; returns done().
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 20s);
void PumpFor(std::chrono::milliseconds time);

// ---- Pages -----------------------------------------------------------------

class TPageFolder {
 public:
  TPageFolder();
  ~TPageFolder();
  void Write(const std::string& name, const std::string& content) const;
  std::string Path(const std::string& name) const;
  std::string FileUri(const std::string& name) const;  // file:///...

 private:
  std::filesystem::path FRoot;
};

// A tiny HTTP server on 127.0.0.1 that answers every GET with one page.
class THttpServer {
 public:
  explicit THttpServer(std::string page);
  ~THttpServer();
  std::string Url(const std::string& path) const;

 private:
  struct TState;
  std::unique_ptr<TState> FState;
};

// ---- The browser fixture ----------------------------------------------------

struct TMessage {
  std::string Source, Json;
};

class TBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // The environment the fixture's controller comes from.
  virtual TComPtr<ICoreWebView2Environment> Environment() { return Runtime().Environment; }

  // Navigates and waits for NavigationCompleted; returns its IsSuccess.
  bool Navigate(const std::string& uri);
  // NavigateToString, waited for the same way.
  bool ShowHtml(const std::string& html);
  // ExecuteScript, waited for; the JSON result, or "error" on failure.
  std::string Eval(const std::string& script);
  // Waits for the next web message whose JSON contains the text.
  TMessage WaitForMessage(const std::string& containing, std::chrono::milliseconds timeout = 15s);
  // Presses and releases a key on the web view, as GDK delivers it.
  void SendKey(guint keyval, guint16 hardwareKeycode, GdkModifierType state);

  TPageFolder FPages;
  GtkWidget* FWindow = nullptr;
  GtkWidget* FLayout = nullptr;
  TComPtr<ICoreWebView2Controller> FController;
  TComPtr<ICoreWebView2> FWebView;
  TComPtr<ICoreWebView2Settings> FSettings;
  std::vector<TMessage> FMessages;

 private:
  bool WaitForNavigation(const std::function<void()>& start, const std::string& what);
  std::size_t FMessagesRead = 0;
  guint32 FKeyTime = 1000;
};

// Toplevel windows that are shown, for the runtime's own popup windows.
int VisibleToplevels();

}  // namespace zel::test
