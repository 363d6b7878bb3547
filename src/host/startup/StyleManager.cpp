#include "host/startup/StyleManager.h"

#include "core/Themes.h"
#include "ports/UI.h"

namespace zel {

bool TStyleManager::TrySetStyle(const std::string& ThemeName, bool ShowErrorDialog) {
  // The name only selects a catalogue entry; what is painted comes from the
  // catalogue's data, never from the text the caller gave.
  if (const TTheme* theme = FindTheme(ThemeName)) {
    UI().ApplyTheme(theme->Palette);
    FActive = theme->Name;
    return true;
  }
  if (ShowErrorDialog)
    UI().MessageDialog(
        {"Error", "Style '" + ThemeName + "' not found", TMsgDlgType::mtError, {{"OK", mrOk}}});
  return false;
}

std::string TStyleManager::ActiveStyleName() {
  return FActive;
}

std::vector<std::string> TStyleManager::StyleNames() {
  return SortedThemeNames();
}

}  // namespace zel
