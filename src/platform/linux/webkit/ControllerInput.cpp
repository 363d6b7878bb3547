// Keys and the wheel on the web view: AcceleratorKeyPressed, then the zoom
// shortcuts, before WebKit hands the key to the page.
#include <algorithm>
#include <array>

#include "platform/linux/webkit/Controller.h"
#include "platform/linux/webkit/Keys.h"

namespace zel::webkit {

namespace {

// Chromium's zoom steps, which WebView2 users know.
constexpr std::array<double, 17> kZoomLevels{0.25, 0.33, 0.5,  0.67, 0.75, 0.8, 0.9, 1.0, 1.1,
                                             1.25, 1.5,  1.75, 2.0,  2.5,  3.0, 4.0, 5.0};
constexpr auto kHandBackWindow = std::chrono::seconds(5);
constexpr std::size_t kMaxForwarded = 32;

// The key as it is without modifiers, so Ctrl+Shift+1 still reads as '1'.
unsigned BaseKeyval(const GdkEventKey* key) {
  GdkDisplay* display =
      key->window ? gdk_window_get_display(key->window) : gdk_display_get_default();
  GdkKeymap* keymap = display ? gdk_keymap_get_for_display(display) : nullptr;
  guint keyval = 0;
  if (keymap &&
      gdk_keymap_translate_keyboard_state(keymap, key->hardware_keycode, GdkModifierType(0),
                                          key->group, &keyval, nullptr, nullptr, nullptr))
    return keyval;
  return key->keyval;
}

bool IsAltKey(unsigned keyval) {
  return keyval == GDK_KEY_Alt_L || keyval == GDK_KEY_Alt_R;
}

// WM_KEYDOWN's lParam: repeat count, scan code, extended flag, context code,
// previous state and transition state.
INT KeyLParam(const GdkEventKey* key, bool extended, bool alt, bool wasDown) {
  bool release = key->type == GDK_KEY_RELEASE;
  std::uint32_t scan = key->hardware_keycode >= 8 ? (key->hardware_keycode - 8) & 0xFF : 0;
  std::uint32_t value = 1 | (scan << 16) | (extended ? 1u << 24 : 0) | (alt ? 1u << 29 : 0) |
                        (wasDown || release ? 1u << 30 : 0) | (release ? 1u << 31 : 0);
  return static_cast<INT>(value);
}

}  // namespace

// WebKit sends each key press to the page and, when the page leaves it
// alone, emits the same event on the widget again; that copy was offered to
// the host already.
bool TController::IsHandedBack(const GdkEventKey* key) {
  auto now = std::chrono::steady_clock::now();
  std::erase_if(FForwarded, [&](const TForwardedKey& k) { return now - k.Seen > kHandBackWindow; });
  auto same = std::find_if(FForwarded.begin(), FForwarded.end(), [&](const TForwardedKey& k) {
    return k.Type == key->type && k.Keyval == key->keyval &&
           k.HardwareKeycode == key->hardware_keycode && k.State == key->state &&
           k.Time == key->time;
  });
  if (same == FForwarded.end()) return false;
  FForwarded.erase(same);
  return true;
}

bool TController::RaiseAccelerator(const GdkEventKey* key, unsigned baseKeyval, bool alt,
                                   bool wasDown) {
  if (FAcceleratorKeyPressed.Empty()) return false;
  bool release = key->type == GDK_KEY_RELEASE;
  bool system = (alt && !(key->state & GDK_CONTROL_MASK)) || baseKeyval == GDK_KEY_F10;
  COREWEBVIEW2_KEY_EVENT_KIND kind =
      system
          ? (release ? COREWEBVIEW2_KEY_EVENT_KIND_SYSTEM_KEY_UP
                     : COREWEBVIEW2_KEY_EVENT_KIND_SYSTEM_KEY_DOWN)
          : (release ? COREWEBVIEW2_KEY_EVENT_KIND_KEY_UP : COREWEBVIEW2_KEY_EVENT_KIND_KEY_DOWN);
  bool extended = keys::IsExtended(baseKeyval);
  COREWEBVIEW2_PHYSICAL_KEY_STATUS status{};
  status.RepeatCount = 1;
  status.ScanCode = key->hardware_keycode >= 8 ? (key->hardware_keycode - 8) & 0xFF : 0;
  status.IsExtendedKey = extended;
  status.IsMenuKeyDown = alt;
  status.WasKeyDown = wasDown || release;
  status.IsKeyReleased = release;
  auto args = MakeCom<TAcceleratorKeyArgs>(kind, keys::VirtualKey(baseKeyval),
                                           KeyLParam(key, extended, alt, wasDown), status);
  FAcceleratorKeyPressed.Raise(
      static_cast<ICoreWebView2Controller*>(this),
      static_cast<ICoreWebView2AcceleratorKeyPressedEventArgs*>(args.Get()));
  return args->Handled();
}

bool TController::OnKey(GdkEventKey* key) {
  bool press = key->type == GDK_KEY_PRESS;
  if (press && IsHandedBack(key)) return false;
  unsigned base = BaseKeyval(key);
  bool ctrl = key->state & GDK_CONTROL_MASK;
  bool alt = (key->state & GDK_MOD1_MASK) || IsAltKey(base);
  bool wasDown = FKeysDown.count(key->hardware_keycode) != 0;
  if (press)
    FKeysDown.insert(key->hardware_keycode);
  else
    FKeysDown.erase(key->hardware_keycode);
  if (!ctrl && !alt && keys::TypesCharacter(key->keyval)) return false;
  if (RaiseAccelerator(key, base, alt, wasDown) || FClosed) return true;
  if (press && ctrl && ZoomByKey(base)) return true;
  if (press && DevToolsByKey(base, key->state)) return true;
  if (press) {
    FForwarded.push_back({key->type, key->keyval, key->hardware_keycode, key->state, key->time,
                          std::chrono::steady_clock::now()});
    if (FForwarded.size() > kMaxForwarded) FForwarded.pop_front();
  }
  return false;
}

// The keys that open DevTools in WebView2 open WebKit's inspector, when the
// application allows debugging.
bool TController::DevToolsByKey(unsigned baseKeyval, unsigned state) {
  if (!FWebView->Settings().DevToolsEnabled()) return false;
  const bool ctrlShift = (state & GDK_CONTROL_MASK) && (state & GDK_SHIFT_MASK);
  const bool inspect = ctrlShift && (baseKeyval == GDK_KEY_i || baseKeyval == GDK_KEY_I);
  if (baseKeyval != GDK_KEY_F12 && !inspect) return false;
  webkit_web_inspector_show(webkit_web_view_get_inspector(WEBKIT_WEB_VIEW(View())));
  return true;
}

bool TController::ZoomByKey(unsigned baseKeyval) {
  if (!FWebView->Settings().ZoomControlEnabled()) return false;
  switch (baseKeyval) {
    case GDK_KEY_equal:
    case GDK_KEY_plus:
    case GDK_KEY_KP_Add:
      ZoomStep(+1);
      return true;
    case GDK_KEY_minus:
    case GDK_KEY_KP_Subtract:
      ZoomStep(-1);
      return true;
    case GDK_KEY_0:
    case GDK_KEY_KP_0:
      webkit_web_view_set_zoom_level(WEBKIT_WEB_VIEW(View()), 1.0);
      return true;
    default:
      return false;
  }
}

bool TController::OnScroll(GdkEventScroll* scroll) {
  if (!(scroll->state & GDK_CONTROL_MASK) || !FWebView->Settings().ZoomControlEnabled())
    return false;
  double dy = 0;
  if (scroll->direction == GDK_SCROLL_UP) dy = -1;
  if (scroll->direction == GDK_SCROLL_DOWN) dy = 1;
  if (scroll->direction == GDK_SCROLL_SMOOTH) dy = scroll->delta_y;
  if (dy != 0) ZoomStep(dy < 0 ? +1 : -1);
  return true;
}

void TController::ZoomStep(int direction) {
  auto* view = WEBKIT_WEB_VIEW(View());
  double current = webkit_web_view_get_zoom_level(view);
  constexpr double kEpsilon = 0.001;
  double next = current;
  if (direction > 0) {
    auto it = std::find_if(kZoomLevels.begin(), kZoomLevels.end(),
                           [&](double z) { return z > current + kEpsilon; });
    if (it != kZoomLevels.end()) next = *it;
  } else {
    auto it = std::find_if(kZoomLevels.rbegin(), kZoomLevels.rend(),
                           [&](double z) { return z < current - kEpsilon; });
    if (it != kZoomLevels.rend()) next = *it;
  }
  if (next != current) webkit_web_view_set_zoom_level(view, next);
}

}  // namespace zel::webkit
