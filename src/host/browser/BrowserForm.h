// TBrowserForm: the borderless child form that hosts the browser for a
// packaged application: document scripts, settings, serving the package's
// files, new windows, permissions and the progress bar.
#pragma once

#include <memory>
#include <string>

#include "core/ZipArchive.h"
#include "host/browser/EdgeBrowser.h"
#include "ports/UI.h"

namespace zel {

class TBrowserForm {
 public:
  // Creates the form inside Parent and starts the browser's creation.
  explicit TBrowserForm(IFormPeer& Parent);
  ~TBrowserForm();
  TBrowserForm(const TBrowserForm&) = delete;
  TBrowserForm& operator=(const TBrowserForm&) = delete;

  IBrowserFormPeer& Peer() { return *FPeer; }

  TAbZipKit* FExeZip = nullptr;
  bool FIsRuntime = false;
  std::string FRuntimeAppID;
  bool FWithExternal = false;
  std::string FAppDirName;
  // The executable's folder with a trailing delimiter.
  std::string FAppDirPath;
  bool FAllowDebug = false;
  bool FAllowZoom = false;
  std::string FWebviewJavascript;
  bool FAllowContextMenu = false;
  std::string FStartPageURL;
  bool FHandleRequests = false;
  std::unique_ptr<TEdgeBrowser> FEdgeBrowser;

  // The OnWebResourceRequested handler: answers file addresses from the
  // package, then beside the executable, then by literal path; a page from
  // elsewhere gets 403 instead.
  void ServeWebResource(TCustomEdgeBrowser& Sender, TWebResourceRequestedEventArgs& Args);
  // The script every document runs before its own.
  std::string DocumentScript() const;

 private:
  void FormCreate();
  void CreateWebViewCompleted(TCustomEdgeBrowser& Sender, HRESULT AResult);
  void NewWindowRequested(TCustomEdgeBrowser& Sender, TNewWindowRequestedEventArgs& Args);
  void InjectDocumentScripts();
  std::string CurrentDocument(TCustomEdgeBrowser& Sender) const;

  std::unique_ptr<IBrowserFormPeer> FPeer;
  // The address the top-level navigation in progress loads; empty when none.
  std::string FNavigationUri;
};

}  // namespace zel
