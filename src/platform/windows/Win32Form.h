// IFormPeer on Win32: a top-level window.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "platform/windows/Win32Window.h"
#include "ports/UI.h"

namespace zel::win {

// The window styles of a border style: {style, extended style}.
struct TFrameStyles {
  DWORD Style;
  DWORD ExStyle;
};
TFrameStyles FrameStylesOf(TFormBorderStyle BorderStyle);

class TWin32FormPeer final : public IFormPeer, public TWindow {
 public:
  static constexpr const wchar_t* kClassName = L"ZelForm";

  explicit TWin32FormPeer(IFormEvents& Events);
  ~TWin32FormPeer() override;

  void SetCaption(const std::string& Caption) override;
  std::string Caption() const override;
  void SetBounds(int Left, int Top, int Width, int Height) override;
  TRect Bounds() const override;
  void SetConstraints(int MaxWidth, int MaxHeight, int MinWidth, int MinHeight) override;
  void SetPosition(TPosition Position) override;
  void SetBorderStyle(TFormBorderStyle Style) override;
  TFormBorderStyle BorderStyle() const override { return FBorderStyle; }
  void SetWindowState(TWindowState State) override;
  TWindowState WindowState() const override;
  void SetStayOnTop(bool StayOnTop) override;
  bool StayOnTop() const override;
  void SetCornerPreference(int Value) override;
  bool Visible() const override;
  void Hide() override;
  void Present() override;
  void Show() override;
  void Close() override;

  // A menu command of the window's menu bar; true when it was one.
  std::function<bool(unsigned)> OnMenuCommand;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void PlaceForFirstShow();
  void LayoutChildren();
  void ApplyConstraints(MINMAXINFO& info) const;
  void RestoreFocus();
  LRESULT CloseQuery();

  IFormEvents& FEvents;
  TFormBorderStyle FBorderStyle = TFormBorderStyle::bsSizeable;
  TPosition FPosition = TPosition::poDesigned;
  TWindowState FWindowState = TWindowState::wsNormal;
  int FMaxWidth = 0, FMaxHeight = 0, FMinWidth = 0, FMinHeight = 0;
  int FCornerPreference = 0;
  bool FShown = false;
  POINT FDefaultPos{};
  HWND FLastFocus = nullptr;
  // Cleared by the destructor: tells a handler that its form was freed by an event.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

}  // namespace zel::win
