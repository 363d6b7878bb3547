#include <windows.h>

#include "platform/windows/Win32Window.h"

#include <stdexcept>

#include "ports/UI.h"

namespace zel::win {
namespace {

HINSTANCE ModuleInstance() {
  return GetModuleHandleW(nullptr);
}

}  // namespace

void TWindow::RegisterWindowClass(const wchar_t* name, HBRUSH background, HICON icon) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExW(ModuleInstance(), name, &existing)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &TWindow::StaticWndProc;
  wc.hInstance = ModuleInstance();
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.hIcon = icon;
  wc.lpszClassName = name;
  if (!RegisterClassExW(&wc)) throw std::runtime_error("RegisterClassExW failed");
}

TWindow::~TWindow() {
  if (!FHandle) return;
  // Detach first: the messages of the destruction must not reach a half-destroyed object.
  SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
  DestroyWindow(FHandle);
}

void TWindow::CreateHandle(const wchar_t* className, DWORD exStyle, DWORD style, int x, int y,
                           int width, int height, HWND parent) {
  // WM_NCCREATE attaches the window to this object, so that WM_CREATE and the
  // first WM_SIZE already arrive here.
  if (!CreateWindowExW(exStyle, className, L"", style, x, y, width, height, parent, nullptr,
                       ModuleInstance(), this))
    throw std::runtime_error("CreateWindowExW failed");
}

LRESULT TWindow::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(FHandle, msg, wParam, lParam);
}

LRESULT CALLBACK TWindow::StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* created = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    created->FHandle = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* self = reinterpret_cast<TWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  LRESULT result = 0;
  try {
    // The handler may delete the object (a form freed from its close event):
    // nothing below touches `self`.
    result = self->WndProc(msg, wParam, lParam);
  } catch (...) {
    // An exception must not unwind through the system's frames.
    ReportException(std::current_exception());
  }
  if (msg == WM_NCDESTROY) {
    if (auto* owner = reinterpret_cast<TWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))) {
      owner->FHandle = nullptr;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    }
  }
  return result;
}

}  // namespace zel::win
