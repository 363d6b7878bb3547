// Bridge functions: the main window and the browser's zoom.
#include <array>
#include <string_view>

#include "core/BridgeProtocol.h"
#include "core/StrUtils.h"
#include "core/WindowValues.h"
#include "host/bridge/BridgeHandlers.h"
#include "host/bridge/BrowserExternalModule.h"
#include "host/bridge/ExternalHelpers.h"
#include "host/browser/BrowserForm.h"
#include "host/browser/MainForm.h"
#include "ports/System.h"

namespace zel {

namespace {

// In the order of TFormBorderStyle.
constexpr std::array<std::string_view, 6> kBorderWords = {"none",   "single",     "sizeable",
                                                          "dialog", "toolwindow", "sizetoolwindow"};

IFormPeer& Window(TBrowserExternalModule& Module) {
  return Module.FMainForm->Peer();
}

TCustomEdgeBrowser& Browser(TBrowserExternalModule& Module) {
  return *Module.FBrowserForm->FEdgeBrowser;
}

std::string JsonText(std::string_view text) {
  return TStrUtils::StringToJsonString(std::string(text));
}

void GetStyle(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json&) {
  Module.SendSuccess(uuid, JsonText(Window(Module).StayOnTop() ? "ontop" : "normal"));
}

void SetStyle(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json& data) {
  Window(Module).SetStayOnTop(ReadTextField(data, "style", "normal") == "ontop");
  Module.SendSuccess(uuid, Bool(true));
}

void GetState(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json&) {
  constexpr std::array<std::string_view, 3> kWords = {"normal", "minimized", "maximized"};
  Module.SendSuccess(uuid, JsonText(kWords[static_cast<size_t>(Window(Module).WindowState())]));
}

// While the tray icon shows, minimizing takes the window off the screen.
// Restoring brings a hidden window back even when the tray icon has gone
// meanwhile: otherwise nothing could ever show it again.
void SetState(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json& data) {
  const std::string state = ReadTextField(data, "state", "normal");
  IFormPeer& window = Window(Module);
  if (state == "minimized") {
    window.SetWindowState(TWindowState::wsMinimized);
    if (Module.TrayIconVisible()) window.Hide();
  } else if (state == "normal" || state == "maximized") {
    const bool hidden = !window.Visible();
    window.SetWindowState(state == "normal" ? TWindowState::wsNormal : TWindowState::wsMaximized);
    if (Module.TrayIconVisible() || hidden) window.Present();
  }
  Module.SendSuccess(uuid, Bool(true));
}

void GetTitle(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json&) {
  Module.SendSuccess(uuid, TStrUtils::StringToJsonString(Window(Module).Caption()));
}

void SetTitle(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json& data) {
  Window(Module).SetCaption(ReadTextField(data, "title"));
  Module.SendSuccess(uuid, Bool(true));
}

void GetZoom(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json&) {
  const std::string text = FormatZoomFactor(Browser(Module).ZoomFactor(), sys::DecimalSeparator());
  Module.SendSuccess(uuid, JsonText(text));
}

// The control refuses factors it cannot show (0, negative) and keeps the
// refusal as its last error; the page still gets true for a number.
void SetZoom(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json& data) {
  const std::optional<double> factor = ParseZoomFactor(ReadTextField(data, "factor"));
  Browser(Module).SetZoomFactor(factor.value_or(1.0));
  Module.SendSuccess(uuid, Bool(factor.has_value()));
}

void GetSize(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json&) {
  const TRect b = Window(Module).Bounds();
  Module.SendSuccess(uuid, "{\"top\": " + std::to_string(b.Top) +
                               ", \"left\": " + std::to_string(b.Left) +
                               ", \"width\": " + std::to_string(b.Width()) +
                               ", \"height\": " + std::to_string(b.Height()) + "}");
}

// Each field missing or null keeps the window's value, and so does one that
// is not a whole number; sizes stay within what the window system takes.
void SetSize(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json& data) {
  IFormPeer& window = Window(Module);
  const TRect b = window.Bounds();
  auto field = [&](const char* key, int current, int low, int high) {
    return WindowBoundsValue(ReadTextField(data, key, std::to_string(current)), current, low, high);
  };
  const int top = field("top", b.Top, kMinWindowCoordinate, kMaxWindowCoordinate);
  const int left = field("left", b.Left, kMinWindowCoordinate, kMaxWindowCoordinate);
  const int width = field("width", b.Width(), kMinWindowExtent, kMaxWindowExtent);
  const int height = field("height", b.Height(), kMinWindowExtent, kMaxWindowExtent);
  window.SetBounds(left, top, width, height);
  Module.SendSuccess(uuid, Bool(true));
}

void GetBorder(TBrowserExternalModule& Module, const std::string& uuid, const nlohmann::json&) {
  const auto style = static_cast<size_t>(Window(Module).BorderStyle());
  Module.SendSuccess(uuid, JsonText(kBorderWords[style]));
}

// Like the full-screen functions this one never answers.
void SetBorder(TBrowserExternalModule& Module, const std::string&, const nlohmann::json& data) {
  const std::string border = ReadTextField(data, "border", "sizeable");
  for (size_t i = 0; i < kBorderWords.size(); ++i)
    if (border == kBorderWords[i]) Window(Module).SetBorderStyle(static_cast<TFormBorderStyle>(i));
}

const TBridgeHandlerEntry kEntries[] = {
    {"getStyle", &GetStyle}, {"setStyle", &SetStyle},   {"getState", &GetState},
    {"setState", &SetState}, {"getTitle", &GetTitle},   {"setTitle", &SetTitle},
    {"getZoom", &GetZoom},   {"setZoom", &SetZoom},     {"getSize", &GetSize},
    {"setSize", &SetSize},   {"getBorder", &GetBorder}, {"setBorder", &SetBorder},
};

}  // namespace

const TBridgeHandlerGroup kWindowHandlers = {"window", kEntries};

}  // namespace zel
