#include "platform/windows/Win32Menus.h"

#include <shellapi.h>
#include <shlwapi.h>
#include <wincodec.h>

#include <algorithm>

#include "core/MenuItems.h"
#include "platform/windows/Win32Form.h"
#include "platform/windows/WinStr.h"

namespace zel::win {

namespace {

template <class T>
struct TRelease {
  T* P = nullptr;
  ~TRelease() {
    if (P) P->Release();
  }
};

UINT SmallIconSize(HWND hwnd) {
  const UINT dpi = hwnd ? GetDpiForWindow(hwnd) : GetDpiForSystem();
  return static_cast<UINT>(GetSystemMetricsForDpi(SM_CXSMICON, dpi ? dpi : 96));
}

// A 32-bpp DIB section; a negative height makes it top-down.
HBITMAP CreateDib32(LONG width, LONG height, void** bits) {
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
  bmi.bmiHeader.biWidth = width;
  bmi.bmiHeader.biHeight = height;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  return CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, bits, nullptr, 0);
}

}  // namespace

HBITMAP DecodeMenuBitmap(const std::string& Data, int Size) {
  TRelease<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_PPV_ARGS(&factory.P))))
    return nullptr;
  TRelease<IStream> stream{SHCreateMemStream(reinterpret_cast<const BYTE*>(Data.data()),
                                             static_cast<UINT>(Data.size()))};
  TRelease<IWICBitmapDecoder> decoder;
  TRelease<IWICBitmapFrameDecode> frame;
  TRelease<IWICBitmapScaler> scaler;
  TRelease<IWICFormatConverter> converter;
  UINT w = 0, h = 0;
  if (!stream.P ||
      FAILED(factory.P->CreateDecoderFromStream(stream.P, nullptr, WICDecodeMetadataCacheOnDemand,
                                                &decoder.P)) ||
      FAILED(decoder.P->GetFrame(0, &frame.P)) || FAILED(frame.P->GetSize(&w, &h)) || !w || !h)
    return nullptr;
  // Fit the box, keeping the proportions; the scaler reads the source in
  // strips, so a huge image never needs its full size in memory.
  const double f = std::min(static_cast<double>(Size) / w, static_cast<double>(Size) / h);
  const UINT sw = std::max(1u, static_cast<UINT>(w * f + 0.5));
  const UINT sh = std::max(1u, static_cast<UINT>(h * f + 0.5));
  if (FAILED(factory.P->CreateBitmapScaler(&scaler.P)) ||
      FAILED(scaler.P->Initialize(frame.P, sw, sh, WICBitmapInterpolationModeFant)) ||
      FAILED(factory.P->CreateFormatConverter(&converter.P)) ||
      FAILED(converter.P->Initialize(scaler.P, GUID_WICPixelFormat32bppPBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom)))
    return nullptr;
  void* bits = nullptr;
  // Negative height: top-down rows, as the converter copies them.
  HBITMAP bitmap = CreateDib32(static_cast<LONG>(sw), -static_cast<LONG>(sh), &bits);
  if (!bitmap) return nullptr;
  if (FAILED(converter.P->CopyPixels(nullptr, sw * 4, sw * sh * 4, static_cast<BYTE*>(bits)))) {
    DeleteObject(bitmap);
    return nullptr;
  }
  return bitmap;
}

HBITMAP GreyMenuBitmap(HBITMAP Source) {
  DIBSECTION dib{};
  if (GetObjectW(Source, sizeof dib, &dib) != sizeof dib || dib.dsBm.bmBitsPixel != 32 ||
      !dib.dsBm.bmBits)
    return nullptr;
  const LONG w = dib.dsBm.bmWidth, h = dib.dsBm.bmHeight;
  void* bits = nullptr;
  HBITMAP grey = CreateDib32(w, dib.dsBmih.biHeight, &bits);  // the same row order
  if (!grey) return nullptr;
  const auto* in = static_cast<const BYTE*>(dib.dsBm.bmBits);
  auto* out = static_cast<BYTE*>(bits);
  // Premultiplied BGRA. The luminance is washed towards a light grey; alpha
  // stays, as Wine draws item bitmaps without blending, where a faded pixel
  // would come out dark.
  for (size_t i = 0, n = static_cast<size_t>(w) * h * 4; i < n; i += 4) {
    const unsigned a = in[i + 3];
    const unsigned lum = (in[i] * 29u + in[i + 1] * 150u + in[i + 2] * 77u) >> 8;
    const BYTE g = static_cast<BYTE>((lum + a * 192u / 255u) / 2);
    out[i] = out[i + 1] = out[i + 2] = g;
    out[i + 3] = static_cast<BYTE>(a);
  }
  return grey;
}

std::wstring TrayTip(const std::string& Hint) {
  std::wstring tip = Widen(Hint);
  if (tip.size() > 127) tip.resize(IS_HIGH_SURROGATE(tip[126]) ? 126 : 127);
  return tip;
}

// ---- TWin32MenuPeer --------------------------------------------------------

TWin32MenuPeer::TWin32MenuPeer(HMENU Menu, IMenuEvents& Events) : FMenu(Menu), FEvents(Events) {}

TWin32MenuPeer::~TWin32MenuPeer() {
  DestroyMenu(FMenu);  // with its submenus
  ClearImages();
}

void TWin32MenuPeer::Clear() {
  while (GetMenuItemCount(FMenu) > 0) DeleteMenu(FMenu, 0, MF_BYPOSITION);
  FItems.clear();
  FKeys.clear();
  FNextId = kFirstCommandId;
  Changed();
}

void TWin32MenuPeer::Describe(const TMenuItemView& Item, MENUITEMINFOW& info, std::wstring& text) {
  info.cbSize = sizeof(info);
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING | MIIM_BITMAP;
  if (IsSeparatorCaption(Item.Caption)) {
    info.fType = MFT_SEPARATOR;
    info.fMask &= ~MIIM_STRING;
  } else {
    text = Widen(Item.Caption);
    info.dwTypeData = text.data();
    info.cch = static_cast<UINT>(text.size());
  }
  info.fState = Item.Enabled ? MFS_ENABLED : MFS_DISABLED;
  const bool hasImage = Item.ImageIndex >= 0 && Item.ImageIndex < static_cast<int>(FImages.size());
  if (!hasImage) {
    info.hbmpItem = nullptr;
  } else if (!Item.Enabled && FGreyImages[Item.ImageIndex]) {
    info.hbmpItem = FGreyImages[Item.ImageIndex];
  } else {
    info.hbmpItem = FImages[Item.ImageIndex];
  }
}

void TWin32MenuPeer::AddItem(int ParentKey, const TMenuItemView& Item) {
  HMENU parent = FMenu;
  if (ParentKey != 0) {
    const auto found = FItems.find(ParentKey);
    if (found == FItems.end() || !found->second.Submenu) return;
    parent = found->second.Submenu;
  }
  // The 16-bit command space is full: such an item can only be shown.
  const UINT id = FNextId <= 0xFFFF ? FNextId++ : 0;
  MENUITEMINFOW info{};
  std::wstring text;
  Describe(Item, info, text);
  info.fMask |= MIIM_ID;
  info.wID = id;
  HMENU submenu = nullptr;
  if (Item.HasSubmenu) {
    submenu = CreatePopupMenu();
    info.fMask |= MIIM_SUBMENU;
    info.hSubMenu = submenu;
  }
  InsertMenuItemW(parent, GetMenuItemCount(parent), TRUE, &info);
  FItems[Item.Key] = {id, parent, submenu, Item};
  if (id) FKeys[id] = Item.Key;
  Changed();
}

void TWin32MenuPeer::UpdateItem(const TMenuItemView& Item) {
  const auto found = FItems.find(Item.Key);
  if (found == FItems.end() || !found->second.CommandId) return;
  MENUITEMINFOW info{};
  std::wstring text;
  Describe(Item, info, text);
  SetMenuItemInfoW(found->second.Parent, found->second.CommandId, FALSE, &info);
  found->second.View = Item;
  Changed();
}

bool TWin32MenuPeer::AddImage(const std::string& Data) {
  HBITMAP bitmap = DecodeMenuBitmap(Data, static_cast<int>(SmallIconSize(nullptr)));
  if (!bitmap) return false;
  FImages.push_back(bitmap);
  FGreyImages.push_back(GreyMenuBitmap(bitmap));
  return true;
}

void TWin32MenuPeer::ClearImages() {
  for (HBITMAP b : FImages) DeleteObject(b);
  for (HBITMAP b : FGreyImages)
    if (b) DeleteObject(b);
  FImages.clear();
  FGreyImages.clear();
}

bool TWin32MenuPeer::Command(unsigned Id) {
  const auto found = FKeys.find(Id);
  if (found == FKeys.end()) return false;
  const TEntry& entry = FItems.at(found->second);
  if (!entry.View.HasSubmenu) FEvents.MenuItemClick(found->second);
  return true;
}

// ---- Menu bar --------------------------------------------------------------

TWin32MenuBarPeer::TWin32MenuBarPeer(TWin32FormPeer& Form, IMenuEvents& Events)
    : TWin32MenuPeer(CreateMenu(), Events), FForm(Form) {
  SetMenu(FForm.Handle(), Menu());
  FForm.OnMenuCommand = [this](unsigned id) { return Command(id); };
  DrawMenuBar(FForm.Handle());
}

TWin32MenuBarPeer::~TWin32MenuBarPeer() {
  FForm.OnMenuCommand = nullptr;
  if (FForm.Handle()) SetMenu(FForm.Handle(), nullptr);
}

void TWin32MenuBarPeer::Changed() {
  if (FForm.Handle()) DrawMenuBar(FForm.Handle());
}

// ---- Tray icon -------------------------------------------------------------

TWin32TrayIcon::TWin32TrayIcon(const std::string& Hint, TWin32FormPeer* Window,
                               ITrayIconEvents& Events)
    : FTip(TrayTip(Hint)), FWindow(Window), FEvents(Events), FMenu(CreatePopupMenu(), Events) {
  RegisterWindowClass(L"ZelTrayWindow", nullptr);
  // A hidden top-level window: message-only windows miss the taskbar's
  // broadcast after Explorer restarts.
  CreateHandle(L"ZelTrayWindow", WS_EX_TOOLWINDOW, WS_POPUP, 0, 0, 0, 0, nullptr);
  FTaskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
  const int size = static_cast<int>(SmallIconSize(nullptr));
  FIcon = static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
  if (!FIcon) FIcon = LoadIconW(nullptr, IDI_APPLICATION);
}

TWin32TrayIcon::~TWin32TrayIcon() {
  SetVisible(false);
}

void TWin32TrayIcon::Add() {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = Handle();
  data.uID = 1;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kTrayCallbackMessage;
  data.hIcon = FIcon;
  std::copy(FTip.begin(), FTip.end(), data.szTip);
  Shell_NotifyIconW(NIM_ADD, &data);
}

void TWin32TrayIcon::SetVisible(bool Visible) {
  if (Visible == FVisible || !Handle()) return;
  FVisible = Visible;
  if (Visible) return Add();
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = Handle();
  data.uID = 1;
  Shell_NotifyIconW(NIM_DELETE, &data);
}

void TWin32TrayIcon::PopupMenu() {
  // The menu closes properly only when its owner is the foreground window.
  SetForegroundWindow(FWindow && FWindow->Handle() ? FWindow->Handle() : Handle());
  if (FMenu.Empty()) return;
  POINT p{};
  GetCursorPos(&p);
  const UINT id =
      static_cast<UINT>(TrackPopupMenu(FMenu.Menu(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                       p.x, p.y, 0, Handle(), nullptr));
  PostMessageW(Handle(), WM_NULL, 0, 0);
  if (id) FMenu.Command(id);
}

LRESULT TWin32TrayIcon::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kTrayCallbackMessage) {
    if (LOWORD(lParam) == WM_LBUTTONUP) FEvents.TrayIconClick();
    if (LOWORD(lParam) == WM_RBUTTONUP) PopupMenu();
    return 0;
  }
  if (FTaskbarCreated && msg == FTaskbarCreated) {
    // A new taskbar knows no icons.
    if (FVisible) Add();
    return 0;
  }
  return TWindow::WndProc(msg, wParam, lParam);
}

}  // namespace zel::win
