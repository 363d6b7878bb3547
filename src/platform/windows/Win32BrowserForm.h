// The browser's windows on Win32: the borderless browser form, a child filling
// the form's client area with a marquee progress bar along its bottom, and
// the host control that the browser runtime fills.
#pragma once

#include <windows.h>

#include "platform/windows/Win32Window.h"
#include "ports/UI.h"

namespace zel::win {

class TWin32BrowserFormPeer final : public IBrowserFormPeer, public TWindow {
 public:
  static constexpr const wchar_t* kClassName = L"ZelBrowserForm";
  // Height of the progress bar at 96 DPI.
  static constexpr int kProgressBarHeight = 4;

  explicit TWin32BrowserFormPeer(HWND Parent);

  void SetProgressBarVisible(bool Visible) override;
  bool ProgressBarVisible() const override;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void Layout();
  HWND FProgressBar = nullptr;  // a child window, destroyed with this one
};

class TWin32BrowserHostPeer final : public IBrowserHostPeer, public TWindow {
 public:
  static constexpr const wchar_t* kClassName = L"ZelBrowserHost";

  TWin32BrowserHostPeer(HWND Parent, IControlEvents& Events);

  void* NativeHandle() override { return Handle(); }
  TRect ClientRect() const override;
  bool Visible() const override;
  void SetVisible(bool Visible) override;
  void SetFocus() override;
  void SelectNext(bool Forward) override;
  bool IsShortCut(COREWEBVIEW2_KEY_EVENT_KIND Kind, unsigned VirtualKey, int LParam) override;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  IControlEvents& FEvents;
};

}  // namespace zel::win
