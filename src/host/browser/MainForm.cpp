#include "host/browser/MainForm.h"

#include "host/startup/ExeZipLoader.h"

namespace zel {

namespace {
int Setting(const char* key, int defaultValue) {
  return ProjectINI->ReadInteger("App", key, defaultValue);
}
}  // namespace

std::string StartPageAddress() {
  if (IsSecondWindowLaunch()) return ProgramArgs[1];
  return "file:///" + AppIndexHtml;
}

TMainForm::TMainForm() : FPeer(UI().CreateForm(*this)) {
  FPeer->SetCornerPreference(CornerPreferenceValue(FRoundedCorners));
  FCanClose = false;
  FBrowserExternalModule = std::make_unique<TBrowserExternalModule>();
  FBrowserExternalModule->FExeZip = ExeZip.get();

  FBrowserForm = std::make_unique<TBrowserForm>(*FPeer);
  TBrowserForm& form = *FBrowserForm;
  form.FExeZip = ExeZip.get();
  form.FIsRuntime = true;
  form.FAppDirName = AppDirName;
  form.FHandleRequests = true;
  form.FRuntimeAppID = AppID;
  form.FWithExternal = true;
  form.FAllowDebug = ProjectINI->ReadBool("App", "AllowDebug", false);
  form.FAllowZoom = ProjectINI->ReadBool("App", "AllowZoom", false);
  form.FAllowContextMenu = ProjectINI->ReadBool("App", "AllowContextMenu", false);

  TBrowserExternalModule& bridge = *FBrowserExternalModule;
  form.FEdgeBrowser->OnWebMessageReceived = [&bridge](TCustomEdgeBrowser& s,
                                                      TWebMessageReceivedEventArgs& a) {
    bridge.EdgeBrowserWebMessageReceived(s, a);
  };
  form.FEdgeBrowser->OnDocumentTitleChanged = [this](TCustomEdgeBrowser& s, const std::string& t) {
    EdgeBrowserDocumentTitleChanged(s, t);
  };
  bridge.FMainForm = this;
  bridge.FBrowserForm = &form;
  bridge.FProjectINI = ProjectINI.get();
  bridge.FOnAppCloseRequest = [this] { AppCloseRequest(); };

  std::string script;
  ExeZip->ExtractToStream("zel-webviewjs", script);
  form.FWebviewJavascript = script;

  FPeer->SetCaption(AppName);
  UI().SetApplicationTitle(AppName);
  ApplyGeometry();
  ApplyStyle();
  form.FStartPageURL = StartPageAddress();
}

TMainForm::~TMainForm() {
  FBrowserExternalModule.reset();
  FBrowserForm.reset();
}

void TMainForm::SetRoundedCorners(TRoundedCornerType Value) {
  FRoundedCorners = Value;
  FPeer->SetCornerPreference(CornerPreferenceValue(Value));
}

void TMainForm::ApplyGeometry() {
  FPeer->SetBounds(Setting("Left", 50), Setting("Top", 50), Setting("Width", 800),
                   Setting("Height", 600));
  FPeer->SetConstraints(Setting("MaxWidth", 0), Setting("MaxHeight", 0), Setting("MinWidth", 0),
                        Setting("MinHeight", 0));
  FPeer->SetPosition(Setting("WindowPosition", 0) == 0 ? TPosition::poDesktopCenter
                                                       : TPosition::poDefaultPosOnly);
}

void TMainForm::ApplyStyle() {
  if (Setting("WindowStyle", 0) == 1) {
    FPeer->SetBorderStyle(TFormBorderStyle::bsNone);
    FPeer->SetWindowState(TWindowState::wsMaximized);
    FBrowserExternalModule->FInFullscreen = true;
  } else {
    // Values outside the six styles keep the default, a sizeable window.
    const int border = Setting("WindowBorder", 2);
    FPeer->SetBorderStyle(border >= 0 && border <= 5 ? static_cast<TFormBorderStyle>(border)
                                                     : TFormBorderStyle::bsSizeable);
    if (Setting("WindowState", 0) == 1) FPeer->SetWindowState(TWindowState::wsMaximized);
  }
  if (Setting("WindowOrder", 0) == 1) FPeer->SetStayOnTop(true);
}

bool TMainForm::FormCloseQuery() {
  const bool canClose = FCanClose;
  if (FBrowserForm) FBrowserForm->FEdgeBrowser->ExecuteScript("zel.events.onCloseQuery();");
  return canClose;
}

void TMainForm::FormClose() {
  FBrowserExternalModule.reset();
  FBrowserForm.reset();
  UI().Terminate();
}

void TMainForm::EdgeBrowserDocumentTitleChanged(TCustomEdgeBrowser&,
                                                const std::string& ADocumentTitle) {
  if (ProjectINI->ReadBool("App", "DynamicAppTitle", false)) FPeer->SetCaption(ADocumentTitle);
}

void TMainForm::AppCloseRequest() {
  FCanClose = true;
  Close();
}

}  // namespace zel
