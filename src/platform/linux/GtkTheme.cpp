// The host's themes on GTK: one application-wide style sheet built from a
// catalogue palette. Popup menus keep the system look.
#include <cstdio>
#include <string>

#include "core/Themes.h"
#include "platform/linux/GtkCommon.h"
#include "platform/linux/GtkUI.h"

namespace zel::gtk {

namespace {

std::string Css(std::uint32_t rgb) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06x", static_cast<unsigned>(rgb & 0xFFFFFF));
  return text;
}

// Replaces @name@ markers of the template with the palette's colours.
std::string Fill(std::string css, std::string_view marker, std::uint32_t rgb) {
  const std::string value = Css(rgb);
  for (size_t at = css.find(marker); at != std::string::npos; at = css.find(marker, at))
    css.replace(at, marker.size(), value);
  return css;
}

// Every rule names its surfaces; none reaches "menu" or ".context-menu", so
// popup menus (the tray menu's among them) stay as the system draws them.
// A menu's window sits below the main window's node, though, so rules like
// "window:not(.popup) label" reach into it: the last rule hands its labels
// the colours of the system's menu items back (grey ones when disabled).
constexpr const char* kTemplate = R"css(
window:not(.popup), dialog, messagedialog, filechooser, assistant,
window:not(.popup) > .background, dialog .dialog-action-area, window:not(.popup) stack,
box.dialog-vbox {
  background-color: @window@; color: @text@; }
window:not(.popup) label, dialog label, filechooser label { color: @text@; }
headerbar, .titlebar { background: @menubar@; color: @menubartext@; border-color: @border@; }
headerbar label, headerbar .title { color: @menubartext@; }
menubar { background: @menubar@; color: @menubartext@; border-color: @border@; box-shadow: none; }
menubar > menuitem { color: @menubartext@; }
menubar > menuitem > label { color: @menubartext@; }
menubar > menuitem:hover { background: @accent@; color: @accenttext@; box-shadow: none; }
menubar > menuitem:hover > label { color: @accenttext@; }
entry, spinbutton, textview, textview text {
  background: @control@; color: @text@; border-color: @border@; box-shadow: none;
  caret-color: @text@; }
entry:focus { border-color: @accent@; }
entry selection, textview text selection, label selection {
  background-color: @accent@; color: @accenttext@; }
button, combobox button, filechooser button {
  background: @control@; color: @text@; border-color: @border@;
  box-shadow: none; text-shadow: none; -gtk-icon-shadow: none; }
button label { color: @text@; }
button:hover { background: @hover@; }
button:active, button:checked { background: @pressed@; }
button:focus { border-color: @accent@; }
button.suggested-action, button.default { background: @accent@; color: @accenttext@; }
button.suggested-action label, button.default label { color: @accenttext@; }
button:disabled, button:disabled label { color: @muted@; }
button.suggested-action:disabled, button.default:disabled { background: @control@; }
scrolledwindow, viewport, treeview.view, list, row, placessidebar, placessidebar list,
iconview, paned > separator, .sidebar {
  background-color: @control@; color: @text@; border-color: @border@; }
treeview.view header button { background: @menubar@; color: @menubartext@; }
treeview.view:selected, row:selected, iconview:selected, .view:selected {
  background-color: @accent@; color: @accenttext@; }
row:selected label { color: @accenttext@; }
frame > border, window:not(.popup) separator { border-color: @border@; color: @border@; }
tooltip, tooltip.background { background-color: @control@; color: @text@;
  border: 1px solid @border@; text-shadow: none; }
tooltip label { color: @text@; }
window.popup menu label, window.popup menu separator { color: inherit; border-color: inherit; }
)css";

GtkCssProvider* gProvider = nullptr;
int gSystemPrefersDark = -1;  // the setting before the first theme

void SetPreferDark(bool dark) {
  GtkSettings* settings = gtk_settings_get_default();
  if (!settings) return;
  if (gSystemPrefersDark < 0) {
    gboolean value = FALSE;
    g_object_get(settings, "gtk-application-prefer-dark-theme", &value, nullptr);
    gSystemPrefersDark = value ? 1 : 0;
  }
  g_object_set(settings, "gtk-application-prefer-dark-theme",
               static_cast<gboolean>(dark || gSystemPrefersDark == 1), nullptr);
}

std::string ThemeCss(const TThemePalette& p) {
  std::string css = kTemplate;
  css = Fill(css, "@window@", p.Window);
  css = Fill(css, "@text@", p.Text);
  css = Fill(css, "@control@", p.Control);
  css = Fill(css, "@accent@", p.Accent);
  css = Fill(css, "@accenttext@", ContrastingText(p.Accent));
  css = Fill(css, "@menubar@", p.MenuBar);
  css = Fill(css, "@menubartext@", ContrastingText(p.MenuBar));
  css = Fill(css, "@border@", p.Border);
  css = Fill(css, "@hover@", MixColours(p.Control, p.Accent, 0.18));
  css = Fill(css, "@pressed@", MixColours(p.Control, p.Accent, 0.35));
  css = Fill(css, "@muted@", MixColours(p.Text, p.Control, 0.55));
  return css;
}

}  // namespace

void TGtkUI::ApplyTheme(const TThemePalette* Palette) {
  if (!EnsureGtk()) return;
  GdkScreen* screen = gdk_screen_get_default();
  if (!screen) return;
  // One provider at a time: the old one goes first, so palettes never mix
  // and switching does not pile up style sheets.
  if (gProvider) {
    gtk_style_context_remove_provider_for_screen(screen, GTK_STYLE_PROVIDER(gProvider));
    g_object_unref(gProvider);
    gProvider = nullptr;
  }
  SetPreferDark(Palette && IsDarkPalette(*Palette));
  if (!Palette) return;
  gProvider = gtk_css_provider_new();
  const std::string css = ThemeCss(*Palette);
  gtk_css_provider_load_from_data(gProvider, css.c_str(), static_cast<gssize>(css.size()), nullptr);
  gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(gProvider),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

}  // namespace zel::gtk
