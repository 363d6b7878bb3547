// The base of the platform's windows: one window procedure per object, and
// exceptions kept away from the system's frames.
#pragma once

#include <windows.h>

#include <exception>

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

// An exception thrown by the host inside a window procedure cannot travel
// through the system's frames. It is kept, the message loop is asked to end,
// and the loop (or the modal call that was running) throws it again.
void KeepPendingException(std::exception_ptr e);
void RethrowPendingException();

}  // namespace zel::win
