#include <windows.h>

#include <commctrl.h>

#include "platform/windows/Win32MessageDialog.h"

#include <algorithm>
#include <vector>

#include "platform/windows/WinStr.h"

namespace zel::win {
namespace {

struct TDialogTexts {
  std::wstring Title;
  std::wstring Message;
  std::vector<std::wstring> Captions;
  std::vector<int> Results;
  bool HasCancel = false;
};

TDialogTexts TextsOf(const TMessageDialogParams& Params, const std::string& DefaultTitle) {
  TDialogTexts t;
  t.Title = Widen(Params.Title.empty() ? DefaultTitle : Params.Title);
  t.Message = Widen(Params.Message);
  for (const TMessageDialogButton& b : Params.Buttons) {
    t.Captions.push_back(Widen(b.Caption));
    t.Results.push_back(b.ModalResult);
    t.HasCancel = t.HasCancel || b.ModalResult == mrCancel;
  }
  // A dialog without buttons must still be closable.
  if (t.Captions.empty()) t.HasCancel = true;
  return t;
}

// The system icon of a dialog type; null for mtCustom.
LPCWSTR SystemIconOf(TMsgDlgType type) {
  switch (type) {
    case TMsgDlgType::mtWarning:
      return IDI_WARNING;
    case TMsgDlgType::mtError:
      return IDI_ERROR;
    case TMsgDlgType::mtInformation:
      return IDI_INFORMATION;
    case TMsgDlgType::mtConfirmation:
      return IDI_QUESTION;
    case TMsgDlgType::mtCustom:
      break;
  }
  return nullptr;
}

using TTaskDialogIndirect = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

// Version 6 of the common controls (our manifest asks for it) has the task
// dialog; older ones do not, so it is looked up rather than imported.
TTaskDialogIndirect FindTaskDialog() {
  HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
  if (!comctl) comctl = LoadLibraryW(L"comctl32.dll");
  if (!comctl) return nullptr;
  return reinterpret_cast<TTaskDialogIndirect>(
      reinterpret_cast<void*>(GetProcAddress(comctl, "TaskDialogIndirect")));
}

// False when the task dialog could not be shown at all.
bool TryTaskDialog(const TDialogTexts& t, TMsgDlgType type, int& result) {
  const TTaskDialogIndirect taskDialog = FindTaskDialog();
  if (!taskDialog) return false;
  std::vector<TASKDIALOG_BUTTON> buttons;
  for (size_t i = 0; i < t.Captions.size(); ++i)
    buttons.push_back({t.Results[i], t.Captions[i].c_str()});
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof(config);
  config.hwndParent = GetActiveWindow();
  config.hInstance = GetModuleHandleW(nullptr);
  config.dwFlags = t.HasCancel ? TDF_ALLOW_DIALOG_CANCELLATION : 0;
  config.pszWindowTitle = t.Title.c_str();
  config.pszContent = t.Message.c_str();
  if (LPCWSTR icon = SystemIconOf(type)) {
    // The task dialog has no question icon of its own; the system's serves.
    config.dwFlags |= TDF_USE_HICON_MAIN;
    config.hMainIcon = LoadIconW(nullptr, icon);
  }
  config.pButtons = buttons.empty() ? nullptr : buttons.data();
  config.cButtons = static_cast<UINT>(buttons.size());
  config.nDefaultButton = buttons.empty() ? 0 : buttons.front().nButtonID;
  int pressed = 0;
  if (FAILED(taskDialog(&config, &pressed, nullptr, nullptr))) return false;
  result = pressed;
  return true;
}

// ---- The dialog of our own ------------------------------------------------
// A dialog template with the controls only; WM_INITDIALOG measures the texts
// in pixels and places everything.

constexpr WORD kIconId = 0x7001;
constexpr WORD kTextId = 0x7002;

class TTemplateWriter {
 public:
  void Word(WORD w) { FData.push_back(w); }
  void DWord(DWORD d) { Word(LOWORD(d)), Word(HIWORD(d)); }
  void String(const std::wstring& s) {
    for (wchar_t c : s) Word(static_cast<WORD>(c));
    Word(0);
  }
  void AlignDWord() {
    if (FData.size() % 2) Word(0);
  }
  // An item of a predefined class (0x80 button, 0x82 static), placed later.
  void Item(DWORD style, WORD id, WORD classAtom, const std::wstring& text) {
    AlignDWord();
    DWord(style | WS_CHILD | WS_VISIBLE), DWord(0);
    for (int i = 0; i < 4; ++i) Word(0);  // x, y, cx, cy
    Word(id), Word(0xFFFF), Word(classAtom);
    String(text);
    Word(0);  // no creation data
  }
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(FData.data()); }

 private:
  std::vector<WORD> FData;
};

struct TPlainDialog {
  const TDialogTexts& Texts;
  HICON Icon;
};

SIZE MeasureText(HWND dialog, const std::wstring& text, int maxWidth) {
  HDC dc = GetDC(dialog);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
  RECT r{0, 0, maxWidth, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
            DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
  SelectObject(dc, old);
  ReleaseDC(dialog, dc);
  return {r.right, r.bottom};
}

void LayoutPlainDialog(HWND dialog, const TPlainDialog& d) {
  const int dpi = static_cast<int>(GetDpiForWindow(dialog));
  auto px = [dpi](int v) { return MulDiv(v, dpi, 96); };
  const int margin = px(12), gap = px(8), iconSize = d.Icon ? px(32) : 0;
  const SIZE text = MeasureText(dialog, d.Texts.Message, px(420));
  const int textLeft = margin + (iconSize ? iconSize + gap : 0);
  MoveWindow(GetDlgItem(dialog, kIconId), margin, margin, iconSize, iconSize, FALSE);
  MoveWindow(GetDlgItem(dialog, kTextId), textLeft, margin, text.cx, text.cy, FALSE);
  std::vector<int> widths;
  int rowWidth = 0;
  for (const std::wstring& caption : d.Texts.Captions) {
    widths.push_back(std::max<int>(px(88), MeasureText(dialog, caption, px(600)).cx + px(24)));
    rowWidth += widths.back() + (widths.size() > 1 ? gap : 0);
  }
  const int clientWidth = std::max<int>(textLeft + text.cx, margin + rowWidth) + margin;
  const int buttonTop = margin + std::max<int>(iconSize, text.cy) + px(16), buttonHeight = px(26);
  int x = clientWidth - margin - rowWidth;
  for (size_t i = 0; i < widths.size(); ++i) {
    MoveWindow(GetDlgItem(dialog, d.Texts.Results[i]), x, buttonTop, widths[i], buttonHeight,
               FALSE);
    x += widths[i] + gap;
  }
  RECT frame{0, 0, clientWidth, buttonTop + buttonHeight + margin};
  AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)),
                           static_cast<UINT>(dpi));
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  // Centred on the owner, or on the work area when there is none.
  HWND owner = GetWindow(dialog, GW_OWNER);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(owner ? owner : dialog, MONITOR_DEFAULTTOPRIMARY), &monitor);
  RECT area = monitor.rcWork;
  if (owner && IsWindowVisible(owner)) GetWindowRect(owner, &area);
  SetWindowPos(dialog, nullptr, (area.left + area.right - width) / 2,
               (area.top + area.bottom - height) / 2, width, height, SWP_NOZORDER);
}

INT_PTR CALLBACK PlainDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* d = reinterpret_cast<const TPlainDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG:
      d = reinterpret_cast<const TPlainDialog*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      SetWindowTextW(dialog, d->Texts.Title.c_str());
      if (d->Icon)
        SendDlgItemMessageW(dialog, kIconId, STM_SETICON, reinterpret_cast<WPARAM>(d->Icon), 0);
      LayoutPlainDialog(dialog, *d);
      return TRUE;  // the default button gets the focus
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      // Escape and the close button send IDCANCEL (2), which is mrCancel.
      const bool isButton =
          std::find(d->Texts.Results.begin(), d->Texts.Results.end(), id) != d->Texts.Results.end();
      if (id == IDCANCEL ? d->Texts.HasCancel : isButton) EndDialog(dialog, id);
      return TRUE;
    }
  }
  return FALSE;
}

int PlainDialog(const TDialogTexts& t, TMsgDlgType type) {
  TTemplateWriter w;
  w.DWord(DS_MODALFRAME | DS_SHELLFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU);
  w.DWord(0);
  w.Word(static_cast<WORD>(2 + t.Captions.size()));
  for (int i = 0; i < 4; ++i) w.Word(0);  // x, y, cx, cy: placed in WM_INITDIALOG
  w.Word(0), w.Word(0);                   // no menu, the standard dialog class
  w.String(t.Title);
  w.Word(8), w.String(L"MS Shell Dlg 2");
  w.Item(SS_ICON, kIconId, 0x82, L"");
  w.Item(SS_LEFT | SS_NOPREFIX, kTextId, 0x82, t.Message);
  for (size_t i = 0; i < t.Captions.size(); ++i)
    w.Item(WS_TABSTOP | (i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
           static_cast<WORD>(t.Results[i]), 0x80, t.Captions[i]);
  const LPCWSTR iconName = SystemIconOf(type);
  const TPlainDialog d{t, iconName ? LoadIconW(nullptr, iconName) : nullptr};
  const INT_PTR result =
      DialogBoxIndirectParamW(GetModuleHandleW(nullptr), w.Get(), GetActiveWindow(),
                              &PlainDialogProc, reinterpret_cast<LPARAM>(&d));
  return result > 0 ? static_cast<int>(result) : mrCancel;
}

}  // namespace

int ShowMessageDialog(const TMessageDialogParams& Params, const std::string& DefaultTitle) {
  const TDialogTexts texts = TextsOf(Params, DefaultTitle);
  int result = mrNone;
  if (!TryTaskDialog(texts, Params.DlgType, result)) result = PlainDialog(texts, Params.DlgType);
  return result;
}

int ShowPlainMessageDialog(const TMessageDialogParams& Params, const std::string& DefaultTitle) {
  return PlainDialog(TextsOf(Params, DefaultTitle), Params.DlgType);
}

}  // namespace zel::win
