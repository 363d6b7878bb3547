// Reading other windows as a person sees them: find a top-level window by its
// title, list the texts of its controls, press one of its buttons.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace zel::wintest {

struct TControlText {
  std::wstring ClassName;
  std::wstring Text;
  HWND Handle;
};

// Waits up to timeoutMs for a visible top-level window with exactly this title.
inline HWND WaitForTopLevelWindow(const std::wstring& title, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  do {
    HWND hwnd = FindWindowW(nullptr, title.c_str());
    if (hwnd && IsWindowVisible(hwnd)) return hwnd;
    Sleep(50);
  } while (GetTickCount64() < end);
  return nullptr;
}

inline std::wstring WindowText(HWND hwnd) {
  // WM_GETTEXT works across processes, unlike GetWindowTextW for controls.
  const LRESULT length = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT n =
      SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(n));
  return text;
}

// Every descendant control with its class and text, in Z order.
inline std::vector<TControlText> ControlTexts(HWND parent) {
  std::vector<TControlText> result;
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM param) -> BOOL {
        wchar_t className[256] = {};
        GetClassNameW(child, className, 256);
        reinterpret_cast<std::vector<TControlText>*>(param)->push_back(
            {className, WindowText(child), child});
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&result));
  return result;
}

// The button control with this caption; null when there is none.
inline HWND FindButton(HWND parent, const std::wstring& caption) {
  for (const TControlText& c : ControlTexts(parent))
    if (_wcsicmp(c.ClassName.c_str(), L"Button") == 0 && c.Text == caption) return c.Handle;
  return nullptr;
}

}  // namespace zel::wintest
