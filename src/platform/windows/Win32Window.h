// The base of the platform's windows: one window procedure per object, and
// exceptions kept away from the system's frames (they go to ReportException).
#pragma once

#include <windows.h>

namespace zel::win {

// A window owned by a C++ object: the object is destroyed with the window
// still alive, or the window first (DestroyWindow, a parent's destruction),
// in which case Handle() becomes null.
class TWindow {
 public:
  TWindow(const TWindow&) = delete;
  TWindow& operator=(const TWindow&) = delete;
  virtual ~TWindow();

  HWND Handle() const { return FHandle; }

  // Registers a window class of this module whose windows are TWindow
  // objects; later calls with the same name do nothing.
  static void RegisterWindowClass(const wchar_t* name, HBRUSH background, HICON icon = nullptr);

 protected:
  TWindow() = default;
  // Throws std::runtime_error when the system refuses the window.
  void CreateHandle(const wchar_t* className, DWORD exStyle, DWORD style, int x, int y, int width,
                    int height, HWND parent);
  // Unhandled messages go to DefWindowProcW.
  virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  HWND FHandle = nullptr;
};

}  // namespace zel::win
