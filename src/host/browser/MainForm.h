// TMainForm: the application's one window. It sizes and styles itself from
// the configuration, hosts the browser form, wires the browser to the bridge
// and lets the page decide when the window may close.
#pragma once

#include <memory>
#include <string>

#include "host/bridge/BrowserExternalModule.h"
#include "host/browser/BrowserForm.h"
#include "host/browser/Win11Forms.h"
#include "ports/UI.h"

namespace zel {

class TMainForm : private IFormEvents {
 public:
  TMainForm();  // FormCreate
  ~TMainForm() override;
  TMainForm(const TMainForm&) = delete;
  TMainForm& operator=(const TMainForm&) = delete;

  IFormPeer& Peer() { return *FPeer; }
  void Show() { FPeer->Show(); }
  // An attempt to close, as the user's close button makes.
  void Close() { FPeer->Close(); }

  // rcDefault follows the module default.
  TRoundedCornerType RoundedCorners() const { return FRoundedCorners; }
  void SetRoundedCorners(TRoundedCornerType Value);

  bool FCanClose = false;
  std::unique_ptr<TBrowserForm> FBrowserForm;
  std::unique_ptr<TBrowserExternalModule> FBrowserExternalModule;

  void EdgeBrowserDocumentTitleChanged(TCustomEdgeBrowser& Sender,
                                       const std::string& ADocumentTitle);
  void AppCloseRequest();

 private:
  bool FormCloseQuery() override;
  void FormClose() override;
  void ApplyGeometry();
  void ApplyStyle();

  std::unique_ptr<IFormPeer> FPeer;
  TRoundedCornerType FRoundedCorners = TRoundedCornerType::rcDefault;
};

// The address of the first page: the second argument of a second-window
// launch, else "file:///" followed by the configured start page.
std::string StartPageAddress();

}  // namespace zel
