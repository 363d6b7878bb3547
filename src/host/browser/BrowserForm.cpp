#include "host/browser/BrowserForm.h"

#include "com/ComHandlers.h"
#include "com/ComStreams.h"
#include "com/ComStrings.h"
#include "com/ReadStream.h"
#include "com/Utf.h"
#include "core/ByteRanges.h"
#include "core/PageServer.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "host/browser/Resources.h"
#include "ports/SysUtils.h"
#include "ports/System.h"

namespace zel {

TBrowserForm::TBrowserForm(IFormPeer& Parent) : FPeer(UI().CreateBrowserForm(Parent)) {
  FormCreate();
}

TBrowserForm::~TBrowserForm() {
  FEdgeBrowser.reset();
}

void TBrowserForm::FormCreate() {
  FAppDirPath = ExtractFilePath(sys::GetExecutablePath());
  FEdgeBrowser = std::make_unique<TEdgeBrowser>();
  TEdgeBrowser& b = *FEdgeBrowser;
  b.OnProcessFailed = [](TCustomEdgeBrowser&, std::int32_t) {};
  b.OnNewWindowRequested = [this](TCustomEdgeBrowser& s, TNewWindowRequestedEventArgs& a) {
    NewWindowRequested(s, a);
  };
  b.OnCreateWebViewCompleted = [this](TCustomEdgeBrowser& s, HRESULT hr) {
    CreateWebViewCompleted(s, hr);
  };
  b.OnWebResourceRequested = [this](TCustomEdgeBrowser& s, TWebResourceRequestedEventArgs& a) {
    ServeWebResource(s, a);
  };
  b.OnNavigationStarting = [this](TCustomEdgeBrowser&, TNavigationStartingEventArgs& a) {
    LPWSTR uri = nullptr;
    a.ArgsInterface()->get_Uri(&uri);
    FNavigationUri = TakeRuntimeString(uri);
  };
  b.OnNavigationCompleted = [this](TCustomEdgeBrowser&, bool, std::int32_t) {
    FNavigationUri.clear();
    FPeer->SetProgressBarVisible(false);
  };
  b.OnWebMessageReceived = [](TCustomEdgeBrowser&, TWebMessageReceivedEventArgs&) {};
  b.OnPermissionRequested = [](TCustomEdgeBrowser&, TPermissionRequestedEventArgs& a) {
    a.ArgsInterface()->put_State(COREWEBVIEW2_PERMISSION_STATE_ALLOW);
  };
  b.SetParent(*FPeer);
}

void TBrowserForm::CreateWebViewCompleted(TCustomEdgeBrowser& Sender, HRESULT AResult) {
  if (FAILED(AResult)) return;
  InjectDocumentScripts();
  ICoreWebView2Settings* settings = Sender.SettingsInterface();
  settings->put_IsScriptEnabled(TRUE);
  settings->put_IsStatusBarEnabled(FALSE);
  settings->put_IsWebMessageEnabled(TRUE);
  settings->put_IsBuiltInErrorPageEnabled(TRUE);
  settings->put_IsZoomControlEnabled(FAllowZoom ? TRUE : FALSE);
  settings->put_AreDevToolsEnabled(FAllowDebug ? TRUE : FALSE);
  settings->put_AreDefaultContextMenusEnabled(FAllowContextMenu ? TRUE : FALSE);
  Sender.AddWebResourceRequestedFilter("*", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL);
  if (!FStartPageURL.empty()) Sender.Navigate(FStartPageURL);
}

std::string TBrowserForm::DocumentScript() const {
  std::string script;
  // Appended piece by piece: GCC 12 warns (falsely, -Wrestrict) about the
  // temporaries of "\r" + text.
  if (FWithExternal) script.append("\r").append(resources::ZEL_EXTERNAL_JAVASCRIPT);
  script += "\rwindow.addEventListener(\"dragover\", function(e){e.preventDefault();},false);";
  script += "\rwindow.addEventListener(\"drop\", function(e){e.preventDefault();}, false);";
  if (FIsRuntime && !IsBlank(FWebviewJavascript)) script.append("\r").append(FWebviewJavascript);
  return script;
}

void TBrowserForm::InjectDocumentScripts() {
  if (ICoreWebView2* webView = FEdgeBrowser->DefaultInterface())
    webView->AddScriptToExecuteOnDocumentCreated(Utf8ToUtf16(DocumentScript()).c_str(), nullptr);
}

void TBrowserForm::NewWindowRequested(TCustomEdgeBrowser&, TNewWindowRequestedEventArgs& Args) {
  if (!FIsRuntime) return;
  LPWSTR uri = nullptr;
  Args.ArgsInterface()->get_Uri(&uri);
  const std::string address = TakeRuntimeString(uri);
  if (!StartsTextAscii(address, "file:")) return;
  Args.ArgsInterface()->put_Handled(TRUE);
  TSysUtils::ShellExec(sys::GetExecutablePath(), "\"" + FRuntimeAppID + "\" \"" + address + "\"");
}

// The address of the page a resource request comes from; a web view that
// cannot tell counts as showing a page from elsewhere.
std::string TBrowserForm::CurrentDocument(TCustomEdgeBrowser& Sender) const {
  ICoreWebView2* webView = Sender.DefaultInterface();
  LPWSTR uri = nullptr;
  if (!webView || FAILED(webView->get_Source(&uri))) return "unknown:";
  return TakeRuntimeString(uri);
}

namespace {

std::string RequestHeader(ICoreWebView2WebResourceRequest& request, const char16_t* name) {
  TComPtr<ICoreWebView2HttpRequestHeaders> headers;
  LPWSTR value = nullptr;
  if (FAILED(request.get_Headers(headers.Put())) || !headers ||
      FAILED(headers->GetHeader(name, &value)))
    return {};
  return TakeRuntimeString(value);
}

// The file whole (200), the part a Range header asks for (206), or 416 for a
// part past its end; read from the file as the runtime reads the response.
TComPtr<ICoreWebView2WebResourceResponse> PageFileResponse(ICoreWebView2Environment& environment,
                                                           ICoreWebView2WebResourceRequest& request,
                                                           const TPageStream& file) {
  const std::uint64_t size = file.Stream->Size();
  const TByteRange range = ResolveByteRange(RequestHeader(request, u"Range"), size);
  std::string headers = "Content-Type: " + file.MimeType + "; charset=utf-8\nAccept-Ranges: bytes";
  if (range.Kind != TByteRange::TKind::Whole)
    headers += "\nContent-Range: " + ContentRangeValue(range, size);
  const auto [status, reason] = range.Kind == TByteRange::TKind::Whole ? std::pair{200, u"OK"}
                                : range.Kind == TByteRange::TKind::Partial
                                    ? std::pair{206, u"Partial Content"}
                                    : std::pair{416, u"Range Not Satisfiable"};
  auto stream = MakeCom<TComReadStream, IStream>(file.Stream, range.First, range.Length);
  TComPtr<ICoreWebView2WebResourceResponse> response;
  environment.CreateWebResourceResponse(stream.Get(), status, reason, Utf8ToUtf16(headers).c_str(),
                                        response.Put());
  return response;
}

}  // namespace

void TBrowserForm::ServeWebResource(TCustomEdgeBrowser& Sender,
                                    TWebResourceRequestedEventArgs& Args) {
  if (!FHandleRequests) return;
  TComPtr<ICoreWebView2WebResourceRequest> request;
  Args.ArgsInterface()->get_Request(request.Put());
  if (!request) return;
  LPWSTR uri = nullptr;
  request->get_Uri(&uri);
  const std::string address = TakeRuntimeString(uri);
  if (!StartsTextAscii(address, "file:")) return;
  ICoreWebView2Environment* environment = Sender.EnvironmentInterface();
  if (!environment) return;
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT context = COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL;
  Args.ArgsInterface()->get_ResourceContext(&context);
  TComPtr<ICoreWebView2WebResourceResponse> response;
  if (!MayServePageFile(CurrentDocument(Sender), FNavigationUri, address,
                        context == COREWEBVIEW2_WEB_RESOURCE_CONTEXT_DOCUMENT)) {
    environment->CreateWebResourceResponse(nullptr, 403, u"Forbidden", u"", response.Put());
    Args.ArgsInterface()->put_Response(response.Get());
    return;
  }
  std::optional<TPageStream> file =
      OpenPageFile(address, FExeZip, FAppDirName, FAppDirPath, sys::PathDelim());
  if (!file) return;
  Args.ArgsInterface()->put_Response(PageFileResponse(*environment, *request.Get(), *file).Get());
}

}  // namespace zel
